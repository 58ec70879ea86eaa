#include <gtest/gtest.h>

#include <string>

#include "support/ConsoleText.h"

using namespace netpeek;

// A piece never ends between the halves of a pair: at the boundary the pair goes to the next piece.
TEST(ConsoleText, PieceEndsOnAWholeCharacter) {
    // U+1F310 in its two UTF-16 halves, which a native wchar_t would hold as one.
    const std::wstring pair = {wchar_t(0xD83C), wchar_t(0xDF10)};
    EXPECT_EQ(ConsolePieceLength(L"abc", 4), 3u);
    EXPECT_EQ(ConsolePieceLength(L"abcd", 4), 4u);
    EXPECT_EQ(ConsolePieceLength(L"abc" + pair, 4), 3u);
    EXPECT_EQ(ConsolePieceLength(L"ab" + pair + L"c", 4), 4u);
    EXPECT_EQ(ConsolePieceLength(std::wstring(20000, L'x')), kConsolePieceLength);
}
