#pragma once
// Writing to a console, and the bytes of a message for a script that captures a console
// program's output. A console is written as text, so that it reads right in any code page; a
// file or a pipe gets a message in the code page Windows' own console programs write there.

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

// The code page a script expects a console program's redirected messages in: the console's
// output code page, or the OEM code page where the program has no console.
UINT RedirectedCodePage();

// The message's bytes in the code page: the typographic marks it lacks in ASCII (" for « »,
// - for —), any other character it lacks as the system converts it (nearest, else '?').
std::string MessageBytes(std::wstring_view text, UINT codePage);

}  // namespace netpeek
