#pragma once
// The program's one window: a toolbar, a menu bar and the list of interface addresses.

#include <windows.h>

#include <exception>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "changelog/ChangeLog.h"
#include "feed/TableFollower.h"
#include "feed/MessageWait.h"
#include "feed/TableFeed.h"
#include "mainwindow/AddressList.h"
#include "mainwindow/FormControls.h"
#include "mainwindow/FormServices.h"
#include "mainwindow/FormTables.h"
#include "mainwindow/RowTooltip.h"
#include "settings/Settings.h"
#include "support/Controls.h"
#include "support/Handles.h"
#include "support/LayoutText.h"
#include "tray/TrayIcon.h"

namespace netpeek {

class frmMain {
public:
    // `mark`: the one icon's mark, where the start took it before the window was there.
    explicit frmMain(FormServices services = FormServices::Real(), InstanceMark mark = {});
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Creates the window, owned by `owner`, and runs the load sequence; the window is not
    // shown yet. Throws when it cannot be created or loaded.
    void Create(HWND owner);
    // Shows the window for the first time: maximised when it was closed maximised. `intoTray`
    // (/tray) keeps it hidden beside its icon, as if just minimised there, where the icon is
    // there; without the icon it is shown as ever.
    void Show(int showCommand, bool intoTray = false);

    HWND Handle() const { return m_hwnd; }
    HWND ListView() const { return m_lvIPs.Handle(); }
    HWND Toolbar() const { return m_tbMain.Handle(); }
    HIMAGELIST ImageList() const { return m_ilToolbar.get(); }
    // The log of changes, whose window is made the first time it is shown.
    const ChangeLog& Log() const { return m_log; }

    // The window's key preview and menu shortcuts, for the message loop: true when the
    // message was handled and must not be dispatched.
    bool PreTranslateMessage(MSG& msg);

    // Item handlers: each runs the command the table declares for the item of its array.
    void mnuFile_Click(int index);
    void mnuEdit_Click(int index);
    void mnuHelp_Click(int index);
    void mnuList_Click(int index);
    void mnuTray_Click(int index);
    void mnuColumn_Click(int column);
    // Runs the item that the table names for the button with that key, compared exactly.
    void tbMain_ButtonClick(std::wstring_view key);
    // Key preview; shift is Shift 1 | Ctrl 2 | Alt 4.
    void Form_KeyDown(int keyCode, int shift);

    void RefreshList();
    // Sorts the list by the column with that index, as a click on its header does; the row
    // the user had selected stays selected, focused and in view.
    void SortBy(int column);
    // The row that the list's item shows, or null.
    const ListRow* RowOf(int item) const { return m_list.RowOf(item); }

    // Reads the table again and shows what changed in place, marked; quiet on any failure,
    // and nothing at all when the table is as shown. The timer and the change notice call it.
    void UpdateFromTable() { m_follower.UpdateNow(); }
    // The event IP Helper signals when the table changes, while a notice is pending; else null.
    HANDLE NoticeEvent() const { return m_follower.NoticeEvent(); }
    // The message loop's wait: true once a message is there; the table's change notice, as it comes
    // meanwhile, is followed.
    bool WaitForMessages() { return netpeek::WaitForMessages(m_follower); }

    // Every text of the window, its menus, toolbar, icon and log window in the language now in use;
    // the list, its selection, columns and sort stay as they are.
    void Relabel();

private:
    // The command table's handlers, each a short step into the object owning the concern.
    friend struct FormCommands;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // What the timers, the notices, the icon, the shell and the session tell the window.
    LRESULT OnSystemMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnCreate();
    void OnSize(WPARAM kind = SIZE_RESTORED);
    void OnTimer(UINT_PTR id);
    void OnCommand(UINT id);
    LRESULT OnNotify(NMHDR& header);
    void OnContextMenu(HWND from, LPARAM position);
    void TrackMenu(HMENU menu, POINT at);
    void OnTrayIcon(WPARAM wParam, LPARAM lParam);
    void OnEndSession(bool ending);
    void OnDestroy();
    LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void InitToolbar();
    void InitListView();
    void LoadLayout();
    void SaveLayout();

    // How the list shows a read: emptied and filled (F5), filled keeping the chosen row (another
    // choice), or only what changed, marked (the table followed).
    enum class ListShow { Fill, Refill, Mark };
    TableUpdate ReadFeed(TableRows::Mode mode);
    ULONGLONG FollowTable();
    void ShowUpdate(TableUpdate update, ListShow how);

    // Changes the view's choice as `change` does to a copy of it, once that is stored.
    void Choose(const std::function<void(ViewChoice&)>& change);
    // Runs the command of that item, where the table declares one.
    void RunCommand(MenuRef item);
    void Chosen(const ViewChoice& before);
    void ShowLog() { m_log.Show(m_hwnd, m_font.get()); }
    void Exit() { DestroyWindow(m_hwnd); }

    FormServices m_services;
    SettingsStore m_settings;  // the program's key, through the services
    ViewChoice m_choice;       // what the user chose of the view, which the list, the log and the follower show
    HWND m_hwnd = nullptr;
    ListViewCtrl m_lvIPs;
    ToolbarCtrl m_tbMain;
    RowTooltip m_rowTip;  // names the interface of the row under the pointer
    UniqueMenu m_menu;  // owned here until the window is created with it
    UniqueFont m_font;
    UniqueImageList m_ilToolbar;
    UniqueAccel m_accelerators;
    AddressList m_list;      // the rows behind the list, its order and its marks
    TableFeed m_feed;        // the table as the user chose it, and what changed
    TableFollower m_follower;   // the notice and the re-read, while it does
    std::optional<std::wstring> m_menuInterface;  // the AdapterName of the row the context menu is about
    int m_menuColumn = -1;  // the column whose header's menu is open, by index
    int m_restoredShow = 0;  // what restoring the placement asks the first showing to be; 0 for nothing
    bool m_loaded = false;   // the load sequence ran to its end, so there is a layout to save
    std::exception_ptr m_loadError;
    ChangeLog m_log;                // every change since the start
    TrayIcon m_tray;
};

}  // namespace netpeek
