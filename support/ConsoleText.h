#pragma once
// Text on its way to a console or to a script that captures a console program's output, with
// no Win32: how much of it one console write takes, and the ASCII marks for a code page that
// lacks the typographic ones.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace netpeek {

// The most characters one console write is given. Windows 7's console draws every write from
// one 64 KB heap and refuses a single write of some 26,000 characters with
// ERROR_NOT_ENOUGH_MEMORY; this is well below that.
inline constexpr std::size_t kConsolePieceLength = 8192;

// How many of the text's first characters the next console write takes: all of them, or at
// most `most`, never ending between the two halves of a surrogate pair, which then goes
// whole into the next piece. Some text always: `most` of at least 2 takes one character or more.
std::size_t ConsolePieceLength(std::wstring_view text, std::size_t most = kConsolePieceLength);

// The text with each typographic mark that `carried` says the code page cannot hold (« » — …)
// written in ASCII instead (" " - ...), as Windows' own Russian console programs write them
// there; every other character as it is.
std::wstring WithAsciiMarks(std::wstring_view text, const std::function<bool(wchar_t)>& carried);

}  // namespace netpeek
