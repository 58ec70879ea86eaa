#include "support/AppServices.h"

#include <algorithm>
#include <memory>

#include "support/Application.h"
#include "support/Handles.h"
#include "support/Hooks.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

constexpr wchar_t kAppPathsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr wchar_t kAppWindowClass[] = L"NetpeekApplication";

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

}  // namespace

bool asRegisterAppPath() {
    const CApplication& app = CApplication::Current();
    HKEY raw = nullptr;
    const std::wstring keyName = kAppPathsKey + app.ExeName + L".exe";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                        nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey key(raw);
    return SetString(key.get(), nullptr, app.Path + L"\\" + app.ExeName + L".exe") &&
           SetString(key.get(), L"Path", app.Path);
}

bool asIsInIDE() {
    return IsDebuggerPresent() != FALSE;
}

HWND asGetThunderMainHandle() {
    // Lives as long as the process; the system destroys it at exit, after the main window.
    static UniqueWindow window = [] {
        const CApplication& app = CApplication::Current();
        RegisterAppWindowClass(kAppWindowClass, DefWindowProcW, false, Text(TextId::ErrAppClass).data());
        HWND hwnd = CreateWindowExW(0, kAppWindowClass, app.Title.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                    nullptr, app.Instance, nullptr);
        if (!hwnd)
            ThrowLastError(std::wstring(Text(TextId::ErrAppWindow)));
        return UniqueWindow(hwnd);
    }();
    return window.get();
}

void asSetWindowResIconAll(HWND window, const std::wstring& iconName) {
    const HINSTANCE instance = CApplication::Current().Instance;
    // Shared icons belong to the system's cache, so nothing here frees them.
    auto load = [&](int cx, int cy) {
        HANDLE icon = LoadImageW(instance, iconName.c_str(), IMAGE_ICON, cx, cy, LR_SHARED);
        if (!icon)
            ThrowLastError(TextWith(TextId::ErrIcon, iconName));
        return reinterpret_cast<LPARAM>(icon);
    };
    SendMessageW(window, WM_SETICON, ICON_SMALL, load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    SendMessageW(window, WM_SETICON, ICON_BIG, load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
}

void asCenterFormEx(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect))
        ThrowLastError(std::wstring(Text(TextId::ErrWindowPosition)));
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        ThrowLastError(std::wstring(Text(TextId::ErrWorkArea)));
    const RECT& work = info.rcWork;
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    const LONG left = work.left + (work.right - work.left - width) / 2;
    // A window taller than the work area keeps its title bar on screen.
    const LONG top = std::max(work.top, work.top + (work.bottom - work.top - height) / 2);
    if (!SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
        ThrowLastError(std::wstring(Text(TextId::ErrCentre)));
}

void asSetMenuJustify(HWND window, int position, bool rightJustify) {
    HMENU menu = GetMenu(window);
    if (!menu)
        throw CError(ERROR_INVALID_MENU_HANDLE, std::wstring(Text(TextId::ErrNoMenuBar)));
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item))
        ThrowLastError(TextWith(TextId::ErrMenuTitleRead, std::to_wstring(position)));
    item.fType = rightJustify ? (item.fType | MFT_RIGHTJUSTIFY) : (item.fType & ~UINT{MFT_RIGHTJUSTIFY});
    if (!SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item))
        ThrowLastError(TextWith(TextId::ErrMenuTitleChange, std::to_wstring(position)));
    DrawMenuBar(window);
}

std::wstring ReadMePath() {
    return CApplication::Current().Path + L"\\" + std::wstring(CurrentLanguage().readMe);
}

void asOpenReadMeFile(HWND owner, long which) {
    if (which != 0)
        throw CError(ERROR_INVALID_PARAMETER, TextWith(TextId::ErrNoReadMe, std::to_wstring(which)));
    const std::wstring path = ReadMePath();
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        ThrowLastError(TextWith(TextId::ErrReadMe, path));
    if (!Hooks().shellOpen(owner, path))
        ThrowLastError(TextWith(TextId::ErrReadMe, path));
}

}  // namespace netpeek
