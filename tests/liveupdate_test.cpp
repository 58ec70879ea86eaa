// The window following the table, in-process: the change notice through the program's message
// loop, quiet reads, the switch and its stored value, and commands and boxes holding updates off.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>

#include "export/ListTexts.h"
#include "mainwindow/FormTables.h"
#include "mainwindow/frmMain.h"
#include "startup/modMain.h"
#include "support/Hooks.h"
#include "support/WindowIds.h"
#include "tests/FormRecorder.h"
#include "tests/ListMessages.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

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
        recorder.rows = DecodeAddrTable(TableBytes(raw));
        form = std::make_unique<frmMain>(recorder.Services());
        form->Create(nullptr);
        recorder.Take();
    }
    void TearDown() override {
        form.reset();
        Hooks() = SystemHooks();
    }

    std::vector<RawRow> raw = NumberedRows(60);
    FormRecorder recorder;
    std::vector<std::wstring> boxes;
    std::unique_ptr<frmMain> form;
};

}  // namespace

// A notice through the program's message loop updates the list. An unchanged table sends the list
// not one message; a read that fails leaves the rows and shows no box; and the read's time, by the
// services' clock, puts the next re-read off.
TEST_F(LiveUpdate, ANoticeUpdatesTheListAndAQuietReadChangesNothing) {
    raw.push_back(raw[0]);
    raw.back().addr = {9, 0, 0, 1};
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    SetEvent(recorder.notice->hEvent);
    SetTimer(nullptr, 0, 900, Quit);
    modMain::RunMessageLoop(*form);
    const auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"GetIPAddresses"), 1);

    recorder.clock = 1000000;
    recorder.readCost = 600;
    int sent = 0;
    {
        const ListMessages messages(form->ListView());
        ASSERT_TRUE(messages.Hooked());
        form->UpdateFromTable();
        EXPECT_EQ(messages.Sent(), 0) << "the table as shown";
        recorder.snapshotFails = true;
        form->UpdateFromTable();
        sent = messages.Sent();
    }
    *recorder.clock += 2000;
    SendMessageW(form->Handle(), WM_TIMER, 1, 0);  // too soon after a read of 600 ms
    EXPECT_EQ(sent, 0) << "a read that failed";
    EXPECT_EQ(ListViewCtrl(form->ListView()).GetItemCount(), 61);
    EXPECT_EQ(recorder.Take(), (std::vector<std::wstring>{L"GetIPAddresses", L"GetIPAddresses"}));
    EXPECT_TRUE(boxes.empty());
}

// The context menu's check switches following off and on; the choice is stored first, and the
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
    // A choice that cannot be stored changes nothing: the tick and the following stay.
    recorder.writeFailures = 1;
    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(contextMenu());
    EXPECT_NE(form->NoticeEvent(), nullptr);
    recorder.Take();

    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_FALSE(contextMenu());
    EXPECT_EQ(form->NoticeEvent(), nullptr);
    EXPECT_EQ(recorder.Take(), (std::vector<std::wstring>{L"WriteValue [] Auto Refresh 0 Netpeek true",
                                                           L"CancelIPChangeNotify", L"GetOverlappedResult wait"}));

    form = std::make_unique<frmMain>(recorder.Services());
    form->Create(nullptr);
    const auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"NotifyAddrChange"), 0);
    EXPECT_FALSE(contextMenu());
    // On again: stored first, then the notice is asked for and the table read at once.
    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_TRUE(contextMenu());
    EXPECT_EQ(recorder.Take(), (std::vector<std::wstring>{L"WriteValue [] Auto Refresh 1 Netpeek true",
                                                           L"NotifyAddrChange", L"GetIPAddresses"}));
    EXPECT_NE(form->NoticeEvent(), nullptr);
    EXPECT_EQ(boxes.size(), 1u);
}

// A timer that fires inside a command's dialog (here the export's) waits: the export writes the
// list as it stood when its dialog closed; nor does one run behind the box of a command that
// failed, or while a menu of the menu bar is open or the window is moved or sized.
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

    recorder.snapshotFails = true;
    Hooks().messageBox = [&](HWND, const std::wstring&, const std::wstring&, UINT) {
        SendMessageW(form->Handle(), WM_TIMER, 1, 0);
        SendMessageW(form->Handle(), WM_TIMER, 2, 0);
        return IDOK;
    };
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::Edit, 0), 0);
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetIPAddresses"}) << "F5's read alone";
    recorder.snapshotFails = false;
    // A tick after each of these messages reads only once both loops have ended.
    for (UINT loop : {WM_ENTERMENULOOP, WM_ENTERSIZEMOVE, WM_EXITMENULOOP, WM_EXITSIZEMOVE}) {
        SendMessageW(form->Handle(), loop, FALSE, 0);
        SendMessageW(form->Handle(), WM_TIMER, 1, 0);
    }
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetIPAddresses"});
}

// The user's place as the table changes and the list is sorted: rows coming and going above the
// view leave the rows in view where they were, the chosen row stays chosen whatever its item (and
// Ctrl+C copies it), a sort keeps it chosen and in view, and F5 empties the list and fills it
// again, with nothing chosen.
TEST_F(LiveUpdate, TheViewAndTheChosenRowStayWithTheirRowsUntilF5) {
    const ListViewCtrl list(form->ListView());
    list.SetItemState(30, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(59);
    list.EnsureVisible(20);
    const int top = list.GetTopIndex();
    ASSERT_GT(top, 5);
    RawRow added = raw[0];
    added.addr = {9, 0, 0, 1};  // first in the table's order
    raw.erase(raw.begin() + 50);
    raw[40].mask = {255, 255, 0, 0};
    raw.insert(raw.begin(), added);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    form->UpdateFromTable();
    EXPECT_EQ(list.GetTopIndex(), top + 1);
    EXPECT_EQ(list.GetSelected(), 31);
    EXPECT_EQ(list.GetFocused(), 31);
    EXPECT_EQ(list.GetSelectedCount(), 1);
    EXPECT_EQ(CopiedText(list.Handle()), L"\"31\",\"10.0.30.1\",\"255.255.255.0\",\"1.0.0.0\",\"1530\",\"Primary\"\r\n");

    form->SortBy(1);
    form->SortBy(1);  // by IP, descending: 10.0.59.1 to 10.0.51.1, then 10.0.49.1 on
    EXPECT_EQ(list.GetSelected(), 28);
    EXPECT_EQ(list.GetFocused(), 28);
    EXPECT_EQ(form->RowOf(28)->key.index, 31u);
    EXPECT_LE(list.GetTopIndex(), 28);
    EXPECT_GT(list.GetTopIndex() + list.GetCountPerPage(), 28);

    form->RefreshList();
    EXPECT_EQ(list.GetSelectedCount(), 0);
    EXPECT_EQ(list.GetFocused(), -1);
    EXPECT_EQ(list.GetItemCount(), 60);
}

// Only the connected interfaces shown, the loopback's row (first in every IPv4 table of Windows) is
// left out: an address that comes just above the chosen row leaves that row chosen, and an address
// whose mask changed is drawn again in its own item, not in the one below it.
TEST_F(LiveUpdate, OnlyTheConnectedShownTheChosenRowStaysAndTheChangedRowIsRedrawn) {
    RawRow loopback = raw[0];
    loopback.addr = {127, 0, 0, 1};
    loopback.index = 100;
    raw.insert(raw.begin(), loopback);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    AdapterInfo& adapter = recorder.adapters[100];
    adapter.operStatus = kOperStatusUp;
    adapter.ifType = kIfTypeLoopback;
    recorder.values[kConnectedOnlyName] = L"1";
    form = std::make_unique<frmMain>(recorder.Services());
    form->Create(nullptr);
    ShowWindow(form->Handle(), SW_SHOWNOACTIVATE);
    const ListViewCtrl list(form->ListView());
    ASSERT_EQ(list.GetItemCount(), 60);
    list.SetItemState(10, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    UpdateWindow(list.Handle());

    RawRow added = raw[11];  // just before 10.0.10.1, the chosen row
    added.addr = {10, 0, 9, 2};
    raw.insert(raw.begin() + 11, added);
    raw[4].mask = {255, 255, 0, 0};  // 10.0.3.1, item 3
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    form->UpdateFromTable();
    EXPECT_EQ(list.GetSelected(), 11);
    EXPECT_EQ(list.GetFocused(), 11);
    EXPECT_EQ(form->RowOf(11)->Cells()[kColIP], L"10.0.10.1");
    const auto redrawn = [&](int item) {
        RECT row{};
        list.GetItemRect(item, row);
        const UniqueHandle<HRGN, FreeGdiObject> update(CreateRectRgn(0, 0, 0, 0));
        GetUpdateRgn(list.Handle(), update.get(), FALSE);
        return RectInRegion(update.get(), &row) != FALSE;
    };
    EXPECT_TRUE(redrawn(3)) << "the changed row";
    EXPECT_FALSE(redrawn(4)) << "the row below it, unchanged";
}

// Only the physical adapters, only the connected ones and a second NIC hidden by name, on a
// developer's machine with Hyper-V's switch and a VPN beside the Ethernet and the Wi-Fi: the switch,
// the VPN, the loopback, the cable that is out and the hidden NIC are left out. An address that comes
// on the switch and one on the Wi-Fi, both above the chosen row, leave that row chosen, one item on.
TEST_F(LiveUpdate, OnlyThePhysicalAdaptersShownTheChosenRowStays) {
    RawRow loopback = raw[0];
    loopback.addr = {127, 0, 0, 1};
    loopback.index = 100;
    raw.insert(raw.begin(), loopback);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    LinkInfo ethernet;
    ethernet.type = 6;
    ethernet.hardware = true;
    for (const std::uint32_t index : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 100}) {
        AdapterInfo& adapter = recorder.adapters[index];
        adapter.adapterName = L"{" + std::to_wstring(index) + L"}";
        adapter.operStatus = kOperStatusUp;
        recorder.links[adapter.adapterName] = ethernet;
    }
    recorder.adapters[100].ifType = recorder.links[L"{100}"].type = kIfTypeLoopback;
    recorder.links[L"{3}"].hardware = false;  // vEthernet (Default Switch)
    recorder.links[L"{5}"].hardware = false;  // WireGuard
    recorder.links[L"{5}"].type = 53;
    recorder.links[L"{7}"].type = 71;         // the Wi-Fi
    recorder.adapters[9].operStatus = 2;      // a cable that is out
    recorder.values[kPhysicalOnlyName] = L"1";
    recorder.values[kConnectedOnlyName] = L"1";
    recorder.values[kHiddenInterfacesName] = L"{11}";
    form = std::make_unique<frmMain>(recorder.Services());
    form->Create(nullptr);
    const ListViewCtrl list(form->ListView());
    ASSERT_EQ(list.GetItemCount(), 56);
    const int chosen = 16;  // 10.0.20.1, after the 16 rows of interfaces 1 to 20 that are shown
    ASSERT_EQ(form->RowOf(chosen)->Cells()[kColIP], L"10.0.20.1");
    list.SetItemState(chosen, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    RawRow onSwitch = raw[3];
    onSwitch.addr = {172, 17, 0, 1};
    RawRow onWifi = raw[7];
    onWifi.addr = {192, 168, 1, 23};
    raw.insert(raw.begin() + 8, onWifi);
    raw.insert(raw.begin() + 4, onSwitch);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    form->UpdateFromTable();
    EXPECT_EQ(list.GetItemCount(), 57);
    EXPECT_EQ(list.GetSelected(), chosen + 1);
    EXPECT_EQ(list.GetFocused(), chosen + 1);
    EXPECT_EQ(form->RowOf(chosen + 1)->Cells()[kColIP], L"10.0.20.1");
}

// On a laptop with WSL's virtual switch the user picks a row and chooses "Physical Adapters Only"
// from the context menu: the switch's row goes, the picked row stays picked, the item is ticked and
// the choice stored; chosen again, every row is back.
TEST_F(LiveUpdate, ThePhysicalAdaptersItemTicksLeavesOutTheSwitchAndKeepsThePickedRow) {
    LinkInfo ethernet;
    ethernet.type = 6;
    ethernet.hardware = true;
    for (std::uint32_t index = 1; index <= 60; ++index) {
        AdapterInfo& adapter = recorder.adapters[index];
        adapter.adapterName = L"{" + std::to_wstring(index) + L"}";
        recorder.links[adapter.adapterName] = ethernet;
    }
    recorder.links[L"{3}"].hardware = false;  // vEthernet (WSL)
    form->RefreshList();
    const ListViewCtrl list(form->ListView());
    list.SetItemState(10, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    std::vector<UINT> ticks;
    Hooks().trackPopupMenu = [&](HMENU menu, UINT, int, int, HWND) {
        ticks.push_back(GetMenuState(menu, MenuCommandId(kPhysicalOnlyItem.array, kPhysicalOnlyItem.index),
                                     MF_BYCOMMAND) & MF_CHECKED);
        return TRUE;
    };
    const auto choose = [&] {
        SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->ListView()), MAKELPARAM(5, 5));
        SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(kPhysicalOnlyItem.array, kPhysicalOnlyItem.index), 0);
    };

    choose();
    EXPECT_EQ(list.GetItemCount(), 59);
    EXPECT_EQ(list.GetSelected(), 9);
    EXPECT_EQ(form->RowOf(9)->Cells()[kColIP], L"10.0.10.1");
    EXPECT_EQ(recorder.values[kPhysicalOnlyName], L"1");
    choose();
    EXPECT_EQ(list.GetItemCount(), 60);
    EXPECT_EQ(list.GetSelected(), 10);
    EXPECT_EQ(recorder.values[kPhysicalOnlyName], L"0");
    EXPECT_EQ(ticks, (std::vector<UINT>{0, MF_CHECKED}));
}

// With the Internet column shown, Windows' notice that the connectivity changed (the router lost
// its uplink) reaches the list before the next re-read would; without the column it is withdrawn.
TEST_F(LiveUpdate, AConnectivityNoticeShowsTheInternetLostAtOnce) {
    AdapterInfo& adapter = recorder.adapters[1];
    adapter.adapterName = L"{1}";
    recorder.networks = {{L"{1}", L"Home", kCategoryPrivate, 0, kConnectivityIPv4Internet}};
    recorder.values[kListColumnsName] = L"Internet";
    form = std::make_unique<frmMain>(recorder.Services());
    form->Create(nullptr);
    EXPECT_EQ(recorder.connectivityNotices, 1);
    EXPECT_EQ(form->RowOf(0)->Cells()[kColInternet], L"Internet");

    recorder.networks[0].connectivity = kConnectivityIPv4Local;
    PostMessageW(form->Handle(), kConnectivityNoticeMessage, 0, 0);
    SetTimer(nullptr, 0, 900, Quit);  // within the notice's delay, well before the 2 s re-read
    modMain::RunMessageLoop(*form);
    EXPECT_EQ(form->RowOf(0)->Cells()[kColInternet], L"Local");

    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::Column, kColInternet), 0);
    EXPECT_EQ(recorder.connectivityNotices, 0);
}
