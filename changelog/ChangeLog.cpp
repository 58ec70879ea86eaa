#include "changelog/ChangeLog.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "export/ExportList.h"
#include "rows/Columns.h"
#include "support/Application.h"
#include "support/Clipboard.h"
#include "support/ErrorBox.h"
#include "support/Menus.h"
#include "texts/Texts.h"
#include "support/ScreenDpi.h"
#include "support/SystemError.h"
#include "support/TypedFind.h"

namespace netpeek {

namespace {

constexpr wchar_t kLogWindowClass[] = L"NetpeekLog";
// A first showing's size, and the widths of the two columns before the list's, in pixels at 96 DPI.
constexpr int kFirstWidth = 900, kFirstHeight = 360;
constexpr int kTimeWidth = 200, kEventWidth = 70;
constexpr int kTwipsPerPixel = 15;

int Scaled(int pixels) {
    return MulDiv(pixels, ScreenDpi(), 96);
}

// The window's one menu, its commands and their keys, which are the log's own.
enum LogCommand : UINT { kCopyCommand = 1, kSaveCommand = 2, kCloseCommand = 3 };
struct LogMenuItem {
    UINT command;  // 0 for a separator, which has no text
    TextId caption;
    Shortcut shortcut;
};
constexpr LogMenuItem kLogMenu[] = {
    {kCopyCommand, TextId::LogCopy, {'C', FCONTROL}},
    {kSaveCommand, TextId::LogSave, {'S', FCONTROL}},
    {0, TextId::Count, {}},
    {kCloseCommand, TextId::LogClose, {VK_ESCAPE, 0}},
};

UniqueMenu BuildLogMenuBar() {
    UniqueMenu popup = NewPopupMenu();
    for (const LogMenuItem& item : kLogMenu)
        AppendMenuItem(popup.get(), item.command, item.command ? Text(item.caption) : L"-", item.shortcut);
    return MenuBarOf(Text(TextId::LogMenu), std::move(popup));
}

UniqueAccel BuildLogAccelerators() {
    std::vector<ACCEL> keys;
    for (const LogMenuItem& item : kLogMenu)
        if (item.shortcut.key != 0)
            keys.push_back({static_cast<BYTE>(FVIRTKEY | item.shortcut.modifiers), item.shortcut.key,
                            static_cast<WORD>(item.command)});
    return AcceleratorsOf(keys);
}

}  // namespace

ChangeLog::~ChangeLog() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

void ChangeLog::Add(std::vector<ChangeLine> lines) {
    if (lines.empty())
        return;
    const bool follow = AtBottom();
    const std::size_t moved = m_lines.Add(std::move(lines));
    if (!m_hwnd)
        return;
    ShowCount(moved);
    if (follow)
        m_list.EnsureVisible(static_cast<int>(m_lines.Rows()) - 1);
}

// The list shows the model's lines by index: a line that stays keeps its selection and its place
// on the screen when older lines went before it.
void ChangeLog::ShowCount(std::size_t moved) {
    const HWND list = m_list.Handle();
    std::vector<int> selected;
    const int focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (moved > 0)
        for (int item = -1; (item = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(item),
                                                                    LVNI_SELECTED))) >= 0;)
            selected.push_back(item);
    SendMessageW(list, LVM_SETITEMCOUNT, m_lines.Rows(), LVSICF_NOSCROLL);
    if (moved == 0)
        return;
    const int shift = static_cast<int>(moved);
    const int first = m_lines.Dropped() ? 1 : 0;  // the count's line is no line to select
    m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (const int item : selected)
        if (item - shift >= first)
            m_list.SetItemState(item - shift, LVIS_SELECTED, LVIS_SELECTED);
    if (focused - shift >= first)
        m_list.SetItemState(focused - shift, LVIS_FOCUSED, LVIS_FOCUSED);
    RECT row{};
    if (m_list.GetItemRect(0, row))
        SendMessageW(list, LVM_SCROLL, 0, -shift * (row.bottom - row.top));
    InvalidateRect(list, nullptr, FALSE);
}

bool ChangeLog::AtBottom() const {
    if (!m_hwnd)
        return true;
    const auto top = SendMessageW(m_list.Handle(), LVM_GETTOPINDEX, 0, 0);
    const auto page = SendMessageW(m_list.Handle(), LVM_GETCOUNTPERPAGE, 0, 0);
    return top + page >= static_cast<LRESULT>(m_lines.Rows());
}

void ChangeLog::ColumnsChanged() {
    if (m_hwnd)
        InitColumns();
}

void ChangeLog::InitColumns() {
    const HWND list = m_list.Handle();
    while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    const std::vector<int> columns = m_choice.Columns();
    const std::vector<std::wstring> headers = ChangeHeaders(columns);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const int width = i == 0   ? kTimeWidth
                          : i == 1 ? kEventWidth
                                   : ListColumns()[static_cast<std::size_t>(columns[i - 2])].widthTwips / kTwipsPerPixel;
        m_list.InsertColumn(static_cast<int>(i), headers[i].c_str(), Scaled(width));
    }
    InvalidateRect(list, nullptr, TRUE);
}

void ChangeLog::Show(HWND owner, HFONT font) {
    if (!m_hwnd)
        Create(owner, font);
    if (IsIconic(m_hwnd))
        ShowWindow(m_hwnd, SW_RESTORE);
    else
        ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    SetFocus(m_list.Handle());
}

void ChangeLog::Relabel() {
    if (!m_hwnd)
        return;
    const std::wstring caption(Text(TextId::LogCaption));
    SetWindowTextW(m_hwnd, caption.c_str());
    ReplaceMenuBar(m_hwnd, BuildLogMenuBar());
}

void ChangeLog::Create(HWND owner, HFONT font) {
    RegisterAppWindowClass(kLogWindowClass, WindowProc, true, Text(TextId::ErrLogClass).data());
    UniqueMenu menu = BuildLogMenuBar();
    m_accelerators = BuildLogAccelerators();
    constexpr DWORD style = WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX;
    // The window's caption is the command's own.
    const std::wstring caption(Text(TextId::LogCaption));
    HWND hwnd = CreateWindowExW(0, kLogWindowClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                Scaled(kFirstWidth), Scaled(kFirstHeight), owner, menu.get(),
                                CApplication::Current().Instance, this);
    if (!hwnd)
        ThrowLastError(std::wstring(Text(TextId::ErrLogWindow)));
    menu.release();  // the window destroys its menu bar with itself
    m_list = ListViewCtrl(CreateWindowExW(0, WC_LISTVIEWW, nullptr,
                                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                              LVS_SHOWSELALWAYS,
                                          0, 0, 0, 0, m_hwnd, nullptr, CApplication::Current().Instance, nullptr));
    if (!m_list.Handle()) {
        DestroyWindow(m_hwnd);
        ThrowLastError(std::wstring(Text(TextId::ErrLogList)));
    }
    SendMessageW(m_list.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    InitColumns();
    SendMessageW(m_list.Handle(), LVM_SETITEMCOUNT, m_lines.Rows(), 0);
    if (m_placement.restore)
        m_placement.restore(m_hwnd);
    OnSize();
    m_list.EnsureVisible(static_cast<int>(m_lines.Rows()) - 1);
}

void ChangeLog::Hide() {
    if (!m_hwnd || !IsWindowVisible(m_hwnd))
        return;
    SavePlacement();
    ShowWindow(m_hwnd, SW_HIDE);
}

void ChangeLog::Close() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

void ChangeLog::SavePlacement() const {
    if (m_hwnd && m_placement.save)
        m_placement.save(m_hwnd);
}

LRESULT CALLBACK ChangeLog::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* log = static_cast<ChangeLog*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        log->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(log));
    }
    auto* log = reinterpret_cast<ChangeLog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!log)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // No error leaves the window procedure: it is shown here and the program goes on.
    try {
        return log->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        ErrorBox::Instance().ShowCurrentError();
        return 0;
    }
}

LRESULT ChangeLog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_SETFOCUS:
        SetFocus(m_list.Handle());
        return 0;
    case WM_CLOSE:
        Hide();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

void ChangeLog::OnSize() {
    RECT client{};
    if (m_list.Handle() && !IsIconic(m_hwnd) && GetClientRect(m_hwnd, &client))
        MoveWindow(m_list.Handle(), 0, 0, client.right, client.bottom, TRUE);
}

void ChangeLog::OnCommand(UINT id) {
    switch (id) {
    case kCopyCommand:
        Copy();
        break;
    case kSaveCommand:
        Save();
        break;
    case kCloseCommand:
        Hide();
        break;
    }
}

LRESULT ChangeLog::OnNotify(NMHDR& header) {
    if (header.hwndFrom != m_list.Handle())
        return 0;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        GetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
        return 0;
    case LVN_ODFINDITEMW:
        return FindItem(reinterpret_cast<NMLVFINDITEMW&>(header));
    }
    return 0;
}

void ChangeLog::GetDisplayInfo(LVITEMW& info) {
    if ((info.mask & LVIF_TEXT) == 0 || info.iItem < 0 || info.iSubItem < 0 || info.pszText == nullptr ||
        info.cchTextMax <= 0)
        return;
    m_cell = m_lines.Text(static_cast<std::size_t>(info.iItem), static_cast<std::size_t>(info.iSubItem), m_choice.Columns());
    const std::size_t count = std::min(m_cell.size(), static_cast<std::size_t>(info.cchTextMax - 1));
    std::copy_n(m_cell.data(), count, info.pszText);
    info.pszText[count] = L'\0';
}

// A key typed in the list goes to the next line whose time starts so, as in the main list.
int ChangeLog::FindItem(const NMLVFINDITEMW& find) const {
    const std::vector<int> columns = m_choice.Columns();
    return FindTypedItem(find, static_cast<int>(m_lines.Rows()),
                         [&](int item) { return m_lines.Text(static_cast<std::size_t>(item), 0, columns); });
}

// Windows destroys an owned window before its owner: the placement is kept here, whoever ends it.
void ChangeLog::OnDestroy() {
    SavePlacement();
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    m_list = ListViewCtrl();
}

bool ChangeLog::Owns(const MSG& msg) const {
    return m_hwnd && (msg.hwnd == m_hwnd || IsChild(m_hwnd, msg.hwnd));
}

bool ChangeLog::PreTranslateMessage(MSG& msg) {
    return TranslateAcceleratorW(m_hwnd, m_accelerators.get(), &msg) != 0;
}

std::wstring ChangeLog::CopyText() const {
    std::vector<std::size_t> rows;
    if (m_hwnd)
        for (int item = -1; (item = static_cast<int>(SendMessageW(m_list.Handle(), LVM_GETNEXTITEM,
                                                                    static_cast<WPARAM>(item), LVNI_SELECTED))) >= 0;)
            rows.push_back(static_cast<std::size_t>(item));
    // The count's line alone is no selection of lines: the whole log is copied.
    if (!rows.empty() && std::none_of(rows.begin(), rows.end(), [&](std::size_t row) { return m_lines.LineAt(row); }))
        rows.clear();
    return m_lines.CsvText(m_choice.Columns(), rows);
}

void ChangeLog::Copy() {
    asSetClipboardText(m_hwnd, CopyText());
}

void ChangeLog::Save() {
    SaveTextAs(m_hwnd, [this] { return m_lines.CsvText(m_choice.Columns()); });
}

}  // namespace netpeek
