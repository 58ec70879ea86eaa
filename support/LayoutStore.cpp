#include "support/LayoutStore.h"
#include "support/Handles.h"

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "support/Controls.h"
#include "support/LayoutText.h"
#include "support/ScreenDpi.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

// The program's key below HKEY_CURRENT_USER, and the section's subkey within it. It is named
// by the product, not the file: a copy saved as "Netpeek (1).exe" keeps the same settings.
std::wstring KeyPath(const std::wstring& section, const CApplication& app) {
    std::wstring path = std::wstring(kLayoutStoreRoot) + L"\\" + app.Title;
    if (!section.empty())
        path += L"\\" + section;
    return path;
}

// Reads a REG_SZ value whatever its stored length: the data need not end in a NUL, may hold
// an odd number of bytes (the stray byte is dropped) and ends at its first NUL.
std::optional<std::wstring> QueryString(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow between asking its size and reading it; a few rounds settle that.
    for (int attempt = 0; attempt < 4 && status == ERROR_SUCCESS; ++attempt) {
        if (type != REG_SZ)
            return std::nullopt;
        std::vector<BYTE> bytes(static_cast<std::size_t>(size) + sizeof(wchar_t), 0);
        DWORD got = size;
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, bytes.data(), &got);
        if (status == ERROR_MORE_DATA) {
            size = got;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ)
            return std::nullopt;
        std::wstring text(std::min<std::size_t>(got, size) / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
        const std::size_t end = text.find(L'\0');
        if (end != std::wstring::npos)
            text.resize(end);
        return text;
    }
    return std::nullopt;
}

IntRect ToIntRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const IntRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// How far a monitor's workspace origin lies from its screen origin. GetWindowPlacement and
// SetWindowPlacement speak workspace coordinates for top-level windows other than tool
// windows, so a taskbar at the top or left would shift a placement stored as is.
POINT WorkspaceOffset(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info))
        return {0, 0};
    return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

bool UsesWorkspaceCoordinates(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0;
}

}  // namespace

std::wstring LayoutStore::ReadValue(const std::wstring& section, const std::wstring& name, long /*flags*/,
                                    const CApplication& app, const std::wstring& defaultValue,
                                    bool /*perUser*/, bool* stored) {
    if (stored != nullptr)
        *stored = false;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(section, app).c_str(), 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return defaultValue;
    const UniqueKey key(raw);
    std::optional<std::wstring> text = QueryString(key.get(), name);
    if (!text)
        return defaultValue;
    if (stored != nullptr)
        *stored = true;
    return *text;
}

bool LayoutStore::WriteValue(const std::wstring& section, const std::wstring& name, long /*flags*/,
                             const std::wstring& value, const CApplication& app, bool /*perUser*/) {
    const std::wstring path = KeyPath(section, app);
    const std::wstring where = L"The setting \"" + name + L"\" could not be stored in HKEY_CURRENT_USER\\" +
                               path + L".";
    const std::size_t bytes = (value.size() + 1) * sizeof(wchar_t);
    if (bytes > MAXDWORD)
        throw SystemError(ERROR_INVALID_PARAMETER, where);
    HKEY raw = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS)
        throw SystemError(static_cast<DWORD>(status), where);
    const UniqueKey key(raw);
    status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(bytes));
    if (status != ERROR_SUCCESS)
        throw SystemError(static_cast<DWORD>(status), where);
    return true;
}

bool LayoutStore::SaveWindowPlacement(HWND window, const std::wstring& section, const std::wstring& name,
                                      const CApplication& app, bool perUser) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!IsWindow(window) || !GetWindowPlacement(window, &wp))
        return false;
    RECT rect = wp.rcNormalPosition;
    if (UsesWorkspaceCoordinates(window)) {
        const POINT offset = WorkspaceOffset(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
        OffsetRect(&rect, offset.x, offset.y);
    }
    // A minimised window is stored as the state it would come back to.
    const bool maximized = wp.showCmd == SW_SHOWMAXIMIZED ||
                           (wp.showCmd == SW_SHOWMINIMIZED && (wp.flags & WPF_RESTORETOMAXIMIZED) != 0);
    return WriteValue(section, name, kLayoutNoFlags, FormatPlacement({ToIntRect(rect), maximized}), app,
                      perUser);
}

int LayoutStore::RestoreWindowPlacement(HWND window, const std::wstring& section, const std::wstring& name,
                                        const CApplication& app, int minWidth, int minHeight, int showCommand,
                                        bool perUser) {
    if (!IsWindow(window))
        return 0;
    bool stored = false;
    const std::wstring text = ReadValue(section, name, kLayoutNoFlags, app, L"", perUser, &stored);
    const std::optional<StoredPlacement> placement = ParsePlacement(text);
    if (!stored || !placement)
        return 0;
    const IntRect& r = placement->rect;
    // ParsePlacement has made both sizes positive; compare in 64 bits, as a width may exceed int.
    if (static_cast<long long>(r.right) - r.left < minWidth || static_cast<long long>(r.bottom) - r.top < minHeight)
        return 0;

    // A monitor that was unplugged, or a resolution that shrank, would put the window out of
    // reach; only a rectangle mostly on some monitor's work area comes back.
    RECT rect = ToRect(r);
    const HMONITOR monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info) || !MostlyWithin(r, ToIntRect(info.rcWork)))
        return 0;

    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!GetWindowPlacement(window, &wp))
        return 0;
    if (UsesWorkspaceCoordinates(window)) {
        const POINT offset = WorkspaceOffset(monitor);
        OffsetRect(&rect, -offset.x, -offset.y);
    }
    const bool maximized = showCommand == kLayoutShowAsStored ? placement->maximized
                                                              : showCommand == SW_SHOWMAXIMIZED;
    wp.flags = 0;
    wp.rcNormalPosition = rect;
    // SetWindowPlacement shows the window with its show command; a window that is not shown
    // yet gets SW_HIDE, which only moves it, so that it appears once, when and how its owner
    // shows it with what this returns.
    const int restored = maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    wp.showCmd = IsWindowVisible(window) ? restored : SW_HIDE;
    return SetWindowPlacement(window, &wp) ? restored : 0;
}

bool LayoutStore::SaveListLayout(HWND list, const std::wstring& name, const CApplication& app, bool perUser) {
    const ListViewCtrl view(list);
    const int count = view.ColumnCount();
    if (count <= 0)
        return false;
    StoredListLayout layout;
    layout.dpi = ScreenDpi();
    for (int i = 0; i < count; ++i)
        layout.widths.push_back(view.GetColumnWidth(i));
    layout.order.assign(static_cast<std::size_t>(count), 0);
    if (!view.GetColumnOrder(count, layout.order.data()))
        return false;
    return WriteValue(kProgramSection, name, kLayoutNoFlags, FormatListLayout(layout), app, perUser);
}

bool LayoutStore::RestoreListLayout(HWND list, const std::wstring& name, const CApplication& app, bool perUser) {
    bool stored = false;
    const std::wstring text = ReadValue(kProgramSection, name, kLayoutNoFlags, app, L"", perUser, &stored);
    const std::optional<StoredListLayout> layout = ParseListLayout(text);
    if (!stored || !layout)
        return false;
    const ListViewCtrl view(list);
    const int count = view.ColumnCount();
    if (count <= 0 || layout->order.size() != static_cast<std::size_t>(count))
        return false;
    if (!view.SetColumnOrder(count, layout->order.data()))
        return false;
    const std::vector<int> widths = ScaledWidths(*layout, ScreenDpi());
    for (int i = 0; i < count; ++i)
        view.SetColumnWidth(i, widths[static_cast<std::size_t>(i)]);
    return true;
}

}  // namespace netpeek
