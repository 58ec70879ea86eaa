#include "support/Application.h"

#include "support/SystemError.h"

namespace netpeek {

namespace {

CApplication Describe() {
    CApplication app;
    app.Instance = GetModuleHandleW(nullptr);
    const std::wstring path = ModuleFileName(nullptr);
    const std::size_t slash = path.find_last_of(L"\\/");
    app.Path = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of(L'.');
    app.ExeName = dot == std::wstring::npos ? file : file.substr(0, dot);
    app.Title = kProductName;
    return app;
}

}  // namespace

std::wstring ModuleFileName(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        // A name that fills the buffer may have been cut short.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

const CApplication& CApplication::Current() {
    static const CApplication app = Describe();
    return app;
}

void RegisterAppWindowClass(const wchar_t* name, WNDPROC proc, bool shown, const wchar_t* failure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = CApplication::Current().Instance;
    if (shown) {
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    }
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(failure);
}

}  // namespace netpeek
