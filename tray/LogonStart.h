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
// The program a Run command starts, as the command names it: its first word, quoted or up to the
// first blank; arguments after it do not matter. Empty where it names none (a quote never closed).
std::wstring_view CommandProgram(std::wstring_view command);
// A string value's text from its bytes (UTF-16, little-endian, up to its NUL or its end); none
// for bytes that are no text (an odd count).
std::optional<std::wstring> StringValueText(std::span<const std::uint8_t> bytes);
// Whether Windows' own list of startup apps lets the command run: no value, or one whose first
// byte is even (2, 6), lets it; an odd first byte (3, 7) is "Disabled". An empty value lets it.
bool StartupApproved(std::span<const std::uint8_t> bytes);

// Windows only: the values as read, and the program's own.

// The Run value as read: its bytes, and whether it is a REG_EXPAND_SZ, whose environment variables
// Windows expands before it runs the command.
struct RunValue {
    std::vector<std::uint8_t> bytes;
    bool expandable = false;
};

// Whether the values as read start the exe at `exePath`: the Run value's command (expanded, where
// it is expandable) names that path as Windows compares paths, ordinally whatever the case in any
// alphabet, and StartupApproved's, where there is one, lets it run. None where a value is not there.
bool ValuesStart(const std::optional<RunValue>& run, const std::optional<std::vector<std::uint8_t>>& approved,
                 std::wstring_view exePath);
// Whether this program starts at logon: the Run value names this very exe and Windows' list has
// not turned it off.
bool StartsAtLogon();
// Starts this exe at logon from now on (the Run value pointed at it, and turned on in Windows'
// list where that had turned it off), or no longer (both values deleted). Throws a CError with
// the system's code when a value cannot be written or deleted.
void SetStartAtLogon(bool on);

}  // namespace netpeek
