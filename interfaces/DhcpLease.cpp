#include "interfaces/DhcpLease.h"

#include <windows.h>

#include "support/Handles.h"

namespace netpeek {

namespace {

constexpr wchar_t kInterfacesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
constexpr wchar_t kObtainedValue[] = L"LeaseObtainedTime";

// A GUID in braces, nothing else: the name is put into a registry path.
bool IsGuidName(const std::wstring& name) {
    if (name.size() != 38 || name.front() != L'{' || name.back() != L'}')
        return false;
    for (std::size_t i = 1; i + 1 < name.size(); ++i) {
        const wchar_t c = name[i];
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        const bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
        if (dash ? c != L'-' : !hex)
            return false;
    }
    return true;
}

}  // namespace

std::optional<std::int64_t> LeaseObtained(const std::wstring& adapterName) {
    if (!IsGuidName(adapterName))
        return std::nullopt;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kInterfacesKey) + adapterName).c_str(), 0, KEY_QUERY_VALUE,
                      &raw) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueKey key(raw);
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExW(key.get(), kObtainedValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value) || value == 0)
        return std::nullopt;
    return static_cast<std::int64_t>(value);
}

}  // namespace netpeek
