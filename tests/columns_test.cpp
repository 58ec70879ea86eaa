// The extra columns and the hidden interfaces through the window: the header's menu and the
// context menu's, what they store, and what the list, its export and a restart then show.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "export/ListTexts.h"
#include "mainwindow/frmMain.h"
#include "settings/Settings.h"
#include "support/Hooks.h"
#include "support/WindowIds.h"
#include "tests/FormRecorder.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

std::wstring Header(HWND list, int column) {
    wchar_t text[64] = {};
    ListViewCtrl(list).GetColumnText(column, text, 64);
    return text;
}

std::wstring Cell(HWND list, int item, int column) {
    wchar_t text[128] = {};
    ListViewCtrl(list).GetItemText(item, column, text, 128);
    return text;
}

class Columns : public ::testing::Test {
protected:
    void SetUp() override {
        // Interfaces 1 and 2, with an address each; 2 is "Ethernet" with a gateway.
        recorder.rows = DecodeAddrTable(TableBytes(NumberedRows(2)));
        AdapterInfo& eth = recorder.adapters[2];
        eth.friendlyName = L"Ethernet";
        eth.adapterName = L"{E7}";
        eth.physicalAddress = {0, 0x15, 0x5d, 1, 2, 3};
        eth.gateways = {V4(10, 0, 1, 254)};
        recorder.adapters[1].friendlyName = L"lo";
        recorder.adapters[1].adapterName = L"{L0}";
        Hooks().trackPopupMenu = [this](HMENU menu, UINT, int, int, HWND) {
            shown = menu;
            if (inMenu)
                inMenu(menu);
            return TRUE;
        };
        Hooks().messageBox = [this](HWND, const std::wstring&, const std::wstring&, UINT) {
            ++boxes;
            return IDOK;
        };
        Open();
    }
    void TearDown() override {
        form.reset();
        Hooks() = SystemHooks();
    }
    void Open() {
        form = std::make_unique<frmMain>(recorder.Services());
        form->Create(nullptr);
    }
    HWND List() const { return form->ListView(); }
    void Command(MenuArray array, int index) {
        SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(array, index), 0);
    }
    // The menu a right click there opens, as the window sees it while it shows.
    void RightClick(HWND on, std::function<void(HMENU)> look) {
        inMenu = std::move(look);
        SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(on), MAKELPARAM(5, 5));
        inMenu = nullptr;
    }
    static UINT State(HMENU menu, MenuArray array, int index) {
        return GetMenuState(menu, MenuCommandId(array, index), MF_BYCOMMAND);
    }

    FormRecorder recorder;
    std::unique_ptr<frmMain> form;
    std::function<void(HMENU)> inMenu;
    HMENU shown = nullptr;
    int boxes = 0;
};

}  // namespace

// The header's menu ticks what is shown; ticking adds the column at the right end, stored first,
// with the cells of the interface; the context menu's submenu has the same ticks; unticking
// takes it away. With no extra column no adapter is read.
TEST_F(Columns, TheHeadersMenuAddsAndTakesAwayAColumnAtTheRightEnd) {
    EXPECT_EQ(ListViewCtrl(List()).ColumnCount(), 6);
    const HWND header = ListViewCtrl(List()).Header().Handle();
    RightClick(header, [](HMENU menu) {
        EXPECT_EQ(GetMenuItemCount(menu), 15);
        EXPECT_EQ(State(menu, MenuArray::Column, kColGateway) & MF_CHECKED, 0u);
    });
    recorder.Take();
    Command(MenuArray::Column, kColGateway);
    Command(MenuArray::Column, kColMac);
    EXPECT_EQ(recorder.values[kListColumnsName], L"Gateway,MAC");
    ASSERT_EQ(ListViewCtrl(List()).ColumnCount(), 8);
    EXPECT_EQ(Header(List(), 6), L"Gateway");
    EXPECT_EQ(Header(List(), 7), L"MAC");
    EXPECT_EQ(Cell(List(), 1, 6), L"10.0.1.254");
    EXPECT_EQ(Cell(List(), 1, 7), L"00-15-5D-01-02-03");
    EXPECT_EQ(Cell(List(), 0, 6), L"");
    const std::wstring csv = ListCsvText(List());
    EXPECT_EQ(csv.substr(0, csv.find(L'\n') + 1),
              L"\"Interface\",\"IP\",\"Mask\",\"Broadcast\",\"Realm size\",\"Type\",\"Gateway\",\"MAC\"\r\n");
    RightClick(List(), [](HMENU menu) {
        EXPECT_NE(State(menu, MenuArray::Column, kColGateway) & MF_CHECKED, 0u) << "the submenu's tick";
        EXPECT_EQ(State(menu, MenuArray::Column, kColName) & MF_CHECKED, 0u);
    });
    // Sorted by the column, then without it: the table's own order.
    form->SortBy(kColMac);
    form->SortBy(kColMac);
    EXPECT_EQ(Cell(List(), 0, 1), L"10.0.1.1");
    Command(MenuArray::Column, kColMac);
    EXPECT_EQ(recorder.values[kListColumnsName], L"Gateway");
    EXPECT_EQ(ListViewCtrl(List()).ColumnCount(), 7);
    EXPECT_EQ(Cell(List(), 0, 1), L"10.0.0.1");
    Command(MenuArray::Column, kColGateway);
    recorder.Take();
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::Edit, 0), 0);
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetIPAddresses"}) << "F5 reads no adapter";
    EXPECT_EQ(boxes, 0);

    // The next start shows the stored extras, in their order, before it restores the layout.
    recorder.values[kListColumnsName] = L"Name,bogus,DNS,Name";
    Open();
    ASSERT_EQ(ListViewCtrl(List()).ColumnCount(), 8);
    EXPECT_EQ(Header(List(), 6), L"Name");
    EXPECT_EQ(Header(List(), 7), L"DNS");
    EXPECT_EQ(Cell(List(), 1, 6), L"Ethernet");
}

// A right click on a column's header offers to copy that column: its cells in the list's order,
// a line each, no header and no quotes; beside the columns, or by the keyboard, there is none.
TEST_F(Columns, TheHeadersMenuCopiesTheColumnClicked) {
    form->Show(SW_SHOWNORMAL);
    const HWND header = ListViewCtrl(List()).Header().Handle();
    RECT ip{};
    ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&ip)));
    POINT at{(ip.left + ip.right) / 2, (ip.top + ip.bottom) / 2};
    ClientToScreen(header, &at);
    form->SortBy(1);
    form->SortBy(1);  // descending: the copy follows the list's order
    inMenu = [](HMENU menu) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, L"Копировать столбец «IP»");
        EXPECT_EQ(GetMenuItemCount(menu), 17);
    };
    SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(header), MAKELPARAM(at.x, at.y));
    Command(kCopyColumnItem.array, kCopyColumnItem.index);
    ASSERT_TRUE(OpenClipboard(form->Handle()));
    const HANDLE copied = GetClipboardData(CF_UNICODETEXT);
    EXPECT_STREQ(static_cast<const wchar_t*>(GlobalLock(copied)), L"10.0.1.1\r\n10.0.0.1\r\n");
    GlobalUnlock(copied);
    CloseClipboard();
    RightClick(header, [](HMENU menu) { EXPECT_EQ(GetMenuItemCount(menu), 15); });
    inMenu = [](HMENU menu) { EXPECT_EQ(GetMenuItemCount(menu), 15); };
    SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(header), MAKELPARAM(-1, -1));
}

// The row's context menu hides its interface by name (an "&" in it shown as it is); every row of
// it goes, and the stored value keeps it by GUID; showing all (greyed while none is hidden) brings
// them back unmarked.
TEST_F(Columns, AnInterfaceIsHiddenFromTheRowsMenuAndShownAgain) {
    recorder.adapters[2].friendlyName = L"R&D LAN";
    ListViewCtrl(List()).SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    RightClick(List(), [](HMENU menu) {
        wchar_t caption[64] = {};
        GetMenuStringW(menu, MenuCommandId(MenuArray::List, 4), caption, 64, MF_BYCOMMAND);
        EXPECT_STREQ(caption, L"Скрыть интерфейс «R&&D LAN»");
        EXPECT_NE(State(menu, MenuArray::List, 5) & MF_GRAYED, 0u);
    });
    Command(MenuArray::List, 4);
    EXPECT_EQ(recorder.values[kHiddenInterfacesName], L"{E7}");
    ASSERT_EQ(ListViewCtrl(List()).GetItemCount(), 1);
    EXPECT_EQ(Cell(List(), 0, 1), L"10.0.0.1");
    // Still hidden after a restart; and with no row chosen there is no interface to hide.
    Open();
    EXPECT_EQ(ListViewCtrl(List()).GetItemCount(), 1);
    RightClick(List(), [](HMENU menu) {
        EXPECT_EQ(State(menu, MenuArray::List, 4), static_cast<UINT>(-1)) << "no such item";
        EXPECT_EQ(State(menu, MenuArray::List, 5) & MF_GRAYED, 0u);
    });
    Command(MenuArray::List, 5);
    EXPECT_EQ(recorder.values[kHiddenInterfacesName], L"");
    EXPECT_EQ(ListViewCtrl(List()).GetItemCount(), 2);
    EXPECT_EQ(boxes, 0);
}

// A new time zone shows the lease's end in it, as the tooltip does; the lease did not change, so
// nothing is marked or logged.
TEST_F(Columns, ALeaseCellFollowsTheTimeZone) {
    AdapterUnicast lease;
    lease.address = V4(10, 0, 1, 1);
    lease.prefixOrigin = lease.suffixOrigin = kOriginDhcp;
    lease.validLifetime = 3600;
    recorder.adapters[2].unicast = {lease};
    Command(MenuArray::Column, kColLeaseExpires);
    ASSERT_EQ(Cell(List(), 1, 6), L"2025-12-09 15:03");
    recorder.zoneSeconds = 3600;
    SendMessageW(form->Handle(), WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(Cell(List(), 1, 6), L"2025-12-09 16:03");
    EXPECT_FALSE(KillTimer(form->Handle(), kMarkTimer)) << "nothing marked";
    EXPECT_EQ(form->Log().Lines().Kept(), 0u);
}
