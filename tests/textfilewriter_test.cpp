#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/Error.h"
#include "support/Hooks.h"
#include "support/LogFile.h"
#include "support/SystemError.h"
#include "support/TextFileWriter.h"

using namespace netpeek;

namespace {

// "Привет" in UTF-16 and in UTF-8.
const std::wstring kCyrillic = L"Привет";
const std::string kCyrillicUtf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
using Names = std::vector<std::wstring>;

class TextFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        folder = std::wstring(temp) + L"netpeek-writer-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    void TearDown() override {
        for (const std::wstring& name : Listing()) {
            DeleteFileW((folder + name).c_str());
            RemoveDirectoryW((folder + name).c_str());
        }
        RemoveDirectoryW(folder.c_str());
    }

    Names Listing() const {
        Names names;
        WIN32_FIND_DATAW found{};
        const HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
            if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..")
                names.push_back(found.cFileName);
        }
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::string ReadBytes(const std::wstring& path) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return "<missing>";
        std::string bytes(GetFileSize(file, nullptr), '\0');
        DWORD got = 0;
        const BOOL read = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(file);
        return read && got == bytes.size() ? bytes : "<unreadable>";
    }

    static void WriteBytes(const std::wstring& path, const std::string& bytes) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        CloseHandle(file);
    }

    static bool Write(const std::wstring& path, const std::wstring& text, bool replace = kWriteReplaceExisting) {
        return TextFileWriter::Instance().WriteTextFile(path, text, replace);
    }

    // Expects the write to fail with `code`, described by the system's own message.
    static void ExpectFailure(const std::wstring& path, const std::wstring& text, bool replace, DWORD code) {
        try {
            Write(path, text, replace);
            ADD_FAILURE() << "no error writing " << testing::PrintToString(path);
        } catch (const CError& e) {
            EXPECT_EQ(e.Number(), code) << e.what();
            EXPECT_EQ(e.Description(), SystemMessage(e.Number())) << e.what();
            EXPECT_FALSE(e.Description().empty());
        }
    }

    std::wstring folder;
};

}  // namespace

TEST_F(TextFileWriterTest, WritesExactUtf8WithoutMarkReplacingWholeAndLeavesNoTemporary) {
    const std::wstring path = folder + L"list.csv";
    EXPECT_TRUE(Write(path, L"Address;Mask\r\n" + kCyrillic + L";\U0001F600\r\n"));
    EXPECT_EQ(ReadBytes(path), "Address;Mask\r\n" + kCyrillicUtf8 + ";\xF0\x9F\x98\x80\r\n");
    WriteBytes(path, std::string(5000, 'x'));
    EXPECT_TRUE(Write(path, kCyrillic));
    EXPECT_EQ(ReadBytes(path), kCyrillicUtf8);  // no tail of the longer file
    EXPECT_TRUE(Write(path, L""));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_TRUE(Write(folder + L"fresh.csv", L""));
    EXPECT_EQ(ReadBytes(folder + L"fresh.csv"), "");

    // More than one WriteFile's worth, and a name near the 255-character component limit,
    // which a temporary name built from the whole file name would exceed.
    std::wstring text;
    std::string expected;
    for (int i = 0; text.size() < 3000000; ++i) {
        text += std::to_wstring(i) + L";" + kCyrillic + L"\r\n";
        expected += std::to_string(i) + ";" + kCyrillicUtf8 + "\r\n";
    }
    const std::wstring longName = std::wstring(240, L'n') + L".csv";
    EXPECT_TRUE(Write(folder + longName, text));
    EXPECT_TRUE(ReadBytes(folder + longName) == expected);
    EXPECT_EQ(Listing(), (Names{L"fresh.csv", L"list.csv", longName}));
}

// A file the user made hidden stays hidden, and keeps its other attributes, when a new
// version replaces it; so does a collector's file, which the writer for readers renames over it.
TEST_F(TextFileWriterTest, ReplacedFileKeepsItsAttributes) {
    for (TextFileWriter* writer : {&TextFileWriter::Instance(), &TextFileWriter::ForReaders()}) {
        const std::wstring path = folder + L"hidden.csv";
        WriteBytes(path, "old\r\n");
        constexpr DWORD kSet = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), kSet));
        ASSERT_EQ(GetFileAttributesW(path.c_str()) & kSet, kSet) << "this file system keeps no attributes";
        EXPECT_TRUE(writer->WriteTextFile(path, L"new", kWriteReplaceExisting));
        EXPECT_EQ(ReadBytes(path), "new");
        EXPECT_EQ(GetFileAttributesW(path.c_str()) & kSet, kSet);
        EXPECT_EQ(Listing(), Names{L"hidden.csv"});
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

TEST_F(TextFileWriterTest, MissingFolderIsPathNotFoundNamingTheFullFileName) {
    ExpectFailure(folder + L"no such\\list.csv", L"text", true, ERROR_PATH_NOT_FOUND);
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    ExpectFailure(L"elsewhere\\list.csv", L"text", true, ERROR_PATH_NOT_FOUND);
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(Listing().empty());
}

TEST_F(TextFileWriterTest, FailedWriteLeavesTheOldFileByteForByteAndNoTemporary) {
    const std::wstring path = folder + L"held.csv";
    WriteBytes(path, "old content\r\n");
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectFailure(path, L"new content", true, ERROR_SHARING_VIOLATION);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(path), "old content\r\n");

    ExpectFailure(path, L"new", !kWriteReplaceExisting, ERROR_FILE_EXISTS);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectFailure(path, L"new", true, ERROR_ACCESS_DENIED);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    for (const std::wstring& text : {L"ab" + std::wstring(1, wchar_t(0xD800)) + L"cd", std::wstring(1, wchar_t(0xDC00)),
                                     L"end" + std::wstring(1, wchar_t(0xD83D))})
        ExpectFailure(path, text, true, ERROR_NO_UNICODE_TRANSLATION);  // no garbage written
    EXPECT_EQ(ReadBytes(path), "old content\r\n");

    ASSERT_TRUE(CreateDirectoryW((folder + L"taken").c_str(), nullptr));
    ExpectFailure(folder + L"taken", L"text", true, ERROR_ACCESS_DENIED);
    ExpectFailure(folder + L"taken\\", L"text", true, ERROR_INVALID_NAME);
    EXPECT_NE(GetFileAttributesW((folder + L"taken").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(Listing(), (Names{L"held.csv", L"taken"}));

    EXPECT_TRUE(Write(folder + L"new.csv", L"new", !kWriteReplaceExisting));
    EXPECT_EQ(ReadBytes(folder + L"new.csv"), "new");
}

// ReplaceFileW can fail after the old file has left its name: with 1176 it is gone, with 1177
// it lives on under the backup name. The new text, then only under the temporary name, must
// still become the target, and the old file must not stay behind in the user's folder; if it
// cannot be removed, the error names it.
TEST_F(TextFileWriterTest, ReplaceThatTookTheOldFileAwayStillPutsTheNewOneInPlace) {
    const std::wstring path = folder + L"list.csv";
    for (const DWORD code : {DWORD{ERROR_UNABLE_TO_MOVE_REPLACEMENT}, DWORD{ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}}) {
        WriteBytes(path, "old");
        TextFileWriter writer([&](const std::wstring& target, const std::wstring&, const std::wstring& backup) {
            EXPECT_TRUE(code == ERROR_UNABLE_TO_MOVE_REPLACEMENT
                            ? DeleteFileW(target.c_str())
                            : MoveFileExW(target.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING));
            return std::uint32_t{code};
        });
        EXPECT_NO_THROW(writer.WriteTextFile(path, L"new", kWriteReplaceExisting)) << code;
        EXPECT_EQ(ReadBytes(path), "new") << code;
        EXPECT_EQ(Listing(), Names{L"list.csv"}) << code;
    }

    WriteBytes(path, "old");
    std::wstring aside;
    HANDLE held = INVALID_HANDLE_VALUE;
    TextFileWriter blocked([&](const std::wstring& target, const std::wstring&, const std::wstring& backup) {
        aside = backup;
        EXPECT_TRUE(MoveFileExW(target.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING));
        held = CreateFileW(backup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        return std::uint32_t{ERROR_UNABLE_TO_MOVE_REPLACEMENT_2};
    });
    try {
        blocked.WriteTextFile(path, L"new", kWriteReplaceExisting);
        ADD_FAILURE() << "no word of an old file that could not be removed";
    } catch (const CError& e) {
        EXPECT_EQ(e.Number(), DWORD{ERROR_SHARING_VIOLATION});
        EXPECT_NE(e.Description().find(L"«" + aside + L"»"), std::wstring::npos) << e.what();
    }
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(ReadBytes(aside), "old");
    EXPECT_EQ(Listing().size(), 2u);
}

// A replace refused outright leaves the old file. One that took the old file away, where the new
// one cannot be moved in either, keeps the temporary file (the text's only copy, unhidden so the
// user finds it) and names it in the error.
TEST_F(TextFileWriterTest, FailedReplaceNeverDeletesTheLastCopy) {
    const std::wstring path = folder + L"list.csv";
    WriteBytes(path, "old");
    TextFileWriter refused([](const std::wstring&, const std::wstring&, const std::wstring&) -> std::uint32_t {
        return ERROR_ACCESS_DENIED;
    });
    try {
        refused.WriteTextFile(path, L"new", kWriteReplaceExisting);
        ADD_FAILURE() << "no error from a refused replace";
    } catch (const CError& e) {
        EXPECT_EQ(e.Number(), DWORD{ERROR_ACCESS_DENIED});
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(Listing(), Names{L"list.csv"});

    // With 1177 the old file lives on under the backup name: both copies are kept and named.
    for (const DWORD code : {DWORD{ERROR_UNABLE_TO_MOVE_REPLACEMENT}, DWORD{ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}}) {
        WriteBytes(path, "old");
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
        std::wstring kept, aside;
        TextFileWriter stranded([&](const std::wstring& target, const std::wstring& temp, const std::wstring& backup) {
            kept = temp;
            aside = backup;
            // The old file gone, and a folder in its place, so that nothing can be moved there.
            EXPECT_TRUE((code == ERROR_UNABLE_TO_MOVE_REPLACEMENT
                             ? DeleteFileW(target.c_str())
                             : MoveFileExW(target.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING)) &&
                        CreateDirectoryW(target.c_str(), nullptr));
            return std::uint32_t{code};
        });
        try {
            stranded.WriteTextFile(path, L"new", kWriteReplaceExisting);
            ADD_FAILURE() << "no error when the new file could not be put in place";
        } catch (const CError& e) {
            EXPECT_NE(e.Number(), 0u);
            EXPECT_NE(e.Description().find(L"«" + kept + L"»"), std::wstring::npos) << e.what();
            EXPECT_EQ(e.Description().find(L"«" + aside + L"»") != std::wstring::npos,
                      code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
                << e.what();
            EXPECT_NE(e.Description().find(SystemMessage(e.Number())), std::wstring::npos) << e.what();
        }
        EXPECT_EQ(ReadBytes(kept), "new");
        EXPECT_EQ(GetFileAttributesW(kept.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
        EXPECT_EQ(ReadBytes(aside), code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 ? "old" : "<missing>") << code;
        EXPECT_EQ(Listing().size(), code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 ? 3u : 2u) << code;
        DeleteFileW(kept.c_str());
        DeleteFileW(aside.c_str());
        RemoveDirectoryW(path.c_str());
    }
}

// A target whose full path is as long as Windows allows, in a folder as deep as CreateDirectoryW
// allows: the temporary file beside it must fit as well. Whatever the target's name, the
// temporary one stays short.
TEST_F(TextFileWriterTest, TemporaryFileFitsBesideATargetAtThePathLimit) {
    std::vector<std::wstring> temps, backups;
    TextFileWriter writer([&](const std::wstring& target, const std::wstring& temp, const std::wstring& backup) {
        temps.push_back(temp);
        backups.push_back(backup);
        return ReplaceWithReplaceFileW(target, temp, backup);
    });
    const std::wstring name = L"export.csv";
    const std::wstring deep = folder + std::wstring(MAX_PATH - 2 - folder.size() - name.size(), L'd') + L"\\";
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    const std::wstring path = deep + name;
    ASSERT_EQ(path.size(), MAX_PATH - 1u);
    EXPECT_NO_THROW(writer.WriteTextFile(path, L"first", kWriteReplaceExisting));
    EXPECT_NO_THROW(writer.WriteTextFile(path, L"second", kWriteReplaceExisting));
    EXPECT_EQ(ReadBytes(path), "second");
    EXPECT_TRUE(DeleteFileW(path.c_str()));

    const std::wstring longName = folder + std::wstring(240, L'n') + L".csv";
    WriteBytes(longName, "old");
    EXPECT_NO_THROW(writer.WriteTextFile(longName, L"new", kWriteReplaceExisting));
    ASSERT_EQ(temps.size(), 2u);
    EXPECT_EQ(temps[0].substr(0, deep.size()), deep);
    EXPECT_LE(temps[0].size(), MAX_PATH - 1u) << testing::PrintToString(temps[0]);
    EXPECT_LE(backups[0].size(), MAX_PATH - 1u) << testing::PrintToString(backups[0]);
    EXPECT_EQ(temps[1].substr(0, folder.size()), folder);
    EXPECT_LE(temps[1].size() - folder.size(), 16u) << testing::PrintToString(temps[1]);
}

// A device takes the bytes directly: no temporary file (its folder, "\\.\", holds none) and no
// replace, however the name is spelt, and more than one write's worth.
TEST_F(TextFileWriterTest, DeviceIsWrittenDirectlyWithNoTemporaryOrReplace) {
    int replaces = 0;
    TextFileWriter writer([&](const std::wstring&, const std::wstring&, const std::wstring&) {
        ++replaces;
        return std::uint32_t{ERROR_ACCESS_DENIED};
    });
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    const auto tempFiles = [&] {
        Names names;
        WIN32_FIND_DATAW found{};
        const HANDLE find = FindFirstFileW((std::wstring(temp) + L"~*").c_str(), &found);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found))
            names.push_back(found.cFileName);
        FindClose(find);
        return names;
    };
    const Names tempBefore = tempFiles();
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    const std::wstring text(1500000, L'\u0416');  // 3 MB of UTF-8
    for (const std::wstring& name : {std::wstring(L"NUL"), std::wstring(L"nul.csv"), folder + L"Nul .csv",
                                     std::wstring(L"\\\\.\\NUL")})
        EXPECT_NO_THROW(writer.WriteTextFile(name, text, kWriteReplaceExisting)) << testing::PrintToString(name);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(replaces, 0);
    EXPECT_TRUE(Listing().empty());
    EXPECT_EQ(tempFiles(), tempBefore);

    // A device that is not there is the system's error, with no file made in its place.
    ExpectFailure(L"\\\\.\\NetpeekNoSuchDevice", L"text", true, ERROR_FILE_NOT_FOUND);
    // CON is the console's screen. Where there is none to open (Wine's console without a
    // window) that is the system's error; in a console of the test's own the text shows there.
    const bool ownConsole = GetConsoleWindow() == nullptr;
    if (ownConsole) {
        ExpectFailure(L"CON", L"text", true, ERROR_INVALID_HANDLE);
        FreeConsole();
        ASSERT_TRUE(AllocConsole());
    }
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    ASSERT_TRUE(GetConsoleScreenBufferInfo(out, &screen));
    // As text, not its UTF-8 bytes: the Cyrillic shows right whatever the console's code page.
    const std::wstring shownText = L"Netpeek «" + kCyrillic + L"»";
    EXPECT_NO_THROW(writer.WriteTextFile(L"CON", shownText + L"\r\n", kWriteReplaceExisting));
    EXPECT_NO_THROW(writer.WriteTextFile(L"C:\\con.csv", shownText + L"\r\n", kWriteReplaceExisting));
    for (const SHORT row : {screen.dwCursorPosition.Y, SHORT(screen.dwCursorPosition.Y + 1)}) {
        wchar_t shown[32] = {};
        DWORD read = 0;
        EXPECT_TRUE(
            ReadConsoleOutputCharacterW(out, shown, static_cast<DWORD>(shownText.size()), COORD{0, row}, &read));
        EXPECT_EQ(std::wstring(shown, read), shownText);
    }
    if (ownConsole)
        FreeConsole();
    EXPECT_EQ(replaces, 0);
}

// A take-back cuts only a piece of our own line: bytes that another writer of the log added stay,
// even where they are fewer than our line's; and a log that ends mid-line gets our line on its own.
TEST_F(TextFileWriterTest, ALogTakesBackOnlyItsOwnBytesAndNeverGluesALineOn) {
    const std::wstring path = folder + L"changes.csv";
    const std::string head = "\"Time\",\"Event\"\r\n";
    const std::string ours = "\"2026-12-09T14:03:07+03:00\",\"added\"\r\n";
    const auto size = static_cast<LONGLONG>(head.size());
    WriteBytes(path, head + "\"another writer's\"\r\n");
    EXPECT_FALSE(TakeBackLine(path, size, ours));
    EXPECT_EQ(ReadBytes(path), head + "\"another writer's\"\r\n");
    WriteBytes(path, head + ours.substr(0, 9) + "\"x\"\r\n");
    EXPECT_FALSE(TakeBackLine(path, size, ours)) << "ours, then someone else's";
    WriteBytes(path, head + ours.substr(0, 9));
    EXPECT_TRUE(TakeBackLine(path, size, ours));
    EXPECT_EQ(ReadBytes(path), head);

    WriteBytes(path, head + "\"edited by hand");
    {
        LogFile log(path);
        ASSERT_TRUE(log.FirstLine());
        log.Append(L"\"now\"\r\n");
        log.Append(L"\"next\"\r\n");
    }
    EXPECT_EQ(ReadBytes(path), head + "\"edited by hand\r\n\"now\"\r\n\"next\"\r\n");
}

// Two watches log to one file and see the same change in the same second. The other's line goes
// out just before our write, which fails having written nothing: its line is its own and stays.
// A write of ours cut short takes back its own piece, and only that.
TEST_F(TextFileWriterTest, AFailedLogWriteTakesBackOnlyWhatItWroteItself) {
    const std::wstring path = folder + L"changes.csv";
    const std::string head = "\"Time\",\"Event\"\r\n";
    const std::string line = "\"2026-12-09T14:03:07+03:00\",\"added\"\r\n";
    const std::wstring text(line.begin(), line.end());
    WriteBytes(path, head);
    struct Restore {
        ~Restore() { Hooks().writeFile = SystemHooks().writeFile; }
    } restore;
    {
        LogFile log(path);
        Hooks().writeFile = [&](HANDLE, const void*, DWORD, DWORD* written) {
            const HANDLE other = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_EXISTING, 0, nullptr);
            DWORD put = 0;
            EXPECT_TRUE(WriteFile(other, line.data(), static_cast<DWORD>(line.size()), &put, nullptr));
            CloseHandle(other);
            *written = 0;
            SetLastError(ERROR_LOCK_VIOLATION);
            return FALSE;
        };
        try {
            log.Append(text);
            ADD_FAILURE() << "the failed write was not reported";
        } catch (const CError& error) {
            EXPECT_EQ(error.Number(), static_cast<std::uint32_t>(ERROR_LOCK_VIOLATION));
        }
    }
    EXPECT_EQ(ReadBytes(path), head + line);
    {
        LogFile log(path);
        Hooks().writeFile = [](HANDLE file, const void* data, DWORD size, DWORD* written) {
            return WriteFile(file, data, size / 2, written, nullptr);
        };
        EXPECT_THROW(log.Append(text), CError);
    }
    EXPECT_EQ(ReadBytes(path), head + line);
}
