#include "tray/LogonStart.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/Application.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// What Task Manager writes for an entry it lets run: 2, then eleven bytes of nothing.
constexpr std::uint8_t kApprovedOn[12] = {2};

// The bytes of a value of the user's key, and its type; none where there is none.
std::optional<std::vector<std::uint8_t>> ValueBytes(const wchar_t* key, DWORD types, DWORD* type = nullptr) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, kLogonValueName, types, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(size);
    if (RegGetValueW(HKEY_CURRENT_USER, key, kLogonValueName, types, type, bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

// The Run value, a REG_SZ or a REG_EXPAND_SZ as stored, its variables not expanded yet.
std::optional<RunValue> ReadRunValue() {
    DWORD type = REG_NONE;
    std::optional<std::vector<std::uint8_t>> bytes =
        ValueBytes(kRunKey, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type);
    if (!bytes)
        return std::nullopt;
    return RunValue{std::move(*bytes), type == REG_EXPAND_SZ};
}

// The text with its environment variables expanded, as Windows expands a REG_EXPAND_SZ command
// before it runs it; none where it cannot be.
std::optional<std::wstring> Expanded(const std::wstring& text) {
    const DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::wstring expanded(size, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
    // An environment that grew in between leaves the text unexpanded: it names nothing.
    if (written == 0 || written > size)
        return std::nullopt;
    expanded.resize(written - 1);
    return expanded;
}

// Whether two paths name one file as Windows compares them: ordinally, whatever the case of any
// letter, Cyrillic as Latin.
bool SamePath(std::wstring_view a, std::wstring_view b) {
    constexpr std::size_t kLongest = 32767;
    return a.size() <= kLongest && b.size() <= kLongest &&
           CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
               CSTR_EQUAL;
}

// A value written or deleted, or why it could not be; one that is not there is deleted already.
void Check(LSTATUS status, const wchar_t* key) {
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        throw SystemError(static_cast<DWORD>(status),
                          TextWith(TextId::ErrLogonChange, L"HKEY_CURRENT_USER\\" + std::wstring(key)));
}

}  // namespace

bool ValuesStart(const std::optional<RunValue>& run, const std::optional<std::vector<std::uint8_t>>& approved,
                 std::wstring_view exePath) {
    if (!run || (approved && !StartupApproved(*approved)))
        return false;
    std::optional<std::wstring> command = StringValueText(run->bytes);
    if (command && run->expandable)
        command = Expanded(*command);
    const std::wstring_view program = command ? CommandProgram(*command) : std::wstring_view();
    return !program.empty() && SamePath(program, exePath);
}

bool StartsAtLogon() {
    return ValuesStart(ReadRunValue(), ValueBytes(kApprovedKey, RRF_RT_REG_BINARY), ModuleFileName(nullptr));
}

void SetStartAtLogon(bool on) {
    if (!on) {
        Check(RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kLogonValueName), kRunKey);
        Check(RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kLogonValueName), kApprovedKey);
        return;
    }
    const std::wstring exe = ModuleFileName(nullptr);
    if (exe.empty())
        ThrowLastError(std::wstring(Text(TextId::ErrOwnPath)));
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
