// The process and window services, the read-me and the error box.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/AppServices.h"
#include "support/Application.h"
#include "support/ErrorBox.h"
#include "support/Hooks.h"
#include "support/SystemError.h"

using namespace netpeek;

namespace {

class AppServices : public ::testing::Test {
protected:
    void SetUp() override {
        window = CreateWindowExW(0, L"STATIC", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                 CreateMenu(), nullptr, nullptr);
        Hooks().shellOpen = [this](HWND owner, const std::wstring& path) {
            opened.push_back({owner, path});
            return true;
        };
        Hooks().messageBox = [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
            boxes.push_back({owner, text + L"|" + caption + L"|" + std::to_wstring(style)});
            return IDOK;
        };
    }
    void TearDown() override {
        Hooks() = SystemHooks();
        ErrorBox::Instance().SetOwner(nullptr);
        DestroyWindow(window);
        DeleteFileW(ReadMePath().c_str());
    }

    HWND window = nullptr;
    std::vector<std::pair<HWND, std::wstring>> opened;
    std::vector<std::pair<HWND, std::wstring>> boxes;
};

// A hook of the thread's that refuses every window, as Windows lets one.
LRESULT CALLBACK RefuseWindows(int code, WPARAM window, LPARAM info) {
    return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, window, info);
}

}  // namespace

TEST_F(AppServices, ReadMeOpensBesideTheProgramOrIsAnErrorNamingIt) {
    const std::wstring path = ReadMePath();
    EXPECT_EQ(path, CApplication::Current().Path + L"\\ReadMe.txt");
    DeleteFileW(path.c_str());
    try {
        asOpenReadMeFile(window, 0);
        FAIL() << "no error for a missing read-me";
    } catch (const CError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
        EXPECT_NE(e.Description().find(path), std::wstring::npos) << e.what();
    }
    EXPECT_TRUE(opened.empty());

    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    asOpenReadMeFile(window, 0);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, window);
    EXPECT_EQ(opened[0].second, path);
}

TEST_F(AppServices, HelpTitleIsRightJustifiedAndCanBeUndone) {
    HMENU bar = GetMenu(window);
    for (const wchar_t* title : {L"File", L"Edit", L"Help"})
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), title);
    auto justified = [&](UINT position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(bar, position, TRUE, &item);
        return (item.fType & MFT_RIGHTJUSTIFY) != 0;
    };
    asSetMenuJustify(window, 2, true);
    EXPECT_TRUE(justified(2));
    EXPECT_FALSE(justified(1));
    asSetMenuJustify(window, 2, false);
    EXPECT_FALSE(justified(2));
    EXPECT_THROW(asSetMenuJustify(window, 7, true), CError);
}

TEST_F(AppServices, WindowIsCentredOnItsMonitorsWorkArea) {
    SetWindowPos(window, nullptr, 5, 7, 300, 200, SWP_NOZORDER);
    asCenterFormEx(window);
    RECT r{};
    GetWindowRect(window, &r);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_LE(std::abs((r.left + r.right) - (info.rcWork.left + info.rcWork.right)), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) - (info.rcWork.top + info.rcWork.bottom)), 1);

    // Taller than the work area: the title bar stays on screen.
    SetWindowPos(window, nullptr, 0, 0, 300, info.rcWork.bottom + 500, SWP_NOZORDER | SWP_NOMOVE);
    asCenterFormEx(window);
    GetWindowRect(window, &r);
    EXPECT_EQ(r.top, info.rcWork.top);
}

TEST_F(AppServices, IconsComeFromTheNamedGroupAndAMissingOneIsAnError) {
    asSetWindowResIconAll(window, L"A_MAIN");
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    try {
        asSetWindowResIconAll(window, L"NO_SUCH_ICON");
        FAIL() << "no error for a missing icon";
    } catch (const CError& e) {
        EXPECT_NE(e.Description().find(L"NO_SUCH_ICON"), std::wstring::npos);
    }
}

TEST_F(AppServices, ApplicationWindowIsOneHiddenTopLevelWindow) {
    const HWND app = asGetThunderMainHandle();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(asGetThunderMainHandle(), app);
    EXPECT_FALSE(IsWindowVisible(app));
    EXPECT_EQ(GetParent(app), nullptr);
    EXPECT_FALSE(asIsInIDE());
}

TEST_F(AppServices, AppPathIsRegisteredForTheCurrentUser) {
    const CApplication& app = CApplication::Current();
    const std::wstring key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + app.ExeName + L".exe";
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    ASSERT_TRUE(asRegisterAppPath());
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), app.Path + L"\\" + app.ExeName + L".exe");
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

TEST_F(AppServices, ErrorBoxShowsMessageThenDescriptionOwnedByTheMainWindow) {
    ErrorBox::Instance().SetOwner(window);
    const CError error(ERROR_ACCESS_DENIED, L"Access is denied.");
    ErrorBox::Instance().ShowError(error, MB_ICONERROR, L"C:\\x.csv", L"", false);
    ErrorBox::Instance().ShowError(error, MB_ICONERROR, L"", L"", true);
    ErrorBox::Instance().ShowError(error, MB_OK, L"m", L"Other", false);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].first, window);
    EXPECT_EQ(boxes[0].second, L"C:\\x.csv\r\n\r\nAccess is denied.|Netpeek|16");
    // "Ошибка 5: " before the description.
    EXPECT_EQ(boxes[1].second, L"Ошибка 5: Access is denied.|Netpeek|16");
    EXPECT_EQ(boxes[2].second, L"m\r\n\r\nAccess is denied.|Other|0");
}

// A window refused with no reason given (a hook said no; Wine while it restarts its desktop): the
// error says what failed, and never gives the system's text for success as the reason.
TEST_F(AppServices, AFailureWindowsGaveNoReasonForIsNeverToldAsSuccess) {
    const HHOOK refuse = SetWindowsHookExW(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId());
    ASSERT_NE(refuse, nullptr);
    SetLastError(ERROR_SUCCESS);
    const HWND refused =
        CreateWindowExW(0, L"STATIC", L"refused", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    UnhookWindowsHookEx(refuse);
    ASSERT_EQ(refused, nullptr);
    try {
        ThrowLastError(L"The window could not be created.");
    } catch (const CError& e) {
        EXPECT_EQ(e.Description().find(L"The window could not be created.\r\n"), 0u) << e.what();
        EXPECT_EQ(e.Description().find(SystemMessage(ERROR_SUCCESS)), std::wstring::npos) << e.what();
        return;
    }
    ADD_FAILURE() << "no error raised";
}
