// A DLL that a web page could leave beside Netpeek.exe in a Downloads folder, under the name
// of a system DLL (PLANTED_NAME). It leaves planted-<name>.loaded in its own folder when it
// is loaded, and planted-<name>.called when the program's own code calls one of its
// functions: stubs of those the program uses, so that a program importing them by name would
// start with it. Calls from system DLLs that import it leave no mark.
#include <windows.h>

#include <string>

namespace {

HINSTANCE g_self;

void LeaveMarker(const wchar_t* what) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(g_self, path.data(), MAX_PATH));
    path.erase(path.find_last_of(L'\\') + 1);
    path += std::wstring(L"planted-" PLANTED_NAME L".") + what;
    const HANDLE marker = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
}

void CalledFrom(void* returnAddress) {
    HMODULE caller = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(returnAddress), &caller) &&
        caller == GetModuleHandleW(nullptr))
        LeaveMarker(L"called");
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = self;
        LeaveMarker(L"loaded");
    }
    return TRUE;
}

// Every stub fails as the real function does when it has nothing to give.
extern "C" {
__declspec(dllexport) DWORD WINAPI GetIpAddrTable(void*, ULONG*, BOOL) {
    CalledFrom(__builtin_return_address(0));
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) ULONG WINAPI GetAdaptersAddresses(ULONG, ULONG, void*, void*, ULONG*) {
    CalledFrom(__builtin_return_address(0));
    return ERROR_NOT_SUPPORTED;
}
__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(const wchar_t*, DWORD*) {
    CalledFrom(__builtin_return_address(0));
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
}
__declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(const wchar_t*, DWORD, DWORD, void*) {
    CalledFrom(__builtin_return_address(0));
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
}
__declspec(dllexport) BOOL WINAPI VerQueryValueW(const void*, const wchar_t*, void**, UINT*) {
    CalledFrom(__builtin_return_address(0));
    return FALSE;
}
}
