#pragma once
// The program's one window: a toolbar, a menu bar and the list of interface addresses.

#include <windows.h>

#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "mainwindow/FormServices.h"
#include "mainwindow/FormTables.h"
#include "mainwindow/ListUpdate.h"
#include "mainwindow/RowTooltip.h"
#include "support/Controls.h"
#include "support/Handles.h"
#include "support/LayoutText.h"

namespace netpeek {

// Sizes as designed, in twips (1/1440 inch).
inline constexpr int kFormClientWidthTwips = 9675;
inline constexpr int kFormClientHeightTwips = 5055;

// Twips to pixels at the system's DPI.
int TwipsToPixels(int twips);

class frmMain {
public:
    explicit frmMain(FormServices services = FormServices::Real());
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Creates the window, owned by `owner`, and runs the load sequence; the window is not
    // shown yet. Throws when it cannot be created or loaded.
    void Create(HWND owner);
    // Shows the window for the first time: maximised when it was closed maximised.
    void Show(int showCommand);

    HWND Handle() const { return m_hwnd; }
    HWND ListView() const { return m_lvIPs.Handle(); }
    HWND Toolbar() const { return m_tbMain.Handle(); }
    HIMAGELIST ImageList() const { return m_ilToolbar.get(); }

    // The window's key preview and menu shortcuts, for the message loop: true when the
    // message was handled and must not be dispatched.
    bool PreTranslateMessage(MSG& msg);

    // Item handlers, dispatching on the item's index.
    void mnuFile_Click(int index);
    void mnuEdit_Click(int index);
    void mnuHelp_Click(int index);
    void mnuList_Click(int index);
    // Dispatches by the clicked button's key, compared exactly, to the matching item.
    void tbMain_ButtonClick(std::wstring_view key);
    // Key preview; shift is Shift 1 | Ctrl 2 | Alt 4.
    void Form_KeyDown(int keyCode, int shift);

    void RefreshList();
    // Sorts the list by the column with that index, as a click on its header does; the row
    // the user had selected stays selected, focused and in view.
    void SortBy(int column);
    // The snapshot's row that the list's item shows, or null.
    const CIPAddrRow* RowOf(int item) const;

    // Reads the table again and shows what changed in place, marked; quiet on any failure,
    // and nothing at all when the table is as shown. The timer and the change notice call it.
    void UpdateFromTable();
    // The event IP Helper signals when the table changes, while a notice is pending; else null.
    HANDLE NoticeEvent() const;
    // The message loop saw that event: ask for the next notice, and update once the burst is over.
    void OnAddressNotice();

    // The dedication passed to the About window.
    static constexpr wchar_t kDedication[] = L"Друзьям";

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void ShowEventError();

    bool OnCreate();
    void OnSize();
    void OnTimer(UINT_PTR id);
    void OnCommand(UINT id);
    LRESULT OnNotify(NMHDR& header);
    LRESULT OnListCustomDraw(NMLVCUSTOMDRAW& draw);
    void OnContextMenu(HWND from, LPARAM position);
    void OnEndSession(bool ending);
    void OnDestroy();
    LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);

    // A row of the list as the user chose it: its key, and which of the rows with that key it
    // is (an address the table lists twice on one interface), counted from the top.
    struct PlacedRow {
        RowKey key;
        int occurrence = 0;
    };
    // Which rows the user had chosen and was looking at, to find them again after the items change.
    struct ListPlace {
        std::optional<PlacedRow> selected, focused, top;
    };
    std::optional<PlacedRow> PlacedRowOf(int item) const;
    ListPlace RememberPlace() const;
    int ItemOf(const PlacedRow& row) const;
    void SelectAgain(const ListPlace& place);

    void KeepTopRow(const ListPlace& place);

    void FillList();
    void ApplyRows(CIPAddrList rows);
    bool Busy() const;
    void OnRereadTimer();
    void StartFollowing();
    void StopFollowing();
    void ArmNotice();
    void WithdrawNotice();
    void ToggleAutoRefresh();
    void Mark(const RowKey& key, CellSet cells, ULONGLONG until);
    CellSet MarkedCells(int item) const;
    void ExpireMarks();
    void ScheduleMarkExpiry();
    void ShowSortArrow();
    void CreateControls();
    void ExtendExitCaption();
    void InitToolbar();
    void InitListView();
    void LoadLayout();
    void SaveLayout();
    void ExportList();
    void CopyToClipboard();
    void Exit();

    FormServices m_services;
    HWND m_hwnd = nullptr;
    ListViewCtrl m_lvIPs;
    ToolbarCtrl m_tbMain;
    RowTooltip m_rowTip;  // names the interface of the row under the pointer
    UniqueMenu m_menu;  // owned here until the window is created with it
    UniqueFont m_font;
    UniqueFont m_markFont;  // the list's font in bold, for what changed
    COLORREF m_markText = 0, m_markBack = 0;  // and its colours, chosen as each paint starts
    UniqueImageList m_ilToolbar;
    UniqueAccel m_accelerators;
    CIPAddrList m_rows;      // the last snapshot, in the table's own order, for sorting by value
    CIPAddrList m_shown;     // the same rows in the order the list shows them: item i is m_shown[i]
    StoredListSort m_sort;   // what the list is sorted by

    // Following the table: the change notice and the periodic re-read, while switched on.
    // A request for the notice: Windows holds its OVERLAPPED and signals its event from the
    // moment it is made until it has ended, so it lives at least that long.
    struct NoticeRequest {
        OVERLAPPED overlapped{};
        UniqueEvent event;
        HANDLE device = nullptr;  // IP Helper's handle of the request, not ours to close
    };
    struct CellMark {
        CellSet cells;
        ULONGLONG until;  // GetTickCount64 when the mark goes
    };
    struct RowKeyHash {
        std::size_t operator()(const RowKey& key) const;
    };
    bool m_autoRefresh = true;
    std::unique_ptr<NoticeRequest> m_notice;  // the request pending, or the one to make next
    bool m_noticeArmed = false;
    UINT m_noticeBackOff = 0;      // the wait before asking again after a notice ended in an error
    bool m_noticeWaiting = false;  // that wait is on
    std::vector<std::unique_ptr<NoticeRequest>> m_withdrawn;  // cancelled but not yet ended: never reused
    ULONGLONG m_rereadDue = 0;     // by the services' clock; 0 for at the next tick
    std::unordered_map<RowKey, CellMark, RowKeyHash> m_marks;  // rows new or changed since the last F5
    CellSet m_drawnMarks = 0;      // the marks of the item being drawn, asked for once per item
    int m_busy = 0;                // a command is running, perhaps in a dialog: no update now
    bool m_inMenuLoop = false;     // a menu of the menu bar is open
    bool m_inSizeMove = false;     // the window is being moved or sized
    int m_restoredShow = 0;  // what restoring the placement asks the first showing to be; 0 for nothing
    bool m_loaded = false;   // the load sequence ran to its end, so there is a layout to save
    std::exception_ptr m_loadError;
};

}  // namespace netpeek
