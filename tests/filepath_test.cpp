#include <gtest/gtest.h>

#include "support/FilePath.h"

using namespace netpeek;

TEST(asGetFilePath, FolderPartOfFullNames) {
    EXPECT_EQ(asGetFilePath(L"C:\\Data\\list.csv"), L"C:\\Data");
    EXPECT_EQ(asGetFilePath(L"C:\\list.csv"), L"C:\\");
    EXPECT_EQ(asGetFilePath(L"\\\\server\\share\\list.csv"), L"\\\\server\\share");
    EXPECT_EQ(asGetFilePath(L"D:\\a\\b c\\d\\таб.csv"), L"D:\\a\\b c\\d");
    EXPECT_EQ(asGetFilePath(L"Z:/tmp/x.csv"), L"Z:/tmp");
}

TEST(asGetFilePath, NamesWithoutAFolder) {
    EXPECT_EQ(asGetFilePath(L"list.csv"), L"");
    EXPECT_EQ(asGetFilePath(L""), L"");
    EXPECT_EQ(asGetFilePath(L"C:list.csv"), L"C:");
    EXPECT_EQ(asGetFilePath(L"\\list.csv"), L"\\");
}

// What Windows opens as a device whatever the folder: writing there must not go through a
// temporary file beside it.
TEST(IsReservedDeviceName, DeviceNamesAsWindowsTakesThem) {
    for (const wchar_t* name : {L"NUL", L"nul", L"Con", L"PRN", L"aux", L"COM1", L"com9", L"LPT1", L"lpt9", L"con.csv",
                                L"nul.tar.gz", L"NUL  ", L"nul .csv", L"LPT1:", L"C:\\Data\\nul.csv", L"C:nul",
                                L"..\\CON", L"D:/x/prn.txt", L"COM\u00B9", L"lpt\u00B3.csv"})
        EXPECT_TRUE(IsReservedDeviceName(name)) << testing::PrintToString(std::wstring(name));
}

// Files, and names that are devices by their namespace rather than by this rule.
TEST(IsReservedDeviceName, OtherNames) {
    for (const wchar_t* name : {L"", L"NULL", L"nul_x.csv", L"console.csv", L"COM", L"COM0", L"LPT10", L"COMA",
                                L"com\u00B4", L" nul", L"xnul", L".nul", L"C:\\nul\\list.csv", L"nul\\", L"C:",
                                L"\\\\server\\share\\nul", L"\\\\.\\NUL", L"\\\\?\\C:\\con.csv", L"\u041d\u0423\u041b"})
        EXPECT_FALSE(IsReservedDeviceName(name)) << testing::PrintToString(std::wstring(name));
}
