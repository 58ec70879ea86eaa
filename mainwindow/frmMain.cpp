#include "mainwindow/frmMain.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "export/ListTexts.h"
#include "feed/MessageWait.h"
#include "mainwindow/MenuBar.h"
#include "rows/CellTexts.h"
#include "rows/RowOrder.h"
#include "support/Application.h"
#include "support/Clipboard.h"
#include "support/ErrorBox.h"
#include "support/Hooks.h"
#include "support/LayoutStore.h"
#include "support/LocalTime.h"
#include "support/ScreenDpi.h"
#include "support/SystemError.h"
#include "support/WindowIds.h"
#include "tray/TrayTexts.h"

namespace netpeek {

namespace {

constexpr wchar_t kWindowClass[] = L"NetpeekMain";
constexpr int kTwipsPerInch = 1440;
constexpr int kHelpTitlePosition = 2;

// Names under which the layout is stored.
constexpr wchar_t kPlacementName[] = L"Window placement";
constexpr wchar_t kListLayoutName[] = L"IPs List";

// What changed stays marked for ten seconds.
constexpr ULONGLONG kMarkMilliseconds = 10000;

enum Shift { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

int CurrentShiftMask() {
    return (GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) | (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
           (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
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

frmMain::frmMain(FormServices services)
    : m_services(std::move(services)),
      m_settings({[this](const std::wstring& name, const std::wstring& defaultValue) {
                      return m_services.readValue(kProgramSection, name, kLayoutNoFlags, CApplication::Current(),
                                                  defaultValue, kLayoutPerUser);
                  },
                  [this](const std::wstring& name, const std::wstring& value) {
                      m_services.writeValue(kProgramSection, name, kLayoutNoFlags, value, CApplication::Current(),
                                            kLayoutPerUser);
                  }}),
      m_feed(m_services, m_choice),
      m_log({[this](HWND log) {
                 m_services.restoreWindowPlacement(log, kProgramSection, kLogPlacementName, CApplication::Current(),
                                                   kLayoutNoMinimum, kLayoutNoMinimum, kLayoutShowAsStored,
                                                   kLayoutPerUser);
             },
             [this](HWND log) {
                 m_services.saveWindowPlacement(log, kProgramSection, kLogPlacementName, CApplication::Current(),
                                                kLayoutPerUser);
             }},
            m_choice) {}

frmMain::~frmMain() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

void frmMain::Create(HWND owner) {
    RegisterAppWindowClass(kWindowClass, WindowProc, true,
                           L"The main window class could not be registered.");
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
    // A command, a box or a menu may run a message loop of its own, where the follower's timer
    // still fires: no re-read runs inside any message but that timer's own, which holds none.
    std::optional<TableFollower::Hold> hold;
    if (msg != WM_TIMER)
        hold.emplace(form->m_follower);
    // No error leaves the window procedure: it is shown here and the program goes on.
    try {
        return form->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        form->ShowEventError();
        return 0;
    }
}

void frmMain::ShowEventError() {
    try {
        ErrorBox::Instance().ShowError(CurrentError(), MB_ICONERROR | MB_OK, L"", L"", true);
    } catch (...) {
        // Nothing more can be reported when the message box itself fails.
    }
}

LRESULT frmMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TrayIcon::TaskbarCreatedMessage() && msg != 0) {
        OnTaskbarCreated();
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        OnSize(wParam);
        return 0;
    case kTrayIconMessage:
        OnTrayIcon(wParam, lParam);
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
    case WM_TIMECHANGE:
    case WM_SETTINGCHANGE:
        OnTimeChange();
        break;
    case kIPv6NoticeMessage:
        m_follower.OnIPv6Notice();
        return 0;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        m_follower.OnModalLoop(msg);
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
        AppendExitShortcut(GetMenu(m_hwnd));
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
    if (m_choice.autoRefresh)
        m_follower.Start();
    if (m_choice.minimizeToTray)
        ShowTrayIcon();
    return true;
}

void frmMain::CreateControls() {
    const HINSTANCE instance = CApplication::Current().Instance;
    m_font.reset(CreateFontW(-MulDiv(kUiFontPoints, TwipsToPixels(kTwipsPerInch), 72), 0, 0, 0, FW_NORMAL, FALSE,
                             FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, kUiFontFace));
    if (!m_font)
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
    m_list.Attach(m_hwnd, m_lvIPs.Handle(), m_font.get(), m_choice);
    m_follower.Attach(m_hwnd, m_services, m_choice, [this] { return ShowTableChanges(); });
    m_rowTip.Create(
        m_hwnd, m_lvIPs.Handle(), [this]() -> const AdapterMap& { return m_feed.Interfaces(); },
        [this](int item) -> std::optional<RowKey> {
            const ListRow* row = RowOf(item);
            return row ? std::optional<RowKey>(row->key) : std::nullopt;
        },
        [this](const RowKey& row, const AdapterInfo& adapter, const AdapterUnicast& unicast) {
            TipLease lease{m_feed.LeaseOf(row, unicast), std::nullopt};
            // Windows keeps when an IPv4 lease was obtained; a DHCPv6 one it does not tell.
            if (row.family == AddressFamily::IPv4 && m_services.leaseObtained)
                if (const auto obtained = m_services.leaseObtained(adapter.adapterName))
                    lease.obtained = m_services.localMinute(*obtained);
            return lease;
        });
}

void frmMain::InitToolbar() {
    // The pictures drawn for the screen's DPI, so that they stay crisp where a 16-pixel one would be stretched.
    m_ilToolbar = BuildToolbarImages(CApplication::Current().Instance, PictureScaleFor(ScreenDpi()));
    m_tbMain.ButtonStructSize();
    m_tbMain.SetImageList(m_ilToolbar.get());
    const std::vector<TBBUTTON> buttons = BuildToolbarButtons();
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
    for (std::size_t id = 0; id < kBaseColumnCount; ++id)
        AddListColumn(static_cast<int>(id));
}

// A column at the right end of the list, its width as on a first run.
void frmMain::AddListColumn(int column) {
    const ListColumn& c = ListColumns()[static_cast<std::size_t>(column)];
    const std::wstring header(c.header);
    if (m_lvIPs.InsertColumn(m_lvIPs.ColumnCount(), header.c_str(), TwipsToPixels(c.widthTwips)) < 0)
        throw CError(ERROR_INVALID_DATA, L"The list's column \"" + header + L"\" could not be added.");
}

void frmMain::LoadLayout() {
    const CApplication& app = CApplication::Current();
    m_restoredShow = m_services.restoreWindowPlacement(m_hwnd, kProgramSection, kPlacementName, app, kLayoutNoMinimum,
                                                       kLayoutNoMinimum, kLayoutShowAsStored, kLayoutPerUser);
    // The extra columns first, so that the stored layout finds as many columns as it keeps.
    m_choice = LoadChoice(m_settings, [&](const std::vector<int>& extras) {
        for (const int column : extras)
            AddListColumn(column);
        m_services.restoreListLayout(m_lvIPs.Handle(), kListLayoutName, app, kLayoutPerUser);
    });
    // A sort by a column not shown is the table's own order, silently.
    if (!m_choice.Shows(m_choice.sort.column))
        m_choice.sort = StoredListSort{};
    m_list.ShowSortArrow();
    m_follower.ChoiceChanged();
}

void frmMain::SaveLayout() {
    const CApplication& app = CApplication::Current();
    m_services.saveWindowPlacement(m_hwnd, kProgramSection, kPlacementName, app, kLayoutPerUser);
    m_services.saveListLayout(m_lvIPs.Handle(), kListLayoutName, app, kLayoutPerUser);
    StoreSort(m_settings, m_choice.sort);
}

void frmMain::OnSize(WPARAM kind) {
    // Minimised beside an icon in the notification area, the window leaves the taskbar for it.
    if (kind == SIZE_MINIMIZED && m_tray.Shown()) {
        ShowWindow(m_hwnd, SW_HIDE);
        return;
    }
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
    case MenuArray::Column:
        mnuColumn_Click(index);
        break;
    case MenuArray::Tray:
        mnuTray_Click(index);
        break;
    default:
        break;
    }
}

void frmMain::OnTimer(UINT_PTR id) {
    if (m_tray.OnTimer(id, m_feed.Names()))
        return;
    if (!m_follower.OnTimer(id) && id == kMarkTimer)
        m_list.ExpireMarks();
}

LRESULT frmMain::OnNotify(NMHDR& header) {
    if (m_rowTip.Notify(header))
        return 0;
    if (header.hwndFrom == m_lvIPs.Handle() && header.code == LVN_COLUMNCLICK) {
        SortBy(m_list.ColumnId(reinterpret_cast<NMLISTVIEW&>(header).iSubItem));
        return 0;
    }
    if (header.hwndFrom == m_lvIPs.Handle() && header.code == NM_CUSTOMDRAW)
        return m_list.CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
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
// or for a key, beside the selected row. On the list's header: the extra columns.
void frmMain::OnContextMenu(HWND from, LPARAM position) {
    const HWND header = m_lvIPs.Header().Handle();
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    RECT headerRect{};
    const bool onHeader = from == header || (from == m_lvIPs.Handle() && !FromKeyboard(at) &&
                                             GetWindowRect(header, &headerRect) && PtInRect(&headerRect, at));
    if (onHeader) {
        ShowColumnsMenu(at);
        return;
    }
    if (from != m_lvIPs.Handle())
        return;
    if (FromKeyboard(at)) {
        RECT row{};
        const int selected = m_lvIPs.GetSelected();
        at = selected >= 0 && m_lvIPs.GetItemRect(selected, row) ? POINT{row.left, row.bottom} : POINT{0, 0};
        ClientToScreen(m_lvIPs.Handle(), &at);
    }
    ShowListMenu(at);
}

namespace {

// Ticks each extra column's item of `menu` (or of its submenu) that the list shows.
void TickColumns(HMENU menu, const std::vector<int>& shown) {
    for (std::size_t column = kBaseColumnCount; column < kColumnCount; ++column) {
        const bool on = std::find(shown.begin(), shown.end(), static_cast<int>(column)) != shown.end();
        CheckMenuItem(menu, MenuCommandId(MenuArray::Column, static_cast<int>(column)),
                      MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    }
}

}  // namespace

void frmMain::ShowColumnsMenu(POINT at) {
    const UniqueMenu menu = BuildColumnsMenu();
    TickColumns(menu.get(), m_choice.extras);
    Hooks().trackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_hwnd);
}

void frmMain::ShowListMenu(POINT at) {
    const UniqueMenu menu = BuildContextMenu();
    for (const auto& [item, on] :
         {std::pair{kAutoRefreshItem, m_choice.autoRefresh}, std::pair{kShowIPv6Item, m_choice.ipv6},
          std::pair{kMinimizeToTrayItem, m_choice.minimizeToTray}, std::pair{kNotifyChangesItem, m_choice.notifyChanges}})
        CheckMenuItem(menu.get(), MenuCommandId(item.array, item.index), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(menu.get(), MenuCommandId(kNotifyChangesItem.array, kNotifyChangesItem.index),
                   MF_BYCOMMAND | (m_choice.minimizeToTray ? MF_ENABLED : MF_GRAYED));
    TickColumns(menu.get(), m_choice.extras);
    // The row's interface by its name, where the row has one that the adapters know.
    const UINT hide = MenuCommandId(kHideInterfaceItem.array, kHideInterfaceItem.index);
    const std::optional<AdapterInfo> adapter = InterfaceOfRow(m_lvIPs.GetSelected());
    m_menuInterface.reset();
    if (adapter && !adapter->adapterName.empty()) {
        m_menuInterface = adapter->adapterName;
        std::wstring caption(FindMenuItem(kHideInterfaceItem)->caption);
        caption.replace(caption.find(L'%'), 1, MenuLiteral(adapter->friendlyName));
        ModifyMenuW(menu.get(), hide, MF_BYCOMMAND | MF_STRING, hide, caption.c_str());
    } else {
        DeleteMenu(menu.get(), hide, MF_BYCOMMAND);
    }
    EnableMenuItem(menu.get(), MenuCommandId(kShowAllInterfacesItem.array, kShowAllInterfacesItem.index),
                   MF_BYCOMMAND | (m_choice.hidden.empty() ? MF_GRAYED : MF_ENABLED));
    Hooks().trackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_hwnd);
}

// The interface of the row the item shows, as the feed knows it; none where it is not known.
std::optional<AdapterInfo> frmMain::InterfaceOfRow(int item) {
    const ListRow* row = RowOf(item);
    if (!row)
        return std::nullopt;
    try {
        const AdapterMap& adapters = m_feed.Interfaces();
        const auto found = adapters.find(row->key.index);
        return found == adapters.end() ? std::nullopt : std::optional<AdapterInfo>(found->second);
    } catch (...) {
        return std::nullopt;  // the menu goes without the item
    }
}

// A click or Enter on the icon shows the window; a right click or the menu key opens the icon's
// menu; a click on the notice shows the window and the log.
void frmMain::OnTrayIcon(WPARAM wParam, LPARAM lParam) {
    POINT at{};
    switch (m_tray.OnMessage(wParam, lParam, at)) {
    case TrayIcon::Request::ShowWindow:
        ShowFromTray();
        break;
    case TrayIcon::Request::OpenMenu: {
        m_tray.ShowMenu(BuildTrayMenu().get(), at);
        break;
    }
    case TrayIcon::Request::ShowLog:
        ShowFromTray();
        ShowLog();
        break;
    case TrayIcon::Request::None:
        break;
    }
}

// Explorer started again, without the icons it had.
void frmMain::OnTaskbarCreated() {
    if (m_choice.minimizeToTray)
        ShowTrayIcon();
}

// A window hidden in the notification area comes back when its icon cannot be there.
void frmMain::ShowTrayIcon() {
    if (!m_tray.Add(m_hwnd) && !IsWindowVisible(m_hwnd))
        ShowFromTray();
}

// A new time zone (travel, or Windows setting it by itself) shows the leases' ends in it; the
// leases themselves did not change, so nothing is marked or logged.
void frmMain::OnTimeChange() {
    if (!m_lvIPs.Handle())
        return;
    if (m_feed.Rezone())
        m_list.Update(m_feed.Rows(), 0);
}

void frmMain::OnEndSession(bool ending) {
    // Windows ends the session without destroying the window: keep the layout now.
    if (!ending)
        return;
    m_tray.Remove();
    if (m_loaded)
        SaveLayout();
    m_log.SavePlacement();
}

void frmMain::OnDestroy() {
    if (ErrorBox::Instance().Owner() == m_hwnd)
        ErrorBox::Instance().SetOwner(nullptr);
    m_tray.Remove();
    m_log.Close();
    m_follower.Stop();
    if (m_loaded)
        SaveLayout();
}

LRESULT frmMain::OnNcDestroy(WPARAM wParam, LPARAM lParam) {
    // The last message the window gets: Windows' own clean-up runs with its handle, then the
    // form lets go of it.
    const HWND hwnd = m_hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    m_list.Detach();
    m_lvIPs = ListViewCtrl();
    m_tbMain = ToolbarCtrl();
    return DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
}

bool frmMain::PreTranslateMessage(MSG& msg) {
    if (!m_hwnd)
        return false;
    if (m_log.Owns(msg))
        return m_log.PreTranslateMessage(msg);
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
    case 3:
        ToggleIPv6();
        break;
    case 4:
        HideMenuInterface();
        break;
    case 5:
        ShowAllInterfaces();
        break;
    case 6:
        ShowLog();
        break;
    case 7:
        ToggleMinimizeToTray();
        break;
    case 8:
        ToggleNotifyChanges();
        break;
    }
}

void frmMain::mnuTray_Click(int index) {
    if (index == 0)
        ShowFromTray();
}

void frmMain::mnuColumn_Click(int column) {
    if (column < static_cast<int>(kBaseColumnCount) || column >= static_cast<int>(kColumnCount))
        return;
    const bool adding = !m_choice.Shows(column);
    const auto place = std::find(m_choice.extras.begin(), m_choice.extras.end(), column) - m_choice.extras.begin();
    Choose([&](ViewChoice& next) {
        if (adding) {
            next.extras.push_back(column);
            return;
        }
        next.extras.erase(next.extras.begin() + place);
        // A sort by a column that went is the table's own order; the arrow moves with its column.
        if (next.sort.column == column)
            next.sort = StoredListSort{};
    });
    if (adding)
        AddListColumn(column);
    else
        SendMessageW(m_lvIPs.Handle(), LVM_DELETECOLUMN, static_cast<WPARAM>(place) + kBaseColumnCount, 0);
    m_log.ColumnsChanged();
    m_list.ShowSortArrow();
    ReadAgain();
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
    BusyCursor busy;
    m_rowTip.Hide();
    m_feed.ForgetInterfaces();
    ShowUpdate(ReadFeed(TableRows::Mode::Anew), ListShow::Fill);
}

// The list read again as F5 reads it, keeping the row the user had chosen; a read that fails
// empties it as F5's does, and says why.
void frmMain::ReadAgain() {
    BusyCursor busy;
    m_rowTip.Hide();
    ShowUpdate(ReadFeed(TableRows::Mode::Again), ListShow::Refill);
}

// A read that fails leaves an empty list rather than an old one, and nothing to compare with.
TableUpdate frmMain::ReadFeed(TableRows::Mode mode) {
    try {
        return m_feed.Read(mode);
    } catch (...) {
        m_feed.Clear();
        m_list.Fill({});
        throw;
    }
}

// What a read found goes to the log, to the notice while the window is hidden in the notification
// area, to the list and to the icon's tip.
void frmMain::ShowUpdate(const TableUpdate& update, ListShow how) {
    m_log.Add(update.lines);
    if (m_choice.notifyChanges && !IsWindowVisible(m_hwnd))
        m_tray.Gather(update.lines);
    switch (how) {
    case ListShow::Fill:
        m_list.Fill(m_feed.Rows());
        break;
    case ListShow::Refill:
        m_list.Refill(m_feed.Rows());
        break;
    case ListShow::Mark:
        // The row under the pointer may be another one now, with another interface.
        if (update.changed && m_list.Update(m_feed.Rows(), GetTickCount64() + kMarkMilliseconds))
            m_rowTip.Hide();
        break;
    }
    UpdateTip();
}

void frmMain::HideMenuInterface() {
    if (!m_menuInterface)
        return;
    Choose([&](ViewChoice& next) { next.hidden.insert(UpperName(*m_menuInterface)); });
    ReadAgain();
}

// Every interface back, unmarked, as after F5.
void frmMain::ShowAllInterfaces() {
    if (m_choice.hidden.empty())
        return;
    Choose([](ViewChoice& next) { next.hidden.clear(); });
    ReadAgain();
}

void frmMain::SortBy(int column) {
    BusyCursor busy;
    m_rowTip.Hide();
    // The sort is the view's own, kept as the window closes.
    m_choice.sort = NextSort(m_choice.sort, column);
    m_list.Resort();
}

const ListRow* frmMain::RowOf(int item) const {
    return m_list.RowOf(item);
}

void frmMain::UpdateFromTable() {
    m_follower.UpdateNow();
}

HANDLE frmMain::NoticeEvent() const {
    return m_follower.NoticeEvent();
}

bool frmMain::WaitForMessages() {
    return netpeek::WaitForMessages(m_follower);
}

ULONGLONG frmMain::ShowTableChanges() {
    if (!m_lvIPs.Handle())
        return 0;
    // A read that fails leaves the list as it is; the next tick tries again.
    ULONGLONG spent = 0;
    try {
        const TableUpdate update = m_feed.Read(TableRows::Mode::Again, &spent);
        if (update.changed)
            ShowUpdate(update, ListShow::Mark);
    } catch (...) {
    }
    return spent;
}

// The tip follows each read: the addresses of the interfaces that are up, as the list shows them.
void frmMain::UpdateTip() {
    if (!m_choice.minimizeToTray)
        return;
    m_tray.SetTip(TipText(AddressLines(m_feed.Rows(), m_feed.ReadInterfaces())));
}

// A choice of the context menu is stored first, so that a store that fails leaves the choice,
// its tick and what it governs as they were.
template <typename Change>
void frmMain::Choose(Change change) {
    ViewChoice next = m_choice;
    change(next);
    StoreChoice(m_settings, m_choice, next);
    m_choice = std::move(next);
    m_follower.ChoiceChanged();
}

void frmMain::ToggleAutoRefresh() {
    Choose([](ViewChoice& next) { next.autoRefresh = !next.autoRefresh; });
    if (!m_choice.autoRefresh) {
        m_follower.Stop();
        return;
    }
    m_follower.Start();
    ShowTableChanges();
}

void frmMain::ToggleMinimizeToTray() {
    Choose([](ViewChoice& next) { next.minimizeToTray = !next.minimizeToTray; });
    const bool on = m_choice.minimizeToTray;
    if (!on)
        m_tray.Remove();
    // The interfaces are read for the tip while the icon is there, and only then; the icon comes
    // with its tip, also when the table cannot be read.
    try {
        ReadAgain();
    } catch (...) {
        if (on)
            ShowTrayIcon();
        throw;
    }
    if (on)
        ShowTrayIcon();
}

void frmMain::ToggleNotifyChanges() {
    if (!m_choice.minimizeToTray)
        return;
    Choose([](ViewChoice& next) { next.notifyChanges = !next.notifyChanges; });
    if (!m_choice.notifyChanges)
        m_tray.DropBurst();
}

// The window as it was before it went to the notification area, in front; a notice still
// gathering is of no use now.
void frmMain::ShowFromTray() {
    m_tray.DropBurst();
    ShowWindow(m_hwnd, IsIconic(m_hwnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(m_hwnd);
}

void frmMain::ShowLog() {
    m_log.Show(m_hwnd, m_font.get());
}

void frmMain::ToggleIPv6() {
    Choose([](ViewChoice& next) { next.ipv6 = !next.ipv6; });
    ReadAgain();
}

void frmMain::ExportList() {
    m_services.exportList(m_hwnd, m_lvIPs.Handle());
}

// The selected row as the one line the export writes for it, or with no row selected the whole
// list as the export writes it.
void frmMain::CopyToClipboard() {
    const int selected = m_lvIPs.GetSelected();
    asSetClipboardText(m_hwnd, selected >= 0 ? ItemCsvLine(m_lvIPs.Handle(), selected) : ListCsvText(m_lvIPs.Handle()));
}

void frmMain::Exit() {
    DestroyWindow(m_hwnd);
}

}  // namespace netpeek
