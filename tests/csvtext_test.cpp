#include <gtest/gtest.h>

#include "export/CsvText.h"

using namespace netpeek;

namespace {
const std::vector<std::wstring> kHeaders = {L"Interface", L"IP", L"Mask", L"Broadcast", L"Realm size", L"Type"};
const std::wstring kHeaderLine = L"\"Interface\",\"IP\",\"Mask\",\"Broadcast\",\"Realm size\",\"Type\"\r\n";
}  // namespace

TEST(CsvText, UsualListIsHeaderThenOneLinePerItem) {
    CListTexts list{kHeaders,
                    {{L"2", L"192.168.0.10", L"255.255.255.0", L"192.168.0.255", L"65535", L"Primary, Dynamic"},
                     {L"1", L"127.0.0.1", L"255.0.0.0", L"1.0.0.0", L"65535", L"Primary"}}};
    EXPECT_EQ(CsvText(list),
              kHeaderLine +
                  L"\"2\",\"192.168.0.10\",\"255.255.255.0\",\"192.168.0.255\",\"65535\",\"Primary, Dynamic\"\r\n"
                  L"\"1\",\"127.0.0.1\",\"255.0.0.0\",\"1.0.0.0\",\"65535\",\"Primary\"\r\n");
}

TEST(CsvText, NoItemsIsTheHeaderLineAlone) {
    EXPECT_EQ(CsvText({kHeaders, {}}), kHeaderLine);
}

TEST(CsvText, NoColumnsStartsWithAnEmptyLine) {
    EXPECT_EQ(CsvText({{}, {}}), L"\r\n");
    EXPECT_EQ(CsvText({{}, {{L"1"}}}), L"\r\n\"1\"\r\n");
}

// A line has as many fields as its item has texts; the export gives every item one text per
// column, so its lines are never short.
TEST(CsvText, EachLineHasItsItemsFieldsAndEmptyCellsAreTwoQuotes) {
    CListTexts list{kHeaders, {{L"7", L"10.0.0.1"}, {L"8", L"", L"", L"", L"", L""}, {L""}}};
    EXPECT_EQ(CsvText(list), kHeaderLine + L"\"7\",\"10.0.0.1\"\r\n"
                                           L"\"8\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                           L"\"\"\r\n");
}

TEST(CsvText, QuotesInsideACellAreDoubled) {
    CListTexts list{{L"say \"hi\""}, {{L"\""}, {L"a\"\"b"}}};
    EXPECT_EQ(CsvText(list), L"\"say \"\"hi\"\"\"\r\n\"\"\"\"\r\n\"a\"\"\"\"b\"\r\n");
}

TEST(CsvText, QuotedAndPlainCellsMixWithinALine) {
    CListTexts list{{L"a", L"b\"", L"c"}, {{L"", L"\"x", L"y"}, {L"1", L"2", L"3\""}}};
    EXPECT_EQ(CsvText(list), L"\"a\",\"b\"\"\",\"c\"\r\n\"\",\"\"\"x\",\"y\"\r\n\"1\",\"2\",\"3\"\"\"\r\n");
}

TEST(CsvText, EveryLineEndsWithCrLfAndNoneWithAComma) {
    CListTexts list{kHeaders, {{L"1", L"a,", L"b", L"c", L"d", L"Primary, Dynamic,"}}};
    const std::wstring text = CsvText(list);
    std::size_t start = 0;
    int lines = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(L"\r\n", start);
        ASSERT_NE(end, std::wstring::npos) << "last line has no CR LF";
        EXPECT_GT(end, start);
        EXPECT_NE(text[end - 1], L',');
        EXPECT_EQ(text.substr(start, end - start).find(L'\n'), std::wstring::npos);
        start = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, 2);
}

// The export appends each cell straight from the one buffer it reads cells into: a field is
// exactly the given stretch of that buffer, whatever comes after it, and is copied out.
TEST(CsvAppender, FieldsAreTheGivenStretchesOfABufferThatIsReused) {
    wchar_t buffer[] = L"ab\"cdXYZ";
    CsvAppender csv;
    csv.Field(buffer, 5);
    csv.Field(buffer + 5, 0);
    csv.EndLine();
    buffer[0] = L'"';
    csv.Field(buffer, 1);
    csv.EndLine();
    EXPECT_EQ(csv.Text(), L"\"ab\"\"cd\",\"\"\r\n\"\"\"\"\r\n");
}
