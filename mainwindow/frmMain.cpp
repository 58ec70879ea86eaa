#include "mainwindow/frmMain.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

#include "export/ListTexts.h"
#include "mainwindow/CellTexts.h"
#include "mainwindow/MenuBar.h"
#include "mainwindow/RowOrder.h"
#include "support/Application.h"
#include "support/Clipboard.h"
#include "support/ErrorBox.h"
#include "support/Hooks.h"
#include "support/LayoutStore.h"
#include "support/ScreenDpi.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

constexpr wchar_t kWindowClass[] = L"NetpeekMain";
constexpr COLORREF kImageMaskColour = RGB(192, 192, 192);
constexpr int kTwipsPerInch = 1440;
constexpr int kHelpTitlePosition = 2;

// Names under which the layout is stored.
constexpr wchar_t kPlacementName[] = L"Window placement";
constexpr wchar_t kListLayoutName[] = L"IPs List";
constexpr wchar_t kAutoRefreshName[] = L"Auto Refresh";

// Following the table: a re-read every two seconds, since Wine never sends the change notice
// and some changes come without one; a burst of notices gives one update, a moment after the
// last; what changed stays marked for ten seconds.
constexpr UINT_PTR kRereadTimer = 1;
constexpr UINT kRereadMilliseconds = 2000;
constexpr UINT_PTR kNoticeTimer = 2;
constexpr UINT kNoticeDelayMilliseconds = 300;
constexpr UINT_PTR kMarkTimer = 3;
constexpr ULONGLONG kMarkMilliseconds = 10000;
// Where a read of the table is slow (Wine's grows with the table, to seconds), the next re-read
// waits this many times as long as the read took, so that following costs a hundredth of a core.
constexpr ULONGLONG kRereadCostFactor = 100;
// A notice that ends in an error is asked for again after a second, then after twice as long
// each time it fails again, up to a minute.
constexpr UINT_PTR kNoticeRetryTimer = 4;
constexpr UINT kFirstNoticeRetryMilliseconds = 1000;
constexpr UINT kLastNoticeRetryMilliseconds = 60000;
// How long a withdrawn notice is waited for; Windows ends a cancelled request at once.
constexpr DWORD kCancelWaitMilliseconds = 1000;
// More edits than this are applied with the list's painting off, as a fill is.
constexpr std::size_t kEditsDrawnOneByOne = 64;

enum Shift { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

// Shows the wait cursor for as long as it lives, and the default one afterwards,
// whichever way the work ends.
class BusyCursor {
public:
    BusyCursor() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
    ~BusyCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

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

// Counts a command that is running, so that no update of the list starts inside it (a timer
// still fires in a dialog's or a menu's own message loop).
class BusyScope {
public:
    explicit BusyScope(int& busy) : m_busy(busy) { ++m_busy; }
    ~BusyScope() { --m_busy; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int& m_busy;
};

int CurrentShiftMask() {
    return (GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) | (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
           (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

void RegisterWindowClass(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = CApplication::Current().Instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(L"The main window class could not be registered.");
}

// The image list's index of the picture with that key, or none.
int ImageIndex(std::wstring_view imageKey) {
    const auto images = ToolbarImages();
    for (std::size_t i = 0; i < images.size(); ++i)
        if (images[i].key == imageKey)
            return static_cast<int>(i);
    return I_IMAGENONE;
}

std::vector<TBBUTTON> ToolbarButtonData() {
    std::vector<TBBUTTON> buttons;
    for (const ToolbarButton& b : ToolbarButtons()) {
        TBBUTTON tb{};
        tb.idCommand = static_cast<int>(kToolbarIdBase + buttons.size());
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = b.key.empty() ? BTNS_SEP : BTNS_BUTTON;
        tb.iBitmap = b.key.empty() ? 0 : ImageIndex(b.imageKey);
        // The table's captions are literals, so they end in a NUL as the toolbar wants.
        tb.iString = b.key.empty() ? 0 : reinterpret_cast<INT_PTR>(b.caption.data());
        buttons.push_back(tb);
    }
    return buttons;
}

// The toolbar button of a command id, or none.
const ToolbarButton* ButtonOfCommand(UINT_PTR id) {
    const auto buttons = ToolbarButtons();
    return id >= kToolbarIdBase && id - kToolbarIdBase < buttons.size() ? &buttons[id - kToolbarIdBase] : nullptr;
}

// The keyboard's context menu (Shift+F10, the menu key) comes with both coordinates -1; on the
// 64-bit build the whole LPARAM is then 0xFFFFFFFF, not -1.
bool FromKeyboard(POINT at) {
    return at.x == -1 && at.y == -1;
}

}  // namespace

int TwipsToPixels(int twips) {
    return MulDiv(twips, ScreenDpi(), kTwipsPerInch);
}

frmMain::frmMain(FormServices services) : m_services(std::move(services)) {}

frmMain::~frmMain() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    // A request that Windows never gave back may still be written to: it is left to the process.
    for (std::unique_ptr<NoticeRequest>& request : m_withdrawn)
        static_cast<void>(request.release());
}

void frmMain::Create(HWND owner) {
    RegisterWindowClass(WindowProc);
    m_menu = BuildMenuBar();
    m_accelerators = BuildAccelerators();

    constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_APPWINDOW;  // owned by the hidden window, yet on the taskbar
    RECT frame = {0, 0, TwipsToPixels(kFormClientWidthTwips), TwipsToPixels(kFormClientHeightTwips)};
    AdjustWindowRectEx(&frame, style, TRUE, exStyle);

    m_loadError = nullptr;
    HWND hwnd = CreateWindowExW(exStyle, kWindowClass, kProductName, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, owner, m_menu.get(),
                                CApplication::Current().Instance, this);
    if (m_loadError)
        std::rethrow_exception(m_loadError);
    if (!hwnd)
        ThrowLastError(L"The main window could not be created.");
}

void frmMain::Show(int showCommand) {
    ShowWindow(m_hwnd, m_restoredShow == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : showCommand);
    UpdateWindow(m_hwnd);
    SetFocus(m_lvIPs.Handle());
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->m_hwnd = hwnd;
        // The window has its menu bar now and destroys it with itself, even when loading fails.
        form->m_menu.release();
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // No error leaves the window procedure: it is shown here and the program goes on.
    try {
        return form->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        form->ShowEventError();
        return 0;
    }
}

void frmMain::ShowEventError() {
    // The command's own guard has gone with the error; the box is modal as its dialog was.
    BusyScope scope(m_busy);
    try {
        ErrorBox::Instance().ShowError(CurrentError(), MB_ICONERROR | MB_OK, L"", L"", true);
    } catch (...) {
        // Nothing more can be reported when the message box itself fails.
    }
}

LRESULT frmMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    case WM_SETFOCUS:
        SetFocus(m_lvIPs.Handle());
        return 0;
    case WM_ENDSESSION:
        OnEndSession(wParam != FALSE);
        return 0;
    // The menus and the move or size run modal loops of their own, where a timer still fires.
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        m_inMenuLoop = msg == WM_ENTERMENULOOP;
        break;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        m_inSizeMove = msg == WM_ENTERSIZEMOVE;
        break;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        return OnNcDestroy(wParam, lParam);
    }
    return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

bool frmMain::OnCreate() {
    try {
        ErrorBox::Instance().SetOwner(m_hwnd);
        CreateControls();
        m_services.centerForm(m_hwnd);
        if (!m_services.isInIDE())
            m_services.setWindowResIconAll(m_hwnd, kAppIconName);
        m_services.setMenuJustify(m_hwnd, kHelpTitlePosition, true);
        ExtendExitCaption();
        InitToolbar();
        InitListView();
        LoadLayout();
        m_loaded = true;
    } catch (...) {
        // Without its controls, icons or pictures the window is of no use: the program ends.
        m_loadError = std::current_exception();
        return false;
    }
    // An unreadable address table still leaves a working window: report it and go on.
    try {
        RefreshList();
    } catch (...) {
        ShowEventError();
    }
    if (m_autoRefresh)
        StartFollowing();
    return true;
}

void frmMain::CreateControls() {
    const HINSTANCE instance = CApplication::Current().Instance;
    m_font.reset(CreateFontW(-MulDiv(kUiFontPoints, TwipsToPixels(kTwipsPerInch), 72), 0, 0, 0, FW_NORMAL, FALSE,
                             FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, kUiFontFace));
    if (!m_font)
        ThrowLastError(L"The window's font could not be created.");
    LOGFONTW bold{};
    GetObjectW(m_font.get(), sizeof(bold), &bold);
    bold.lfWeight = FW_BOLD;
    m_markFont.reset(CreateFontIndirectW(&bold));
    if (!m_markFont)
        ThrowLastError(L"The window's font could not be created.");
    // The list comes first in the tab order, so it holds the focus when the window shows.
    m_lvIPs = ListViewCtrl(CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
                                           m_hwnd, nullptr, instance, nullptr));
    m_tbMain = ToolbarCtrl(CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP,
                                           0, 0, 0, 0, m_hwnd, nullptr, instance, nullptr));
    if (!m_lvIPs.Handle() || !m_tbMain.Handle())
        ThrowLastError(L"The window's controls could not be created.");
    for (HWND control : {m_lvIPs.Handle(), m_tbMain.Handle()})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    m_rowTip.Create(m_hwnd, m_lvIPs.Handle(), m_services.getAdapters, [this](int item) -> std::optional<std::uint32_t> {
        const CIPAddrRow* row = RowOf(item);
        return row ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(row->dwIndex)) : std::nullopt;
    });
}

void frmMain::ExtendExitCaption() {
    const UINT id = MenuCommandId(MenuArray::File, 100);
    wchar_t caption[256] = {};
    if (!GetMenuStringW(GetMenu(m_hwnd), id, caption, 256, MF_BYCOMMAND))
        ThrowLastError(L"The Exit menu item could not be read.");
    const std::wstring extended = std::wstring(caption) + L"\tEsc";
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING;
    item.dwTypeData = const_cast<wchar_t*>(extended.c_str());
    if (!SetMenuItemInfoW(GetMenu(m_hwnd), id, FALSE, &item))
        ThrowLastError(L"The Exit menu item could not be changed.");
}

void frmMain::InitToolbar() {
    const HINSTANCE instance = CApplication::Current().Instance;
    // The pictures drawn for the screen's DPI, so that they stay crisp where a 16-pixel one would be stretched.
    const auto scale = static_cast<std::size_t>(PictureScaleFor(ScreenDpi()));
    for (const ToolbarImage& image : ToolbarImages()) {
        const std::wstring resource = image.resources[scale];
        UniqueBitmap bitmap(static_cast<HBITMAP>(LoadImageW(instance, resource.c_str(), IMAGE_BITMAP, 0, 0, 0)));
        if (!bitmap)
            ThrowLastError(L"The picture " + resource + L" could not be loaded.");
        if (!m_ilToolbar) {
            // The image list takes its image size from the first picture.
            BITMAP info{};
            GetObjectW(bitmap.get(), sizeof(info), &info);
            m_ilToolbar.reset(ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR4 | ILC_MASK, 4, 0));
            if (!m_ilToolbar)
                ThrowLastError(L"The toolbar's image list could not be created.");
        }
        if (ImageList_AddMasked(m_ilToolbar.get(), bitmap.get(), kImageMaskColour) < 0)
            throw CError(ERROR_INVALID_DATA, L"The picture " + resource + L" could not be added to the toolbar.");
    }
    m_tbMain.ButtonStructSize();
    m_tbMain.SetImageList(m_ilToolbar.get());
    const std::vector<TBBUTTON> buttons = ToolbarButtonData();
    if (!m_tbMain.AddButtons(static_cast<int>(buttons.size()), buttons.data()))
        throw CError(ERROR_INVALID_DATA, L"The toolbar's buttons could not be added.");
    m_tbMain.AutoSize();
    OnSize();
}

void frmMain::InitListView() {
    // No border, report view, one selection, no renaming in place.
    const HWND list = m_lvIPs.Handle();
    LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(WS_BORDER | LVS_TYPEMASK | LVS_EDITLABELS)) | LVS_REPORT | LVS_SINGLESEL;
    SetWindowLongPtrW(list, GWL_STYLE, style);
    SetWindowLongPtrW(list, GWL_EXSTYLE, GetWindowLongPtrW(list, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    // Flat scroll bars off; full-row selection and grid lines on.
    m_lvIPs.SetExtendedStyle(LVS_EX_FLATSB | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                             LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    int index = 0;
    for (const ListColumn& c : ListColumns()) {
        const std::wstring header(c.header);
        if (m_lvIPs.InsertColumn(index++, header.c_str(), TwipsToPixels(c.widthTwips)) < 0)
            throw CError(ERROR_INVALID_DATA, L"The list's column \"" + header + L"\" could not be added.");
    }
}

void frmMain::LoadLayout() {
    const CApplication& app = CApplication::Current();
    m_restoredShow = m_services.restoreWindowPlacement(m_hwnd, kProgramSection, kPlacementName, app, kLayoutNoMinimum,
                                                       kLayoutNoMinimum, kLayoutShowAsStored, kLayoutPerUser);
    m_services.restoreListLayout(m_lvIPs.Handle(), kListLayoutName, app, kLayoutPerUser);
    // A sort that is missing or unreadable is the table's own order, silently.
    m_sort = ParseListSort(m_services.readValue(kProgramSection, kListSortName, kLayoutNoFlags, app, L"", kLayoutPerUser),
                           m_lvIPs.ColumnCount())
                 .value_or(StoredListSort{});
    ShowSortArrow();
    // Only "0" switches it off: a missing or unreadable value leaves it on.
    m_autoRefresh = m_services.readValue(kProgramSection, kAutoRefreshName, kLayoutNoFlags, app, L"1", kLayoutPerUser) != L"0";
}

void frmMain::SaveLayout() {
    const CApplication& app = CApplication::Current();
    m_services.saveWindowPlacement(m_hwnd, kProgramSection, kPlacementName, app, kLayoutPerUser);
    m_services.saveListLayout(m_lvIPs.Handle(), kListLayoutName, app, kLayoutPerUser);
    // Nothing to keep until the user has sorted the list.
    if (m_sort.column != kNoSort)
        m_services.writeValue(kProgramSection, kListSortName, kLayoutNoFlags, FormatListSort(m_sort), app,
                              kLayoutPerUser);
}

void frmMain::OnSize() {
    // Resizing never reports anything: when the window is too small, or anything fails, the
    // list keeps its place.
    try {
        if (!m_lvIPs.Handle() || !m_tbMain.Handle() || IsIconic(m_hwnd))
            return;
        m_tbMain.AutoSize();
        RECT toolbar{}, client{};
        if (!GetWindowRect(m_tbMain.Handle(), &toolbar) || !GetClientRect(m_hwnd, &client))
            return;
        const int top = toolbar.bottom - toolbar.top;
        const int height = client.bottom - top;
        if (height >= 0)
            MoveWindow(m_lvIPs.Handle(), 0, top, client.right, height, TRUE);
    } catch (...) {
        // Nothing to say: the next resize lays the list out again.
    }
}

void frmMain::OnCommand(UINT id) {
    if (const ToolbarButton* button = ButtonOfCommand(id)) {
        tbMain_ButtonClick(button->key);
        return;
    }
    const int index = static_cast<int>(id % kMenuIdBase);
    switch (static_cast<MenuArray>(id / kMenuIdBase)) {
    case MenuArray::File:
        mnuFile_Click(index);
        break;
    case MenuArray::Edit:
        mnuEdit_Click(index);
        break;
    case MenuArray::Help:
        mnuHelp_Click(index);
        break;
    case MenuArray::List:
        mnuList_Click(index);
        break;
    default:
        break;
    }
}

void frmMain::OnTimer(UINT_PTR id) {
    switch (id) {
    case kRereadTimer:
        OnRereadTimer();
        break;
    case kNoticeTimer:
        // Inside a command it waits for the command to end, and fires again.
        if (!Busy()) {
            KillTimer(m_hwnd, kNoticeTimer);
            UpdateFromTable();
        }
        break;
    case kNoticeRetryTimer:
        KillTimer(m_hwnd, kNoticeRetryTimer);
        m_noticeWaiting = false;
        ArmNotice();
        break;
    case kMarkTimer:
        ExpireMarks();
        break;
    }
}

void frmMain::OnRereadTimer() {
    // A notice that could not be asked for is asked for again here.
    if (!m_noticeArmed && !m_noticeWaiting)
        ArmNotice();
    if (IsIconic(m_hwnd) || (m_rereadDue != 0 && m_services.clock() < m_rereadDue))
        return;
    UpdateFromTable();
}

bool frmMain::Busy() const {
    return m_busy != 0 || m_inMenuLoop || m_inSizeMove;
}

LRESULT frmMain::OnNotify(NMHDR& header) {
    if (m_rowTip.Notify(header))
        return 0;
    if (header.hwndFrom == m_lvIPs.Handle() && header.code == LVN_COLUMNCLICK) {
        SortBy(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
        return 0;
    }
    if (header.hwndFrom == m_lvIPs.Handle() && header.code == NM_CUSTOMDRAW)
        return OnListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    // Only the toolbar's own tooltip asks by a button's command id.
    const ToolbarButton* button = ButtonOfCommand(header.idFrom);
    if (header.code == TTN_GETDISPINFOW && button != nullptr && header.hwndFrom == m_tbMain.GetTooltips()) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        info.lpszText = const_cast<wchar_t*>(button->tooltip.data());
        info.hinst = nullptr;
    }
    return 0;
}

// A right click on the list, Shift+F10 or the menu key: the list's commands beside the pointer,
// or for a key, beside the selected row.
void frmMain::OnContextMenu(HWND from, LPARAM position) {
    if (from != m_lvIPs.Handle())
        return;
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (FromKeyboard(at)) {
        RECT row{};
        const int selected = m_lvIPs.GetSelected();
        at = selected >= 0 && m_lvIPs.GetItemRect(selected, row) ? POINT{row.left, row.bottom} : POINT{0, 0};
        ClientToScreen(m_lvIPs.Handle(), &at);
    }
    const UniqueMenu menu = BuildContextMenu();
    CheckMenuItem(menu.get(), MenuCommandId(MenuArray::List, 2),
                  MF_BYCOMMAND | (m_autoRefresh ? MF_CHECKED : MF_UNCHECKED));
    BusyScope busy(m_busy);
    Hooks().trackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_hwnd);
}

void frmMain::OnEndSession(bool ending) {
    // Windows ends the session without destroying the window: keep the layout now.
    if (ending && m_loaded)
        SaveLayout();
}

void frmMain::OnDestroy() {
    if (ErrorBox::Instance().Owner() == m_hwnd)
        ErrorBox::Instance().SetOwner(nullptr);
    StopFollowing();
    if (m_loaded)
        SaveLayout();
}

LRESULT frmMain::OnNcDestroy(WPARAM wParam, LPARAM lParam) {
    // The last message the window gets: Windows' own clean-up runs with its handle, then the
    // form lets go of it.
    const HWND hwnd = m_hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    m_lvIPs = ListViewCtrl();
    m_tbMain = ToolbarCtrl();
    return DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
}

bool frmMain::PreTranslateMessage(MSG& msg) {
    if (!m_hwnd)
        return false;
    m_rowTip.Relay(msg);
    const bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    if (keyDown && (msg.hwnd == m_hwnd || IsChild(m_hwnd, msg.hwnd))) {
        Form_KeyDown(static_cast<int>(msg.wParam), CurrentShiftMask());
        if (!m_hwnd)
            return true;  // the key closed the window; there is no control left to receive it
    }
    return TranslateAcceleratorW(m_hwnd, m_accelerators.get(), &msg) != 0;
}

void frmMain::Form_KeyDown(int keyCode, int shift) {
    if (keyCode == VK_ESCAPE && shift == 0)
        Exit();
}

void frmMain::mnuFile_Click(int index) {
    BusyScope busy(m_busy);
    switch (index) {
    case 0:
        ExportList();
        break;
    case 100:
        Exit();
        break;
    }
}

void frmMain::mnuEdit_Click(int index) {
    if (index == 0)
        RefreshList();
}

void frmMain::mnuHelp_Click(int index) {
    BusyScope busy(m_busy);
    switch (index) {
    case 0:
        m_services.openReadMeFile(m_hwnd, 0);
        break;
    case 2:
        m_services.showAbout(m_hwnd, CApplication::Current(), L"", nullptr, kDedication);
        break;
    }
}

void frmMain::mnuList_Click(int index) {
    switch (index) {
    case 0:
        CopyToClipboard();
        break;
    case 2:
        ToggleAutoRefresh();
        break;
    }
}

void frmMain::tbMain_ButtonClick(std::wstring_view key) {
    if (key == L"Export")
        mnuFile_Click(0);
    else if (key == L"Refresh")
        mnuEdit_Click(0);
    else if (key == L"About")
        mnuHelp_Click(2);
    else if (key == L"Help")
        mnuHelp_Click(0);
}

void frmMain::RefreshList() {
    BusyScope scope(m_busy);
    BusyCursor busy;
    RedrawOff redraw(m_lvIPs);
    m_lvIPs.DeleteAllItems();
    m_rowTip.Forget();
    m_marks.clear();
    KillTimer(m_hwnd, kMarkTimer);
    m_rows.clear();
    m_shown.clear();
    m_rows = m_services.getIPAddresses();
    FillList();
}

void frmMain::SortBy(int column) {
    BusyScope scope(m_busy);
    BusyCursor busy;
    const ListPlace place = RememberPlace();
    {
        RedrawOff redraw(m_lvIPs);
        m_sort = NextSort(m_sort, column);
        ShowSortArrow();
        m_lvIPs.DeleteAllItems();
        m_rowTip.Hide();
        FillList();
        SelectAgain(place);
    }
    // The chosen row in view, or with none chosen the top of the list.
    const int selected = m_lvIPs.GetSelected();
    m_lvIPs.EnsureVisible(selected >= 0 ? selected : 0);
}

// The rows go into the list already in the order shown, so a sorted list fills as fast as an
// unsorted one.
void frmMain::FillList() {
    m_shown = SortedRows(m_rows, m_sort);
    m_lvIPs.SetItemCount(static_cast<int>(m_shown.size()));
    for (std::size_t at = 0; at < m_shown.size(); ++at) {
        const CRowCells cells = RowCells(m_shown[at]);
        const int item = m_lvIPs.InsertItem(static_cast<int>(at), cells[0].c_str());
        if (item < 0) {
            m_shown.resize(at);  // the rows behind the items the list did take
            throw CError(ERROR_NOT_ENOUGH_MEMORY, L"The list could not take row " + std::to_wstring(at + 1) + L".");
        }
        for (int column = 1; column < static_cast<int>(kCellCount); ++column)
            m_lvIPs.SetItemText(item, column, cells[static_cast<std::size_t>(column)].c_str());
    }
}

const CIPAddrRow* frmMain::RowOf(int item) const {
    return item >= 0 && static_cast<std::size_t>(item) < m_shown.size() ? &m_shown[static_cast<std::size_t>(item)]
                                                                          : nullptr;
}

std::optional<frmMain::PlacedRow> frmMain::PlacedRowOf(int item) const {
    const CIPAddrRow* row = RowOf(item);
    if (!row)
        return std::nullopt;
    PlacedRow placed{KeyOf(*row), 0};
    for (int above = 0; above < item; ++above)
        if (KeyOf(m_shown[static_cast<std::size_t>(above)]) == placed.key)
            ++placed.occurrence;
    return placed;
}

frmMain::ListPlace frmMain::RememberPlace() const {
    return {PlacedRowOf(m_lvIPs.GetSelected()), PlacedRowOf(m_lvIPs.GetFocused()), PlacedRowOf(m_lvIPs.GetTopIndex())};
}

// The item of that row, or of the last row with its key where fewer of them are left; else -1.
int frmMain::ItemOf(const PlacedRow& row) const {
    int found = -1, occurrence = 0;
    for (std::size_t i = 0; i < m_shown.size(); ++i)
        if (KeyOf(m_shown[i]) == row.key) {
            found = static_cast<int>(i);
            if (occurrence++ == row.occurrence)
                break;
        }
    return found;
}

void frmMain::SelectAgain(const ListPlace& place) {
    if (place.selected) {
        const int item = ItemOf(*place.selected);
        if (item >= 0 && !m_lvIPs.GetItemState(item, LVIS_SELECTED))
            m_lvIPs.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (place.focused) {
        const int item = ItemOf(*place.focused);
        if (item >= 0 && !m_lvIPs.GetItemState(item, LVIS_FOCUSED))
            m_lvIPs.SetItemState(item, LVIS_FOCUSED, LVIS_FOCUSED);
    }
}

void frmMain::KeepTopRow(const ListPlace& place) {
    // The row that was at the top stays there, so inserting or removing rows above it does
    // not move what the user is looking at.
    const int wanted = place.top ? ItemOf(*place.top) : -1;
    const int top = m_lvIPs.GetTopIndex();
    RECT row{};
    if (wanted < 0 || wanted == top || !m_lvIPs.GetItemRect(wanted, row))
        return;
    m_lvIPs.Scroll(0, (wanted - top) * (row.bottom - row.top));
}

void frmMain::UpdateFromTable() {
    if (Busy() || !m_lvIPs.Handle())
        return;
    // A read that fails leaves the list as it is; the next tick tries again.
    CIPAddrList rows;
    bool read = true;
    const ULONGLONG start = m_services.clock();
    try {
        rows = m_services.getIPAddresses();
    } catch (...) {
        read = false;
    }
    const ULONGLONG end = m_services.clock();
    const ULONGLONG spent = end > start ? end - start : 0;
    m_rereadDue = spent * kRereadCostFactor > kRereadMilliseconds ? end + spent * kRereadCostFactor : 0;
    if (!read || SameRows(rows, m_rows))
        return;
    try {
        ApplyRows(std::move(rows));
    } catch (...) {
        // Left half-way, the list and the rows behind it no longer agree: F5's fill puts them
        // right, and failing that the list stays as it is until the next change.
        try {
            RedrawOff redraw(m_lvIPs);
            m_lvIPs.DeleteAllItems();
            FillList();
        } catch (...) {
        }
    }
}

void frmMain::ApplyRows(CIPAddrList rows) {
    CIPAddrList wanted = SortedRows(rows, m_sort);
    const std::vector<ListEdit> edits = PlanListUpdate(m_shown, wanted);
    m_rows = std::move(rows);
    if (edits.empty()) {
        // Only what the list does not show has changed: the rows behind its items take it.
        m_shown = std::move(wanted);
        return;
    }
    const ListPlace place = RememberPlace();
    const ULONGLONG until = GetTickCount64() + kMarkMilliseconds;
    std::vector<RowKey> removed;
    std::unordered_set<RowKey, RowKeyHash> inserted;  // a row that moved is both
    {
        std::optional<RedrawOff> redraw;
        if (edits.size() > kEditsDrawnOneByOne)
            redraw.emplace(m_lvIPs);
        for (const ListEdit& edit : edits) {
            const auto at = m_shown.begin() + edit.item;
            if (edit.kind == ListEdit::Kind::Remove) {
                removed.push_back(KeyOf(*at));
                m_lvIPs.DeleteItem(edit.item);
                m_shown.erase(at);
                continue;
            }
            const CIPAddrRow& row = wanted[edit.row];
            const CRowCells cells = RowCells(row);
            int column = 1;
            if (edit.kind == ListEdit::Kind::Insert) {
                if (m_lvIPs.InsertItem(edit.item, cells[0].c_str()) < 0)
                    throw CError(ERROR_NOT_ENOUGH_MEMORY, L"The list could not take a new row.");
                m_shown.insert(at, row);
                inserted.insert(KeyOf(row));
            } else {
                *at = row;
                column = 0;
            }
            for (; column < static_cast<int>(kCellCount); ++column)
                if (edit.kind == ListEdit::Kind::Insert || (edit.cells & (1u << column)))
                    m_lvIPs.SetItemText(edit.item, column, cells[static_cast<std::size_t>(column)].c_str());
            Mark(KeyOf(row), edit.cells, until);
        }
    }
    // The rows behind the items are the new ones also where a change showed in no cell.
    m_shown = std::move(wanted);
    // A row that went takes its mark with it.
    for (const RowKey& key : removed)
        if (inserted.count(key) == 0)
            m_marks.erase(key);
    SelectAgain(place);
    KeepTopRow(place);
    // The row under the pointer may be another one now, with another interface.
    m_rowTip.Forget();
    ScheduleMarkExpiry();
}

HANDLE frmMain::NoticeEvent() const {
    return m_noticeArmed ? m_notice->event.get() : nullptr;
}

void frmMain::OnAddressNotice() {
    if (!m_noticeArmed)
        return;
    DWORD ended = ERROR_GEN_FAILURE;
    try {
        ended = m_services.addrChangeResult(m_notice->device, m_notice->overlapped, 0);
    } catch (...) {
    }
    if (ended == ERROR_IO_INCOMPLETE) {
        // Signalled while still pending: not the request's end, so it goes on waiting.
        ResetEvent(m_notice->event.get());
        return;
    }
    m_noticeArmed = false;
    if (ended != NO_ERROR) {
        // No change, and asking again at once would fail as fast: wait, longer each time.
        m_noticeBackOff = m_noticeBackOff == 0 ? kFirstNoticeRetryMilliseconds
                                               : std::min(m_noticeBackOff * 2, kLastNoticeRetryMilliseconds);
        m_noticeWaiting = true;
        SetTimer(m_hwnd, kNoticeRetryTimer, m_noticeBackOff, nullptr);
        return;
    }
    m_noticeBackOff = 0;
    ArmNotice();
    // Every notice of a burst puts the update off again, so the burst gives one.
    SetTimer(m_hwnd, kNoticeTimer, kNoticeDelayMilliseconds, nullptr);
}

void frmMain::StartFollowing() {
    // Never two notices on one request, nor two timers for one re-read.
    StopFollowing();
    // Requests withdrawn earlier that have ended since are let go.
    std::erase_if(m_withdrawn, [this](const std::unique_ptr<NoticeRequest>& request) {
        try {
            return m_services.addrChangeResult(request->device, request->overlapped, 0) != ERROR_IO_INCOMPLETE;
        } catch (...) {
            return false;
        }
    });
    SetTimer(m_hwnd, kRereadTimer, kRereadMilliseconds, nullptr);
    m_noticeBackOff = 0;
    ArmNotice();
}

void frmMain::StopFollowing() {
    KillTimer(m_hwnd, kRereadTimer);
    KillTimer(m_hwnd, kNoticeTimer);
    KillTimer(m_hwnd, kNoticeRetryTimer);
    m_noticeWaiting = false;
    WithdrawNotice();
}

// Cancels the pending request and waits for it to end, since until then Windows may still write
// to its OVERLAPPED; one that does not end is set aside and a new one is made next time.
void frmMain::WithdrawNotice() {
    if (!m_noticeArmed)
        return;
    m_noticeArmed = false;
    bool cancelled = false;
    DWORD ended = ERROR_IO_INCOMPLETE;
    try {
        cancelled = m_services.cancelAddrChangeNotify(m_notice->overlapped);
    } catch (...) {
    }
    try {
        ended = m_services.addrChangeResult(m_notice->device, m_notice->overlapped,
                                            cancelled ? kCancelWaitMilliseconds : 0);
    } catch (...) {
    }
    if (ended == ERROR_IO_INCOMPLETE)
        m_withdrawn.push_back(std::move(m_notice));
}

void frmMain::ArmNotice() {
    // Without the notice the periodic re-read still follows the table, a little later, and
    // asks for the notice again.
    if (m_noticeArmed)
        return;
    try {
        if (!m_notice) {
            auto request = std::make_unique<NoticeRequest>();
            request->event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            if (!request->event)
                return;
            m_notice = std::move(request);
        }
        ResetEvent(m_notice->event.get());
        m_notice->overlapped = OVERLAPPED{};
        m_notice->overlapped.hEvent = m_notice->event.get();
        m_notice->device = m_services.notifyAddrChange(m_notice->overlapped);
        m_noticeArmed = true;
    } catch (...) {
        m_noticeArmed = false;
    }
}

// The choice is stored first, so that a store that fails leaves the switch, its tick and what
// follows the table as they were.
void frmMain::ToggleAutoRefresh() {
    const bool on = !m_autoRefresh;
    m_services.writeValue(kProgramSection, kAutoRefreshName, kLayoutNoFlags, on ? L"1" : L"0",
                          CApplication::Current(), kLayoutPerUser);
    m_autoRefresh = on;
    if (!on) {
        StopFollowing();
        return;
    }
    StartFollowing();
    UpdateFromTable();
}

std::size_t frmMain::RowKeyHash::operator()(const RowKey& key) const {
    const CIPAddr& a = key.address;
    return std::hash<std::uint64_t>()((std::uint64_t{static_cast<std::uint32_t>(key.index)} << 32) |
                                      (std::uint64_t{a.Part1} << 24) | (std::uint64_t{a.Part2} << 16) |
                                      (std::uint64_t{a.Part3} << 8) | std::uint64_t{a.Part4});
}

void frmMain::Mark(const RowKey& key, CellSet cells, ULONGLONG until) {
    if (cells == 0)
        return;
    CellMark& mark = m_marks.try_emplace(key, CellMark{0, until}).first->second;
    mark.cells |= cells;
    mark.until = until;
}

CellSet frmMain::MarkedCells(int item) const {
    const CIPAddrRow* row = RowOf(item);
    if (!row)
        return 0;
    const auto found = m_marks.find(KeyOf(*row));
    return found != m_marks.end() ? found->second.cells : 0;
}

void frmMain::ExpireMarks() {
    const ULONGLONG now = GetTickCount64();
    if (std::erase_if(m_marks, [&](const auto& mark) { return mark.second.until <= now; }) != 0)
        InvalidateRect(m_lvIPs.Handle(), nullptr, FALSE);
    ScheduleMarkExpiry();
}

void frmMain::ScheduleMarkExpiry() {
    if (m_marks.empty()) {
        KillTimer(m_hwnd, kMarkTimer);
        return;
    }
    ULONGLONG first = m_marks.begin()->second.until;
    for (const auto& mark : m_marks)
        first = std::min(first, mark.second.until);
    const ULONGLONG now = GetTickCount64();
    SetTimer(m_hwnd, kMarkTimer, first > now ? static_cast<UINT>(first - now) : USER_TIMER_MINIMUM, nullptr);
}

// What changed is drawn in bold, on the tooltip's colours where the row is not selected: both
// are the theme's own, so they keep their contrast under a high-contrast theme too. Where a
// theme gives the tooltip the list's own background (Wine's does), a light tint of the
// selection colour stands in. The text itself never changes, so the export, the copy and the
// tooltip read the same bytes.
LRESULT frmMain::OnListCustomDraw(NMLVCUSTOMDRAW& draw) {
    const int item = static_cast<int>(draw.nmcd.dwItemSpec);
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: {
        if (m_marks.empty())
            return CDRF_DODEFAULT;
        COLORREF list = m_lvIPs.GetBkColor();
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
            m_markText = m_lvIPs.GetTextColor();
        }
        return CDRF_NOTIFYITEMDRAW;
    }
    case CDDS_ITEMPREPAINT:
        // Asked once per item; its cells are drawn from the answer.
        m_drawnMarks = MarkedCells(item);
        return m_drawnMarks != 0 ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        // What one cell chose stays for the next unless it is set again.
        const bool marked = (m_drawnMarks & (1u << draw.iSubItem)) != 0;
        const bool selected = m_lvIPs.GetItemState(item, LVIS_SELECTED) != 0;
        SelectObject(draw.nmcd.hdc, marked ? m_markFont.get() : m_font.get());
        draw.clrText = marked && !selected ? m_markText : m_lvIPs.GetTextColor();
        draw.clrTextBk = marked && !selected ? m_markBack : m_lvIPs.GetTextBkColor();
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void frmMain::ShowSortArrow() {
    const HeaderCtrl header = m_lvIPs.Header();
    for (int column = 0; column < header.GetItemCount(); ++column) {
        int format = header.GetFormat(column) & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == m_sort.column)
            format |= m_sort.descending ? HDF_SORTDOWN : HDF_SORTUP;
        header.SetFormat(column, format);
    }
}

void frmMain::ExportList() {
    m_services.exportList(m_hwnd, m_lvIPs.Handle());
}

// The selected row as the one line the export writes for it, or with no row selected the whole
// list as the export writes it.
void frmMain::CopyToClipboard() {
    BusyScope busy(m_busy);
    const int selected = m_lvIPs.GetSelected();
    asSetClipboardText(m_hwnd, selected >= 0 ? ItemCsvLine(m_lvIPs.Handle(), selected) : ListCsvText(m_lvIPs.Handle()));
}

void frmMain::Exit() {
    DestroyWindow(m_hwnd);
}

}  // namespace netpeek
