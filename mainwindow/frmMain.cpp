#include "mainwindow/frmMain.h"

#include <iterator>
#include <utility>

#include "export/ListTexts.h"
#include "mainwindow/Commands.h"
#include "mainwindow/MenuBar.h"
#include "rows/RowOrder.h"
#include "settings/LayoutStore.h"
#include "settings/ProgramStore.h"
#include "support/Application.h"
#include "support/Clipboard.h"
#include "support/ErrorBox.h"
#include "support/Hooks.h"
#include "support/SystemError.h"
#include "support/WindowIds.h"
#include "tray/LogonStart.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

constexpr int kHelpTitlePosition = 2;

// What changed stays marked for ten seconds.
constexpr ULONGLONG kMarkMilliseconds = 10000;

}  // namespace

frmMain::frmMain(FormServices services, InstanceMark mark)
    : m_services(std::move(services)), m_settings(SettingsOf(m_services)), m_feed(m_services, m_choice),
      m_log(LogPlacementOf(m_services), m_choice), m_tray(std::move(mark)) {}

frmMain::~frmMain() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

void frmMain::Create(HWND owner) {
    RegisterAppWindowClass(kMainWindowClass, WindowProc, true, Text(TextId::ErrMainClass).data());
    m_menu = BuildMenuBar();
    m_accelerators = BuildAccelerators();
    m_loadError = nullptr;
    const HWND hwnd = CreateFormWindow(kMainWindowClass, owner, m_menu.get(), this);
    if (m_loadError)
        std::rethrow_exception(m_loadError);
    if (!hwnd)
        ThrowLastError(std::wstring(Text(TextId::ErrMainWindow)));
}

void frmMain::Show(int showCommand, bool intoTray) {
    // Started into the notification area where the icon is there: as if just minimised there.
    if (intoTray && m_tray.StartInTray(m_restoredShow == SW_SHOWMAXIMIZED))
        return;
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
        ErrorBox::Instance().ShowCurrentError();
        return 0;
    }
}

LRESULT frmMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        OnSize(wParam);
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
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        return OnNcDestroy(wParam, lParam);
    }
    return OnSystemMessage(msg, wParam, lParam);
}

// What the timers, the notices, the icon, the shell and the session tell the window.
LRESULT frmMain::OnSystemMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case kIPv6NoticeMessage:
        m_follower.OnIPv6Notice();
        return 0;
    case kConnectivityNoticeMessage:
        m_follower.OnConnectivityNotice();
        return 0;
    case kTrayIconMessage:
        OnTrayIcon(wParam, lParam);
        return 0;
    case WM_ENDSESSION:
        OnEndSession(wParam != FALSE);
        return 0;
    case WM_TIMECHANGE:
    case WM_SETTINGCHANGE:
        // A new time zone (travel, or Windows setting it by itself) shows the leases' ends in it; the
        // leases themselves did not change, so nothing is marked or logged.
        if (const std::optional<RowsReplaced> replaced = m_lvIPs.Handle() ? m_feed.Rezone() : std::nullopt)
            m_list.Update(m_feed.Rows(), *replaced, 0);
        break;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        m_follower.OnModalLoop(msg);
        break;
    }
    // Explorer started again (or its DPI or session changed), or the program was started again.
    if (m_choice.minimizeToTray && m_tray.OnRegisteredMessage(msg, m_hwnd))
        return 0;
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
        ErrorBox::Instance().ShowCurrentError();
    }
    if (m_choice.autoRefresh)
        m_follower.Start();
    if (m_choice.minimizeToTray)
        m_tray.AddOrRestore(m_hwnd);
    return true;
}

void frmMain::CreateControls() {
    m_font = CreateFormFont();
    m_lvIPs = CreateListControl(m_hwnd, m_font.get());
    m_tbMain = CreateToolbarControl(m_hwnd, m_font.get());
    m_list.Attach(m_hwnd, m_lvIPs.Handle(), m_font.get(), m_choice);
    m_follower.Attach(m_hwnd, m_services, m_choice, [this] { return FollowTable(); });
    m_rowTip.Create(m_hwnd, m_lvIPs.Handle(), m_list, m_feed);
}

void frmMain::InitToolbar() {
    m_ilToolbar = SetUpToolbar(m_tbMain);
    OnSize();
}

void frmMain::InitListView() {
    SetUpListView(m_lvIPs);
}

void frmMain::LoadLayout() {
    const CApplication& app = CApplication::Current();
    m_restoredShow = m_services.restoreWindowPlacement(m_hwnd, kProgramSection, kPlacementName, app, kLayoutNoMinimum,
                                                       kLayoutNoMinimum, kLayoutShowAsStored, kLayoutPerUser);
    // The extra columns first, so that the stored layout finds as many columns as it keeps.
    m_choice = LoadChoice(m_settings, [&](const std::vector<int>& extras) {
        m_choice.extras = extras;
        m_list.ShowColumns();
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
    if (kind == SIZE_MINIMIZED && m_tray.Shown())
        ShowWindow(m_hwnd, SW_HIDE);
    else
        LayOut(m_hwnd, m_tbMain, m_lvIPs);
}

void frmMain::OnCommand(UINT id) {
    if (const ToolbarButton* button = ButtonOfCommand(id))
        return tbMain_ButtonClick(button->key);
    // Each menu array's handler, by the array's number: the titles have none.
    using Handler = void (frmMain::*)(int);
    static constexpr Handler kHandlers[] = {nullptr, &frmMain::mnuFile_Click, &frmMain::mnuEdit_Click,
                                            &frmMain::mnuHelp_Click, &frmMain::mnuList_Click, &frmMain::mnuColumn_Click,
                                            &frmMain::mnuTray_Click};
    static_assert(std::size(kHandlers) == kMenuArrayCount, "a menu array without its handler");
    const UINT array = id / kMenuIdBase;
    if (array < kMenuArrayCount && kHandlers[array])
        (this->*kHandlers[array])(static_cast<int>(id % kMenuIdBase));
}

void frmMain::OnTimer(UINT_PTR id) {
    if (!m_tray.OnTimer(id, m_feed.Names()) && !m_follower.OnTimer(id) && id == kMarkTimer)
        m_list.ExpireMarks();
}

LRESULT frmMain::OnNotify(NMHDR& header) {
    if (m_rowTip.Notify(header))
        return 0;
    if (header.hwndFrom == m_lvIPs.Handle() && header.code == LVN_COLUMNCLICK) {
        SortBy(m_list.ColumnId(reinterpret_cast<NMLISTVIEW&>(header).iSubItem));
        return 0;
    }
    if (header.hwndFrom == m_lvIPs.Handle())
        return m_list.OnNotify(header);
    AnswerToolbarTip(m_tbMain, header);
    return 0;
}

// A right click on the list, Shift+F10 or the menu key: the list's commands beside the pointer,
// or for a key, beside the selected row. On the list's header: the extra columns.
void frmMain::OnContextMenu(HWND from, LPARAM position) {
    const POINT at = ContextMenuPoint(m_lvIPs, position);
    if (const std::optional<int> column = HeaderColumnAt(m_lvIPs, from, position)) {
        const std::wstring header = ColumnHeader(m_lvIPs.Handle(), m_menuColumn = *column);
        return TrackMenu(BuildColumnsMenu(m_choice, *column >= 0 ? &header : nullptr).get(), at);
    }
    if (from != m_lvIPs.Handle())
        return;
    // The row's interface by its name, where the row has one that the adapters know.
    const ListRow* chosen = RowOf(m_lvIPs.GetSelected());
    const std::optional<AdapterInfo> adapter = chosen ? m_feed.InterfaceOf(chosen->key) : std::nullopt;
    m_menuInterface.reset();
    if (adapter && !adapter->adapterName.empty())
        m_menuInterface = adapter->adapterName;
    TrackMenu(BuildContextMenu(m_choice, m_menuInterface ? &adapter->friendlyName : nullptr).get(), at);
}

void frmMain::TrackMenu(HMENU menu, POINT at) {
    Hooks().trackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_hwnd);
}

// The icon shows the window and opens its menu itself; a click on the notice shows the log too.
void frmMain::OnTrayIcon(WPARAM wParam, LPARAM lParam) {
    const auto menu = [this] { return BuildTrayMenu(!m_feed.Primary().empty()); };
    if (m_tray.OnMessage(wParam, lParam, menu) == TrayIcon::Request::ShowLog)
        ShowLog();
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

void frmMain::RunCommand(MenuRef ref) {
    if (const MenuItem* item = FindMenuItem(ref); item && item->run)
        item->run(*this, ref.index);
}

void frmMain::mnuFile_Click(int index) {
    RunCommand({MenuArray::File, index});
}

void frmMain::mnuEdit_Click(int index) {
    RunCommand({MenuArray::Edit, index});
}

void frmMain::mnuHelp_Click(int index) {
    RunCommand({MenuArray::Help, index});
}

void frmMain::mnuList_Click(int index) {
    RunCommand({MenuArray::List, index});
}

void frmMain::mnuTray_Click(int index) {
    RunCommand({MenuArray::Tray, index});
}

// A tick of an extra column's item: the column is added at the right end, or taken away, and a
// sort by a column that went is the table's own order.
void frmMain::mnuColumn_Click(int column) {
    if (column < static_cast<int>(kBaseColumnCount) || column >= static_cast<int>(kColumnCount))
        return;
    Choose([column](ViewChoice& next) {
        if (!next.Shows(column))
            return next.extras.push_back(column);
        std::erase(next.extras, column);
        if (next.sort.column == column)
            next.sort = StoredListSort{};
    });
}

void frmMain::tbMain_ButtonClick(std::wstring_view key) {
    if (const ToolbarButton* button = ButtonOfKey(key))
        RunCommand(button->item);
}

// A new menu bar in place of the old, which goes; the toolbar's buttons added again, so that each is
// as wide as its new caption, and the list laid out under them; the tips are asked for as shown.
void frmMain::Relabel() {
    if (!m_hwnd)
        return;
    m_rowTip.Hide();
    ReplaceMenuBar(m_hwnd, BuildMenuBar());
    m_services.setMenuJustify(m_hwnd, kHelpTitlePosition, true);
    AppendExitShortcut(GetMenu(m_hwnd));
    RelabelToolbar(m_tbMain);
    OnSize();
    if (m_choice.minimizeToTray)
        m_tray.ShowRead(m_feed, TableUpdate{}, false);
    m_log.Relabel();
}

void frmMain::RefreshList() {
    BusyCursor busy;
    m_rowTip.Hide();
    m_feed.ForgetInterfaces();
    ShowUpdate(ReadFeed(TableRows::Mode::Anew), ListShow::Fill);
}

// A read that fails leaves an empty list rather than an old one, and nothing to compare with.
TableUpdate frmMain::ReadFeed(TableRows::Mode mode) {
    try {
        return m_feed.Read(mode);
    } catch (...) {
        m_feed.Clear();
        m_list.Fill(m_feed.Rows());
        throw;
    }
}

// The follower's re-read: what changed, shown in place and marked; a read that fails leaves the
// list as it is, and the next tick tries again. Answers what the read took.
ULONGLONG frmMain::FollowTable() {
    ULONGLONG spent = 0;
    if (!m_lvIPs.Handle())
        return spent;
    try {
        TableUpdate update = m_feed.Read(TableRows::Mode::Again, &spent);
        if (update.changed)
            ShowUpdate(std::move(update), ListShow::Mark);
    } catch (...) {
    }
    return spent;
}

// What a read found goes to the list first, which shows the feed's rows as they are now, then to
// the icon's look and tip and to the notice while the window is hidden in the notification area,
// and to the log, which keeps the lines.
void frmMain::ShowUpdate(TableUpdate update, ListShow how) {
    switch (how) {
    case ListShow::Fill:
        m_list.Fill(m_feed.Rows());
        break;
    case ListShow::Refill:
        m_list.Refill(m_feed.Rows(), update.replaced);
        break;
    case ListShow::Mark:
        // The row under the pointer may be another one now, with another interface.
        if (m_list.Update(m_feed.Rows(), update.replaced, GetTickCount64() + kMarkMilliseconds))
            m_rowTip.Hide();
        break;
    }
    if (m_choice.minimizeToTray)
        m_tray.ShowRead(m_feed, update, m_choice.notifyChanges && !IsWindowVisible(m_hwnd));
    m_log.Add(std::move(update.lines));
}

void frmMain::SortBy(int column) {
    BusyCursor busy;
    m_rowTip.Hide();
    // The sort is the view's own, kept as the window closes.
    m_choice.sort = NextSort(m_choice.sort, column);
    m_list.Resort();
}

// A choice of the context menu is stored first, so that a store that fails leaves the choice,
// its tick and what it governs as they were.
void frmMain::Choose(const std::function<void(ViewChoice&)>& change) {
    ViewChoice next = m_choice;
    change(next);
    StoreChoice(m_settings, m_choice, next);
    Chosen(std::exchange(m_choice, std::move(next)));
}

// What a change of the view's choice changes: the follower, the list's and the log's columns, the
// icon and its notices, and the rows, read again where the choice reads others.
void frmMain::Chosen(const ViewChoice& before) {
    m_follower.ChoiceChanged();
    if (m_choice.extras != before.extras) {
        m_list.ShowColumns();
        m_log.ColumnsChanged();
    }
    if (before.minimizeToTray && !m_choice.minimizeToTray)
        m_tray.Remove();
    if (before.notifyChanges && !m_choice.notifyChanges)
        m_tray.DropBurst();
    if (before.autoRefresh != m_choice.autoRefresh) {
        if (!m_choice.autoRefresh)
            return m_follower.Stop();
        m_follower.Start();
        FollowTable();
    }
    if (TableChoiceOf(m_choice) == TableChoiceOf(before))
        return;
    // The interfaces are read for the tip while the icon is there, and only then; the icon comes
    // with its tip, also when the table cannot be read.
    struct IconAfter {
        frmMain& form;
        bool comes;
        ~IconAfter() {
            if (comes)
                form.m_tray.AddOrRestore(form.m_hwnd);
        }
    } icon{*this, m_choice.minimizeToTray && !before.minimizeToTray};
    // The list read again as F5 reads it, keeping the row the user had chosen; a read that fails
    // empties it as F5's does, and says why.
    BusyCursor busy;
    m_rowTip.Hide();
    ShowUpdate(ReadFeed(TableRows::Mode::Again), ListShow::Refill);
}

}  // namespace netpeek
