#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "support/LayoutText.h"

using namespace netpeek;

TEST(LayoutText, IntListsTakeExactlySignedDecimalFieldsWithinInt) {
    EXPECT_EQ(ParseIntList(L"1,-2,30", L','), (std::vector<int>{1, -2, 30}));
    EXPECT_EQ(ParseIntList(L"-2147483648;2147483647", L';'), (std::vector<int>{INT_MIN, INT_MAX}));
    for (const wchar_t* text : {L"", L"1,", L",1", L"1,,2", L" 1", L"1 ", L"+1", L"1a", L"--1", L"-", L"2147483648",
                                L"-2147483649", L"99999999999999999999999", L"\u0661"})
        EXPECT_FALSE(ParseIntList(text, L',')) << testing::PrintToString(std::wstring(text));
}

TEST(LayoutText, PlacementRoundTripsAndNeedsFiveFieldsAFlagAndAPositiveSize) {
    const StoredPlacement left{{-1800, -200, -1000, 400}, true};  // a monitor left of the primary
    EXPECT_EQ(FormatPlacement(left), L"-1800,-200,-1000,400,1");
    EXPECT_EQ(ParsePlacement(FormatPlacement(left)), left);
    for (const wchar_t* text : {L"1,2,300,400", L"1,2,300,400,0,6", L"1,2,300,400,2", L"10,10,10,400,0",
                                L"500,10,100,400,0", L"10,500,400,100,0", L"1,2,300,400,0\n"})
        EXPECT_FALSE(ParsePlacement(text)) << testing::PrintToString(std::wstring(text));
}

TEST(LayoutText, MostlyWithinNeedsStrictlyMoreThanHalfAndDoesNotOverflow) {
    const IntRect work{0, 0, 1280, 1024};
    EXPECT_TRUE(MostlyWithin(work, work));
    EXPECT_FALSE(MostlyWithin({-200, 0, 200, 100}, work));  // exactly half
    EXPECT_TRUE(MostlyWithin({-199, 0, 201, 100}, work));
    EXPECT_FALSE(MostlyWithin({1280, 0, 1600, 300}, work));  // touching only
    EXPECT_FALSE(MostlyWithin({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, work));
}

TEST(LayoutText, ListLayoutRoundTripsAndScalesToTheCurrentDpi) {
    const StoredListLayout layout{192, {200, 101, 0, 9999}, {3, 0, 2, 1}};
    EXPECT_EQ(FormatListLayout(layout), L"192;200,101,0,9999;3,0,2,1");
    EXPECT_EQ(ParseListLayout(FormatListLayout(layout)), layout);
    EXPECT_EQ(ScaledWidths(layout, 96), (std::vector<int>{100, 51, 0, 5000}));  // rounded
    EXPECT_EQ(ScaledWidths({96, {100, 9000}, {0, 1}}, 144), (std::vector<int>{150, 10000}));  // bounded
    EXPECT_EQ(ScaledWidths(layout, 0), layout.widths);  // DPI unknown
    for (const wchar_t* text : {L"96;80,90;0,1;", L"96;;", L"96,97;80,90;0,1", L"0;80,90;0,1", L"1921;80,90;0,1",
                                L"96;80,90,100;1,2,3", L"96;80,90,100;0,1,-1"})
        EXPECT_FALSE(ParseListLayout(text)) << testing::PrintToString(std::wstring(text));
}
