#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/Error.h"
#include "support/SystemDlls.h"

using namespace netpeek;

namespace {

std::wstring FolderOf(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring file(path, length);
    return file.substr(0, file.find_last_of(L'\\'));
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    return std::wstring(path, GetSystemDirectoryW(path, MAX_PATH));
}

}  // namespace

// Both ways, the loader's System32 search and the full path that Windows 7 gets, reach the
// system folder's DLL.
TEST(SystemDlls, BothWaysLoadTheDllOfTheSystemFolder) {
    for (bool loaderSearch : {true, false}) {
        const UniqueModule module = LoadSystemDll(L"version.dll", loaderSearch);
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(CompareStringOrdinal(FolderOf(module.get()).c_str(), -1, SystemFolder().c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << FolderOf(module.get()) << ", loader search " << loaderSearch;
    }
}

TEST(SystemDlls, MissingDllOrFunctionIsAnErrorThatNamesIt) {
    for (bool loaderSearch : {true, false}) {
        try {
            LoadSystemDll(L"netpeek-no-such.dll", loaderSearch);
            ADD_FAILURE() << "a missing DLL loaded, loader search " << loaderSearch;
        } catch (const CError& e) {
            EXPECT_EQ(e.Number(), static_cast<std::uint32_t>(ERROR_MOD_NOT_FOUND));
            EXPECT_NE(e.Description().find(L"netpeek-no-such.dll"), std::wstring::npos) << e.what();
        }
    }
    try {
        SystemProc(L"version.dll", "NetpeekNoSuchFunction");
        ADD_FAILURE() << "a missing function was found";
    } catch (const CError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::uint32_t>(ERROR_PROC_NOT_FOUND));
        EXPECT_NE(e.Description().find(L"NetpeekNoSuchFunction"), std::wstring::npos) << e.what();
        EXPECT_NE(e.Description().find(L"version.dll"), std::wstring::npos) << e.what();
    }
}
