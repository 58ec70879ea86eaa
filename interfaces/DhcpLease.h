#pragma once
// When Windows' DHCP client obtained an interface's IPv4 lease: the adapter read does not tell,
// but the client keeps it in the registry beside the interface's other settings, where ipconfig
// reads it too.

#include <cstdint>
#include <optional>
#include <string>

namespace netpeek {

// Seconds since 1970 UTC, or none where the interface (by its AdapterName GUID) has no such value.
std::optional<std::int64_t> LeaseObtained(const std::wstring& adapterName);

}  // namespace netpeek
