#include "tray/LogonStart.h"

#include <algorithm>
#include <cwctype>

namespace netpeek {

namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
    const auto fold = [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

}  // namespace

std::wstring LogonCommandFor(std::wstring_view exePath) {
    return L"\"" + std::wstring(exePath) + L"\" /tray";
}

bool CommandStarts(std::wstring_view command, std::wstring_view exePath) {
    command.remove_prefix(std::min(command.find_first_not_of(L" \t"), command.size()));
    std::wstring_view program;
    if (!command.empty() && command.front() == L'"') {
        const std::size_t close = command.find(L'"', 1);
        if (close == std::wstring_view::npos)
            return false;
        program = command.substr(1, close - 1);
    } else {
        program = command.substr(0, command.find_first_of(L" \t"));
    }
    return !program.empty() && SameName(program, exePath);
}

bool StartupApproved(std::span<const std::uint8_t> bytes) {
    return bytes.empty() || bytes.front() % 2 == 0;
}

bool ValuesStart(const std::optional<std::vector<std::uint8_t>>& run,
                 const std::optional<std::vector<std::uint8_t>>& approved, std::wstring_view exePath) {
    if (!run || run->size() % 2 != 0)
        return false;
    // UTF-16, little-endian, up to its NUL.
    std::wstring command;
    for (std::size_t i = 0; i < run->size(); i += 2) {
        const auto unit = static_cast<wchar_t>((*run)[i] | ((*run)[i + 1] << 8));
        if (unit == L'\0')
            break;
        command += unit;
    }
    return CommandStarts(command, exePath) && (!approved || StartupApproved(*approved));
}

}  // namespace netpeek
