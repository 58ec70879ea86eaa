#pragma once
// Writing to a console: as text, so that it reads right in any code page.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace netpeek {

// Whether the handle is a console's screen rather than a file, a pipe or another device, also
// when it was opened for writing alone (the device CON).
bool IsConsole(HANDLE handle);

// One console write, WriteConsoleW's arguments but the reserved one: the program's is
// WriteConsoleW itself; tests give a console of their own.
using ConsoleWriteFn = std::function<BOOL(HANDLE console, const wchar_t* chars, DWORD count, DWORD* written)>;
BOOL WriteConsoleWide(HANDLE console, const wchar_t* chars, DWORD count, DWORD* written);

// The whole text on the console, in pieces as ConsolePieceLength cuts them, each ending on a
// whole character, or a CError with the console's error.
void WriteConsoleText(HANDLE console, std::wstring_view text, const ConsoleWriteFn& write = WriteConsoleWide);

}  // namespace netpeek
