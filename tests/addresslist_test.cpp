// The rows behind the address list through the list's own interface, shown in a real owner-data
// list-view control of the test's own, whose owner passes the list's questions on as the window
// does: updates that keep the user's place and redraw only what changed, the order, and the marks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "mainwindow/AddressList.h"
#include "rows/RowOrder.h"
#include "rows/RowsOfTables.h"
#include "support/WindowIds.h"
#include "tests/ListMessages.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

ListRows Rows(const std::vector<RawRow>& raw) {
    return raw.empty() ? ListRows{} : ToListRows(DecodeAddrTable(TableBytes(raw)));
}

// What a read replaces, as the feed says it: the rows between the longest runs alike at both ends.
RowsReplaced Between(const ListRows& before, const ListRows& after) {
    std::size_t head = 0, tail = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const auto span = [&](const ListRows& rows) {
        return ListRows(rows.begin() + static_cast<std::ptrdiff_t>(head), rows.end() - static_cast<std::ptrdiff_t>(tail));
    };
    return {head, span(before), span(after)};
}

// The list's owner, which passes on its questions as the window does.
AddressList* g_list = nullptr;
LRESULT CALLBACK OwnerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY && g_list)
        return g_list->OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    return DefWindowProcW(window, msg, wParam, lParam);
}

class AddressListView : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW owners{};
        owners.lpfnWndProc = OwnerProc;
        owners.lpszClassName = L"AddressListTestOwner";
        RegisterClassW(&owners);
        g_list = &list;
        owner.reset(CreateWindowExW(0, owners.lpszClassName, nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 640, 320, nullptr,
                                    nullptr, nullptr, nullptr));
        const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA;  // as the window's list
        control = ListViewCtrl(
            CreateWindowExW(0, WC_LISTVIEWW, nullptr, style, 0, 0, 620, 280, owner.get(), nullptr, nullptr, nullptr));
        for (int column = 0; column < 6; ++column)
            control.InsertColumn(column, L"", 100);
        list.Attach(owner.get(), control.Handle(), static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), choice);
        shown = Rows(raw);
        list.Fill(shown);
    }
    void TearDown() override {
        owner.reset();
        g_list = nullptr;
    }

    // The table read again as `raw` says, shown as the window shows a re-read.
    bool Show(ULONGLONG until = GetTickCount64() + 10000) {
        ListRows rows = Rows(raw);
        const RowsReplaced replaced = Between(shown, rows);
        shown = std::move(rows);
        return list.Update(shown, replaced, until);
    }
    std::wstring Cell(int item, int column, int size = 64) const {
        std::wstring text(static_cast<std::size_t>(size), L'\0');
        text.resize(static_cast<std::size_t>(control.GetItemText(item, column, text.data(), size)));
        return text;
    }
    // The list's rows as they are on the screen, pixel by pixel.
    std::vector<COLORREF> Picture() const {
        RECT client{};
        GetClientRect(control.Handle(), &client);
        const WindowDc dc(control.Handle());
        const UniqueHandle<HDC, DeleteDC> memory(CreateCompatibleDC(dc.dc));
        const UniqueBitmap bitmap(CreateCompatibleBitmap(dc.dc, client.right, client.bottom));
        const HGDIOBJ was = SelectObject(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, client.right, client.bottom, dc.dc, 0, 0, SRCCOPY);
        SelectObject(memory.get(), was);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::vector<COLORREF> pixels(static_cast<std::size_t>(client.right) * static_cast<std::size_t>(client.bottom));
        EXPECT_EQ(GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(client.bottom), pixels.data(), &info,
                            DIB_RGB_COLORS),
                  client.bottom);
        return pixels;
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
    ListRows shown;  // the feed's rows, as the list takes them
};

}  // namespace

// An update changes the list in place: the user's row stays selected and at the same place on
// screen, and what is new or changed is marked until the next fill. Each cell reads as its text,
// cut to the reader's buffer.
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
    EXPECT_TRUE(Show());
    ASSERT_EQ(control.GetItemCount(), 60);
    EXPECT_EQ(Cell(0, 1), L"9.0.0.1");
    EXPECT_EQ(Cell(0, 1, 4), L"9.0");
    EXPECT_EQ(Cell(51, 1), L"10.0.51.1") << "10.0.50.1 went";
    EXPECT_EQ(Cell(41, 2), L"255.255.0.0");
    EXPECT_EQ(control.GetSelected(), 31);
    EXPECT_EQ(control.GetFocused(), 31);
    EXPECT_EQ(control.GetSelectedCount(), 1);
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
    Show();
    EXPECT_EQ(control.GetTopIndex(), top + 1);
    EXPECT_EQ(Cell(59, 1), L"10.0." + std::to_wstring(top) + L".1");
    // A row that went takes its mark with it; one that comes back is new.
    raw.erase(raw.begin());
    Show(0);
    raw.insert(raw.begin(), added);
    Show(0);
    EXPECT_NE(CellBackground(0, 3), marked);
    list.Fill(shown);
    EXPECT_NE(CellBackground(41, 2), marked) << "a fill clears the marks";
    EXPECT_FALSE(KillTimer(owner.get(), kMarkTimer)) << "and their timer";
}

// An update draws only what it changed in view: a row that comes far below the view leaves the view
// as it was drawn, and one above it (the view keeping its top row) leaves every row in view where it
// was on the screen; one in view draws it, and so do rows at the bottom of the view that went.
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
    Show();
    EXPECT_FALSE(GetUpdateRect(control.Handle(), nullptr, FALSE)) << "a row far below the view";
    const std::vector<COLORREF> before = Picture();
    RawRow above = raw[0];
    above.addr = {9, 0, 0, 1};
    raw.insert(raw.begin(), above);
    Show();
    EXPECT_EQ(control.GetTopIndex(), top + 1);
    ASSERT_TRUE(drawn());
    EXPECT_EQ(Picture(), before) << "a row above the view";
    raw[static_cast<std::size_t>(top) + 4].mask = {255, 255, 0, 0};
    Show();
    RECT changed{};
    ASSERT_TRUE(GetUpdateRect(control.Handle(), &changed, FALSE)) << "a cell in view";
    RECT row{};
    control.GetItemRect(top + 4, row);
    EXPECT_LE(changed.bottom - changed.top, row.bottom - row.top) << "that row alone";
    ASSERT_TRUE(drawn());
    control.EnsureVisible(control.GetItemCount() - 1);
    ASSERT_TRUE(drawn());
    raw.resize(raw.size() - 3);
    Show();
    EXPECT_TRUE(GetUpdateRect(control.Handle(), nullptr, FALSE)) << "rows at the bottom of the view went";
}

// The rows behind the list are those given last, also where they changed only in what the list does
// not show, which touches no item; and of two rows alike in interface and address, the one the user
// chose stays chosen.
TEST_F(AddressListView, TheRowsBehindTheListAreTheLatestAndTheChosenOfTwoAlikeStaysChosen) {
    raw[21] = raw[20];
    raw[21].mask = {255, 0, 0, 0};
    shown = Rows(raw);
    list.Fill(shown);
    control.SetItemState(21, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    raw[40].mask = {255, 255, 0, 0};
    Show();
    EXPECT_EQ(control.GetSelected(), 21);
    EXPECT_EQ(control.GetFocused(), 21);
    const COLORREF marked = CellBackground(40, 2);

    raw[30].type |= 0x10;  // a bit with no label
    raw[31].unused = 7;
    const ListRows latest = Rows(raw);
    const RowsReplaced replaced{30, {shown[30], shown[31]}, {latest[30], latest[31]}};
    shown = latest;
    {
        const ListMessages messages(control.Handle());
        ASSERT_TRUE(messages.Hooked());
        EXPECT_FALSE(list.Update(shown, replaced, GetTickCount64() + 10000));
        EXPECT_EQ(messages.Sent(), 0) << "nothing shown changed";
    }
    for (int item : {30, 31}) {
        EXPECT_EQ(list.RowOf(item), &shown[static_cast<std::size_t>(item)]);
        EXPECT_NE(CellBackground(item, 5), marked);
    }
}

// Whatever comes, goes, changes or moves, and however the list is sorted, item i shows the i-th
// row of the sort's order of the rows given, and the chosen row stays chosen while it is there.
TEST_F(AddressListView, EveryUpdateShowsTheRowsInTheSortsOrderAndKeepsTheChosenRow) {
    std::mt19937 random(3);
    for (int round = 0; round < 150; ++round) {
        choice.sort = {static_cast<int>(random() % 7) - 1, random() % 2 == 0};  // -1: the table's order
        list.Resort();
        for (int change = static_cast<int>(random() % 4); change >= 0; --change) {
            const std::size_t at = random() % (raw.size() + 1);
            RawRow row = NumberedRows(400)[random() % 400];
            row.type = static_cast<std::uint16_t>(random() % 2 ? 0x01 : 0x09);
            row.reasm = random() % 3;
            if (random() % 3 == 0 && at < raw.size())
                raw.erase(raw.begin() + static_cast<std::ptrdiff_t>(at));
            else if (random() % 2 == 0 && at < raw.size())
                raw[at].type = row.type;
            else
                raw.insert(raw.begin() + static_cast<std::ptrdiff_t>(std::min(at, raw.size())), row);
        }
        const auto count = static_cast<unsigned>(control.GetItemCount());
        const int chosen = count > 0 ? static_cast<int>(random() % count) : -1;
        if (chosen >= 0)
            control.SetItemState(chosen, LVIS_SELECTED, LVIS_SELECTED);
        const RowKey key = list.RowOf(chosen) ? list.RowOf(chosen)->key : RowKey{};
        const auto once = [&] {
            return std::count_if(shown.begin(), shown.end(), [&](const ListRow& row) { return row.key == key; }) == 1;
        };
        const bool alone = chosen >= 0 && once();
        Show();
        const std::vector<std::size_t> order = SortedOrder(shown, choice.sort);
        ASSERT_EQ(control.GetItemCount(), static_cast<int>(order.size())) << "round " << round;
        for (std::size_t item = 0; item < order.size(); ++item)
            ASSERT_EQ(Cell(static_cast<int>(item), 1), shown[order[item]].Cells()[1]) << "round " << round;
        if (alone && once()) {
            ASSERT_EQ(list.RowOf(control.GetSelected())->key, key) << "round " << round;
        }
        ASSERT_LE(control.GetSelectedCount(), 1) << "round " << round;
    }
}
