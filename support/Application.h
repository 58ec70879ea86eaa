#pragma once
// The application object: what the support services need to know of the running program
// to store or show something on its behalf.

#include <windows.h>

#include <string>

namespace netpeek {

// The program's icon group: the window's icons, the application window's and the About box's.
inline constexpr wchar_t kAppIconName[] = L"A_MAIN";

struct CApplication {
    std::wstring Title;    // "Netpeek"
    std::wstring ExeName;  // "Netpeek", without ".exe"
    std::wstring Path;     // the executable's folder, without a trailing backslash
    HINSTANCE Instance = nullptr;

    // The running program, built on first use from the executable's own file name.
    static const CApplication& Current();
};

}  // namespace netpeek
