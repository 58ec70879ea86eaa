#pragma once
// The program's persisted settings as the window and the export keep them: plain values, a
// window's placement and a list's column layout, in the store the program chose as it started
// (the registry, or the settings file beside it).

#include <windows.h>

#include <string>

#include "settings/ProgramStore.h"
#include "settings/StoredNames.h"
#include "support/Application.h"

namespace netpeek {

// The "flags" argument of ReadValue / WriteValue: 0 asks for nothing special, and no other
// flag has a meaning yet; any value is accepted and ignored.
inline constexpr long kLayoutNoFlags = 0;
// The last argument of every operation: true keeps the value for the current user. The program
// keeps nothing machine-wide, so false reads and writes the same per-user key (and is no error).
inline constexpr bool kLayoutPerUser = true;
// RestoreWindowPlacement's minimum width and height: 0 keeps the window's own minimum.
inline constexpr int kLayoutNoMinimum = 0;
// RestoreWindowPlacement's show command: 0 brings the window back maximised or normal as it
// was stored; SW_SHOWMAXIMIZED asks for maximised and any other command for normal (a restore
// never minimises or hides a window).
inline constexpr int kLayoutShowAsStored = 0;

// The application object of every operation is the running program, for which its store was
// chosen: it does not choose another.
class LayoutStore {
public:
    // The program's own store.
    LayoutStore() : m_store(ProgramStore()) {}
    explicit LayoutStore(ValueStore& store) : m_store(store) {}

    // The stored string, or defaultValue when there is none (or, in the registry, not a REG_SZ).
    // *stored (when given) tells whether a stored value was found. Values of the empty section
    // live in the program's key itself (the file's section named after the product), others in a
    // subkey (a section) of that name.
    std::wstring ReadValue(const std::wstring& section, const std::wstring& name, long flags,
                           const CApplication& app, const std::wstring& defaultValue, bool perUser,
                           bool* stored = nullptr);

    // Stores value (in the registry as a REG_SZ, creating keys as needed); true on success. The
    // registry throws a CError naming the key on failure; the file keeps the value in memory then.
    bool WriteValue(const std::wstring& section, const std::wstring& name, long flags,
                    const std::wstring& value, const CApplication& app, bool perUser);

    // The top-level window's normal-state rectangle, in screen coordinates, and whether it is
    // maximised (a minimised window counts as maximised when it would come back maximised).
    // False when the window's placement cannot be read; a CError when it cannot be stored.
    bool SaveWindowPlacement(HWND window, const std::wstring& section, const std::wstring& name,
                             const CApplication& app, bool perUser);

    // Reapplies a stored placement when it parses completely, is at least minWidth x minHeight
    // (when those are not 0) and lies mostly on the work area of a monitor that exists now;
    // otherwise leaves the window as it is, silently, and returns 0. A visible window is moved
    // and maximised or restored at once. A hidden window is only moved, never shown: showing it
    // is the caller's business. Returns the state it restored, SW_SHOWMAXIMIZED or
    // SW_SHOWNORMAL, which is what a hidden window is to be shown with.
    int RestoreWindowPlacement(HWND window, const std::wstring& section, const std::wstring& name,
                               const CApplication& app, int minWidth, int minHeight, int showCommand, bool perUser);

    // Each column's width (with the screen's DPI) and the columns' display order of a
    // report-view list, as one value in the program's own key. False when the list has
    // no columns to save; a CError when it cannot be stored.
    bool SaveListLayout(HWND list, const std::wstring& name, const CApplication& app, bool perUser);

    // Reapplies a stored column layout, scaled to the screen's DPI, when it parses completely,
    // its count matches the list's, each width is within 0..10000 pixels and its order is a
    // permutation; otherwise leaves the columns as they are. Returns whether it applied one.
    bool RestoreListLayout(HWND list, const std::wstring& name, const CApplication& app, bool perUser);

private:
    ValueStore& m_store;
};

}  // namespace netpeek
