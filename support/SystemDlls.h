#pragma once
// The system DLLs that the program loads itself instead of naming them in its import table.
// Windows looks for a DLL named there in the program's own folder first, and a program run
// from a Downloads folder would run whatever DLL of that name a web page left beside it.
// These come from the system folder only, each loaded at its first use and kept for the
// process; a function is looked up once, where it is used:
//
//     static const auto getIpAddrTable =
//         SystemFunction<decltype(&GetIpAddrTable)>(L"iphlpapi.dll", "GetIpAddrTable");

#include <windows.h>

#include "support/Handles.h"

namespace netpeek {

// The first thing the program does: from then on a DLL loaded by name, by us or by the
// system's own DLLs, comes from the system folder. Windows 7 without the update that brings
// the call has none; there only our own loads are kept to the system folder.
void LoadDllsFromSystemFolderOnly();

// Loads a DLL by its full path in the system folder, and what it needs from there too:
// through the loader's System32 search when `loaderSearch` (Windows 8, or 7 with the
// update), else through the search that starts in the DLL's own folder.
// A CError naming the DLL when it cannot be loaded.
UniqueModule LoadSystemDll(const wchar_t* name, bool loaderSearch);

// A function of a system DLL, which is loaded at the first call for it. A CError naming
// the DLL or the function when either is missing.
FARPROC SystemProc(const wchar_t* dll, const char* function);

template <typename F>
F SystemFunction(const wchar_t* dll, const char* function) {
    // Through the one function type that every other converts to without a warning.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(SystemProc(dll, function)));
}

}  // namespace netpeek
