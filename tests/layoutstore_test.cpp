#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "settings/LayoutStore.h"
#include "settings/RegistryStore.h"
#include "support/Error.h"

using namespace netpeek;

// RECT lives in the global namespace, so its comparison and printing for the checks do too.
static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
static std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

constexpr wchar_t kTestKey[] = L"Software\\Brindle\\NetpeekTest";
const std::vector<int> kBuiltInWidths{50, 60, 70, 80, 90, 100};
const std::vector<int> kIdentity{0, 1, 2, 3, 4, 5};
const RECT kOriginal{100, 100, 500, 400};

RECT WindowRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

class LayoutStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&icc));
        app.Title = app.ExeName = L"NetpeekTest";
        app.Instance = GetModuleHandleW(nullptr);
    }
    void TearDown() override {
        for (HWND w : windows)
            DestroyWindow(w);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }

    // A hidden top-level window at kOriginal. The static class needs no registering.
    HWND MakeWindow(DWORD exStyle = 0) {
        const HWND w = CreateWindowExW(exStyle, L"STATIC", L"test", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, nullptr,
                                       nullptr, nullptr, nullptr);
        EXPECT_NE(w, nullptr);
        windows.push_back(w);
        return w;
    }

    // A report list with six columns of the built-in widths.
    HWND MakeList(int columns = 6) {
        const HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 380, 200, MakeWindow(),
                                          nullptr, nullptr, nullptr);
        for (int i = 0; i < columns; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH;
            column.cx = kBuiltInWidths[static_cast<std::size_t>(i)];
            SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        }
        return list;
    }
    static std::vector<int> Widths(HWND list) {
        std::vector<int> widths;
        for (WPARAM i = 0; i < 6; ++i)
            widths.push_back(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0)));
        return widths;
    }
    static std::vector<int> Order(HWND list) {
        std::vector<int> order(6, -1);
        SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 6, reinterpret_cast<LPARAM>(order.data()));
        return order;
    }

    std::wstring Stored(const std::wstring& section, const std::wstring& name, bool* stored = nullptr) {
        return store.ReadValue(section, name, kLayoutNoFlags, app, L"<none>", kLayoutPerUser, stored);
    }
    void Store(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
        EXPECT_TRUE(store.WriteValue(section, name, kLayoutNoFlags, value, app, kLayoutPerUser));
    }
    bool Save(HWND w) { return store.SaveWindowPlacement(w, L"Main", L"Placement", app, kLayoutPerUser); }
    int Restore(HWND w, int minWidth = 0, int minHeight = 0, int show = kLayoutShowAsStored) {
        return store.RestoreWindowPlacement(w, L"Main", L"Placement", app, minWidth, minHeight, show, kLayoutPerUser);
    }

    CApplication app;
    RegistryStore registry{L"NetpeekTest"};
    LayoutStore store{registry};
    std::vector<HWND> windows;
};

// Raw value data, as a damaged or foreign value would have it.
void SetRawValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kTestKey, name, type, data, size), ERROR_SUCCESS);
}

}  // namespace

TEST_F(LayoutStoreTest, ValuesRoundTripAsStringsInTheProgramKeyOrASectionSubkey) {
    const std::wstring cyrillic = L"Список";
    Store(L"", L"Name", L"top");
    Store(L"Sub", L"Name", cyrillic);
    Store(L"Sub", L"Empty", L"");
    bool stored = false;
    EXPECT_EQ(Stored(L"", L"Name"), L"top");
    EXPECT_EQ(Stored(L"Sub", L"Name"), cyrillic);
    EXPECT_EQ(Stored(L"Sub", L"Empty", &stored), L"");
    EXPECT_TRUE(stored);
    EXPECT_EQ(store.ReadValue(L"Sub", L"Name", kLayoutNoFlags, app, L"", false), cyrillic);  // same store

    wchar_t buffer[16] = {};
    DWORD size = sizeof(buffer);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kTestKey) + L"\\Sub").c_str(), L"Name", RRF_RT_REG_SZ,
                           nullptr, buffer, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(buffer, cyrillic);
}

TEST_F(LayoutStoreTest, AbsentForeignOrMalformedValuesAreReadSafely) {
    bool stored = true;
    EXPECT_EQ(Stored(L"", L"Name", &stored), L"<none>");  // no key
    EXPECT_FALSE(stored);
    Store(L"", L"Other", L"x");
    EXPECT_EQ(Stored(L"", L"Name", &stored), L"<none>");  // no value
    EXPECT_FALSE(stored);
    EXPECT_EQ(Stored(L"Missing", L"Other"), L"<none>");
    const DWORD number = 42;
    SetRawValue(L"Number", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(Stored(L"", L"Number", &stored), L"<none>");
    EXPECT_FALSE(stored);

    SetRawValue(L"Unterminated", REG_SZ, L"abc", 6);
    EXPECT_EQ(Stored(L"", L"Unterminated"), L"abc");
    SetRawValue(L"Odd", REG_SZ, L"abc", 5);  // half of the third character
    EXPECT_EQ(Stored(L"", L"Odd"), L"ab");
    SetRawValue(L"Embedded", REG_SZ, L"ab\0cd", 12);
    EXPECT_EQ(Stored(L"", L"Embedded"), L"ab");
    const std::wstring longText(70000, L'z');
    SetRawValue(L"Long", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() * 2));
    EXPECT_EQ(Stored(L"", L"Long"), longText);
}

TEST_F(LayoutStoreTest, WriteFailureIsAnErrorNamingTheKey) {
    try {
        store.WriteValue(std::wstring(300, L's'), L"Name", kLayoutNoFlags, L"v", app, kLayoutPerUser);
        FAIL() << "no error";
    } catch (const CError& e) {
        EXPECT_NE(e.Description().find(L"HKEY_CURRENT_USER\\Software\\Brindle\\NetpeekTest\\sss"), std::wstring::npos)
            << e.what();
    }
}

TEST_F(LayoutStoreTest, NormalPlacementRoundTripsWithoutShowingTheWindow) {
    for (DWORD exStyle : {0ul, static_cast<unsigned long>(WS_EX_TOOLWINDOW)}) {
        const HWND w = MakeWindow(exStyle);
        ASSERT_TRUE(Save(w));
        EXPECT_EQ(Stored(L"Main", L"Placement"), L"100,100,500,400,0");
        SetWindowPos(w, nullptr, 10, 20, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(Restore(w), SW_SHOWNORMAL);
        EXPECT_EQ(WindowRect(w), kOriginal);
        EXPECT_FALSE(IsWindowVisible(w));
    }
}

TEST_F(LayoutStoreTest, MaximisedOrMinimisedFromMaximisedComesBackMaximised) {
    const HWND first = MakeWindow();
    ShowWindow(first, SW_SHOWMAXIMIZED);
    ASSERT_TRUE(Save(first));
    EXPECT_EQ(Stored(L"Main", L"Placement"), L"100,100,500,400,1");
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(first));
    ASSERT_TRUE(Save(first));
    EXPECT_EQ(Stored(L"Main", L"Placement"), L"100,100,500,400,1");

    // Not shown yet: moved, left hidden, and shown maximised once through the caller.
    const HWND hidden = MakeWindow();
    SetWindowPos(hidden, nullptr, 10, 20, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    const int show = Restore(hidden);
    EXPECT_EQ(show, SW_SHOWMAXIMIZED);
    EXPECT_FALSE(IsWindowVisible(hidden));
    ShowWindow(hidden, show);
    EXPECT_TRUE(IsZoomed(hidden));
    ShowWindow(hidden, SW_RESTORE);
    EXPECT_EQ(WindowRect(hidden), kOriginal);

    // Shown and minimised: brought back maximised at once, or normal when the caller says so.
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_EQ(Restore(first), SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(first));
    ASSERT_EQ(Restore(first, 0, 0, SW_SHOWNORMAL), SW_SHOWNORMAL);
    EXPECT_FALSE(IsZoomed(first));
    EXPECT_EQ(WindowRect(first), kOriginal);
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(Save(first));
    EXPECT_EQ(Stored(L"Main", L"Placement"), L"100,100,500,400,0");
}

TEST_F(LayoutStoreTest, UnsoundOrUnreachablePlacementLeavesTheWindowAlone) {
    const HWND w = MakeWindow();
    for (const wchar_t* text :
         {L"", L"abc", L"1,2,3", L"1,2,3,4,5,6", L"10,10,300,300,2", L"10, 10,300,300,0", L"10,10,300,99999999999,0",
          L"500,100,100,400,0", L"100,400,500,100,0", L"30000,30000,30400,30300,0", L"-30400,100,-30000,400,1",
          L"1000,800,1600,1200,0", L"-2147483648,-2147483648,2147483647,2147483647,0"}) {
        Store(L"Main", L"Placement", text);
        EXPECT_FALSE(Restore(w)) << testing::PrintToString(std::wstring(text));
        EXPECT_EQ(WindowRect(w), kOriginal) << testing::PrintToString(std::wstring(text));
        EXPECT_FALSE(IsWindowVisible(w));
    }
    // Three quarters on the screen is enough; less than the minimum size is not.
    Store(L"Main", L"Placement", L"-100,50,300,350,0");
    EXPECT_FALSE(Restore(w, 401, 0));
    EXPECT_FALSE(Restore(w, 0, 301));
    EXPECT_EQ(WindowRect(w), kOriginal);
    EXPECT_TRUE(Restore(w, 400, 300));
    EXPECT_EQ(WindowRect(w), (RECT{-100, 50, 300, 350}));
}

TEST_F(LayoutStoreTest, ListLayoutRoundTripsAndScalesFromAnotherDpi) {
    const std::vector<int> widths{120, 0, 75, 200, 33, 64};
    std::vector<int> order{5, 0, 3, 1, 4, 2};
    const HWND saved = MakeList();
    for (WPARAM i = 0; i < 6; ++i)
        SendMessageW(saved, LVM_SETCOLUMNWIDTH, i, widths[i]);
    SendMessageW(saved, LVM_SETCOLUMNORDERARRAY, 6, reinterpret_cast<LPARAM>(order.data()));
    ASSERT_TRUE(store.SaveListLayout(saved, L"IPs List", app, kLayoutPerUser));
    const HDC dc = GetDC(saved);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(saved, dc);
    EXPECT_EQ(Stored(L"", L"IPs List"), std::to_wstring(dpi) + L";120,0,75,200,33,64;5,0,3,1,4,2");

    const HWND list = MakeList();
    ASSERT_TRUE(store.RestoreListLayout(list, L"IPs List", app, kLayoutPerUser));
    EXPECT_EQ(Widths(list), widths);
    EXPECT_EQ(Order(list), order);

    Store(L"", L"IPs List", std::to_wstring(dpi * 2) + L";200,100,50,400,2,0;0,1,2,3,4,5");
    ASSERT_TRUE(store.RestoreListLayout(list, L"IPs List", app, kLayoutPerUser));
    EXPECT_EQ(Widths(list), (std::vector<int>{100, 50, 25, 200, 1, 0}));
    EXPECT_EQ(Order(list), kIdentity);
}

TEST_F(LayoutStoreTest, DamagedListLayoutLeavesTheBuiltInColumns) {
    const HWND list = MakeList();
    for (const wchar_t* text : {L"", L"abc", L"96;10,20,30,40,50;0,1,2,3,4", L"96;10,20,30,40,50,60,70;0,1,2,3,4,5,6",
                                L"96;10,20,30,40,50,60;0,0,1,2,3,4", L"96;10,20,30,40,50,60;1,2,3,4,5,6",
                                L"96;10,-20,30,40,50,60;5,4,3,2,1,0", L"96;10,20,30,40,50,10001;5,4,3,2,1,0",
                                L"96;10,20,30,40,50,60x;5,4,3,2,1,0"}) {
        Store(L"", L"IPs List", text);
        EXPECT_FALSE(store.RestoreListLayout(list, L"IPs List", app, kLayoutPerUser))
            << testing::PrintToString(std::wstring(text));
        EXPECT_EQ(Widths(list), kBuiltInWidths) << testing::PrintToString(std::wstring(text));
        EXPECT_EQ(Order(list), kIdentity) << testing::PrintToString(std::wstring(text));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    EXPECT_FALSE(store.SaveListLayout(MakeList(0), L"IPs List", app, kLayoutPerUser));  // no columns
    EXPECT_EQ(Stored(L"", L"IPs List"), L"<none>");
}
