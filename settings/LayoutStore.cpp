#include "settings/LayoutStore.h"

#include <commctrl.h>

#include <optional>
#include <vector>

#include "support/Controls.h"
#include "support/LayoutText.h"
#include "support/ScreenDpi.h"

namespace netpeek {

namespace {

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
                                    const CApplication& /*app*/, const std::wstring& defaultValue,
                                    bool /*perUser*/, bool* stored) {
    const std::optional<std::wstring> text = m_store.Read(section, name);
    if (stored != nullptr)
        *stored = text.has_value();
    return text.value_or(defaultValue);
}

bool LayoutStore::WriteValue(const std::wstring& section, const std::wstring& name, long /*flags*/,
                             const std::wstring& value, const CApplication& /*app*/, bool /*perUser*/) {
    m_store.Write(section, name, value);
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
