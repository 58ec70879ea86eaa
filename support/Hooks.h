#pragma once
// The few calls into Windows that block on the user or reach outside the program: the
// modal dialogs and the shell, its notification area too, and the writes of a log that others
// write to as well. The tests replace them; the program uses the real ones.

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace netpeek {

struct SystemHooks {
    std::function<BOOL(OPENFILENAMEW*)> getSaveFileName;
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style)>
        messageBox;
    // Opens a document with the program the shell associates with it; false on failure
    // with GetLastError set.
    std::function<bool(HWND owner, const std::wstring& path)> shellOpen;
    // Runs a modal dialog from an in-memory template; returns what EndDialog was given.
    std::function<INT_PTR(HINSTANCE, LPCDLGTEMPLATEW, HWND, DLGPROC, LPARAM)> dialogBoxIndirect;
    // Shows a popup menu at a point of the screen until the user has chosen or left it.
    std::function<BOOL(HMENU, UINT flags, int x, int y, HWND owner)> trackPopupMenu;
    // Adds, changes or removes an icon of the notification area (Shell_NotifyIconW).
    std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)> shellNotifyIcon;
    // Lets a message through User Interface Privilege Isolation to a window of an elevated program
    // (ChangeWindowMessageFilterEx).
    std::function<BOOL(HWND window, UINT message, DWORD action)> changeWindowMessageFilter;
    // Writes to a file (WriteFile, synchronous): false on failure with GetLastError set; `written`
    // says how many bytes went out, also on a failure.
    std::function<BOOL(HANDLE file, const void* data, DWORD size, DWORD* written)> writeFile;

    SystemHooks();  // the real Windows calls
};

// The hooks in force for this process.
SystemHooks& Hooks();

}  // namespace netpeek
