// The command line's watch in process: its lines over the window tests' services, and its loop
// ended the ways a watch ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "commandline/MetricsWatch.h"
#include "commandline/Watch.h"
#include "export/ChangeFormats.h"
#include "support/LocalTime.h"
#include "support/SystemError.h"
#include "support/TextFileWriter.h"
#include "tests/FormRecorder.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

CIPAddrList Table(std::initializer_list<RawRow> rows) {
    return DecodeAddrTable(TableBytes(rows));
}

RawRow Row(std::uint32_t index, std::array<std::uint8_t, 4> addr, std::uint8_t maskBits) {
    const std::uint32_t mask = maskBits == 0 ? 0 : ~0u << (32 - maskBits);
    return {addr, index,
            {static_cast<std::uint8_t>(mask >> 24), static_cast<std::uint8_t>(mask >> 16),
             static_cast<std::uint8_t>(mask >> 8), static_cast<std::uint8_t>(mask)},
            {1, 0, 0, 0}, 65535, 0, 1};
}

// A hook of the thread's that refuses to make the watch's window, as Windows lets one.
LRESULT CALLBACK RefuseTheWatchsWindow(int code, WPARAM window, LPARAM info) {
    wchar_t name[32] = {};
    if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(window), name, 32) &&
        std::wstring(name) == L"NetpeekWatch")
        return 1;
    return CallNextHookEx(nullptr, code, window, info);
}

const RawRow kLoopback = Row(1, {127, 0, 0, 1}, 8);
const std::vector<int> kColumns = {kColInterface, kColIP, kColMask};

class WatchTest : public ::testing::Test {
protected:
    void SetUp() override { recorder.rows = Table({kLoopback, Row(12, {10, 9, 0, 1}, 24)}); }

    // The services, whose change notice fires once as soon as it is asked for, so that the first
    // re-read of a loop comes a moment after it starts.
    FormServices NoticeOnce() {
        FormServices noticed = services;
        auto fired = std::make_shared<bool>(false);
        noticed.notifyAddrChange = [arm = services.notifyAddrChange, fired](OVERLAPPED& overlapped) {
            const HANDLE device = arm(overlapped);
            if (!std::exchange(*fired, true))
                SetEvent(overlapped.hEvent);
            return device;
        };
        return noticed;
    }
    WatchSink Sink() {
        return [this](const std::wstring& line) { lines.push_back(line); };
    }
    // Keeps the lines, and presses Ctrl+C while the line of that event is written.
    WatchSink CtrlCAt(const std::wstring& event) {
        return [this, event](const std::wstring& line) {
            if (line.find(L"\"" + event + L"\"") != std::wstring::npos) {
                EXPECT_EQ(WatchConsoleControl(CTRL_C_EVENT), TRUE);
            }
            lines.push_back(line);
        };
    }
    std::wstring Line(const std::wstring& event, const std::wstring& rest) const {
        return L"\"" + IsoLocalTime(recorder.now) + L"\",\"" + event + L"\"," + rest + L"\r\n";
    }

    FormRecorder recorder;
    FormServices services = recorder.Services();
    std::vector<std::wstring> lines;
};

}  // namespace

TEST_F(WatchTest, PresentLinesThenEachChangeAndNothingForAnUnchangedOrAFailedRead) {
    Watch watch(services, {}, kColumns, ChangeFormat::Comma);
    watch.Start(Sink(), true);
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"\"Time\",\"Event\",\"Interface\",\"IP\",\"Mask\"\r\n",
                                                 Line(L"present", L"\"1\",\"127.0.0.1\",\"255.0.0.0\""),
                                                 Line(L"present", L"\"12\",\"10.9.0.1\",\"255.255.255.0\"")}));
    lines.clear();
    watch.Reread();
    EXPECT_TRUE(lines.empty()) << "an unchanged table";

    recorder.now += 7;  // the lines take the time of the read that saw them
    recorder.rows = Table({kLoopback, Row(12, {10, 9, 0, 1}, 16), Row(47, {10, 5, 0, 1}, 24)});
    watch.Reread();
    EXPECT_EQ(lines, (std::vector<std::wstring>{Line(L"was", L"\"12\",\"10.9.0.1\",\"255.255.255.0\""),
                                                 Line(L"now", L"\"12\",\"10.9.0.1\",\"255.255.0.0\""),
                                                 Line(L"added", L"\"47\",\"10.5.0.1\",\"255.255.255.0\"")}));
    lines.clear();
    recorder.rows = Table({kLoopback});
    recorder.snapshotFails = true;
    watch.Reread();
    EXPECT_TRUE(lines.empty()) << "a failed read";
    recorder.snapshotFails = false;
    watch.Reread();
    EXPECT_EQ(lines, (std::vector<std::wstring>{Line(L"removed", L"\"12\",\"10.9.0.1\",\"255.255.0.0\""),
                                                 Line(L"removed", L"\"47\",\"10.5.0.1\",\"255.255.255.0\"")}));

    // JSON Lines have no header; a table that cannot be read at the start is the watch's error.
    lines.clear();
    Watch json(services, {}, {kColIP}, ChangeFormat::Json);
    json.Start(Sink(), true);
    EXPECT_EQ(lines, std::vector<std::wstring>{L"{\"Time\": \"" + IsoLocalTime(recorder.now) +
                                                L"\", \"Event\": \"present\", \"IP\": \"127.0.0.1\"}\r\n"});
    recorder.snapshotFails = true;
    EXPECT_THROW(Watch(services, {}, kColumns, ChangeFormat::Comma), CError);
}

// Ctrl+C and Ctrl+Break, from the handler's own thread or while a line is written, end the loop
// after the lines of the read in hand; with no watch running the handler leaves them to the next.
TEST_F(WatchTest, TheConsoleControlHandlerEndsTheLoopAfterTheLastWholeLine) {
    const FormServices noticed = NoticeOnce();
    {
        WatchSession session(WatchConsole::Handler);
        Watch watch(noticed, {}, kColumns, ChangeFormat::Comma);
        watch.Start(CtrlCAt(L"was"), false);
        recorder.rows = Table({kLoopback, Row(12, {10, 9, 0, 1}, 16)});
        const ULONGLONG start = GetTickCount64();
        session.Follow(noticed, watch, 30);
        EXPECT_LT(GetTickCount64() - start, 1900u) << "ended before the first periodic re-read";
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[3], Line(L"now", L"\"12\",\"10.9.0.1\",\"255.255.0.0\""));
    }
    {
        WatchSession session(WatchConsole::Handler);
        Watch watch(services, {}, kColumns, ChangeFormat::Comma);
        watch.Start(Sink(), false);
        std::thread handler([] {
            Sleep(200);
            EXPECT_EQ(WatchConsoleControl(CTRL_BREAK_EVENT), TRUE);
        });
        const ULONGLONG start = GetTickCount64();
        session.Follow(services, watch, 30);
        handler.join();
        EXPECT_LT(GetTickCount64() - start, 1900u);
    }
    EXPECT_EQ(WatchConsoleControl(CTRL_C_EVENT), FALSE);
}

// Netpeek.exe's hidden window lets the session end and ends the watch with it; /wfor ends it
// after its seconds; a line that cannot be written ends it with the write's error.
TEST_F(WatchTest, TheSessionsEndTheSecondsOrAFailedWriteEndTheLoop) {
    {
        const FormServices noticed = NoticeOnce();
        WatchSession session(WatchConsole::None);
        EXPECT_FALSE(IsWindowVisible(session.Window()));
        Watch watch(noticed, {}, kColumns, ChangeFormat::Comma);
        watch.Start(
            [&](const std::wstring& line) {
                if (line.find(L"\"added\"") != std::wstring::npos) {
                    EXPECT_EQ(SendMessageW(session.Window(), WM_QUERYENDSESSION, 0, 0), TRUE);
                    SendMessageW(session.Window(), WM_ENDSESSION, TRUE, 0);
                }
                lines.push_back(line);
            },
            false);
        recorder.rows = Table({kLoopback, Row(12, {10, 9, 0, 1}, 24), Row(47, {10, 5, 0, 1}, 24)});
        session.Follow(noticed, watch, 30);
        EXPECT_EQ(lines.size(), 3u);
    }
    {
        WatchSession session(WatchConsole::Handler);
        Watch watch(services, {}, kColumns, ChangeFormat::Comma);
        watch.Start(Sink(), false);
        const ULONGLONG start = GetTickCount64();
        session.Follow(services, watch, 1);
        EXPECT_GE(GetTickCount64() - start, 1000u);
        EXPECT_LT(GetTickCount64() - start, 1900u);
    }
    {
        const FormServices noticed = NoticeOnce();
        WatchSession session(WatchConsole::Handler);
        Watch watch(noticed, {}, kColumns, ChangeFormat::Comma);
        watch.Start(
            [](const std::wstring& line) {
                if (line.find(L"\"removed\"") != std::wstring::npos) {
                    throw SystemError(ERROR_DISK_FULL);
                }
            },
            false);
        recorder.rows = Table({kLoopback});
        try {
            session.Follow(noticed, watch, 30);
            ADD_FAILURE() << "the failed write did not end the watch";
        } catch (const CError& error) {
            EXPECT_EQ(error.Number(), static_cast<std::uint32_t>(ERROR_DISK_FULL));
        }
    }
}

namespace {

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
            bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

bool Holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

// /wprom's file as a collector finds it: written whole at the start and after each read that changed
// the table, never for one that changed nothing or failed; its counter counts each address that came,
// went or changed (a mask's "was" and "now" are one change), its time is the read that saw the last.
// While a collector holds the file open, the change waits for the next re-read, the file whole meanwhile.
TEST_F(WatchTest, TheMetricsFileIsWrittenWholeAfterEachChangeAndWaitsForAReaderToLetGo) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"netpeek-metrics-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\netpeek.prom";
    AdapterInfo ethernet;
    ethernet.friendlyName = L"Ethernet";
    ethernet.operStatus = kOperStatusUp;
    recorder.adapters = {{12, ethernet}};
    ViewChoice choice;
    choice.extras = {kColName, kColRoute};
    int writes = 0;
    {
        MetricsWatch watch(services, choice);
        watch.Start([&](const std::wstring& text) {
            ++writes;
            TextFileWriter::ForReaders().WriteTextFile(file, text, kWriteReplaceExisting);
        });
        std::string metrics = FileBytes(file);
        EXPECT_TRUE(Holds(metrics, "interface_name=\"Ethernet\",address=\"10.9.0.1\",prefix_length=\"24\""));
        EXPECT_TRUE(Holds(metrics, "netpeek_address_changes_total 0\n"));
        EXPECT_TRUE(metrics.ends_with("netpeek_last_change_timestamp_seconds 1765289000\n"));
        watch.Reread();
        EXPECT_EQ(writes, 1) << "an unchanged table";

        recorder.now += 7;
        recorder.rows = Table({kLoopback, Row(12, {10, 9, 0, 1}, 16), Row(47, {10, 5, 0, 1}, 24)});
        watch.Reread();
        metrics = FileBytes(file);
        EXPECT_EQ(writes, 2);
        EXPECT_TRUE(Holds(metrics, "address=\"10.9.0.1\",prefix_length=\"16\""));
        EXPECT_FALSE(Holds(metrics, "address=\"10.9.0.1\",prefix_length=\"24\""));
        EXPECT_TRUE(Holds(metrics, "address=\"10.5.0.1\""));
        EXPECT_TRUE(Holds(metrics, "netpeek_addresses{family=\"ipv4\"} 3\n"));
        EXPECT_TRUE(Holds(metrics, "netpeek_address_changes_total 2\n"));
        EXPECT_TRUE(metrics.ends_with("netpeek_last_change_timestamp_seconds 1765289007\n"));
        recorder.snapshotFails = true;
        watch.Reread();
        EXPECT_EQ(writes, 2) << "a failed read";
        recorder.snapshotFails = false;

        // The collector reads, as windows_exporter does, without letting the file be replaced meanwhile.
        const HANDLE reader = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        recorder.now += 5;
        recorder.rows = Table({kLoopback, Row(12, {10, 9, 0, 1}, 16)});
        EXPECT_NO_THROW(watch.Reread());
        EXPECT_EQ(FileBytes(file), metrics) << "the file replaced under its reader";
        CloseHandle(reader);
        watch.Reread();
        metrics = FileBytes(file);
        EXPECT_FALSE(Holds(metrics, "10.5.0.1"));
        EXPECT_TRUE(Holds(metrics, "netpeek_address_changes_total 3\n"));
        EXPECT_TRUE(metrics.ends_with("netpeek_last_change_timestamp_seconds 1765289012\n"));
    }
    {
        // Any other failure of a write ends the watch with its error.
        recorder.rows = Table({kLoopback, Row(12, {10, 9, 0, 1}, 24)});
        MetricsWatch watch(services, choice);
        watch.Start([](const std::wstring& text) {
            if (text.find(L"10.9.0.1") == std::wstring::npos)
                throw SystemError(ERROR_DISK_FULL);
        });
        recorder.rows = Table({kLoopback});
        try {
            watch.Reread();
            ADD_FAILURE() << "a full disk did not end the watch";
        } catch (const CError& error) {
            EXPECT_EQ(error.Number(), static_cast<std::uint32_t>(ERROR_DISK_FULL));
        }
    }
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

// Where the watch's hidden window cannot be made (Wine refuses windows while it restarts its
// desktop; here a hook refuses it), the watch still follows the table, by its periodic re-read,
// and Ctrl+C still ends it.
TEST_F(WatchTest, AWatchWhoseWindowCannotBeMadeFollowsTheTableWithoutIt) {
    const HHOOK refuse = SetWindowsHookExW(WH_CBT, RefuseTheWatchsWindow, nullptr, GetCurrentThreadId());
    ASSERT_NE(refuse, nullptr);
    struct Unhook {
        HHOOK hook;
        ~Unhook() { UnhookWindowsHookEx(hook); }
    } unhook{refuse};

    WatchSession session(WatchConsole::Handler);
    EXPECT_EQ(session.Window(), nullptr);
    Watch watch(services, {}, kColumns, ChangeFormat::Comma);
    watch.Start(CtrlCAt(L"added"), false);
    recorder.rows = Table({kLoopback, Row(12, {10, 9, 0, 1}, 24), Row(47, {10, 5, 0, 1}, 24)});
    const ULONGLONG start = GetTickCount64();
    session.Follow(services, watch, 30);
    EXPECT_LT(GetTickCount64() - start, 10000u) << "not ended by Ctrl+C after the re-read";
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], Line(L"added", L"\"47\",\"10.5.0.1\",\"255.255.255.0\""));
}
