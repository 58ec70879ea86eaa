#include "support/ConsoleText.h"

namespace netpeek {

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::size_t ConsolePieceLength(std::wstring_view text, std::size_t most) {
    if (text.size() <= most)
        return text.size();
    const bool splitsPair = most >= 2 && IsHighSurrogate(text[most - 1]) && IsLowSurrogate(text[most]);
    return splitsPair ? most - 1 : most;
}

}  // namespace netpeek
