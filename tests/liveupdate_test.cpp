// The list following the table by itself, in-process: the change notice through the real
// message loop, the update in place, the marks, and switching it off.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "mainwindow/frmMain.h"
#include "startup/modMain.h"
#include "support/Hooks.h"
#include "tests/FormRecorder.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

CIPAddrList Rows(const std::vector<RawRow>& raw) {
    return DecodeAddrTable(TableBytes(raw));
}

std::wstring Cell(HWND list, int item, int column) {
    wchar_t text[64] = {};
    ListViewCtrl(list).GetItemText(item, column, text, 64);
    return text;
}

// One stage of the list's custom draw as the window answers it: its answer, and the background
// it chose for the cell.
std::pair<LRESULT, COLORREF> Draw(frmMain& form, DWORD stage, int item, int column) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = form.ListView();
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = stage;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
    draw.iSubItem = column;
    draw.clrTextBk = CLR_NONE;
    const HDC dc = GetDC(form.ListView());
    draw.nmcd.hdc = dc;
    const LRESULT answer = SendMessageW(form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
    ReleaseDC(form.ListView(), dc);
    return {answer, draw.clrTextBk};
}

// The background a cell is drawn on, as the window answers the list's custom draw.
COLORREF CellBackground(frmMain& form, int item, int column) {
    COLORREF background = CLR_NONE;
    for (DWORD stage : {DWORD{CDDS_PREPAINT}, DWORD{CDDS_ITEMPREPAINT}, DWORD{CDDS_ITEMPREPAINT | CDDS_SUBITEM}}) {
        const auto [answer, chosen] = Draw(form, stage, item, column);
        background = chosen;
        if (answer == CDRF_DODEFAULT)
            break;
    }
    return background;
}

// Whether the window's timer with that id is running (it is set again as it was).
bool TimerRuns(HWND window, UINT_PTR id, UINT milliseconds) {
    if (!KillTimer(window, id))
        return false;
    SetTimer(window, id, milliseconds, nullptr);
    return true;
}

int Reads(const std::vector<std::wstring>& calls) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), L"GetIPAddresses"));
}

int g_listMessages = 0;
HWND g_watchedList = nullptr;
LRESULT CALLBACK CountListMessages(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && reinterpret_cast<CWPSTRUCT*>(lParam)->hwnd == g_watchedList)
        ++g_listMessages;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HANDLE g_notice = nullptr;
void CALLBACK SignalAgain(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetEvent(g_notice);
}
void CALLBACK Quit(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(0);
}

class LiveUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        Hooks().messageBox = [this](HWND, const std::wstring& text, const std::wstring&, UINT) {
            boxes.push_back(text);
            return IDOK;
        };
        raw = NumberedRows(60);
        recorder.rows = Rows(raw);
        form = std::make_unique<frmMain>(recorder.Services());
        form->Create(nullptr);
        recorder.Take();
    }
    void TearDown() override {
        form.reset();
        Hooks() = SystemHooks();
    }

    std::vector<RawRow> raw;
    FormRecorder recorder;
    std::vector<std::wstring> boxes;
    std::unique_ptr<frmMain> form;
};

}  // namespace

// Two notices in a burst through the real message loop give one re-read; the list changes in
// place: the user's row stays selected and at the same place on screen, what is new or changed
// is marked until F5, and closing withdraws the notice.
TEST_F(LiveUpdate, ANoticeUpdatesInPlaceKeepingTheUsersPlaceAndMarksWhatChanged) {
    const ListViewCtrl list(form->ListView());
    list.SetItemState(30, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(59);
    list.EnsureVisible(20);
    const int top = list.GetTopIndex();
    ASSERT_GT(top, 5);
    ASSERT_NE(recorder.notice, nullptr);

    RawRow added = raw[0];
    added.addr = {9, 0, 0, 1};  // first in the table's order
    raw.erase(raw.begin() + 50);
    raw[40].mask = {255, 255, 0, 0};  // was row 41
    raw.insert(raw.begin(), added);
    recorder.rows = Rows(raw);
    g_notice = recorder.notice->hEvent;
    SetEvent(g_notice);
    SetTimer(nullptr, 0, 100, SignalAgain);
    SetTimer(nullptr, 0, 900, Quit);
    modMain::RunMessageLoop(*form);

    const auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"GetIPAddresses"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"NotifyAddrChange"), 2) << "armed again after each notice";
    ASSERT_EQ(list.GetItemCount(), 60);
    EXPECT_EQ(Cell(list.Handle(), 0, 1), L"9.0.0.1");
    EXPECT_EQ(Cell(list.Handle(), 51, 1), L"10.0.51.1") << "10.0.50.1 went";
    EXPECT_EQ(Cell(list.Handle(), 41, 2), L"255.255.0.0");
    EXPECT_EQ(list.GetSelected(), 31);
    EXPECT_EQ(list.GetFocused(), 31);
    EXPECT_EQ(form->RowOf(31)->key.index, 31u) << "the same row stays selected";
    EXPECT_EQ(list.GetTopIndex(), top + 1) << "the row at the top stays at the top";
    EXPECT_TRUE(boxes.empty());

    // Marked on a background of its own, also where the theme's tooltip colour is the list's.
    const COLORREF marked = CellBackground(*form, 0, 3);
    EXPECT_NE(marked, GetSysColor(COLOR_WINDOW));
    EXPECT_NE(marked, CLR_DEFAULT);
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(CellBackground(*form, 0, column), marked) << "a new row is marked whole";
    EXPECT_EQ(CellBackground(*form, 41, 2), marked);
    EXPECT_NE(CellBackground(*form, 41, 1), marked) << "only the changed cell";
    EXPECT_NE(CellBackground(*form, 5, 2), marked);
    // The marks are looked up once per row, as its item starts; its cells take that answer.
    EXPECT_EQ(Draw(*form, CDDS_ITEMPREPAINT, 0, 0).first, CDRF_NOTIFYSUBITEMDRAW);
    EXPECT_EQ(Draw(*form, CDDS_ITEMPREPAINT | CDDS_SUBITEM, 5, 3).second, marked);
    form->RefreshList();
    EXPECT_NE(CellBackground(*form, 0, 3), marked) << "F5 clears the marks";

    recorder.Take();
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(recorder.Take().front(), L"CancelIPChangeNotify");
}

// An unchanged table sends the list not one message; a read that fails leaves the rows and
// shows no box.
TEST_F(LiveUpdate, AnUnchangedTableChangesNothingAndAFailedReadLosesNothing) {
    g_watchedList = form->ListView();
    g_listMessages = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountListMessages, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    form->UpdateFromTable();
    const int unchanged = g_listMessages;
    recorder.snapshotFails = true;
    form->UpdateFromTable();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(unchanged, 0);
    EXPECT_EQ(g_listMessages, 0);
    EXPECT_EQ(ListViewCtrl(form->ListView()).GetItemCount(), 60);
    EXPECT_EQ(recorder.Take(), (std::vector<std::wstring>{L"GetIPAddresses", L"GetIPAddresses"}));
    EXPECT_TRUE(boxes.empty());
}

// A notice that ends in an error is no change of the table: five in a row read nothing and are
// asked for again only after a pause that grows.
TEST_F(LiveUpdate, ANoticeEndingInAnErrorReadsNothingAndIsAskedForAgainSlowly) {
    KillTimer(form->Handle(), 1);  // only the notice in play
    ASSERT_NE(recorder.notice, nullptr);
    recorder.noticeEnds = ERROR_NETWORK_UNREACHABLE;
    recorder.noticesFailingAtOnce = 4;
    SetEvent(recorder.notice->hEvent);
    SetTimer(nullptr, 0, 1500, Quit);
    modMain::RunMessageLoop(*form);
    const auto calls = recorder.Take();
    EXPECT_EQ(Reads(calls), 0);
    const auto arms = std::count(calls.begin(), calls.end(), L"NotifyAddrChange");
    EXPECT_GE(arms, 1) << "asked for again";
    EXPECT_LE(arms, 2) << "but not at once";
    EXPECT_EQ(recorder.armedWhilePending, 0);
}

// The context menu's check switches following off and on; the choice is stored at once and the
// next start keeps it: no notice, and the list changes only with F5.
TEST_F(LiveUpdate, SwitchedOffTheListFollowsOnlyF5AndTheNextStartKeepsIt) {
    const UINT item = MenuCommandId(MenuArray::List, 2);
    UINT checked = 0;
    Hooks().trackPopupMenu = [&](HMENU menu, UINT, int, int, HWND) {
        checked = GetMenuState(menu, item, MF_BYCOMMAND) & MF_CHECKED;
        return TRUE;
    };
    const auto contextMenu = [&] {
        SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->ListView()), MAKELPARAM(5, 5));
        return checked != 0;
    };
    EXPECT_TRUE(contextMenu());
    // A choice that cannot be stored changes nothing: the tick, the re-read and the notice stay.
    recorder.writeFailures = 1;
    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(contextMenu());
    EXPECT_TRUE(TimerRuns(form->Handle(), 1, 2000));
    EXPECT_NE(form->NoticeEvent(), nullptr);
    EXPECT_EQ(recorder.pending.size(), 1u);
    recorder.Take();

    // Off: the pending notice is withdrawn and waited for until it has ended.
    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_FALSE(contextMenu());
    EXPECT_EQ(recorder.values[L"Auto Refresh"], L"0");
    EXPECT_EQ(form->NoticeEvent(), nullptr);
    EXPECT_FALSE(TimerRuns(form->Handle(), 1, 2000));
    EXPECT_EQ(recorder.Take(), (std::vector<std::wstring>{L"WriteValue [] Auto Refresh 0 Netpeek true",
                                                           L"CancelIPChangeNotify", L"GetOverlappedResult wait"}));
    EXPECT_TRUE(recorder.pending.empty());
    // On again: one notice, on an OVERLAPPED that Windows no longer holds.
    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_TRUE(contextMenu());
    EXPECT_EQ(std::count(recorder.calls.begin(), recorder.calls.end(), L"NotifyAddrChange"), 1);
    EXPECT_EQ(recorder.armedWhilePending, 0);
    EXPECT_TRUE(TimerRuns(form->Handle(), 1, 2000));
    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_EQ(recorder.values[L"Auto Refresh"], L"0");
    EXPECT_TRUE(boxes.size() == 1u && recorder.pending.empty());
    recorder.Take();

    form = std::make_unique<frmMain>(recorder.Services());
    form->Create(nullptr);
    const auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"NotifyAddrChange"), 0);
    EXPECT_FALSE(contextMenu());
    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_TRUE(contextMenu());
    EXPECT_EQ(recorder.values[L"Auto Refresh"], L"1");
    EXPECT_NE(form->NoticeEvent(), nullptr);
}

// A timer that fires inside a command's dialog (here the export's) waits: the export writes the
// list as it stood when its dialog closed. Afterwards the next tick reads the table again.
TEST_F(LiveUpdate, NoUpdateRunsInsideACommand) {
    FormServices services = recorder.Services();
    services.exportList = [&](HWND owner, HWND) {
        recorder.calls.push_back(L"ExportList");
        SendMessageW(owner, WM_TIMER, 1, 0);
    };
    form = std::make_unique<frmMain>(services);
    form->Create(nullptr);
    recorder.Take();
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::File, 0), 0);
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"ExportList"});
    SendMessageW(form->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetIPAddresses"});

    // Nor behind the box of a command that failed, ...
    recorder.snapshotFails = true;
    Hooks().messageBox = [&](HWND, const std::wstring&, const std::wstring&, UINT) {
        SendMessageW(form->Handle(), WM_TIMER, 1, 0);
        SendMessageW(form->Handle(), WM_TIMER, 2, 0);
        return IDOK;
    };
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::Edit, 0), 0);
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetIPAddresses"}) << "F5's read alone";
    recorder.snapshotFails = false;
    // ... nor while a menu of the menu bar is open or the window is moved or sized.
    for (const auto& [enter, leave] : {std::pair{WM_ENTERMENULOOP, WM_EXITMENULOOP},
                                       std::pair{WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}}) {
        SendMessageW(form->Handle(), enter, FALSE, 0);
        SendMessageW(form->Handle(), WM_TIMER, 1, 0);
        EXPECT_TRUE(recorder.Take().empty());
        SendMessageW(form->Handle(), leave, FALSE, 0);
        SendMessageW(form->Handle(), WM_TIMER, 1, 0);
        EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetIPAddresses"});
    }
}

// The rows behind the list are the table's latest, also where it changed only in what the list
// does not show; and of two rows alike in interface and address, the one the user chose stays chosen.
TEST_F(LiveUpdate, TheRowsBehindTheListAreTheLatestAndTheChosenOfTwoAlikeStaysChosen) {
    raw[21] = raw[20];
    raw[21].mask = {255, 0, 0, 0};
    recorder.rows = Rows(raw);
    form->RefreshList();
    const ListViewCtrl list(form->ListView());
    list.SetItemState(21, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    raw[40].mask = {255, 255, 0, 0};
    recorder.rows = Rows(raw);
    form->UpdateFromTable();
    EXPECT_EQ(list.GetSelected(), 21);
    EXPECT_EQ(list.GetFocused(), 21);
    const COLORREF marked = CellBackground(*form, 40, 2);

    raw[30].type |= 0x10;  // a bit with no label
    raw[31].unused = 7;
    recorder.rows = Rows(raw);
    g_watchedList = form->ListView();
    g_listMessages = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountListMessages, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    form->UpdateFromTable();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_listMessages, 0) << "nothing shown changed";
    for (std::size_t item : {30u, 31u})
        EXPECT_EQ(*form->RowOf(static_cast<int>(item)), ToListRow(recorder.rows[item]));
    for (int item : {30, 31})
        EXPECT_NE(CellBackground(*form, item, 5), marked);
}

// A read of the table that takes long puts the next re-read off by a hundred times its time, so
// that following a big table costs at most a hundredth of a core; a notice still reads at once.
TEST_F(LiveUpdate, ASlowReadPutsTheNextReReadOffAHundredTimesItsTime) {
    recorder.clock = 1000000;
    const auto tick = [&](WPARAM timer) {
        *recorder.clock += 2000;
        SendMessageW(form->Handle(), WM_TIMER, timer, 0);
        return Reads(recorder.Take());
    };
    recorder.readCost = 600;  // a thousand addresses under Wine
    EXPECT_EQ(tick(1), 1);
    int reads = 0;
    for (int i = 0; i < 29; ++i)
        reads += tick(1);
    EXPECT_EQ(reads, 0) << "58 of the 60 seconds";
    EXPECT_EQ(tick(1), 1);
    recorder.readCost = 5;
    EXPECT_EQ(tick(2), 1) << "a notice reads at once";
    EXPECT_EQ(tick(1), 1) << "quick again: every two seconds";
    recorder.readCost = 30;
    EXPECT_EQ(tick(1), 1);
    EXPECT_EQ(tick(1), 0);
    EXPECT_EQ(tick(1), 1);
}
