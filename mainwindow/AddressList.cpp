#include "mainwindow/AddressList.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "mainwindow/FormControls.h"
#include "rows/ListUpdate.h"
#include "rows/RowOrder.h"
#include "support/SystemError.h"
#include "support/WindowIds.h"

namespace netpeek {

namespace {

// More edits than this are applied with the list's painting off, as a fill is.
constexpr std::size_t kEditsDrawnOneByOne = 64;

// Keeps a few edits from drawing anything while they go in: the list's window is made invisible
// to painting (what WM_SETREDRAW does for a plain window), so neither the rows nor the scroll bar
// are drawn for each edit, nor for the scroll that keeps the top row, each of which costs as much
// as drawing the rows in view. The list itself is not told, so that it does not draw itself
// whole afterwards: the caller invalidates what changed in view, and the scroll bar is drawn once.
class DrawingHeld {
public:
    explicit DrawingHeld(const ListViewCtrl& list) : m_list(list) {
        GetClientRect(m_list.Handle(), &m_client);
        DefWindowProcW(m_list.Handle(), WM_SETREDRAW, FALSE, 0);
    }
    ~DrawingHeld() {
        DefWindowProcW(m_list.Handle(), WM_SETREDRAW, TRUE, 0);
        // The window's place is asked for again, so that what Windows (and Wine) keep of where a
        // window may draw, worked out while it could not, is worked out anew before it paints.
        SetWindowPos(m_list.Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_FRAMECHANGED);
        SCROLLINFO bar{};
        bar.cbSize = sizeof(bar);
        bar.fMask = SIF_ALL;
        if (GetScrollInfo(m_list.Handle(), SB_VERT, &bar))
            SetScrollInfo(m_list.Handle(), SB_VERT, &bar, TRUE);
        // A scroll bar that came or went changed the rows' room: all of it is drawn again.
        RECT client{};
        GetClientRect(m_list.Handle(), &client);
        if (!EqualRect(&client, &m_client) || m_viewChanged)
            InvalidateRect(m_list.Handle(), nullptr, TRUE);
    }
    DrawingHeld(const DrawingHeld&) = delete;
    DrawingHeld& operator=(const DrawingHeld&) = delete;

    void ViewChanged() { m_viewChanged = true; }

private:
    const ListViewCtrl& m_list;
    RECT m_client{};
    bool m_viewChanged = false;
};

// Whether an edit lands in the rows in view: a removal at its place before the edits (from
// `oldTop`), an insert or a rewrite at its place after them (from `newTop`).
bool LandsInView(const std::vector<ListEdit>& edits, int oldTop, int newTop, int rows) {
    return std::any_of(edits.begin(), edits.end(), [&](const ListEdit& edit) {
        const int top = edit.kind == ListEdit::Kind::Remove ? oldTop : newTop;
        return edit.item >= top && edit.item <= top + rows;
    });
}

// Stops a list from repainting while it is filled, so thousands of rows fill quickly.
class RedrawOff {
public:
    explicit RedrawOff(const ListViewCtrl& list) : m_list(list) { m_list.SetRedraw(false); }
    ~RedrawOff() {
        m_list.SetRedraw(true);
        InvalidateRect(m_list.Handle(), nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    const ListViewCtrl& m_list;
};

}  // namespace

void AddressList::Attach(HWND owner, HWND list, HFONT font, const ViewChoice& choice) {
    m_owner = owner;
    m_choice = &choice;
    m_list = ListViewCtrl(list);
    m_font = font;
    LOGFONTW bold{};
    GetObjectW(font, sizeof(bold), &bold);
    bold.lfWeight = FW_BOLD;
    m_markFont.reset(CreateFontIndirectW(&bold));
    if (!m_markFont)
        ThrowLastError(L"The window's font could not be created.");
}

void AddressList::Detach() {
    m_owner = nullptr;
    m_list = ListViewCtrl();
}

int AddressList::ColumnId(int listColumn) const {
    if (listColumn < 0)
        return -1;
    const auto column = static_cast<std::size_t>(listColumn);
    if (column < kBaseColumnCount)
        return listColumn;
    return column - kBaseColumnCount < m_choice->extras.size() ? m_choice->extras[column - kBaseColumnCount] : -1;
}

// The item's cells of `which` (by column id) that the list's columns show.
void AddressList::SetCells(int item, const CRowCells& cells, CellSet which) const {
    const std::size_t columns = kBaseColumnCount + m_choice->extras.size();
    for (std::size_t column = 0; column < columns; ++column) {
        const int id = ColumnId(static_cast<int>(column));
        if (which & CellOf(id))
            m_list.SetItemText(item, static_cast<int>(column), cells[static_cast<std::size_t>(id)].c_str());
    }
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

void AddressList::Fill(ListRows rows) {
    m_rows = std::move(rows);
    FillAgain();
}

// After a fill nothing is new, so the marks go with their timer.
void AddressList::FillAgain() {
    RedrawOff redraw(m_list);
    m_list.DeleteAllItems();
    m_marks.clear();
    KillTimer(m_owner, kMarkTimer);
    m_shown.clear();
    FillItems();
}

void AddressList::Refill(ListRows rows) {
    const Place place = RememberPlace();
    Fill(std::move(rows));
    SelectAgain(place);
    ShowChosenRow();
}

void AddressList::Resort() {
    const Place place = RememberPlace();
    {
        RedrawOff redraw(m_list);
        ShowSortArrow();
        m_list.DeleteAllItems();
        FillItems();
        SelectAgain(place);
    }
    ShowChosenRow();
}

void AddressList::ShowChosenRow() const {
    // The chosen row in view, or with none chosen the top of the list.
    const int selected = m_list.GetSelected();
    m_list.EnsureVisible(selected >= 0 ? selected : 0);
}

// The rows go into the list already in the order shown, so a sorted list fills as fast as an
// unsorted one.
void AddressList::FillItems() {
    m_shown = SortedRows(m_rows, m_choice->sort);
    m_list.SetItemCount(static_cast<int>(m_shown.size()));
    for (std::size_t at = 0; at < m_shown.size(); ++at) {
        const CRowCells& cells = m_shown[at].Cells();
        const int item = m_list.InsertItem(static_cast<int>(at), cells[static_cast<std::size_t>(ColumnId(0))].c_str());
        if (item < 0) {
            m_shown.resize(at);  // the rows behind the items the list did take
            throw CError(ERROR_NOT_ENOUGH_MEMORY, L"The list could not take row " + std::to_wstring(at + 1) + L".");
        }
        SetCells(item, cells, kAllCells & ~CellOf(ColumnId(0)));
    }
}

bool AddressList::Update(ListRows rows, ULONGLONG until) {
    ListRows wanted = SortedRows(rows, m_choice->sort);
    m_rows = std::move(rows);
    const std::vector<ListEdit> edits = PlanListUpdate(m_shown, wanted);
    if (edits.empty()) {
        // Nothing the list shows differs; the rows behind it are the new ones all the same.
        m_shown = std::move(wanted);
        return false;
    }
    try {
        ApplyEdits(edits, std::move(wanted), until);
    } catch (...) {
        // Left half-way, the list and the rows behind it no longer agree: a fill puts them
        // right, unmarked as after F5, and failing that the list stays as it is until the next
        // change.
        try {
            FillAgain();
        } catch (...) {
        }
    }
    return true;
}

// The plan removes rows before it inserts any, so a removal's item is the row's position in
// the list as it was; the rows behind the items are the wanted ones once the edits are done.
void AddressList::ApplyEdits(const std::vector<ListEdit>& edits, ListRows wanted, ULONGLONG until) {
    Place place = RememberPlace();
    place.top = TopRowThatStays(edits);
    std::vector<RowKey> removed;
    std::unordered_set<RowKey, RowKeyHash> inserted;  // a row that moved is both
    // Many edits are drawn as a fill is; a few draw nothing until the top row is kept, and then
    // only what changed in view.
    std::optional<RedrawOff> redraw;
    std::optional<DrawingHeld> held;
    if (edits.size() > kEditsDrawnOneByOne)
        redraw.emplace(m_list);
    else
        held.emplace(m_list);
    const int oldTop = m_list.GetTopIndex();
    {
        for (const ListEdit& edit : edits) {
            if (edit.kind == ListEdit::Kind::Remove) {
                removed.push_back(m_shown[static_cast<std::size_t>(edit.item)].key);
                m_list.DeleteItem(edit.item);
                continue;
            }
            const ListRow& row = wanted[edit.row];
            if (edit.kind == ListEdit::Kind::Insert) {
                const CRowCells& cells = row.Cells();
                if (m_list.InsertItem(edit.item, cells[static_cast<std::size_t>(ColumnId(0))].c_str()) < 0)
                    throw CError(ERROR_NOT_ENOUGH_MEMORY, L"The list could not take a new row.");
                inserted.insert(row.key);
                SetCells(edit.item, cells, kAllCells & ~CellOf(ColumnId(0)));
            } else {
                SetCells(edit.item, row.Cells(), edit.cells);
            }
            if (edit.cells != 0 && until != 0) {
                Mark& mark = m_marks[row.key];
                mark.cells |= edit.cells;
                mark.until = until;
            }
        }
    }
    // A row that went takes its mark with it.
    for (const RowKey& key : removed)
        if (inserted.count(key) == 0)
            m_marks.erase(key);
    m_shown = std::move(wanted);
    SelectAgain(place);
    KeepTopRow(place);
    if (held && LandsInView(edits, oldTop, m_list.GetTopIndex(), m_list.GetCountPerPage()))
        held->ViewChanged();
    held.reset();
    redraw.reset();
    ScheduleMarkExpiry();
}

const ListRow* AddressList::RowOf(int item) const {
    return item >= 0 && static_cast<std::size_t>(item) < m_shown.size() ? &m_shown[static_cast<std::size_t>(item)]
                                                                          : nullptr;
}

std::optional<AddressList::Spot> AddressList::SpotOf(int item) const {
    const ListRow* row = RowOf(item);
    if (!row)
        return std::nullopt;
    Spot spot{row->key, 0};
    for (int i = 0; i < item; ++i)
        if (m_shown[static_cast<std::size_t>(i)].key == spot.key)
            ++spot.nth;
    return spot;
}

int AddressList::ItemOf(const Spot& spot) const {
    int nth = spot.nth, last = -1;
    for (std::size_t i = 0; i < m_shown.size(); ++i)
        if (m_shown[i].key == spot.key) {
            last = static_cast<int>(i);
            if (nth-- == 0)
                break;
        }
    return last;
}

AddressList::Place AddressList::RememberPlace() const {
    return {SpotOf(m_list.GetSelected()), SpotOf(m_list.GetFocused()), SpotOf(m_list.GetTopIndex())};
}

void AddressList::SelectAgain(const Place& place) const {
    if (place.selected) {
        const int item = ItemOf(*place.selected);
        if (item >= 0 && !m_list.GetItemState(item, LVIS_SELECTED))
            m_list.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (place.focused) {
        const int item = ItemOf(*place.focused);
        if (item >= 0 && !m_list.GetItemState(item, LVIS_FOCUSED))
            m_list.SetItemState(item, LVIS_FOCUSED, LVIS_FOCUSED);
    }
}

// The row at the top of the view, or where that one goes or moves elsewhere, the first row below
// it that keeps its item: the view stays where it is rather than follow a row that moved away.
// The plan removes rows before it inserts any, so a removal's item is the row's position now.
std::optional<AddressList::Spot> AddressList::TopRowThatStays(const std::vector<ListEdit>& edits) const {
    std::vector<bool> goes(m_shown.size());
    for (const ListEdit& edit : edits)
        if (edit.kind == ListEdit::Kind::Remove && static_cast<std::size_t>(edit.item) < goes.size())
            goes[static_cast<std::size_t>(edit.item)] = true;
    for (int item = std::max(m_list.GetTopIndex(), 0); static_cast<std::size_t>(item) < goes.size(); ++item)
        if (!goes[static_cast<std::size_t>(item)])
            return SpotOf(item);
    return std::nullopt;
}

void AddressList::KeepTopRow(const Place& place) const {
    // The row that was at the top stays there, so inserting or removing rows above it does
    // not move what the user is looking at.
    const int wanted = place.top ? ItemOf(*place.top) : -1;
    const int top = m_list.GetTopIndex();
    RECT row{};
    if (wanted < 0 || wanted == top || !m_list.GetItemRect(wanted, row))
        return;
    m_list.Scroll(0, (wanted - top) * (row.bottom - row.top));
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
