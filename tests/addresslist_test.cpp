// The rows behind the address list through the list's own interface, shown in a real list-view
// control of the test's own: updates in place that keep the user's place, and the marks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "mainwindow/AddressList.h"
#include "rows/RowsOfTables.h"
#include "support/WindowIds.h"
#include "tests/ListMessages.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

ListRows Rows(const std::vector<RawRow>& raw) {
    return ToListRows(DecodeAddrTable(TableBytes(raw)));
}

// The list refuses one insert, after letting `before` through, as a list out of memory does; its
// own procedure is back when this goes.
class RefusedInsert {
public:
    RefusedInsert(HWND list, int before) : m_list(list) {
        s_before = before;
        s_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Refuse)));
    }
    ~RefusedInsert() { SetWindowLongPtrW(m_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_proc)); }
    RefusedInsert(const RefusedInsert&) = delete;
    RefusedInsert& operator=(const RefusedInsert&) = delete;

private:
    static LRESULT CALLBACK Refuse(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == LVM_INSERTITEMW && s_before-- == 0)
            return -1;
        return CallWindowProcW(s_proc, list, msg, wParam, lParam);
    }

    static inline WNDPROC s_proc = nullptr;
    static inline int s_before = 0;
    HWND m_list;
};

class AddressListView : public ::testing::Test {
protected:
    void SetUp() override {
        owner.reset(CreateWindowExW(0, L"STATIC", nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 640, 320, nullptr, nullptr,
                                    nullptr, nullptr));
        const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL;  // as the window's list
        control = ListViewCtrl(
            CreateWindowExW(0, WC_LISTVIEWW, nullptr, style, 0, 0, 620, 280, owner.get(), nullptr, nullptr, nullptr));
        for (int column = 0; column < 6; ++column)
            control.InsertColumn(column, L"", 100);
        list.Attach(owner.get(), control.Handle(), static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), choice);
        list.Fill(Rows(raw));
    }

    std::wstring Cell(int item, int column) const {
        wchar_t text[64] = {};
        control.GetItemText(item, column, text, 64);
        return text;
    }
    // The background the list chooses for a cell as it paints it, going on from each stage as
    // the control does, from `first` on.
    COLORREF CellBackground(int item, int column, DWORD first = CDDS_PREPAINT) {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
        draw.iSubItem = column;
        draw.clrTextBk = CLR_NONE;
        const WindowDc dc(control.Handle());
        draw.nmcd.hdc = dc.dc;
        for (DWORD stage : {DWORD{CDDS_PREPAINT}, DWORD{CDDS_ITEMPREPAINT}, DWORD{CDDS_ITEMPREPAINT | CDDS_SUBITEM}}) {
            draw.nmcd.dwDrawStage = stage;
            if (stage >= first && list.CustomDraw(draw) != CDRF_NOTIFYITEMDRAW)
                break;
        }
        return draw.clrTextBk;
    }

    UniqueWindow owner;
    ListViewCtrl control;
    ViewChoice choice;
    AddressList list;
    std::vector<RawRow> raw = NumberedRows(60);
};

}  // namespace

// An update changes the list in place: the user's row stays selected and at the same place on
// screen, and what is new or changed is marked until the next fill.
TEST_F(AddressListView, AnUpdateKeepsTheUsersPlaceAndMarksWhatChanged) {
    control.SetItemState(30, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    control.EnsureVisible(59);
    control.EnsureVisible(20);
    const int top = control.GetTopIndex();
    ASSERT_GT(top, 5);

    RawRow added = raw[0];
    added.addr = {9, 0, 0, 1};  // first in the table's order
    raw.erase(raw.begin() + 50);
    raw[40].mask = {255, 255, 0, 0};  // was row 41
    raw.insert(raw.begin(), added);
    EXPECT_TRUE(list.Update(Rows(raw), GetTickCount64() + 10000));
    ASSERT_EQ(control.GetItemCount(), 60);
    EXPECT_EQ(Cell(0, 1), L"9.0.0.1");
    EXPECT_EQ(Cell(51, 1), L"10.0.51.1") << "10.0.50.1 went";
    EXPECT_EQ(Cell(41, 2), L"255.255.0.0");
    EXPECT_EQ(control.GetSelected(), 31);
    EXPECT_EQ(control.GetFocused(), 31);
    EXPECT_EQ(list.RowOf(31)->key.index, 31u) << "the same row stays selected";
    EXPECT_EQ(control.GetTopIndex(), top + 1) << "the row at the top stays at the top";

    // Marked on a background of its own, also where the theme's tooltip colour is the list's.
    const COLORREF marked = CellBackground(0, 3);
    EXPECT_NE(marked, GetSysColor(COLOR_WINDOW));
    EXPECT_NE(marked, CLR_DEFAULT);
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(CellBackground(0, column), marked) << "a new row is marked whole";
    EXPECT_EQ(CellBackground(41, 2), marked);
    EXPECT_NE(CellBackground(41, 1), marked) << "only the changed cell";
    EXPECT_NE(CellBackground(5, 2), marked);
    // The marks are looked up once per row, as its item starts; its cells take that answer.
    CellBackground(0, 0);
    EXPECT_EQ(CellBackground(5, 3, CDDS_ITEMPREPAINT | CDDS_SUBITEM), marked);

    // The row at the top that moves to the bottom takes the view nowhere: the next one comes up.
    std::rotate(raw.begin() + top + 1, raw.begin() + top + 2, raw.end());
    list.Update(Rows(raw), GetTickCount64() + 10000);
    EXPECT_EQ(control.GetTopIndex(), top + 1);
    list.Fill(Rows(raw));
    EXPECT_NE(CellBackground(0, 3), marked) << "a fill clears the marks";
}

// An update draws only what it changed in view: a row that comes far below the view, or one
// above it (the view keeping its top row), leaves the view as it was drawn; one in view draws it.
TEST_F(AddressListView, AnUpdateDrawsOnlyWhatItChangedInView) {
    ShowWindow(owner.get(), SW_SHOWNOACTIVATE);
    control.EnsureVisible(59);
    control.EnsureVisible(30);
    const int top = control.GetTopIndex();
    const auto drawn = [&] {
        UpdateWindow(control.Handle());
        return !GetUpdateRect(control.Handle(), nullptr, FALSE);
    };
    ASSERT_TRUE(drawn());
    RawRow below = raw[59];
    below.addr = {10, 0, 200, 1};
    raw.push_back(below);
    list.Update(Rows(raw), GetTickCount64() + 10000);
    EXPECT_FALSE(GetUpdateRect(control.Handle(), nullptr, FALSE)) << "a row far below the view";
    RawRow above = raw[0];
    above.addr = {9, 0, 0, 1};
    raw.insert(raw.begin(), above);
    list.Update(Rows(raw), GetTickCount64() + 10000);
    EXPECT_FALSE(GetUpdateRect(control.Handle(), nullptr, FALSE)) << "a row above the view";
    EXPECT_EQ(control.GetTopIndex(), top + 1);
    raw[top + 4].mask = {255, 255, 0, 0};
    list.Update(Rows(raw), GetTickCount64() + 10000);
    EXPECT_TRUE(GetUpdateRect(control.Handle(), nullptr, FALSE)) << "a cell in view";
}

// The rows behind the list are the latest, also where they changed only in what the list does not
// show, which touches no item; and of two rows alike in interface and address, the one the user
// chose stays chosen.
TEST_F(AddressListView, TheRowsBehindTheListAreTheLatestAndTheChosenOfTwoAlikeStaysChosen) {
    raw[21] = raw[20];
    raw[21].mask = {255, 0, 0, 0};
    list.Fill(Rows(raw));
    control.SetItemState(21, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    raw[40].mask = {255, 255, 0, 0};
    list.Update(Rows(raw), GetTickCount64() + 10000);
    EXPECT_EQ(control.GetSelected(), 21);
    EXPECT_EQ(control.GetFocused(), 21);
    const COLORREF marked = CellBackground(40, 2);

    raw[30].type |= 0x10;  // a bit with no label
    raw[31].unused = 7;
    const ListRows latest = Rows(raw);
    {
        const ListMessages messages(control.Handle());
        ASSERT_TRUE(messages.Hooked());
        EXPECT_FALSE(list.Update(latest, GetTickCount64() + 10000));
        EXPECT_EQ(messages.Sent(), 0) << "nothing shown changed";
    }
    for (int item : {30, 31}) {
        EXPECT_EQ(*list.RowOf(item), latest[static_cast<std::size_t>(item)]);
        EXPECT_NE(CellBackground(item, 5), marked);
    }
}

// An update that the list refuses part way fills the list again, and after a fill nothing is new:
// no mark stays, neither of that update nor of an earlier one, and no timer is left for them.
TEST_F(AddressListView, AnUpdateRefusedPartWayLeavesNoMarkBehind) {
    raw[40].mask = {255, 255, 0, 0};
    list.Update(Rows(raw), GetTickCount64() + 10000);
    for (const std::uint8_t host : {std::uint8_t{1}, std::uint8_t{2}}) {
        raw.push_back(raw[0]);
        raw.back().addr = {10, 1, 0, host};
    }
    {
        const RefusedInsert refused(control.Handle(), 1);  // the second new row
        EXPECT_TRUE(list.Update(Rows(raw), GetTickCount64() + 100));
    }
    ASSERT_EQ(control.GetItemCount(), 62);
    EXPECT_EQ(Cell(61, 1), L"10.1.0.2");
    // The owner's messages for the marks' time, their timer going to the list as the window's does.
    for (const ULONGLONG end = GetTickCount64() + 300; GetTickCount64() < end; Sleep(10)) {
        MSG msg;
        while (PeekMessageW(&msg, owner.get(), WM_TIMER, WM_TIMER, PM_REMOVE))
            if (msg.wParam == kMarkTimer)
                list.ExpireMarks();
    }
    for (int item : {40, 60, 61})
        EXPECT_EQ(CellBackground(item, 2), CLR_NONE) << "item " << item << " is drawn plain";
    EXPECT_FALSE(KillTimer(owner.get(), kMarkTimer));
}
