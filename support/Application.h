#pragma once
// The application object: what the support services need to know of the running program
// to store or show something on its behalf.

#include <windows.h>

#include <string>

namespace netpeek {

// The program's icon group: the window's icons, the application window's and the About box's.
inline constexpr wchar_t kAppIconName[] = L"A_MAIN";
// The program's icon redrawn at 48 and 64 pixels, for the About box at 150 % and 200 %.
inline constexpr wchar_t kAboutLargeIconName[] = L"A_ABOUT";
// The product's name: the window's title, and the name its settings are kept under whatever
// the executable file happens to be called.
inline constexpr wchar_t kProductName[] = L"Netpeek";

// The font of the main window and the About box.
inline constexpr wchar_t kUiFontFace[] = L"Tahoma";
inline constexpr int kUiFontPoints = 9;

// The full name of a module's file (the executable's for null); empty when it cannot be had.
std::wstring ModuleFileName(HMODULE module);

struct CApplication {
    std::wstring Title;    // kProductName; also names the settings' key
    std::wstring ExeName;  // the executable's file name without ".exe", as it was started
    std::wstring Path;     // the executable's folder, without a trailing backslash
    HINSTANCE Instance = nullptr;

    // The running program, built on first use from the executable's own file name.
    static const CApplication& Current();
};

// Registers one of the program's window classes, once: a class already there is the same one.
// A window that shows itself gets the arrow cursor and the dialog face behind its controls.
void RegisterAppWindowClass(const wchar_t* name, WNDPROC proc, bool shown, const wchar_t* failure);

}  // namespace netpeek
