// The main window driven in-process with messages, its services replaced by a recorder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>

#include "mainwindow/frmMain.h"
#include "startup/modMain.h"
#include "support/AboutBox.h"
#include "support/ErrorBox.h"
#include "support/Hooks.h"
#include "tests/FormRecorder.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

const std::wstring kErrorPrefix = L"Ошибка ";
const std::wstring kExitText = L"Выход\tEsc";

std::wstring WindowText(HWND w) {
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    return text;
}

std::wstring MenuString(HMENU menu, UINT position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

CIPAddrList Rows(const std::vector<RawRow>& raw) {
    CIPAddrList rows;
    const auto bytes = TableBytes(raw);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        CIPAddrRow row;
        row.Init(bytes.data() + 4 + i * CIPAddrRow::kSize);
        rows.push_back(row);
    }
    return rows;
}

std::wstring Cell(HWND list, int item, int sub) {
    wchar_t text[256] = {};
    ListViewCtrl(list).GetItemText(item, sub, text, 256);
    return text;
}

// The screen's DPI that the run's Wine prefix sets: 96, unless the run says otherwise.
int TestDpi() {
    const char* dpi = std::getenv("NETPEEK_TEST_DPI");
    return dpi && *dpi ? std::atoi(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// A size designed at 96 DPI scales with the screen: exact at 96, within a pixel of rounding
// at any other DPI.
void ExpectScaled(int actual, int at96, const std::wstring& what) {
    const int dpi = TestDpi();
    EXPECT_NEAR(actual, at96 * dpi / 96.0, dpi == USER_DEFAULT_SCREEN_DPI ? 0.0 : 1.0) << what << " at " << dpi
                                                                                       << " DPI";
}

int ItemCount(HWND list) {
    return ListViewCtrl(list).GetItemCount();
}

// The handles open in the process. Wine's GetProcessHandleCount always answers 0, so there each
// handle value of the first 4,096 is asked after, far more than a test's process holds.
DWORD OpenHandles() {
    DWORD count = 0, flags = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0)
        return count;
    for (std::uintptr_t value = 4; value <= 4096 * 4; value += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    return count;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Hooks().messageBox = [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
            boxes.push_back({owner, text, caption, style});
            return IDOK;
        };
        recorder.rows = Rows(NumberedRows(3));
    }
    void TearDown() override {
        form.reset();
        Hooks() = SystemHooks();
    }

    frmMain& Open() {
        form = std::make_unique<frmMain>(recorder.Services());
        form->Create(nullptr);
        return *form;
    }

    struct Box {
        HWND owner;
        std::wstring text, caption;
        UINT style;
    };
    FormRecorder recorder;
    std::vector<Box> boxes;
    std::unique_ptr<frmMain> form;
};

}  // namespace

TEST_F(MainWindow, LoadSequenceCallsTheServicesInOrderWithTheirArguments) {
    Open();
    const std::vector<std::wstring> expected = {
        L"asCenterFormEx",
        L"asIsInIDE",
        L"asSetWindowResIconAll A_MAIN",
        L"asSetMenuJustify 2 true",
        L"RestoreWindowPlacement [] Window placement Netpeek 0 0 0 true",
        L"ReadValue [] IPs List Columns Netpeek true",
        L"RestoreListLayout IPs List Netpeek true",
        L"ReadValue [] IPs List Sort Netpeek true",
        L"ReadValue [] Hidden Interfaces Netpeek true",
        L"ReadValue [] Auto Refresh Netpeek true",
        L"ReadValue [] Show IPv6 Netpeek true",
        L"ReadValue [] Minimize To Tray Netpeek true",
        L"ReadValue [] Notify Changes Netpeek true",
        L"ReadValue [] Connected Only Netpeek true",
        L"ReadValue [] Physical Only Netpeek true",
        L"GetIPAddresses",
        L"NotifyAddrChange",
    };
    EXPECT_EQ(recorder.Take(), expected);
    EXPECT_TRUE(boxes.empty());
    EXPECT_NE(SendMessageW(form->Handle(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(SendMessageW(form->Handle(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(MainWindow, InsideADebuggerTheWindowKeepsItsIconAndLoadsTheRest) {
    recorder.inIDE = true;
    Open();
    const auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"asSetWindowResIconAll A_MAIN"), 0);
    EXPECT_EQ(calls.size(), 16u);
    EXPECT_EQ(SendMessageW(form->Handle(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(ItemCount(form->ListView()), 3);
}

TEST_F(MainWindow, CaptionClientSizeAndFont) {
    Open();
    EXPECT_EQ(WindowText(form->Handle()), L"Netpeek");
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, TestDpi()) << "the Wine prefix did not set the screen's DPI";
    RECT client{};
    GetClientRect(form->Handle(), &client);
    // 9675 x 5055 twips, 645 x 337 pixels at 96 DPI.
    ExpectScaled(client.right, 645, L"client width");
    ExpectScaled(client.bottom, 337, L"client height");

    for (HWND control : {form->ListView(), form->Toolbar()}) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW lf{};
        GetObjectW(font, sizeof(lf), &lf);
        EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
        ExpectScaled(-lf.lfHeight, 12, L"font height");  // 9 pt
        EXPECT_EQ(lf.lfWeight, FW_NORMAL);
        EXPECT_EQ(lf.lfCharSet, RUSSIAN_CHARSET);
        EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut);
    }
}

// What each button's tooltip reads is seen end to end, on the screen (tests/e2e/refresh.sh).
TEST_F(MainWindow, ToolbarButtonsAndImages) {
    Open();
    HWND tb = form->Toolbar();
    ASSERT_EQ(SendMessageW(tb, TB_BUTTONCOUNT, 0, 0), 5);
    EXPECT_TRUE(GetWindowLongPtrW(tb, GWL_STYLE) & CCS_TOP);
    EXPECT_FALSE(GetWindowLongPtrW(tb, GWL_STYLE) & TBSTYLE_LIST);  // captions under the pictures
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(tb, TB_GETIMAGELIST, 0, 0)), form->ImageList());

    struct Expected {
        BYTE style;
        const wchar_t* caption;
        int image;
    };
    const Expected expected[] = {
        {BTNS_BUTTON, L"Экспорт", 2}, {BTNS_SEP, L"", -1}, {BTNS_BUTTON, L"Обновить", 0},
        {BTNS_SEP, L"", -1},          {BTNS_BUTTON, L"О программе", 1},
    };
    for (int i = 0; i < 5; ++i) {
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageW(tb, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)));
        EXPECT_EQ(button.fsStyle & (BTNS_SEP | BTNS_CHECK | BTNS_DROPDOWN), expected[i].style) << i;
        if (expected[i].style == BTNS_SEP)
            continue;
        EXPECT_EQ(button.iBitmap, expected[i].image) << i;
        wchar_t caption[64] = {};
        SendMessageW(tb, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), reinterpret_cast<LPARAM>(caption));
        EXPECT_STREQ(caption, expected[i].caption);
    }

    EXPECT_EQ(ImageList_GetImageCount(form->ImageList()), 4);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(form->ImageList(), &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
}

// A process sees one DPI only, so the pictures of the other DPIs are checked by name and size
// here: a name in the tables that the resources lack would otherwise show only at that DPI.
TEST(PictureScales, EachDpiHasItsToolbarPicturesAndAboutIcon) {
    EXPECT_EQ(PictureScaleFor(143), PictureScale::Normal);
    EXPECT_EQ(PictureScaleFor(144), PictureScale::OneAndAHalf);
    EXPECT_EQ(PictureScaleFor(191), PictureScale::OneAndAHalf);
    EXPECT_EQ(PictureScaleFor(192), PictureScale::Double);

    const HINSTANCE instance = CApplication::Current().Instance;
    constexpr int kToolbarSizes[kPictureScaleCount] = {16, 24, 32};
    for (std::size_t scale = 0; scale < kPictureScaleCount; ++scale) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        for (const ToolbarImage& image : ToolbarImages()) {
            UniqueBitmap bitmap(
                static_cast<HBITMAP>(LoadImageW(instance, image.resources[scale], IMAGE_BITMAP, 0, 0, 0)));
            ASSERT_TRUE(bitmap) << "picture " << &image - ToolbarImages().data();
            BITMAP info{};
            GetObjectW(bitmap.get(), sizeof(info), &info);
            EXPECT_EQ(info.bmWidth, kToolbarSizes[scale]);
            EXPECT_EQ(info.bmHeight, kToolbarSizes[scale]);
        }
        // The About icon grows with the toolbar: twice its pictures' size.
        const AboutIcon icon = AboutIconFor(static_cast<PictureScale>(scale));
        EXPECT_EQ(icon.size, 2 * kToolbarSizes[scale]);
        EXPECT_TRUE(FindResourceW(instance, icon.name, RT_GROUP_ICON));
    }
}

TEST_F(MainWindow, ListSettingsAndColumns) {
    Open();
    HWND list = form->ListView();
    const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & LVS_EDITLABELS);
    EXPECT_FALSE(style & WS_BORDER);
    EXPECT_FALSE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    const auto ex = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
    EXPECT_FALSE(ex & LVS_EX_FLATSB);

    const wchar_t* headers[] = {L"Interface", L"IP", L"Mask", L"Broadcast", L"Realm size", L"Type"};
    const int widths[] = {52, 110, 112, 98, 88, 153};  // the designed twips at 96 DPI
    ASSERT_EQ(ListViewCtrl(list).ColumnCount(), 6);
    for (int i = 0; i < 6; ++i) {
        wchar_t text[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, headers[i]);
        ExpectScaled(column.cx, widths[i], headers[i]);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_EQ(GetWindow(form->Handle(), GW_CHILD), list);  // first in the tab order
}

TEST_F(MainWindow, MenuBarCaptionsShortcutsAndHiddenEditItems) {
    Open();
    HMENU bar = GetMenu(form->Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(MenuString(bar, 0), L"Файл");
    EXPECT_EQ(MenuString(bar, 1), L"Правка");
    EXPECT_EQ(MenuString(bar, 2), L"Справка");
    MENUITEMINFOW help{};
    help.cbSize = sizeof(help);
    help.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(bar, 2, TRUE, &help);
    EXPECT_TRUE(help.fType & MFT_RIGHTJUSTIFY);

    HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(MenuString(file, 0), L"Экспорт в файл...\tF2");
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(MenuString(file, 2), kExitText);

    HMENU edit = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(edit), 1);
    EXPECT_EQ(MenuString(edit, 0), L"Обновить\tF5");

    HMENU helpMenu = GetSubMenu(bar, 2);
    ASSERT_EQ(GetMenuItemCount(helpMenu), 5);
    EXPECT_EQ(MenuString(helpMenu, 0), L"Содержание...\tF1");
    EXPECT_EQ(MenuString(helpMenu, 2),
              L"О программе...\tShift+F1");
    EXPECT_EQ(GetMenuState(helpMenu, 3, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(MenuString(helpMenu, 4), L"English");
}

TEST_F(MainWindow, ListFillsTheClientAreaUnderTheToolbar) {
    Open();
    for (SIZE size : {SIZE{900, 600}, SIZE{400, 300}, SIZE{1200, 800}}) {
        SetWindowPos(form->Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client{}, toolbar{};
        GetClientRect(form->Handle(), &client);
        GetWindowRect(form->Toolbar(), &toolbar);
        const int toolbarHeight = toolbar.bottom - toolbar.top;
        EXPECT_GT(toolbarHeight, 20);  // captioned buttons make it tall
        const RECT list = ChildRect(form->ListView());
        EXPECT_EQ(list.left, 0);
        EXPECT_EQ(list.top, toolbarHeight);
        EXPECT_EQ(list.right, client.right);
        EXPECT_EQ(list.bottom, client.bottom);
        EXPECT_EQ(toolbar.right - toolbar.left, client.right);
    }
}

TEST_F(MainWindow, TooSmallOrMinimisedWindowLeavesTheListAsItWas) {
    Open();
    SetWindowPos(form->Handle(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    const RECT before = ChildRect(form->ListView());
    // A client area lower than the toolbar.
    RECT frame = {0, 0, 300, 10};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(form->Handle(), GWL_STYLE)), TRUE, 0);
    SetWindowPos(form->Handle(), nullptr, 0, 0, 300, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{}, toolbar{};
    GetClientRect(form->Handle(), &client);
    GetWindowRect(form->Toolbar(), &toolbar);
    ASSERT_LT(client.bottom, toolbar.bottom - toolbar.top);
    const RECT after = ChildRect(form->ListView());
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    SetWindowPos(form->Handle(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(form->Handle(), SW_SHOWNORMAL);
    ShowWindow(form->Handle(), SW_MINIMIZE);
    const RECT minimised = ChildRect(form->ListView());
    EXPECT_EQ(minimised.right - minimised.left, before.right - before.left);
    EXPECT_EQ(minimised.bottom - minimised.top, before.bottom - before.top);
    ShowWindow(form->Handle(), SW_RESTORE);
    const RECT restored = ChildRect(form->ListView());
    EXPECT_EQ(restored.bottom - restored.top, before.bottom - before.top);
    EXPECT_TRUE(boxes.empty());
}

// The sort kept from the last run is shown with the system's arrow on its column alone; a
// header click moves it, and closing keeps the new one. A sort that cannot be read is the
// table's own order, with no arrow.
TEST_F(MainWindow, StoredSortIsShownWithItsArrowAndAClickMovesIt) {
    auto arrows = [this] {
        std::wstring seen;
        const HeaderCtrl header = ListViewCtrl(form->ListView()).Header();
        for (int column = 0; column < header.GetItemCount(); ++column) {
            const int format = header.GetFormat(column);
            seen += format & HDF_SORTUP ? L'^' : format & HDF_SORTDOWN ? L'v' : L'-';
        }
        return seen;
    };
    recorder.values[L"IPs List Sort"] = L"4,1";  // Realm size, descending
    Open();
    EXPECT_EQ(arrows(), L"----v-");
    EXPECT_EQ(Cell(form->ListView(), 0, 4), L"1502");
    form->SortBy(1);
    EXPECT_EQ(arrows(), L"-^----");
    EXPECT_EQ(Cell(form->ListView(), 0, 1), L"10.0.0.1");
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(recorder.values[L"IPs List Sort"], L"1,0");

    recorder.values[L"IPs List Sort"] = L"6,0";  // no such column
    Open();
    EXPECT_EQ(arrows(), L"------");
    EXPECT_EQ(Cell(form->ListView(), 0, 4), L"1500");
}

TEST_F(MainWindow, RefreshShowsEachRowsSixCells) {
    RawRow a;
    a.addr = {192, 168, 0, 10};
    a.index = 1;
    a.mask = {255, 255, 255, 0};
    a.bcast = {192, 168, 0, 255};
    a.reasm = 65535;
    a.type = 0x01;
    RawRow b;
    b.addr = {10, 1, 2, 3};
    b.index = 0xFFFFFFFFu;
    b.reasm = 0x80000000u;
    b.type = 0x89;
    RawRow c;
    c.type = 0x12;  // no labelled bit
    recorder.rows = Rows({a, b, c});
    Open();
    HWND list = form->ListView();
    ASSERT_EQ(ItemCount(list), 3);
    const std::vector<std::vector<std::wstring>> expected = {
        {L"1", L"192.168.0.10", L"255.255.255.0", L"192.168.0.255", L"65535", L"Primary"},
        {L"4294967295", L"10.1.2.3", L"0.0.0.0", L"0.0.0.0", L"2147483648", L"Primary, Disconnected, Transient"},
        {L"0", L"0.0.0.0", L"0.0.0.0", L"0.0.0.0", L"0", L""},
    };
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 6; ++j)
            EXPECT_EQ(Cell(list, i, j), expected[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]);
}

// What an inspector in another process reads of the list (tests/e2e/probe's `list`), answered
// while the window's thread waits for messages as the program's loop does: the count, and each
// cell's text in the order shown.
TEST_F(MainWindow, AnotherProcessReadsTheCountAndEachCellAsShown) {
    const char* probe = std::getenv("NETPEEK_WINPROBE");
    if (!probe || !*probe)
        GTEST_SKIP() << "no probe (NETPEEK_WINPROBE names it)";
    recorder.values[L"IPs List Sort"] = L"1,1";  // IP, descending
    Open();
    std::wstring command = L"winprobe list";
    std::wstring path = L"Z:";
    for (const char* c = probe; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, &inherit, 0));
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(write);
    ASSERT_TRUE(started) << GetLastError();
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 20000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    std::string out(4096, '\0');
    DWORD got = 0;
    ReadFile(read, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
    out.resize(got);
    for (HANDLE handle : {read, process.hProcess, process.hThread})
        CloseHandle(handle);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(out,
              "3\n"
              "3\t10.0.2.1\t255.255.255.0\t1.0.0.0\t1502\tPrimary\n"
              "2\t10.0.1.1\t255.255.255.0\t1.0.0.0\t1501\tPrimary\n"
              "1\t10.0.0.1\t255.255.255.0\t1.0.0.0\t1500\tPrimary\n");
}

// Typing the start of a first column's text selects the next row with such a text, wrapping
// round; the letters typed in quick succession make one text to look for.
TEST_F(MainWindow, TypingSelectsTheNextRowWhoseFirstCellStartsSo) {
    recorder.rows = Rows(NumberedRows(60));  // interfaces 1 to 60
    Open();
    const ListViewCtrl list(form->ListView());
    const auto type = [&](const char* keys) {
        Sleep(600);  // a new text, not the last one's continuation
        for (const char* key = keys; *key; ++key)
            SendMessageW(list.Handle(), WM_CHAR, static_cast<WPARAM>(*key), 1);  // one key press
        return Cell(list.Handle(), list.GetFocused(), 0);
    };
    EXPECT_EQ(type("4"), L"4");
    EXPECT_EQ(type("4"), L"40");
    EXPECT_EQ(type("52"), L"52");
    EXPECT_EQ(type("1"), L"1") << "wrapping round to the top";
    EXPECT_EQ(list.GetSelected(), list.GetFocused());
    EXPECT_EQ(type("9"), L"9");
    EXPECT_EQ(type("0"), L"9") << "no such row";
}

TEST_F(MainWindow, RefreshReplacesTheListAndShowsTheWaitCursorMeanwhile) {
    Open();
    recorder.rows = Rows(NumberedRows(2000));
    form->RefreshList();
    form->RefreshList();
    EXPECT_EQ(ItemCount(form->ListView()), 2000);
    EXPECT_EQ(Cell(form->ListView(), 1999, 0), L"2000");
    EXPECT_EQ(recorder.cursorDuringSnapshot, LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));

    recorder.rows.clear();
    form->RefreshList();
    EXPECT_EQ(ItemCount(form->ListView()), 0);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(MainWindow, FailingSnapshotIsShownAndTheCursorComesBack) {
    Open();
    recorder.snapshotFails = true;
    // Through the menu, as a user would: the error stops at the window's boundary.
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::Edit, 0), 0);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, form->Handle());
    EXPECT_EQ(boxes[0].caption, L"Netpeek");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_NE(boxes[0].text.find(L"50: The IPv4 address table could not be read."), std::wstring::npos);
    EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST_F(MainWindow, FailingSnapshotAtLoadStillOpensTheWindow) {
    recorder.snapshotFails = true;
    Open();
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(ItemCount(form->ListView()), 0);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(MainWindow, LoadFailureIsAnErrorAndLeavesNoWindow) {
    auto services = recorder.Services();
    services.setMenuJustify = [](HWND, int, bool) { throw CError(ERROR_INVALID_MENU_HANDLE, L"no menu"); };
    form = std::make_unique<frmMain>(services);
    EXPECT_THROW(form->Create(nullptr), CError);
    EXPECT_EQ(form->Handle(), nullptr);
    // Nothing was loaded, so nothing is saved over the stored layout.
    const auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"SaveListLayout IPs List Netpeek true"), 0);
}

// Whatever a load throws, the program's own error or the runtime's, it is shown before the
// program ends, and the exit code says it failed.
TEST_F(MainWindow, AnyLoadFailureIsShownAndEndsTheProgramWithItsNumber) {
    auto services = recorder.Services();
    services.setMenuJustify = [](HWND, int, bool) { throw std::length_error("vector too long"); };
    EXPECT_EQ(modMain::Run(services), ERROR_INTERNAL_ERROR);
    services.setMenuJustify = [](HWND, int, bool) { throw std::bad_alloc(); };
    EXPECT_EQ(modMain::Run(services), ERROR_NOT_ENOUGH_MEMORY);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].text.find(L"1359: vector too long"), std::wstring::npos);
    EXPECT_EQ(boxes[1].text.find(L"8: "), kErrorPrefix.size());
    EXPECT_EQ(boxes[1].style, static_cast<UINT>(MB_ICONERROR | MB_OK));
}

TEST_F(MainWindow, ClosingOrEndingTheSessionSavesTheLayoutOnce) {
    const std::vector<std::wstring> saved = {
        L"SaveWindowPlacement [] Window placement Netpeek true",
        L"SaveListLayout IPs List Netpeek true",
    };
    std::vector<std::wstring> closed = saved;
    closed.insert(closed.begin(), {L"CancelIPChangeNotify", L"GetOverlappedResult wait"});
    // The session ends: Windows destroys no window then, so the layout is kept at once; a
    // shutdown that was called off keeps nothing.
    Open();
    recorder.Take();
    SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(recorder.Take(), saved);
    SendMessageW(form->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(recorder.Take().empty());
    // The close box.
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->Handle(), nullptr);
    EXPECT_EQ(recorder.Take(), closed);
    // File, Exit.
    Open();
    recorder.Take();
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::File, 100), 0);
    EXPECT_EQ(form->Handle(), nullptr);
    EXPECT_EQ(recorder.Take(), closed);
}

// The IPv6 switch: off, no IPv6 call at all; ticked, the IPv6 rows follow the IPv4 ones with
// their own cells, the chosen row stays chosen and the choice is kept; an IPv6 read that fails
// costs the IPv4 rows nothing.
TEST_F(MainWindow, TheIPv6SwitchAddsItsRowsAfterTheIPv4OnesAndKeepsTheChosenRow) {
    CIPv6AddrRow global, local;
    global.InterfaceIndex = 12;
    global.Address = V6({0x2001, 0xdb8, 0, 0, 0, 0, 0, 0x11});
    global.OnLinkPrefixLength = 64;
    global.PrefixOrigin = kPrefixOriginDhcp;
    global.DadState = kDadStatePreferred;
    local = global;
    local.Address = V6({0xfe80, 0, 0, 0, 0, 0, 0, 1});
    local.ScopeId = 12;
    local.PrefixOrigin = 0;
    recorder.rows6 = {global, local};
    Open();
    const HWND list = form->ListView();
    ListViewCtrl(list).SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    const auto calls = [&](const std::wstring& name) { return std::count(recorder.calls.begin(), recorder.calls.end(), name); };
    EXPECT_EQ(calls(L"GetIPv6Addresses"), 0);

    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::List, 3), 0);
    EXPECT_EQ(recorder.values[L"Show IPv6"], L"1");
    ASSERT_EQ(ItemCount(list), 5);
    EXPECT_EQ(ListViewCtrl(list).GetSelected(), 1);
    const std::vector<std::vector<std::wstring>> cells = {{L"12", L"2001:db8::11", L"/64", L"", L"", L"Dynamic"},
                                                          {L"12", L"fe80::1%12", L"/64", L"", L"", L""}};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 6; ++j)
            EXPECT_EQ(Cell(list, 3 + i, j), cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]);
    EXPECT_EQ(recorder.ipv6Notices, 1) << "the IPv6 table's own notice is followed too";

    recorder.ipv6Fails = true;
    form->RefreshList();
    EXPECT_EQ(ItemCount(list), 3);
    EXPECT_TRUE(boxes.empty()) << "quietly";

    recorder.ipv6Fails = false;
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::List, 3), 0);
    EXPECT_EQ(recorder.values[L"Show IPv6"], L"0");
    EXPECT_EQ(recorder.ipv6Notices, 0);
    const auto before = calls(L"GetIPv6Addresses");
    form->RefreshList();
    EXPECT_EQ(ItemCount(list), 3);
    EXPECT_EQ(calls(L"GetIPv6Addresses"), before);
}

// The IPv6 switch over an IPv4 table that cannot be read goes as F5 goes: the list is empty rather
// than the rows of the other switch, the error is shown once, and the switch is stored and ticked.
TEST_F(MainWindow, TheIPv6SwitchOverAnUnreadableTableEmptiesTheListAsF5Does) {
    Open();
    const UINT item = MenuCommandId(MenuArray::List, 3);
    UINT checked = 0;
    Hooks().trackPopupMenu = [&](HMENU menu, UINT, int, int, HWND) {
        checked = GetMenuState(menu, item, MF_BYCOMMAND) & MF_CHECKED;
        return TRUE;
    };
    recorder.snapshotFails = true;
    SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_EQ(ItemCount(form->ListView()), 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(recorder.values[L"Show IPv6"], L"1");
    SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->ListView()), MAKELPARAM(5, 5));
    EXPECT_NE(checked, 0u);
}

// Under Wine a withdrawn change notice never ends and the IPv6 notice has no handle: switching
// following off and on a thousand times with the system's own notices keeps no more handles, and
// the re-read still follows the table.
TEST_F(MainWindow, SwitchingFollowingOffAndOnKeepsNoMoreHandles) {
    const FormServices real = FormServices::Real();
    FormServices services = recorder.Services();
    services.notifyAddrChange = real.notifyAddrChange;
    services.cancelAddrChangeNotify = real.cancelAddrChangeNotify;
    services.addrChangeResult = real.addrChangeResult;
    services.notifyIPv6Change = real.notifyIPv6Change;
    recorder.values[L"Show IPv6"] = L"1";
    form = std::make_unique<frmMain>(services);
    form->Create(nullptr);
    const UINT item = MenuCommandId(MenuArray::List, 2);
    const DWORD before = OpenHandles();
    for (int i = 0; i < 2000; ++i)
        SendMessageW(form->Handle(), WM_COMMAND, item, 0);
    EXPECT_LE(OpenHandles(), before + 4);
    EXPECT_EQ(recorder.values[L"Auto Refresh"], L"1");

    recorder.rows = Rows(NumberedRows(5));
    SendMessageW(form->Handle(), WM_TIMER, 1, 0);  // the re-read's tick
    EXPECT_EQ(ItemCount(form->ListView()), 5);
    EXPECT_TRUE(boxes.empty());
}
