#include "tray/LogonStart.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "support/Application.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// What Task Manager writes for an entry it lets run: 2, then eleven bytes of nothing.
constexpr std::uint8_t kApprovedOn[12] = {2};

// The bytes of a value of the user's key, none where there is none.
std::optional<std::vector<std::uint8_t>> ValueBytes(const wchar_t* key, DWORD types) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, kLogonValueName, types, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(size);
    if (RegGetValueW(HKEY_CURRENT_USER, key, kLogonValueName, types, nullptr, bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

// A value written or deleted, or why it could not be; one that is not there is deleted already.
void Check(LSTATUS status, const wchar_t* key) {
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        throw SystemError(static_cast<DWORD>(status), L"The start at logon could not be changed in HKEY_CURRENT_USER\\" +
                                                          std::wstring(key) + L".");
}

}  // namespace

bool StartsAtLogon() {
    return ValuesStart(ValueBytes(kRunKey, RRF_RT_REG_SZ), ValueBytes(kApprovedKey, RRF_RT_REG_BINARY),
                       ModuleFileName(nullptr));
}

void SetStartAtLogon(bool on) {
    if (!on) {
        Check(RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kLogonValueName), kRunKey);
        Check(RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kLogonValueName), kApprovedKey);
        return;
    }
    const std::wstring exe = ModuleFileName(nullptr);
    if (exe.empty())
        ThrowLastError(L"The program's own path could not be read.");
    const std::wstring command = LogonCommandFor(exe);
    Check(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kLogonValueName, REG_SZ, command.c_str(),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
          kRunKey);
    // Turned off in Windows' own list, the entry would not run: it is turned on there too.
    const std::optional<std::vector<std::uint8_t>> approved = ValueBytes(kApprovedKey, RRF_RT_REG_BINARY);
    if (approved && !StartupApproved(*approved))
        Check(RegSetKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kLogonValueName, REG_BINARY, kApprovedOn,
                              sizeof(kApprovedOn)),
              kApprovedKey);
}

}  // namespace netpeek
