#pragma once
// The modal About window.

#include <windows.h>

#include <string>

#include "support/Application.h"
#include "support/ScreenDpi.h"

namespace netpeek {

// The identifiers of the window's controls. A text line that is empty has no control at all.
inline constexpr int kAboutImageId = 100;  // the icon, or the picture given
inline constexpr int kAboutTitleId = 101;
inline constexpr int kAboutVersionId = 102;
inline constexpr int kAboutDescriptionId = 103;
inline constexpr int kAboutExtraId = 104;
inline constexpr int kAboutDedicationId = 105;

// The text lines the window shows, computed apart from the window.
struct AboutTexts {
    std::wstring title;        // the program's name
    std::wstring version;      // "Version 1.00.0009" in Russian; empty without a version block
    std::wstring description;  // the version block's FileDescription; may be empty
    std::wstring extra;
    std::wstring dedication;
};

// The icon the window shows at a picture scale: an icon group of the program's and the size to
// take from it.
struct AboutIcon {
    const wchar_t* name;
    int size;  // pixels
};
AboutIcon AboutIconFor(PictureScale scale);

AboutTexts AboutLines(const CApplication& app, const std::wstring& extra, const std::wstring& dedication);

// A string ("FileVersion", "FileDescription", ...) of the US English, Unicode table (040904B0)
// of a module file's version block; empty when the file, the block or the string is absent.
// A CError when the system's version library cannot be loaded.
std::wstring ReadVersionString(const std::wstring& moduleFile, const std::wstring& key);

class AboutBox {
public:
    static AboutBox& Instance();

    // Shows the program's icon, name, version (from the version block), description and the
    // dedication; `extra` is a line added under the description when not empty; `picture`
    // replaces the icon when given (it stays the caller's). OK, Enter and Esc close it.
    // The window is centred on its owner. A CError when the window cannot be created.
    void ShowAbout(HWND owner, const CApplication& app, const std::wstring& extra, HBITMAP picture,
                   const std::wstring& dedication);
};

}  // namespace netpeek
