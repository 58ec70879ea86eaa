#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>

#include "support/AboutBox.h"
#include "support/Error.h"
#include "support/Hooks.h"
#include "texts/Texts.h"

using namespace netpeek;

namespace {

// The version of this test's own version block (aboutbox_test.rc), as the box shows it.
const std::wstring kVersionLine = L"Версия 9.87.0654";
const std::wstring kDedication = L"Посвящается всем, кто считает адреса по пальцам & не сбивается.";

CApplication TestApp() {
    CApplication app;
    app.Title = app.ExeName = L"NetpeekTest";
    app.Instance = GetModuleHandleW(nullptr);
    return app;
}

// An in-memory DLGTEMPLATE read back the way the dialog manager reads it.
struct ParsedTemplate {
    DWORD style = 0;
    std::wstring caption, font;
    WORD points = 0;
    std::map<WORD, std::pair<DWORD, std::wstring>> items;  // id -> style, text
};

const WORD* ReadString(const WORD* p, std::wstring& out) {
    while (*p != 0)
        out += static_cast<wchar_t>(*p++);
    return p + 1;
}

ParsedTemplate Parse(LPCDLGTEMPLATEW tmpl) {
    ParsedTemplate t;
    t.style = tmpl->style;
    const WORD* p = reinterpret_cast<const WORD*>(tmpl) + 9;  // past the fixed header
    EXPECT_EQ(p[0] | p[1], 0) << "menu or class";
    p = ReadString(p + 2, t.caption);
    if (t.style & DS_SETFONT) {
        t.points = *p++;
        p = ReadString(p, t.font);
    }
    for (WORD i = 0; i < tmpl->cdit; ++i) {
        if (reinterpret_cast<std::uintptr_t>(p) % 4 != 0)
            ++p;
        std::wstring text;
        const WORD* next = ReadString(p + 11, text);  // past style, extended style, x, y, cx, cy, id, class
        t.items[p[8]] = {static_cast<DWORD>(p[0] | (p[1] << 16)), text};
        p = next + 1;  // no creation data
    }
    return t;
}

// What the timer saw of the running dialog before closing it the way `how` says.
enum class Close { Command, Escape, Enter };
struct Probe {
    HWND owner = nullptr;
    Close how = Close::Command;
    int ticks = 0;
    bool acted = false, gaveUp = false, ownerDisabled = false, hasImage = false;
    std::map<int, std::wstring> texts;
    std::map<int, RECT> rects;  // client coordinates; -1 is the dialog's client area, -2 its window
};
Probe g_probe;

BOOL CALLBACK CloseAbout(HWND d, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(d, className, 16);
    if (std::wstring(className) != L"#32770" || GetWindow(d, GW_OWNER) != g_probe.owner || !IsWindowVisible(d))
        return TRUE;
    g_probe.acted = true;
    g_probe.ownerDisabled = !IsWindowEnabled(g_probe.owner);
    g_probe.hasImage = SendDlgItemMessageW(d, kAboutImageId, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0 ||
                       SendDlgItemMessageW(d, kAboutImageId, STM_GETICON, 0, 0) != 0;
    wchar_t text[512] = {};
    GetWindowTextW(d, text, 512);
    g_probe.texts[0] = text;
    GetClientRect(d, &g_probe.rects[-1]);
    GetWindowRect(d, &g_probe.rects[-2]);
    for (int id : {kAboutImageId, kAboutTitleId, kAboutVersionId, kAboutDescriptionId, kAboutExtraId,
                   kAboutDedicationId, IDOK}) {
        if (const HWND item = GetDlgItem(d, id)) {
            GetDlgItemTextW(d, id, text, 512);
            g_probe.texts[id] = text;
            GetWindowRect(item, &g_probe.rects[id]);
            MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&g_probe.rects[id]), 2);
        }
    }
    const HWND focus = IsChild(d, GetFocus()) ? GetFocus() : d;
    if (g_probe.how == Close::Command)
        SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
    else
        PostMessageW(focus, WM_KEYDOWN, g_probe.how == Close::Escape ? VK_ESCAPE : VK_RETURN, 1);
    return FALSE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (++g_probe.ticks > 100) {  // five seconds and still open: end the modal loop and fail
        g_probe.gaveUp = true;
        PostQuitMessage(0);
    } else if (!g_probe.acted) {
        EnumThreadWindows(GetCurrentThreadId(), CloseAbout, 0);
    }
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = Hooks().dialogBoxIndirect;
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 200, 150, 600, 400, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        Hooks().dialogBoxIndirect = saved;
        DestroyWindow(owner);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Runs the real dialog, closed by the timer; returns what EndDialog was given.
    INT_PTR RunReal(Close how, const std::wstring& extra, HBITMAP picture) {
        ShowWindow(owner, SW_SHOWNORMAL);  // centring needs an owner on the screen
        g_probe = Probe{};
        g_probe.owner = owner;
        g_probe.how = how;
        INT_PTR result = 0;
        Hooks().dialogBoxIndirect = [&result](HINSTANCE i, LPCDLGTEMPLATEW t, HWND o, DLGPROC p, LPARAM l) {
            return result = DialogBoxIndirectParamW(i, t, o, p, l);
        };
        EXPECT_NE(SetTimer(owner, 1, 50, OnTimer), 0u);
        AboutBox::Instance().ShowAbout(owner, app, extra, picture, kDedication);
        KillTimer(owner, 1);
        EXPECT_FALSE(g_probe.gaveUp) << "the dialog did not close";
        EXPECT_TRUE(g_probe.acted && g_probe.ownerDisabled) << "no modal dialog found";
        EXPECT_TRUE(IsWindowEnabled(owner));
        // Centred on the owner, with the image left of the lines, the lines one under another
        // and OK below them all, inside the window.
        RECT o{};
        GetWindowRect(owner, &o);
        const RECT& d = g_probe.rects[-2];
        EXPECT_NEAR(d.left + d.right, o.left + o.right, 3);
        EXPECT_NEAR(d.top + d.bottom, o.top + o.bottom, 3);
        const RECT& image = g_probe.rects[kAboutImageId];
        int bottom = 0;
        for (const auto& [id, r] : g_probe.rects) {
            if (id < 0 || id == kAboutImageId || id == IDOK)
                continue;
            EXPECT_GE(r.left, image.right);
            EXPECT_GE(r.top, bottom) << id;
            EXPECT_LE(r.right, g_probe.rects[-1].right);
            bottom = r.bottom;
        }
        EXPECT_GE(g_probe.rects[IDOK].top, std::max<LONG>(bottom, image.bottom));
        EXPECT_LE(g_probe.rects[IDOK].bottom, g_probe.rects[-1].bottom);
        return result;
    }

    CApplication app = TestApp();
    HWND owner = nullptr;
    std::function<INT_PTR(HINSTANCE, LPCDLGTEMPLATEW, HWND, DLGPROC, LPARAM)> saved;
};

}  // namespace

TEST(AboutLines, VersionComesFromTheUsEnglishTableAndAbsentStringsGiveNoLine) {
    const AboutTexts texts = AboutLines(TestApp(), L"extra", L"dedication");
    EXPECT_EQ(texts.title, L"NetpeekTest");
    EXPECT_EQ(texts.version, kVersionLine);
    EXPECT_EQ(texts.description, L"");  // not in the English table; the Russian one is not read
    EXPECT_EQ(texts.extra, L"extra");
    EXPECT_EQ(texts.dedication, L"dedication");

    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(ReadVersionString(exe, L"ProductName"), L"Netpeek test");
    EXPECT_EQ(ReadVersionString(L"C:\\no\\such\\file.exe", L"FileVersion"), L"");
    wchar_t notProgram[MAX_PATH] = {};
    GetSystemDirectoryW(notProgram, MAX_PATH);
    const std::wstring hosts = std::wstring(notProgram) + L"\\drivers\\etc\\hosts";
    ASSERT_NE(GetFileAttributesW(hosts.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadVersionString(hosts, L"FileVersion"), L"");
}

TEST_F(AboutBoxTest, TemplateGoesToTheHookWithOwnerCaptionFontAndOnlyTheLinesThatHaveText) {
    HWND seenOwner = nullptr;
    ParsedTemplate seen;
    Hooks().dialogBoxIndirect = [&](HINSTANCE, LPCDLGTEMPLATEW tmpl, HWND o, DLGPROC, LPARAM) {
        seenOwner = o;
        seen = Parse(tmpl);
        return static_cast<INT_PTR>(IDOK);
    };
    AboutBox::Instance().ShowAbout(owner, app, L"Extra line", nullptr, kDedication);
    EXPECT_EQ(seenOwner, owner);
    EXPECT_EQ(seen.caption, L"О программе");
    EXPECT_NE(seen.style & DS_SETFONT, 0u);
    EXPECT_EQ(seen.font, L"Tahoma");
    EXPECT_EQ(seen.points, 9);
    EXPECT_EQ(seen.items[IDOK].first & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(seen.items[kAboutImageId].first & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_EQ(seen.items[kAboutTitleId].second, L"NetpeekTest");
    EXPECT_EQ(seen.items[kAboutVersionId].second, kVersionLine);
    EXPECT_EQ(seen.items[kAboutExtraId].second, L"Extra line");
    EXPECT_EQ(seen.items[kAboutDedicationId].second, kDedication);
    EXPECT_NE(seen.items[kAboutDedicationId].first & SS_NOPREFIX, 0u);  // '&' is shown as it is
    EXPECT_EQ(seen.items.count(kAboutDescriptionId), 0u);

    const HBITMAP picture = CreateBitmap(48, 40, 1, 32, nullptr);
    AboutBox::Instance().ShowAbout(owner, app, L"", picture, kDedication);
    EXPECT_EQ(seen.items.count(kAboutExtraId), 0u);
    EXPECT_EQ(seen.items[kAboutImageId].first & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
    DeleteObject(picture);

    Hooks().dialogBoxIndirect = [](HINSTANCE, LPCDLGTEMPLATEW, HWND, DLGPROC, LPARAM) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return static_cast<INT_PTR>(-1);
    };
    EXPECT_THROW(AboutBox::Instance().ShowAbout(owner, app, L"", nullptr, kDedication), CError);
}

TEST_F(AboutBoxTest, RealDialogShowsItsLinesAndClosesOnCommandEscapeAndEnter) {
    EXPECT_EQ(RunReal(Close::Command, L"Extra line", nullptr), IDCANCEL);
    EXPECT_EQ(g_probe.texts[0], Text(TextId::AboutCaption));
    EXPECT_EQ(g_probe.texts[kAboutTitleId], L"NetpeekTest");
    EXPECT_EQ(g_probe.texts[kAboutVersionId], kVersionLine);
    EXPECT_EQ(g_probe.texts[kAboutExtraId], L"Extra line");
    EXPECT_EQ(g_probe.texts[kAboutDedicationId], kDedication);
    EXPECT_EQ(g_probe.texts.count(kAboutDescriptionId), 0u);
    EXPECT_TRUE(g_probe.hasImage);
    // The long dedication wraps rather than being cut at the window's edge.
    const RECT& title = g_probe.rects[kAboutTitleId];
    const RECT& dedication = g_probe.rects[kAboutDedicationId];
    EXPECT_GT(dedication.bottom - dedication.top, (title.bottom - title.top) * 3 / 2);

    EXPECT_EQ(RunReal(Close::Escape, L"", nullptr), IDCANCEL);
    EXPECT_EQ(g_probe.texts.count(kAboutExtraId), 0u);
    EXPECT_EQ(RunReal(Close::Enter, L"", nullptr), IDOK);
    EXPECT_EQ(g_probe.texts[kAboutDedicationId], kDedication);
}

TEST_F(AboutBoxTest, PictureTakesTheIconsPlaceAtItsOwnSizeAndStaysTheCallers) {
    const HBITMAP picture = CreateBitmap(120, 90, 1, 32, nullptr);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(RunReal(Close::Enter, L"", picture), IDOK);
    EXPECT_TRUE(g_probe.hasImage);
    EXPECT_EQ(g_probe.rects[kAboutImageId].right - g_probe.rects[kAboutImageId].left, 120);
    EXPECT_EQ(g_probe.rects[kAboutImageId].bottom - g_probe.rects[kAboutImageId].top, 90);
    BITMAP info{};
    EXPECT_NE(GetObjectW(picture, sizeof(info), &info), 0);
    EXPECT_TRUE(DeleteObject(picture));
}
