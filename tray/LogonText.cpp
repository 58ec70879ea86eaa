#include "tray/LogonStart.h"

#include <algorithm>

namespace netpeek {

std::wstring LogonCommandFor(std::wstring_view exePath) {
    return L"\"" + std::wstring(exePath) + L"\" /tray";
}

std::wstring_view CommandProgram(std::wstring_view command) {
    command.remove_prefix(std::min(command.find_first_not_of(L" \t"), command.size()));
    if (command.empty() || command.front() != L'"')
        return command.substr(0, command.find_first_of(L" \t"));
    const std::size_t close = command.find(L'"', 1);
    return close == std::wstring_view::npos ? std::wstring_view() : command.substr(1, close - 1);
}

std::optional<std::wstring> StringValueText(std::span<const std::uint8_t> bytes) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::wstring text;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto unit = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == L'\0')
            break;
        text += unit;
    }
    return text;
}

bool StartupApproved(std::span<const std::uint8_t> bytes) {
    return bytes.empty() || bytes.front() % 2 == 0;
}

}  // namespace netpeek
