#include "support/Application.h"

namespace netpeek {

namespace {

CApplication Describe() {
    CApplication app;
    app.Instance = GetModuleHandleW(nullptr);
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    app.Path = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of(L'.');
    app.ExeName = dot == std::wstring::npos ? file : file.substr(0, dot);
    app.Title = kProductName;
    return app;
}

}  // namespace

const CApplication& CApplication::Current() {
    static const CApplication app = Describe();
    return app;
}

}  // namespace netpeek
