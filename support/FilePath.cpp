#include "support/FilePath.h"

#include <array>

namespace netpeek {

std::wstring asGetFilePath(const std::wstring& fullName) {
    const std::size_t slash = fullName.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        // "C:list.csv" names a file in the drive's current folder.
        if (fullName.size() >= 2 && fullName[1] == L':')
            return fullName.substr(0, 2);
        return {};
    }
    // A drive's root keeps its backslash: "C:\" is a folder, "C:" is not.
    if (slash == 2 && fullName[1] == L':')
        return fullName.substr(0, 3);
    if (slash == 0)
        return fullName.substr(0, 1);
    return fullName.substr(0, slash);
}

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// ASCII only: Windows matches these names without regard to case, and no other letter may do.
bool SameLetters(std::wstring_view name, std::wstring_view upper) {
    if (name.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i] >= L'a' && name[i] <= L'z' ? static_cast<wchar_t>(name[i] - L'a' + L'A') : name[i];
        if (c != upper[i])
            return false;
    }
    return true;
}

}  // namespace

bool IsReservedDeviceName(std::wstring_view fileName) {
    // "\\server\share\..." and "\\.\..." or "\\?\...": not DOS names.
    if (fileName.size() >= 2 && IsSeparator(fileName[0]) && IsSeparator(fileName[1]))
        return false;
    std::wstring_view name = fileName;
    if (name.size() >= 2 && name[1] == L':')
        name.remove_prefix(2);
    for (std::size_t i = name.size(); i > 0; --i) {
        if (IsSeparator(name[i - 1])) {
            name.remove_prefix(i);
            break;
        }
    }
    name = name.substr(0, name.find_first_of(L".:"));
    while (!name.empty() && name.back() == L' ')
        name.remove_suffix(1);

    static constexpr std::array<std::wstring_view, 4> kPlain = {L"AUX", L"CON", L"NUL", L"PRN"};
    for (const std::wstring_view device : kPlain) {
        if (SameLetters(name, device))
            return true;
    }
    if (name.size() != 4 || !(SameLetters(name.substr(0, 3), L"COM") || SameLetters(name.substr(0, 3), L"LPT")))
        return false;
    const wchar_t digit = name[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace netpeek
