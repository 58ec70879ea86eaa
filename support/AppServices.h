#pragma once
// Process- and window-wide services that start-up and the main window call.

#include <windows.h>

#include <string>

namespace netpeek {

// Registers the executable under the current user's "App Paths", so that Win+R finds
// "Netpeek". Best effort: returns false on failure and raises nothing.
bool asRegisterAppPath();

// True only while a debugger is attached.
bool asIsInIDE();

// The hidden top-level application window that owns the main window; made on first use.
HWND asGetThunderMainHandle();

// Sets the window's small and large icons from the named icon group of the executable.
void asSetWindowResIconAll(HWND window, const std::wstring& iconName);

// Centres the window on the work area of the monitor it is on.
void asCenterFormEx(HWND window);

// Right-justifies (or not) the menu-bar title at `position` and redraws the menu bar.
void asSetMenuJustify(HWND window, int position, bool rightJustify);

// Opens the read-me of the language in use (ReadMe.txt, ReadMe.en.txt) from the program's folder
// with the system's viewer for text files, on behalf of `owner`. `which` selects the file; 0 is
// the program's own read-me, the only one.
void asOpenReadMeFile(HWND owner, long which);

// The full name of the read-me of the language in use.
std::wstring ReadMePath();

}  // namespace netpeek
