#pragma once
// What the main window asks of the rest of the program: the table's sources, which the feed reads,
// and the window's own services. The program binds the real services; the window tests bind
// recording doubles.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "changelog/ChangeLog.h"
#include "feed/TableSources.h"
#include "settings/Settings.h"
#include "support/Application.h"

namespace netpeek {

struct FormServices : TableSources {
    std::function<void(HWND)> centerForm;
    std::function<bool()> isInIDE;
    std::function<void(HWND, const std::wstring&)> setWindowResIconAll;
    std::function<void(HWND, int, bool)> setMenuJustify;

    // The show command the window is to be shown with first; 0 when nothing was restored.
    std::function<int(HWND, const std::wstring& section, const std::wstring& name, const CApplication&,
                      int minWidth, int minHeight, int showCommand, bool perUser)>
        restoreWindowPlacement;
    std::function<bool(HWND list, const std::wstring& name, const CApplication&, bool perUser)> restoreListLayout;
    std::function<bool(HWND, const std::wstring& section, const std::wstring& name, const CApplication&,
                       bool perUser)>
        saveWindowPlacement;
    std::function<bool(HWND list, const std::wstring& name, const CApplication&, bool perUser)> saveListLayout;

    std::function<std::wstring(const std::wstring& section, const std::wstring& name, long flags,
                               const CApplication&, const std::wstring& defaultValue, bool perUser)>
        readValue;
    std::function<bool(const std::wstring& section, const std::wstring& name, long flags, const std::wstring& value,
                       const CApplication&, bool perUser)>
        writeValue;

    std::function<void(HWND owner, long which)> openReadMeFile;
    std::function<void(HWND owner, const CApplication&, const std::wstring&, HBITMAP, const std::wstring&)>
        showAbout;
    std::function<void(HWND owner, HWND list)> exportList;

    // The program's own services.
    static FormServices Real();
};

// The program's values, kept through the services' value store.
SettingsStore SettingsOf(const FormServices& services);
// Where the log window's placement is kept, through the services' placement store.
ChangeLog::Placement LogPlacementOf(const FormServices& services);

}  // namespace netpeek
