#include "mainwindow/AddressList.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "mainwindow/FormControls.h"
#include "rows/RowOrder.h"
#include "support/SystemError.h"
#include "support/TypedFind.h"
#include "support/WindowIds.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

constexpr std::size_t kGone = static_cast<std::size_t>(-1);
const ListRows kNoRows;
// Where the rows that came or changed are at most this share of the list, the others keep their
// order and the new ones are merged into it; more, and all of it is sorted anew.
constexpr std::size_t kMergedShare = 8;

bool IsSorted(const StoredListSort& sort) {
    return sort.column >= 0 && sort.column < static_cast<int>(kColumnCount);
}

// Stops a list from drawing while it changes, by the list's own WM_SETREDRAW, for as long as it
// lives. Once it may draw again it draws what it will of itself, and with `whole` all of it.
class RedrawOff {
public:
    explicit RedrawOff(const ListViewCtrl& list, bool whole = true) : m_list(list), m_whole(whole) {
        m_list.SetRedraw(false);
    }
    ~RedrawOff() {
        m_list.SetRedraw(true);
        if (m_whole)
            InvalidateRect(m_list.Handle(), nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    const ListViewCtrl& m_list;
    bool m_whole;
};

}  // namespace

// How the rows the list showed map onto the rows it is given, as `replaced` says which gave way to
// which: a row before or after those is where it was, or moved by the difference; one of those is
// found among the rows that came by who it is.
class AddressList::RowMap {
public:
    explicit RowMap(const RowsReplaced& replaced)
        : m_replaced(replaced), m_pairing(PairRows(replaced.before, replaced.after)),
          m_now(replaced.before.size(), kGone), m_changed(replaced.after.size(), kAllCells) {
        for (std::size_t a = 0; a < replaced.after.size(); ++a) {
            const std::size_t from = m_pairing.from[a];
            if (from == RowPairing::kNew)
                continue;
            m_now[from] = a;
            m_changed[a] = ChangedCells(replaced.before[from], replaced.after[a]);
        }
    }

    // Whether the rows the list shows are those of the replaced ones' version, `count` of them.
    static bool Fits(const RowsReplaced& replaced, std::size_t count, std::size_t now) {
        return replaced.first <= count && replaced.before.size() <= count - replaced.first &&
               now == count - replaced.before.size() + replaced.after.size();
    }

    // The position now of the row that was at `old`, or kGone for one that went.
    std::size_t Now(std::size_t old) const {
        const std::size_t first = m_replaced.first, before = m_replaced.before.size();
        if (old == kGone || old < first)
            return old;
        if (old - first >= before)
            return old - before + m_replaced.after.size();
        const std::size_t after = m_now[old - first];
        return after == kGone ? kGone : first + after;
    }
    // Whether the row that was at `old` is there still and keeps its place among the others: not
    // one that the table moved, nor, in a sorted list, one whose sorted cell changed.
    bool Stays(std::size_t old, const StoredListSort& sort) const {
        const std::size_t first = m_replaced.first;
        if (old < first || old - first >= m_replaced.before.size())
            return true;
        const std::size_t after = m_now[old - first];
        if (after == kGone)
            return false;
        return IsSorted(sort) ? (m_changed[after] & CellOf(sort.column)) == 0 : m_pairing.stays[after];
    }
    // The cells of the row now at `now` that it did not show before: all of a row that came.
    CellSet Changed(std::size_t now) const {
        const std::size_t first = m_replaced.first;
        return now < first || now - first >= m_changed.size() ? 0 : m_changed[now - first];
    }
    // Whether nothing the list shows differs: no row came, went, moved or changed its cells.
    bool Alike() const {
        if (m_replaced.before.size() != m_replaced.after.size())
            return false;
        for (std::size_t a = 0; a < m_changed.size(); ++a)
            if (m_changed[a] != 0 || !m_pairing.stays[a])
                return false;
        return true;
    }
    // Whether the row of `before` went with no row of its key in its place.
    bool Went(std::size_t before) const { return m_now[before] == kGone; }

private:
    const RowsReplaced& m_replaced;
    RowPairing m_pairing;
    std::vector<std::size_t> m_now;  // per row of `before`: its row of `after`, or kGone
    std::vector<CellSet> m_changed;  // per row of `after`
};

void AddressList::Attach(HWND owner, HWND list, HFONT font, const ViewChoice& choice) {
    m_owner = owner;
    m_choice = &choice;
    m_list = ListViewCtrl(list);
    m_font = font;
    m_rows = &kNoRows;
    m_order.clear();
    LOGFONTW bold{};
    GetObjectW(font, sizeof(bold), &bold);
    bold.lfWeight = FW_BOLD;
    m_markFont.reset(CreateFontIndirectW(&bold));
    if (!m_markFont)
        ThrowLastError(std::wstring(Text(TextId::ErrFont)));
}

void AddressList::Detach() {
    m_owner = nullptr;
    m_list = ListViewCtrl();
    m_rows = &kNoRows;
    m_order.clear();
}

int AddressList::ColumnId(int listColumn) const {
    if (listColumn < 0)
        return -1;
    const auto column = static_cast<std::size_t>(listColumn);
    if (column < kBaseColumnCount)
        return listColumn;
    return column - kBaseColumnCount < m_choice->extras.size() ? m_choice->extras[column - kBaseColumnCount] : -1;
}

void AddressList::ShowSortArrow() {
    const StoredListSort& sort = m_choice->sort;
    const HeaderCtrl header = m_list.Header();
    for (int column = 0; column < header.GetItemCount(); ++column) {
        int format = header.GetFormat(column) & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (ColumnId(column) == sort.column)
            format |= sort.descending ? HDF_SORTDOWN : HDF_SORTUP;
        header.SetFormat(column, format);
    }
}

void AddressList::ShowColumns() {
    // The columns past the six are the extras in the order they came, as their headers say.
    std::vector<int> shown;
    for (int column = m_list.ColumnCount(); column-- > static_cast<int>(kBaseColumnCount);) {
        wchar_t header[64] = {};
        m_list.GetColumnText(column, header, 64);
        const std::optional<int> id = ColumnOfHeader(header);
        if (id && m_choice->Shows(*id))
            shown.insert(shown.begin(), *id);
        else
            SendMessageW(m_list.Handle(), LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
    }
    for (const int id : m_choice->extras)
        if (std::find(shown.begin(), shown.end(), id) == shown.end())
            AddListColumn(m_list, id);
    ShowSortArrow();
}

// After a fill nothing is new, so the marks go with their timer.
void AddressList::Fill(const ListRows& rows) {
    m_marks.clear();
    KillTimer(m_owner, kMarkTimer);
    RedrawOff redraw(m_list);
    m_list.DeleteAllItems();
    m_rows = &rows;
    m_order = SortedOrder(rows, m_choice->sort);
    SetCount(0);
}

// The list is told how many rows there are; it asks for the texts of those it draws.
void AddressList::SetCount(DWORD flags) {
    if (SendMessageW(m_list.Handle(), LVM_SETITEMCOUNT, m_order.size(), static_cast<LPARAM>(flags)))
        return;
    const std::size_t count = m_order.size();
    m_order.clear();
    SendMessageW(m_list.Handle(), LVM_SETITEMCOUNT, 0, 0);
    throw CError(ERROR_NOT_ENOUGH_MEMORY, TextWith(TextId::ErrListRows, std::to_wstring(count)));
}

void AddressList::Refill(const ListRows& rows, const RowsReplaced& replaced) {
    std::size_t selected = kGone, focused = kGone;
    if (RowMap::Fits(replaced, m_order.size(), rows.size())) {
        const RowMap map(replaced);
        selected = map.Now(PositionOf(m_list.GetSelected()));
        focused = map.Now(PositionOf(m_list.GetFocused()));
    }
    Fill(rows);
    MoveState(-1, ItemOfPosition(selected), LVIS_SELECTED);
    MoveState(-1, ItemOfPosition(focused), LVIS_FOCUSED);
    ShowChosenRow();
}

// The chosen rows are found again by their positions among the rows, which a sort does not change.
void AddressList::Resort() {
    const int selected = m_list.GetSelected(), focused = m_list.GetFocused();
    const std::size_t selectedAt = PositionOf(selected), focusedAt = PositionOf(focused);
    {
        RedrawOff redraw(m_list);
        ShowSortArrow();
        m_order = SortedOrder(Rows(), m_choice->sort);
        MoveState(selected, ItemOfPosition(selectedAt), LVIS_SELECTED);
        MoveState(focused, ItemOfPosition(focusedAt), LVIS_FOCUSED);
    }
    ShowChosenRow();
}

void AddressList::ShowChosenRow() const {
    // The chosen row in view, or with none chosen the top of the list.
    const int selected = m_list.GetSelected();
    m_list.EnsureVisible(selected >= 0 ? selected : 0);
}

// The list keeps its selection, its focus and its scroll by item; the rows are followed to their
// items now by where `replaced` says they went, and those items get the states and the top, so
// that nothing the user looks at moves. Only the items in view whose row or cells differ from what
// was drawn there are drawn again.
bool AddressList::Update(const ListRows& rows, const RowsReplaced& replaced, ULONGLONG until) {
    if (!RowMap::Fits(replaced, m_order.size(), rows.size())) {
        // Rows that are not the next version of those shown: shown anew, as F5 shows them.
        Fill(rows);
        return true;
    }
    const RowMap map(replaced);
    if (map.Alike()) {
        // Nothing the list shows differs; the rows behind it are the new ones all the same.
        m_rows = &rows;
        return false;
    }
    const int oldTop = std::max(m_list.GetTopIndex(), 0);
    const int selected = m_list.GetSelected(), focused = m_list.GetFocused();
    const std::size_t selectedNow = map.Now(PositionOf(selected)), focusedNow = map.Now(PositionOf(focused));
    const std::size_t topNow = TopRowAfter(map, oldTop);
    MarkChanges(replaced, map, until);

    const std::vector<std::size_t> drawn = std::exchange(m_order, OrderAfter(rows, replaced, map));
    m_rows = &rows;
    RECT client{};
    GetClientRect(m_list.Handle(), &client);
    // The view moves where rows came or went above its top row (it keeps that row at the top), and
    // may move where the rows from its top no longer fill it. While it moves the list draws nothing,
    // so that no row is drawn at a place it is leaving; otherwise the count is set without drawing
    // the rows in view, and only what changed there is drawn.
    const int wantedTop = ItemOfPosition(topNow);
    const bool moves = (wantedTop >= 0 && wantedTop != oldTop) ||
                       m_order.size() < static_cast<std::size_t>(oldTop + m_list.GetCountPerPage());
    bool blanked = false;  // rows drawn at the bottom of the view that are gone
    std::vector<int> redraw;
    {
        std::optional<RedrawOff> held;
        if (moves)
            held.emplace(m_list, false);
        SetCount(LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        MoveState(selected, ItemOfPosition(selectedNow), LVIS_SELECTED);
        MoveState(focused, ItemOfPosition(focusedNow), LVIS_FOCUSED);
        KeepTopRow(topNow);
        const int top = std::max(m_list.GetTopIndex(), 0);
        for (int slot = 0; slot <= m_list.GetCountPerPage(); ++slot) {
            const auto was = static_cast<std::size_t>(oldTop + slot), item = static_cast<std::size_t>(top + slot);
            const std::size_t wasRow = was < drawn.size() ? map.Now(drawn[was]) : kGone;
            if (item >= m_order.size())
                blanked = blanked || was < drawn.size();
            else if (wasRow != m_order[item] || map.Changed(m_order[item]) != 0)
                redraw.push_back(static_cast<int>(item));
        }
    }
    // A scroll bar that came or went changed the rows' room, and a view that moved while the list
    // drew may have moved what it drew: all of it is drawn again.
    RECT now{};
    GetClientRect(m_list.Handle(), &now);
    if (!EqualRect(&client, &now) || (!moves && m_list.GetTopIndex() != oldTop))
        InvalidateRect(m_list.Handle(), nullptr, TRUE);
    Redraw(redraw, blanked);
    ScheduleMarkExpiry();
    return true;
}

// The row at the top of the view, or where that one goes or moves elsewhere, the first row below
// it that stays: the view stays where it is rather than follow a row that moved away.
std::size_t AddressList::TopRowAfter(const RowMap& map, int oldTop) const {
    for (std::size_t item = static_cast<std::size_t>(oldTop); item < m_order.size(); ++item)
        if (map.Stays(m_order[item], m_choice->sort))
            return map.Now(m_order[item]);
    return kGone;
}

// Each run of items in a row is redrawn at once; below the last item, where rows were drawn that
// are gone, the list is blank again.
void AddressList::Redraw(const std::vector<int>& items, bool blanked) const {
    for (std::size_t at = 0; at < items.size();) {
        std::size_t last = at;
        while (last + 1 < items.size() && items[last + 1] == items[last] + 1)
            ++last;
        SendMessageW(m_list.Handle(), LVM_REDRAWITEMS, static_cast<WPARAM>(items[at]), items[last]);
        at = last + 1;
    }
    if (!blanked)
        return;
    RECT below{};
    GetClientRect(m_list.Handle(), &below);
    RECT last{};
    if (!m_order.empty() && m_list.GetItemRect(static_cast<int>(m_order.size()) - 1, last))
        below.top = std::max(below.top, last.bottom);
    InvalidateRect(m_list.Handle(), &below, TRUE);
}

// Rows that came or changed are marked; a row that went takes its mark with it.
void AddressList::MarkChanges(const RowsReplaced& replaced, const RowMap& map, ULONGLONG until) {
    for (std::size_t a = 0; a < replaced.after.size() && until != 0; ++a)
        if (const CellSet cells = map.Changed(replaced.first + a)) {
            auto& mark = m_marks[replaced.after[a].key];
            mark.cells |= cells;
            mark.until = until;
        }
    if (m_marks.empty())
        return;
    std::unordered_set<RowKey, RowKeyHash> came;
    for (std::size_t b = 0; b < replaced.before.size(); ++b) {
        if (!map.Went(b))
            continue;
        if (came.empty())
            for (const ListRow& row : replaced.after)
                came.insert(row.key);
        if (came.count(replaced.before[b].key) == 0)
            m_marks.erase(replaced.before[b].key);
    }
}

// The rows outside those replaced keep their order, moved alike; those that came in their place are
// merged into it where they are few, and where they are many everything is sorted anew.
std::vector<std::size_t> AddressList::OrderAfter(const ListRows& rows, const RowsReplaced& replaced,
                                                 const RowMap& map) const {
    const StoredListSort& sort = m_choice->sort;
    if (!IsSorted(sort) || (replaced.before.size() + replaced.after.size()) * kMergedShare >= rows.size())
        return SortedOrder(rows, sort);
    const std::size_t first = replaced.first, last = first + replaced.before.size();
    std::vector<std::size_t> kept;
    kept.reserve(rows.size());
    for (const std::size_t position : m_order)
        if (position < first || position >= last)
            kept.push_back(map.Now(position));
    std::vector<std::size_t> came(replaced.after.size());
    std::iota(came.begin(), came.end(), first);
    return MergedOrder(kept, std::move(came), rows, sort);
}

const ListRows& AddressList::Rows() const {
    return m_rows ? *m_rows : kNoRows;
}

std::size_t AddressList::PositionOf(int item) const {
    return item >= 0 && static_cast<std::size_t>(item) < m_order.size() ? m_order[static_cast<std::size_t>(item)]
                                                                        : kGone;
}

int AddressList::ItemOfPosition(std::size_t position) const {
    if (position == kGone)
        return -1;
    // Unsorted, item i shows row i.
    if (position < m_order.size() && m_order[position] == position)
        return static_cast<int>(position);
    const auto found = std::find(m_order.begin(), m_order.end(), position);
    return found == m_order.end() ? -1 : static_cast<int>(found - m_order.begin());
}

// The list keeps a state by item: the item that had it loses it, and the item that shows its row now gets it.
void AddressList::MoveState(int from, int to, UINT state) const {
    if (from == to)
        return;
    if (from >= 0 && static_cast<std::size_t>(from) < m_order.size())
        m_list.SetItemState(from, 0, state);
    if (to >= 0)
        m_list.SetItemState(to, state, state);
}

void AddressList::KeepTopRow(std::size_t position) const {
    // The row that was at the top stays there, so rows coming or going above it do not move what
    // the user is looking at.
    const int wanted = ItemOfPosition(position);
    const int top = m_list.GetTopIndex();
    RECT row{};
    if (wanted < 0 || wanted == top || !m_list.GetItemRect(wanted, row))
        return;
    m_list.Scroll(0, (wanted - top) * (row.bottom - row.top));
}

const ListRow* AddressList::RowOf(int item) const {
    const std::size_t position = PositionOf(item);
    return position < Rows().size() ? &Rows()[position] : nullptr;
}

LRESULT AddressList::OnNotify(NMHDR& header) {
    switch (header.code) {
    case NM_CUSTOMDRAW:
        return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_GETDISPINFOW:
        GetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
        return 0;
    case LVN_ODFINDITEMW:
        return FindItem(reinterpret_cast<NMLVFINDITEMW&>(header));
    }
    return 0;
}

// The text is copied as the list's own copy would be, cut to its buffer; a row the list does not
// show has none.
void AddressList::GetDisplayInfo(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.pszText == LPSTR_TEXTCALLBACKW ||
        item.cchTextMax <= 0)
        return;
    const ListRow* row = RowOf(item.iItem);
    const int id = ColumnId(item.iSubItem);
    lstrcpynW(item.pszText, row && id >= 0 ? row->Cell(static_cast<std::size_t>(id)).data() : L"", item.cchTextMax);
}

// The first column's text, as a plain list looks for a typed text in its items' own texts.
int AddressList::FindItem(const NMLVFINDITEMW& find) const {
    const std::size_t column = static_cast<std::size_t>(ColumnId(0));
    return FindTypedItem(find, static_cast<int>(m_order.size()), [&](int item) {
        const ListRow* row = RowOf(item);
        return row ? std::wstring(row->Cell(column)) : std::wstring();
    });
}

CellSet AddressList::MarkedCells(int item) const {
    const ListRow* row = RowOf(item);
    if (!row || m_marks.empty())
        return 0;
    const auto found = m_marks.find(row->key);
    return found == m_marks.end() ? 0 : found->second.cells;
}

void AddressList::ExpireMarks() {
    const ULONGLONG now = GetTickCount64();
    if (std::erase_if(m_marks, [&](const auto& entry) { return entry.second.until <= now; }) != 0)
        InvalidateRect(m_list.Handle(), nullptr, FALSE);
    ScheduleMarkExpiry();
}

void AddressList::ScheduleMarkExpiry() {
    if (m_marks.empty()) {
        KillTimer(m_owner, kMarkTimer);
        return;
    }
    ULONGLONG first = m_marks.begin()->second.until;
    for (const auto& [key, mark] : m_marks)
        first = std::min(first, mark.until);
    const ULONGLONG now = GetTickCount64();
    SetTimer(m_owner, kMarkTimer, first > now ? static_cast<UINT>(first - now) : USER_TIMER_MINIMUM, nullptr);
}

// What changed is drawn in bold, on the tooltip's colours where the row is not selected: both
// are the theme's own, so they keep their contrast under a high-contrast theme too. Where a
// theme gives the tooltip the list's own background (Wine's does), a light tint of the
// selection colour stands in.
void AddressList::ChooseMarkColours() {
    COLORREF list = m_list.GetBkColor();
    if (list == CLR_NONE || list == CLR_DEFAULT)
        list = GetSysColor(COLOR_WINDOW);
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    const bool high = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON);
    m_markBack = GetSysColor(COLOR_INFOBK);
    m_markText = GetSysColor(COLOR_INFOTEXT);
    if (!high && m_markBack == list) {
        const COLORREF tint = GetSysColor(COLOR_HIGHLIGHT);
        const auto mix = [](BYTE under, BYTE over) { return static_cast<BYTE>((under * 4 + over) / 5); };
        m_markBack = RGB(mix(GetRValue(list), GetRValue(tint)), mix(GetGValue(list), GetGValue(tint)),
                         mix(GetBValue(list), GetBValue(tint)));
        m_markText = m_list.GetTextColor();
    }
}

// The text itself never changes, so the export, the copy and the tooltip read the same bytes.
// An item's marks are looked up once, as its painting starts, and serve each of its cells.
LRESULT AddressList::CustomDraw(NMLVCUSTOMDRAW& draw) {
    const int item = static_cast<int>(draw.nmcd.dwItemSpec);
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        if (m_marks.empty())
            return CDRF_DODEFAULT;
        ChooseMarkColours();
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        m_drawnItemMarks = MarkedCells(item);
        return m_drawnItemMarks != 0 ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        // What one cell chose stays for the next unless it is set again.
        const int id = ColumnId(draw.iSubItem);
        const bool marked = id >= 0 && (m_drawnItemMarks & CellOf(id)) != 0;
        const bool selected = m_list.GetItemState(item, LVIS_SELECTED) != 0;
        SelectObject(draw.nmcd.hdc, marked ? m_markFont.get() : m_font);
        draw.clrText = marked && !selected ? m_markText : m_list.GetTextColor();
        draw.clrTextBk = marked && !selected ? m_markBack : m_list.GetTextBkColor();
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

}  // namespace netpeek
