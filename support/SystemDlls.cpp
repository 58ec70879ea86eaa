#include "support/SystemDlls.h"

#include <cstring>
#include <map>
#include <string>

#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// Windows 8 has it, and Windows 7 with KB2533623, which also teaches LoadLibraryExW the
// LOAD_LIBRARY_SEARCH_* flags; looked up since a plain import would keep 7 from starting.
SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesCall() {
    static const auto call = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    return call;
}

std::wstring SystemFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    for (;;) {
        const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
        if (length == 0)
            ThrowLastError(std::wstring(Text(TextId::ErrSystemFolder)));
        if (length < folder.size()) {
            folder.resize(length);
            return folder;
        }
        folder.resize(length);
    }
}

}  // namespace

void LoadDllsFromSystemFolderOnly() {
    // It fails only on flags it does not know; our own loads name the system folder anyway.
    if (const SetDefaultDllDirectoriesFn call = SetDefaultDllDirectoriesCall())
        call(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

UniqueModule LoadSystemDll(const wchar_t* name, bool loaderSearch) {
    // By its full path, since by its name alone the loader would hand back any DLL of that
    // name that is loaded already, from wherever it came.
    const std::wstring path = SystemFolder() + L'\\' + name;
    UniqueModule module(LoadLibraryExW(path.c_str(), nullptr,
                                       loaderSearch ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) {
        const DWORD error = GetLastError();
        throw SystemError(error, TextWith(TextId::ErrSystemLibrary, name));
    }
    return module;
}

FARPROC SystemProc(const wchar_t* dll, const char* function) {
    // Kept until the process ends, so that every function handed out stays valid.
    static std::map<std::wstring, UniqueModule> loaded;
    auto found = loaded.find(dll);
    if (found == loaded.end())
        found = loaded.emplace(dll, LoadSystemDll(dll, SetDefaultDllDirectoriesCall() != nullptr)).first;
    const FARPROC proc = GetProcAddress(found->second.get(), function);
    if (proc == nullptr) {
        const DWORD error = GetLastError();
        throw SystemError(error, TextWith(TextId::ErrSystemFunction, std::wstring(function, function + std::strlen(function)), dll));
    }
    return proc;
}

}  // namespace netpeek
