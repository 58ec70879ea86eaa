// The settings file as a person edits it and as running programs write it, over a file in memory;
// and the move between two stores, with each step failing in turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/FileStore.h"
#include "settings/IniText.h"
#include "settings/StoredNames.h"
#include "settings/ValueStore.h"
#include "support/Error.h"

using namespace netpeek;

namespace {

// A file edited by hand in Notepad.
constexpr wchar_t kEdited[] =
    L"; Netpeek's settings\r\n"
    L"stray line before any section\r\n"
    L"\r\n"
    L"[netpeek]   ; the program's own\r\n"
    L"show ipv6 = 1\r\n"
    L"# Auto Refresh=0\r\n"
    L"Hidden Interfaces\r\n"
    L"IPs List Sort=\"unclosed\r\n"
    L"Width=wide\r\n"
    L"\r\n"
    L"[Netpeek\r\n"
    L"Connected Only=1\r\n"
    L"[Mine]\r\n"
    L"Colour=green\r\n";

// The file in memory: what a write leaves, written by hand meanwhile, or failing.
struct MemoryFile : SettingsFileAccess {
    struct State {
        std::optional<std::wstring> text;
        int failures = 0;  // so many next writes fail, as on a read-only stick
        int writes = 0;
    };
    explicit MemoryFile(std::shared_ptr<State> shared) : state(std::move(shared)) {}
    std::optional<std::wstring> Read() override { return state->text; }
    void Write(const std::wstring& text) override {
        if (state->failures > 0) {
            --state->failures;
            throw CError(5, L"Access denied.");
        }
        state->text = text;
        ++state->writes;
    }
    void Remove() override { state->text.reset(); }
    std::shared_ptr<void> Lock() override { return nullptr; }
    std::wstring Name() const override { return L"E:\\Tools\\Netpeek.ini"; }
    std::shared_ptr<State> state;
};

struct Stored {
    std::shared_ptr<MemoryFile::State> file = std::make_shared<MemoryFile::State>();
    std::vector<std::wstring> told;
    FileStore Store() {
        return FileStore(std::make_unique<MemoryFile>(file), L"Netpeek", IniText(file->text.value_or(L"")),
                         [this](const std::wstring& name) { told.push_back(name); });
    }
};

}  // namespace

TEST(FileStore, AFileEditedByHandReadsAsMeantAndKeepsEveryLineItDoesNotChange) {
    Stored stored;
    stored.file->text = kEdited;
    FileStore store = stored.Store();
    EXPECT_EQ(store.Read(L"", kShowIPv6Name), L"1");
    EXPECT_EQ(store.Read(L"", L"Width"), L"wide");
    for (const wchar_t* unread : {kAutoRefreshName, kHiddenInterfacesName, kListSortName, kConnectedOnlyName})
        EXPECT_FALSE(store.Read(L"", unread)) << testing::PrintToString(std::wstring(unread));
    EXPECT_EQ(store.Read(L"Mine", L"colour"), L"green");

    store.Write(L"", kShowIPv6Name, L"0");
    store.Write(L"", kAutoRefreshName, L"0");
    store.Write(kExportSection, kExportFolderName, L"D:\\Отчёты");
    std::wstring expected = kEdited;
    expected.replace(expected.find(L"show ipv6 = 1"), 13, L"Show IPv6=0");
    expected.insert(expected.find(L"\r\n\r\n[Netpeek\r\n") + 2, L"Auto Refresh=0\r\n");
    expected += L"\r\n[OFN Paths]\r\nLast Export List Directory=D:\\Отчёты\r\n";
    EXPECT_EQ(stored.file->text, expected);
}

TEST(FileStore, ValuesOfAnyCharactersComeBackAndPlainOnesStayPlain) {
    const std::vector<std::wstring> plain{L"{7C1F2D9E-AB12-4C3D-9E8F-0123456789AB},Ethernet «Офис»",
                                          L"C:\\Users\\Иван\\a=b;c #d", L"", L"x\"y\"", L"[Netpeek]"};
    const std::vector<std::wstring> escaped{L"  leading and trailing  ", L"two\r\nlines", L"\"quoted\"", L"tab\there",
                                            L"bell\a", std::wstring(1, static_cast<wchar_t>(0xD800)) + L"lone"};
    IniText text;
    for (std::size_t i = 0; i < plain.size(); ++i)
        text.Set(L"Netpeek", L"Plain " + std::to_wstring(i), plain[i]);
    for (std::size_t i = 0; i < escaped.size(); ++i)
        text.Set(L"Netpeek", L"Escaped " + std::to_wstring(i), escaped[i]);
    text.Set(L"Netpeek", L" =odd; name", L"v");
    const IniText read(text.Text());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(read.Find(L"Netpeek", L"Plain " + std::to_wstring(i)), plain[i]);
        EXPECT_NE(text.Text().find(L"Plain " + std::to_wstring(i) + L"=" + plain[i] + L"\r\n"), std::wstring::npos);
    }
    for (std::size_t i = 0; i < escaped.size(); ++i)
        EXPECT_EQ(read.Find(L"Netpeek", L"Escaped " + std::to_wstring(i)), escaped[i]) << i;
    EXPECT_EQ(read.Find(L"Netpeek", L" =odd; name"), L"v");
    // A line each, below the section's header.
    const std::wstring written = text.Text();
    EXPECT_EQ(std::count(written.begin(), written.end(), L'\n'), 13);
    EXPECT_EQ(read.Values().size(), 12u);
}

// Another Netpeek or a person writes the file while this one runs; a read-only stick refuses it.
TEST(FileStore, EachWriteKeepsWhatOthersWroteAndAFailureIsToldOnceAndKeptInMemory) {
    Stored stored;
    stored.file->text = L"[Netpeek]\r\n";
    FileStore first = stored.Store();
    FileStore second = stored.Store();
    first.Write(L"", kShowIPv6Name, L"1");
    second.Write(L"", kAutoRefreshName, L"0");
    *stored.file->text += L"Hidden Interfaces={AB}\r\n";  // by hand
    first.Write(L"", kListSortName, L"1,0");
    EXPECT_EQ(stored.file->text, L"[Netpeek]\r\nShow IPv6=1\r\nAuto Refresh=0\r\nHidden Interfaces={AB}\r\n"
                                 L"IPs List Sort=1,0\r\n");

    stored.file->failures = 2;
    first.Write(L"", kShowIPv6Name, L"0");
    first.Write(L"", kPlacementName, L"1,2,3,4,0");
    EXPECT_EQ(stored.told, std::vector<std::wstring>{L"E:\\Tools\\Netpeek.ini"});
    EXPECT_EQ(first.Read(L"", kShowIPv6Name), L"0");
    EXPECT_EQ(first.Read(L"", kPlacementName), L"1,2,3,4,0");
    EXPECT_EQ(stored.file->text->find(L"Window placement"), std::wstring::npos);
    // Writable again: what waited in memory goes with the next write, and the others' values stay.
    first.Write(L"", kListLayoutName, L"96;80;0");
    const IniText now(*stored.file->text);
    EXPECT_EQ(now.Find(L"Netpeek", kShowIPv6Name), L"0");
    EXPECT_EQ(now.Find(L"Netpeek", kPlacementName), L"1,2,3,4,0");
    EXPECT_EQ(now.Find(L"Netpeek", kAutoRefreshName), L"0");
    EXPECT_EQ(now.Find(L"Netpeek", kHiddenInterfacesName), L"{AB}");
    EXPECT_EQ(stored.told.size(), 1u);
}

namespace {

// A store in memory that fails the step it is told to.
struct MemoryStore : ValueStore {
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> values;
    bool failValues = false, failWrite = false, failErase = false, halfErase = false;

    std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& name) override {
        const auto found = values.find({section, name});
        return found == values.end() ? std::nullopt : std::optional<std::wstring>(found->second);
    }
    void Write(const std::wstring& section, const std::wstring& name, const std::wstring& value) override {
        values[{section, name}] = value;
    }
    std::vector<StoredValue> Values() override {
        if (failValues)
            throw CError(5, L"unreadable");
        std::vector<StoredValue> all;
        for (const auto& [key, value] : values)
            all.push_back({key.first, key.second, value});
        return all;
    }
    void WriteValues(const std::vector<StoredValue>& all) override {
        for (const StoredValue& value : all) {
            if (failWrite && value.name == L"B")
                throw CError(5, L"half written");
            values[{value.section, value.name}] = value.value;
        }
    }
    void Erase(const std::vector<StoredValue>& all) override {
        for (const StoredValue& value : all) {
            if (failErase || (halfErase && value.name == L"B"))
                throw CError(5, L"not erased");
            values.erase({value.section, value.name});
        }
    }
    std::wstring Where() const override { return L"memory"; }
};

}  // namespace

TEST(MoveValues, EveryValueEndsInOneStoreWhateverStepFails) {
    const std::map<std::pair<std::wstring, std::wstring>, std::wstring> all{
        {{L"", L"A"}, L"1"}, {{L"", L"B"}, L"2"}, {{kExportSection, kExportFolderName}, L"C:\\"}};
    {
        MemoryStore from, to;
        from.values = all;
        MoveValues(from, to);
        EXPECT_TRUE(from.values.empty());
        EXPECT_EQ(to.values, all);
    }
    for (const int failing : {0, 1, 2, 3}) {
        MemoryStore from, to;
        from.values = all;
        from.failValues = failing == 0;
        to.failWrite = failing == 1;
        from.failErase = failing == 2;
        from.halfErase = failing == 3;
        EXPECT_THROW(MoveValues(from, to), CError) << failing;
        EXPECT_EQ(from.values, all) << failing;
        // A target that failed half-way is not read while the source is there; one the source
        // could not leave is emptied again.
        if (failing >= 2) {
            EXPECT_TRUE(to.values.empty()) << failing;
        }
    }
}
