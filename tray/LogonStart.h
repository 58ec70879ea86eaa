#pragma once
// Starting at logon, as Windows keeps it for every program: the command under the user's Run key,
// and the switch that Task Manager's Startup tab and Settings keep beside it (StartupApproved).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace netpeek {

// The name of the program's value under both keys.
inline constexpr wchar_t kLogonValueName[] = L"Netpeek";

// The command that starts this program at logon: its full path in quotes, then /tray.
std::wstring LogonCommandFor(std::wstring_view exePath);
// Whether a Run command starts the program at `exePath`: its first word (quoted, or up to the
// first blank) is that path, whatever the letters' case; arguments after it do not matter.
bool CommandStarts(std::wstring_view command, std::wstring_view exePath);
// Whether Windows' own list of startup apps lets the command run: no value, or one whose first
// byte is even (2, 6), lets it; an odd first byte (3, 7) is "Disabled". An empty value lets it.
bool StartupApproved(std::span<const std::uint8_t> bytes);
// Whether the values as read start the exe at `exePath`: the Run value's bytes (a REG_SZ's UTF-16,
// with its NUL or without) name it, and StartupApproved's, where there is one, let it run. None
// where a value is not there; bytes that are no text (an odd count) name nothing.
bool ValuesStart(const std::optional<std::vector<std::uint8_t>>& run,
                 const std::optional<std::vector<std::uint8_t>>& approved, std::wstring_view exePath);

// Whether this program starts at logon: the Run value names this very exe and Windows' list has
// not turned it off.
bool StartsAtLogon();
// Starts this exe at logon from now on (the Run value pointed at it, and turned on in Windows'
// list where that had turned it off), or no longer (both values deleted). Throws a CError with
// the system's code when a value cannot be written or deleted.
void SetStartAtLogon(bool on);

}  // namespace netpeek
