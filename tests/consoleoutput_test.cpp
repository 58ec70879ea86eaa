#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "export/TableFormats.h"
#include "rows/RowsOfTables.h"
#include "support/ConsoleOutput.h"
#include "tests/TableBuilder.h"

using namespace netpeek;

namespace {

constexpr std::array<int, 6> kColumns = {0, 1, 2, 3, 4, 5};
constexpr wchar_t kGlobe[] = L"\U0001F310";  // a surrogate pair
constexpr std::size_t kMostPiece = 8192;

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

// A console of Windows 7 refuses a single write of 26,000 characters and more (ERROR_NOT_ENOUGH_MEMORY):
// a table of 5,000 rows still arrives whole and in order, no piece too large and no pair cut.
TEST(ConsoleOutput, LargeTableReachesAWindows7ConsoleWholeInPiecesItTakes) {
    std::wstring text = CsvText(TableTexts(ToListRows(DecodeAddrTable(test::TableBytes(test::NumberedRows(5000)))),
                                           {}, kColumns));
    // Where a plain cut at the piece length would split the pair.
    text.insert(kMostPiece - 1, kGlobe);
    ASSERT_GT(text.size(), 26000u * 4);
    std::vector<std::wstring> pieces;
    const ConsoleWriteFn windows7 = [&](HANDLE, const wchar_t* chars, DWORD count, DWORD* written) {
        if (count >= 26000) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        pieces.emplace_back(chars, count);
        *written = count;
        return TRUE;
    };
    ASSERT_NO_THROW(WriteConsoleText(nullptr, text, windows7));
    std::wstring arrived;
    for (const std::wstring& piece : pieces) {
        ASSERT_LE(piece.size(), kMostPiece);
        ASSERT_FALSE(IsHigh(piece.back())) << "a pair cut after " << arrived.size() + piece.size();
        arrived += piece;
    }
    EXPECT_EQ(arrived, text);
    ASSERT_GE(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), kMostPiece - 1);
    EXPECT_EQ(pieces[1].substr(0, 2), kGlobe);

    // A console that takes nothing is an error, not a write asked for ever.
    const ConsoleWriteFn none = [](HANDLE, const wchar_t*, DWORD, DWORD* written) {
        *written = 0;
        return TRUE;
    };
    EXPECT_ANY_THROW(WriteConsoleText(nullptr, L"Netpeek", none));
}

// A message to a file or a pipe: the marks the code page lacks in ASCII, the ones it holds as they are.
TEST(ConsoleOutput, MessageBytesHoldTheTextInTheCodePage) {
    const std::wstring text = L"Файл «a» — ё";
    EXPECT_EQ(MessageBytes(text, 866), "\x94\xA0\xA9\xAB \"a\" - \xF1");
    EXPECT_EQ(MessageBytes(text, 1251), "\xD4\xE0\xE9\xEB \xAB" "a\xBB \x97 \xB8");
    EXPECT_EQ(MessageBytes(text, CP_UTF8),
              "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB \xC2\xAB" "a\xC2\xBB \xE2\x80\x94 \xD1\x91");
    EXPECT_EQ(MessageBytes(L"", 866), "");
}
