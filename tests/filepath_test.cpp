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
