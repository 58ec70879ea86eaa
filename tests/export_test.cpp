// The Export command against the real registry and file system; only the Save As dialog
// and the message box are stand-ins.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "export/ExportList.h"
#include "support/Application.h"
#include "support/Controls.h"
#include "support/ErrorBox.h"
#include "support/Hooks.h"
#include "support/SystemError.h"

using namespace netpeek;

namespace {

const std::wstring kWriteFailed = L"Не удалось сохранить файл.";
const std::wstring kFilterPairs =
    std::wstring(L"Таблицы (*.CSV)\0*.CSV\0Все файлы\0*.*\0\0",
                 35);
const std::string kHeaderLine = "\"Interface\",\"IP\",\"Mask\",\"Broadcast\",\"Realm size\",\"Type\"\r\n";

std::wstring StoreKey() {
    return L"Software\\Brindle\\" + CApplication::Current().Title;
}
std::wstring FolderKey() {
    return StoreKey() + L"\\OFN Paths";
}

bool StoredFolder(std::wstring& folder) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, FolderKey().c_str(), L"Last Export List Directory", RRF_RT_REG_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS)
        return false;
    folder = value;
    return true;
}

void StoreFolder(const std::wstring& folder) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, FolderKey().c_str(), L"Last Export List Directory", REG_SZ,
                              folder.c_str(), static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string data;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        data.append(buffer, got);
    CloseHandle(h);
    return data;
}

void WriteBytes(const std::wstring& path, const std::string& data) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(written, data.size());
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

// A Unix folder from the environment, as Wine shows it ("/tmp/x" is "Z:\tmp\x").
bool FolderFromEnvironment(const char* name, std::wstring& folder) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return false;
    folder = L"Z:";
    for (const char* p = value; *p; ++p)
        folder += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return true;
}

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, StoreKey().c_str());
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"netpeek-export-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);

        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
        list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | LVS_REPORT, 0, 0, 300, 200, owner, nullptr,
                               nullptr, nullptr);
        ErrorBox::Instance().SetOwner(owner);
        Hooks().getSaveFileName = [this](OPENFILENAMEW* ofn) {
            dialogs.push_back(*ofn);
            filters.emplace_back(ofn->lpstrFilter, 35);
            initialDirs.push_back(ofn->lpstrInitialDir ? ofn->lpstrInitialDir : L"");
            if (answer.empty())
                return FALSE;
            wcsncpy(ofn->lpstrFile, answer.c_str(), ofn->nMaxFile);
            return TRUE;
        };
        Hooks().messageBox = [this](HWND o, const std::wstring& text, const std::wstring& caption, UINT style) {
            boxes.push_back({o, text, caption, style});
            return IDOK;
        };
    }

    void TearDown() override {
        Hooks() = SystemHooks();
        ErrorBox::Instance().SetOwner(nullptr);
        DestroyWindow(owner);
        for (const std::wstring& name : FolderEntries(folder))
            DeleteFileW((folder + L"\\" + name).c_str());
        RemoveDirectoryW(folder.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, StoreKey().c_str());
    }

    void Fill(int columns, const std::vector<std::vector<std::wstring>>& items) {
        const wchar_t* headers[] = {L"Interface", L"IP", L"Mask", L"Broadcast", L"Realm size", L"Type"};
        const ListViewCtrl view(list);
        for (int c = 0; c < columns; ++c)
            view.InsertColumn(c, headers[c], 60);
        int at = 0;
        for (const auto& cells : items) {
            view.InsertItem(at, cells[0].c_str());
            for (std::size_t c = 1; c < cells.size(); ++c)
                view.SetItemText(at, static_cast<int>(c), cells[c].c_str());
            ++at;
        }
    }

    void FillRows(int count) {
        std::vector<std::vector<std::wstring>> items;
        for (int i = 0; i < count; ++i)
            items.push_back({std::to_wstring(i + 1), L"10.77." + std::to_wstring(i / 200) + L"." +
                                                         std::to_wstring(i % 200 + 1),
                             L"255.255.255.0", L"1.0.0.0", L"65535", L"Primary"});
        Fill(6, items);
    }

    // Exports into `target` and expects the failure box, with the folder remembered anyway.
    void ExpectFailedExport(const std::wstring& target, const WriteTextFileFn& write = WriteWithTextFileWriter) {
        answer = target;
        boxes.clear();
        ExportList(owner, list, write);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].owner, owner);
        EXPECT_EQ(boxes[0].caption, L"Netpeek");
        EXPECT_EQ(boxes[0].style, 16u);
        const std::wstring expectedStart = target + L"\r\n\r\n" + kWriteFailed + L"\r\n\r\n";
        EXPECT_EQ(boxes[0].text.substr(0, expectedStart.size()), expectedStart);
        EXPECT_GT(boxes[0].text.size(), expectedStart.size());  // the system's reason follows
        EXPECT_EQ(boxes[0].text.find(target, 1), std::wstring::npos);  // and names the file only once
        std::wstring stored;
        ASSERT_TRUE(StoredFolder(stored));
        EXPECT_EQ(stored, target.substr(0, target.find_last_of(L'\\')));
    }

    struct Box {
        HWND owner;
        std::wstring text, caption;
        UINT style;
    };
    std::wstring folder;
    HWND owner = nullptr;
    HWND list = nullptr;
    std::wstring answer;  // what the user confirms in the dialog; empty cancels
    std::vector<OPENFILENAMEW> dialogs;
    std::vector<std::wstring> filters;
    std::vector<std::wstring> initialDirs;
    std::vector<Box> boxes;
};

}  // namespace

TEST_F(Export, DialogGetsTheFilterOwnerAndSettings) {
    ExportList(owner, list);
    ASSERT_EQ(dialogs.size(), 1u);
    const OPENFILENAMEW& d = dialogs[0];
    EXPECT_EQ(d.hwndOwner, owner);
    EXPECT_EQ(filters[0], kFilterPairs);
    EXPECT_EQ(d.nFilterIndex, 0u);
    EXPECT_TRUE(d.Flags & OFN_OVERWRITEPROMPT);
    EXPECT_STREQ(d.lpstrDefExt, L"CSV");
    EXPECT_EQ(initialDirs[0], L"");
}

TEST_F(Export, CancelWritesNothingShowsNothingAndKeepsTheFolder) {
    FillRows(3);
    ExportList(owner, list);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(FolderEntries(folder).empty());
    std::wstring stored;
    EXPECT_FALSE(StoredFolder(stored));

    StoreFolder(L"C:\\earlier");
    ExportList(owner, list);
    EXPECT_EQ(initialDirs.back(), L"C:\\earlier");
    ASSERT_TRUE(StoredFolder(stored));
    EXPECT_EQ(stored, L"C:\\earlier");
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST_F(Export, FileHoldsTheListAndTheNextExportStartsInItsFolder) {
    Fill(6, {{L"2", L"192.168.0.10", L"255.255.255.0", L"192.168.0.255", L"65535", L"Primary, Dynamic"},
             {L"1", L"127.0.0.1", L"255.0.0.0", L"1.0.0.0", L"65535", L""},
             {L"3", L"10.0.0.3"}});  // its later cells never set: still a field for each column
    answer = folder + L"\\list.csv";
    ExportList(owner, list);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ReadBytes(answer), kHeaderLine +
                                    "\"2\",\"192.168.0.10\",\"255.255.255.0\",\"192.168.0.255\",\"65535\",\"Primary, "
                                    "Dynamic\"\r\n"
                                    "\"1\",\"127.0.0.1\",\"255.0.0.0\",\"1.0.0.0\",\"65535\",\"\"\r\n"
                                    "\"3\",\"10.0.0.3\",\"\",\"\",\"\",\"\"\r\n");
    std::wstring stored;
    ASSERT_TRUE(StoredFolder(stored));
    EXPECT_EQ(stored, folder);

    answer.clear();
    ExportList(owner, list);
    EXPECT_EQ(initialDirs.back(), folder);
}

// Cell texts are read through one growing buffer: a text longer than the buffer comes back
// whole, and the shorter texts after it come back without what the long one left there.
TEST_F(Export, LongCellTextsComeBackWholeAndDoNotLeakIntoTheNextCell) {
    const std::wstring longText(1000, L'x');
    const std::wstring longerText = std::wstring(300, L'y') + L"end";
    Fill(6, {{L"1", longText, L"m", L"", longerText, L"t"}, {L"2", L"ip", L"m", L"b", L"r", L"t"}});
    answer = folder + L"\\long.csv";
    ExportList(owner, list);
    EXPECT_TRUE(boxes.empty());
    const std::string x(1000, 'x'), y(300, 'y');
    EXPECT_EQ(ReadBytes(answer), kHeaderLine + "\"1\",\"" + x + "\",\"m\",\"\",\"" + y + "end\",\"t\"\r\n" +
                                     "\"2\",\"ip\",\"m\",\"b\",\"r\",\"t\"\r\n");
}

TEST_F(Export, EmptyListIsTheHeaderLineAndColumnsFollowIndexOrder) {
    Fill(6, {});
    // The user dragged the columns into another display order; the file keeps index order.
    int order[] = {5, 4, 3, 2, 1, 0};
    ListViewCtrl(list).SetColumnOrder(6, order);
    answer = folder + L"\\empty.csv";
    ExportList(owner, list);
    EXPECT_EQ(ReadBytes(answer), kHeaderLine);
}

TEST_F(Export, ListWithoutColumnsStartsWithAnEmptyLine) {
    answer = folder + L"\\none.csv";
    ExportList(owner, list);
    EXPECT_EQ(ReadBytes(answer), "\r\n");
}

TEST_F(Export, WriteIntoAMissingFolderIsReported) {
    FillRows(3);
    ExpectFailedExport(folder + L"\\missing\\list.csv");
    EXPECT_EQ(boxes[0].text.find(L"\r\n\r\n\r\n\r\n"), std::wstring::npos);
}

// Running out of memory, or any other fault of the runtime, while the file is written is still
// the export's own box naming the file, and the program goes on.
TEST_F(Export, AnyFailureWhileWritingIsTheExportsOwnBox) {
    FillRows(3);
    const std::wstring target = folder + L"\\list.csv";
    ExpectFailedExport(target, [](const std::wstring&, const std::wstring&) { throw std::bad_alloc(); });
    EXPECT_NE(boxes[0].text.find(L"\r\n\r\n" + SystemMessage(ERROR_NOT_ENOUGH_MEMORY)), std::wstring::npos);
    ExpectFailedExport(target, [](const std::wstring&, const std::wstring&) { throw std::length_error("too long"); });
    EXPECT_NE(boxes[0].text.find(L"\r\n\r\ntoo long"), std::wstring::npos);
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST_F(Export, FileHeldOpenByAnotherProgramSurvivesUnchanged) {
    FillRows(3);
    const std::wstring target = folder + L"\\held.csv";
    const std::string earlier = kHeaderLine + "\"old\"\r\n";
    WriteBytes(target, earlier);
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectFailedExport(target);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(target), earlier);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"held.csv"});
}

TEST_F(Export, ReadOnlyFileSystemIsReported) {
    std::wstring readOnly;
    if (!FolderFromEnvironment("NETPEEK_READONLY_DIR", readOnly))
        GTEST_SKIP() << "needs a read-only mount (NETPEEK_READONLY_DIR)";
    FillRows(3);
    const auto before = FolderEntries(readOnly);
    ExpectFailedExport(readOnly + L"\\list.csv");
    EXPECT_EQ(FolderEntries(readOnly), before);
}

TEST_F(Export, FullFileSystemKeepsTheEarlierExportByteForByte) {
    std::wstring small;
    if (!FolderFromEnvironment("NETPEEK_SMALL_DIR", small))
        GTEST_SKIP() << "needs a small mount (NETPEEK_SMALL_DIR)";
    const std::wstring target = small + L"\\list.csv";
    FillRows(3);
    answer = target;
    ExportList(owner, list);
    ASSERT_TRUE(boxes.empty());
    const std::string earlier = ReadBytes(target);
    ASSERT_EQ(earlier.substr(0, kHeaderLine.size()), kHeaderLine);

    ListViewCtrl(list).DeleteAllItems();
    while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    FillRows(2000);  // far more than the file system holds
    ExpectFailedExport(target);
    EXPECT_EQ(ReadBytes(target), earlier);
    EXPECT_EQ(FolderEntries(small), std::vector<std::wstring>{L"list.csv"});
}
