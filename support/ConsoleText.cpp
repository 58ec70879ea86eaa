#include "support/ConsoleText.h"

#include <algorithm>
#include <array>

namespace netpeek {

namespace {

struct AsciiMark {
    wchar_t mark;
    std::wstring_view ascii;
};

// The marks the program's texts use, and their kin that a user's file name may bring.
constexpr std::array<AsciiMark, 11> kAsciiMarks{{
    {L'«', L"\""}, {L'»', L"\""}, {L'“', L"\""}, {L'”', L"\""}, {L'„', L"\""}, {L'‘', L"'"},
    {L'’', L"'"}, {L'–', L"-"}, {L'—', L"-"}, {L'−', L"-"}, {L'…', L"..."},
}};

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::size_t ConsolePieceLength(std::wstring_view text, std::size_t most) {
    if (text.size() <= most)
        return text.size();
    const bool splitsPair = most >= 2 && IsHighSurrogate(text[most - 1]) && IsLowSurrogate(text[most]);
    return splitsPair ? most - 1 : most;
}

std::wstring WithAsciiMarks(std::wstring_view text, const std::function<bool(wchar_t)>& carried) {
    std::wstring result;
    result.reserve(text.size());
    for (const wchar_t c : text) {
        const auto mark = std::find_if(kAsciiMarks.begin(), kAsciiMarks.end(),
                                       [c](const AsciiMark& m) { return m.mark == c; });
        if (mark != kAsciiMarks.end() && !carried(c))
            result += mark->ascii;
        else
            result += c;
    }
    return result;
}

}  // namespace netpeek
