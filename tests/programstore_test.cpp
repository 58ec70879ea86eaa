// The store the program chooses as it starts, against the real registry and file system of the
// test's Wine prefix: an empty settings file put beside the program, the move into it and back,
// a file that cannot be written, and two programs writing it at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "settings/IniText.h"
#include "settings/LayoutStore.h"
#include "settings/ProgramStore.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsFile.h"
#include "support/Error.h"

using namespace netpeek;

namespace {

constexpr wchar_t kTestKey[] = L"Software\\Brindle\\NetpeekTest";

class ProgramStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        app.Title = L"NetpeekTest";
        app.Path = std::wstring(temp) + L"netpeek-store-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(app.Path.c_str(), nullptr);
        file = SettingsFilePath(app);
    }
    void TearDown() override {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
        RemoveDirectoryW(app.Path.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ChooseProgramStore(CApplication::Current());
    }

    void Choose() {
        ChooseProgramStore(app, [this](const std::wstring& name) { told.push_back(name); });
    }
    std::string FileBytes() const {
        std::ifstream in(std::filesystem::path(file), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    void PutFile(const std::string& bytes) const { std::ofstream(std::filesystem::path(file), std::ios::binary) << bytes; }
    bool FileThere() const { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static bool KeyThere() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    static std::wstring Value(const std::wstring& section, const std::wstring& name) {
        return LayoutStore().ReadValue(section, name, kLayoutNoFlags, CApplication::Current(), L"<none>", kLayoutPerUser);
    }
    static void Store(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
        LayoutStore().WriteValue(section, name, kLayoutNoFlags, value, CApplication::Current(), kLayoutPerUser);
    }

    CApplication app;
    std::wstring file;
    std::vector<std::wstring> told;
};

}  // namespace

// An empty file put beside the program makes it portable: an older registry key is neither read
// nor written. The item moves the values back into the registry and deletes the file, and into a
// file again, taking the key away; nothing is lost either way.
TEST_F(ProgramStoreTest, AnEmptyFileIsTheStoreAndTheMoveGoesBothWaysLosingNothing) {
    RegistryStore(L"NetpeekTest").Write(L"", L"Show IPv6", L"1");
    PutFile("");
    Choose();
    EXPECT_TRUE(StoredBesideProgram());
    EXPECT_EQ(Value(L"", L"Show IPv6"), L"<none>");
    Store(L"", L"Show IPv6", L"0");
    Store(L"OFN Paths", L"Last Export List Directory", L"C:\\Отчёты");
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[NetpeekTest]\r\nShow IPv6=0\r\n\r\n[OFN Paths]\r\n"
                           "Last Export List Directory=C:\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82\xD1\x8B\r\n");
    EXPECT_EQ(RegistryStore(L"NetpeekTest").Read(L"", L"Show IPv6"), L"1");
    EXPECT_EQ(GetFileAttributesW((file + L".lock").c_str()), INVALID_FILE_ATTRIBUTES) << "the lock stayed";

    StoreBesideProgram(false);
    EXPECT_FALSE(StoredBesideProgram());
    EXPECT_FALSE(FileThere());
    EXPECT_EQ(RegistryStore(L"NetpeekTest").Read(L"", L"Show IPv6"), L"0");
    EXPECT_EQ(Value(L"OFN Paths", L"Last Export List Directory"), L"C:\\Отчёты");

    Store(L"", L"Window placement", L"10,20,610,420,0");
    StoreBesideProgram(true);
    EXPECT_TRUE(StoredBesideProgram());
    EXPECT_FALSE(KeyThere());
    const IniText moved(SettingsFileText(FileBytes()));
    EXPECT_EQ(moved.Find(L"NetpeekTest", L"Window placement"), L"10,20,610,420,0");
    EXPECT_EQ(moved.Find(L"NetpeekTest", L"Show IPv6"), L"0");
    EXPECT_EQ(moved.Find(L"OFN Paths", L"Last Export List Directory"), L"C:\\Отчёты");

    // The next start finds the file.
    Choose();
    EXPECT_TRUE(StoredBesideProgram());
    EXPECT_EQ(Value(L"", L"Window placement"), L"10,20,610,420,0");
}

// A file the user made read-only: the program runs on with its values in memory and says so once;
// unticking cannot delete it, so everything stays as it was.
TEST_F(ProgramStoreTest, AReadOnlyFileKeepsValuesInMemoryAndStaysTheStore) {
    PutFile("[NetpeekTest]\r\nShow IPv6=1\r\n");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    Choose();
    Store(L"", L"Show IPv6", L"0");
    Store(L"", L"Auto Refresh", L"0");
    EXPECT_EQ(told, std::vector<std::wstring>{file});
    EXPECT_EQ(Value(L"", L"Show IPv6"), L"0");
    EXPECT_EQ(FileBytes(), "[NetpeekTest]\r\nShow IPv6=1\r\n");

    EXPECT_THROW(StoreBesideProgram(false), CError);
    EXPECT_TRUE(StoredBesideProgram());
    EXPECT_TRUE(FileThere());
    EXPECT_FALSE(KeyThere());
    EXPECT_EQ(Value(L"", L"Auto Refresh"), L"0");
}

// Scoop keeps the file as a hard link to the copy in its persist folder, which outlives updates:
// a write reaches that copy too, so that the next update keeps the settings.
TEST_F(ProgramStoreTest, AFileScoopLinksIntoItsPersistFolderKeepsTheLink) {
    PutFile("; kept by Scoop\r\n[NetpeekTest]\r\nShow IPv6=1\r\n");
    const std::wstring persisted = app.Path + L"\\persisted.ini";
    ASSERT_TRUE(CreateHardLinkW(persisted.c_str(), file.c_str(), nullptr));
    Choose();
    Store(L"", L"Show IPv6", L"0");
    Store(L"", L"Auto Refresh", L"0");
    std::ifstream in(std::filesystem::path(persisted), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    in.close();
    DeleteFileW(persisted.c_str());
    EXPECT_EQ(bytes.str(), FileBytes());
    const IniText kept(SettingsFileText(bytes.str()));
    EXPECT_EQ(kept.Find(L"NetpeekTest", L"Show IPv6"), L"0");
    EXPECT_EQ(kept.Find(L"NetpeekTest", L"Auto Refresh"), L"0");
}

// Notepad's "Unicode" and a UTF-8 file without a mark read as a person wrote them.
TEST_F(ProgramStoreTest, FilesNotepadSavesReadAsWritten) {
    const std::wstring unicode = L"\xFEFF[NetpeekTest]\r\nA=Ж\r\n";
    PutFile(std::string(reinterpret_cast<const char*>(unicode.data()), unicode.size() * sizeof(wchar_t)));
    Choose();
    EXPECT_EQ(Value(L"", L"A"), L"Ж");
    PutFile("[NetpeekTest]\nA=\xD0\x96\n");
    Choose();
    EXPECT_EQ(Value(L"", L"A"), L"Ж");
}

// Two programs writing the file at the same moment: each read-modify-replace waits for the other,
// so neither loses a value.
TEST_F(ProgramStoreTest, TwoProgramsWritingAtOnceLoseNothing) {
    PutFile("");
    const auto writer = [this](wchar_t which) {
        FileStore store(std::make_unique<SettingsFile>(file), L"NetpeekTest", IniText());
        for (int i = 0; i < 25; ++i)
            store.Write(L"", std::wstring(1, which) + std::to_wstring(i), L"v");
    };
    std::thread first(writer, L'a');
    std::thread second(writer, L'b');
    first.join();
    second.join();
    EXPECT_EQ(IniText(SettingsFileText(FileBytes())).Values().size(), 50u);
}
