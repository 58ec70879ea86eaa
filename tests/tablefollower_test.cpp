// Following the table through the follower's own interface: the fake notice and clock of the
// window's tests, a window of the test's own for the timers, and a re-read that only counts.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "feed/TableFollower.h"
#include "support/WindowIds.h"
#include "tests/FormRecorder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

class Follower : public ::testing::Test {
protected:
    void SetUp() override {
        owner.reset(CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        follower.Attach(owner.get(), services, choice, [this] { ++reads; return recorder.readCost; });
        follower.Start();
        recorder.Take();
    }

    // The thread's messages for `milliseconds`, as the program's loop runs them: the owner's
    // timers go to the follower, and so does the notice's event.
    void Run(DWORD milliseconds) {
        for (const ULONGLONG end = GetTickCount64() + milliseconds; GetTickCount64() < end; Sleep(10)) {
            if (follower.NoticeEvent() && WaitForSingleObject(follower.NoticeEvent(), 0) == WAIT_OBJECT_0)
                follower.OnNotice();
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                if (msg.hwnd != owner.get() || msg.message != WM_TIMER || !follower.OnTimer(msg.wParam))
                    DispatchMessageW(&msg);
        }
    }
    // The re-reads since the last look.
    int Reads() { return std::exchange(reads, 0); }

    FormRecorder recorder;
    ViewChoice choice;
    FormServices services = recorder.Services();
    UniqueWindow owner;
    TableFollower follower;
    int reads = 0;
};

}  // namespace

// Two notices in a burst give one re-read, a moment after the last, and the notice is asked for
// again after each, never on a request that Windows still holds. A notice that ends in an error is
// no change of the table: five in a row read nothing and are asked for again only after a pause
// that grows.
TEST_F(Follower, ABurstOfNoticesGivesOneReReadAndOnesEndingInAnErrorNone) {
    SetEvent(recorder.notice->hEvent);
    Run(100);
    SetEvent(recorder.notice->hEvent);
    Run(800);
    EXPECT_EQ(Reads(), 1);
    EXPECT_EQ(recorder.Take(), (std::vector<std::wstring>{L"GetOverlappedResult", L"NotifyAddrChange",
                                                           L"GetOverlappedResult", L"NotifyAddrChange"}));

    KillTimer(owner.get(), kRereadTimer);  // only the notice in play
    recorder.noticeEnds = ERROR_NETWORK_UNREACHABLE;
    recorder.noticesFailingAtOnce = 4;
    SetEvent(recorder.notice->hEvent);
    Run(1500);
    const auto calls = recorder.Take();
    EXPECT_EQ(Reads(), 0);
    const auto arms = std::count(calls.begin(), calls.end(), L"NotifyAddrChange");
    EXPECT_GE(arms, 1) << "asked for again";
    EXPECT_LE(arms, 2) << "but not at once";
    EXPECT_EQ(recorder.armedWhilePending, 0);
}

// Stopped, the pending notice is withdrawn and waited for until it has ended, and the re-read
// stops. Started again, the notice is asked for on an OVERLAPPED that Windows no longer holds;
// where it cannot be asked for, the next re-read asks again.
TEST_F(Follower, StoppingWithdrawsTheNoticeAndStartingAsksForItAgain) {
    follower.Stop();
    EXPECT_EQ(recorder.Take(), (std::vector<std::wstring>{L"CancelIPChangeNotify", L"GetOverlappedResult wait"}));
    EXPECT_TRUE(recorder.pending.empty());
    EXPECT_EQ(follower.NoticeEvent(), nullptr);
    EXPECT_FALSE(KillTimer(owner.get(), kRereadTimer));

    const auto notify = std::exchange(services.notifyAddrChange, [](OVERLAPPED&) -> HANDLE {
        throw CError(ERROR_NOT_SUPPORTED, L"The change notice could not be asked for.");
    });
    follower.Start();
    EXPECT_EQ(follower.NoticeEvent(), nullptr);
    EXPECT_TRUE(KillTimer(owner.get(), kRereadTimer));
    services.notifyAddrChange = notify;
    follower.OnTimer(kRereadTimer);
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"NotifyAddrChange"});
    EXPECT_NE(follower.NoticeEvent(), nullptr);
    EXPECT_EQ(recorder.armedWhilePending, 0);
}

// A withdrawal that Windows refuses leaves a request that has not ended: while it has not, no other
// is made, however often following is switched off and on, and the re-read goes on all the same;
// once it has ended, the next tick asks for the notice on a request of its own.
TEST_F(Follower, ANoticeThatWillNotEndIsWaitedForBeforeAnotherIsAskedFor) {
    services.cancelAddrChangeNotify = [](OVERLAPPED&) { return false; };
    OVERLAPPED* const held = recorder.notice;
    for (int i = 0; i < 3; ++i) {
        follower.Stop();
        follower.Start();
    }
    follower.OnTimer(kRereadTimer);
    EXPECT_EQ(Reads(), 1);
    auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"NotifyAddrChange"), 0);
    EXPECT_EQ(follower.NoticeEvent(), nullptr);

    SetEvent(held->hEvent);
    follower.OnTimer(kRereadTimer);
    calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"NotifyAddrChange"), 1);
    EXPECT_NE(follower.NoticeEvent(), nullptr);
    EXPECT_EQ(recorder.armedWhilePending, 0);
}

// Nothing is read while a command holds updates off, nor while a menu or the move or size loop
// runs; the notice's update waits for the hold to end, and then comes.
TEST_F(Follower, NoUpdateRunsWhileHeld) {
    {
        const TableFollower::Hold hold(follower);
        follower.UpdateNow();
        SetEvent(recorder.notice->hEvent);
        follower.OnNotice();
        follower.OnTimer(kNoticeTimer);
        EXPECT_EQ(Reads(), 0);
        EXPECT_TRUE(KillTimer(owner.get(), kNoticeTimer)) << "it waits";
    }
    follower.OnTimer(kNoticeTimer);
    EXPECT_EQ(Reads(), 1);
    // A tick after each of these reads only once both loops have ended.
    for (UINT loop : {WM_ENTERMENULOOP, WM_ENTERSIZEMOVE, WM_EXITMENULOOP, WM_EXITSIZEMOVE}) {
        follower.OnModalLoop(loop);
        follower.OnTimer(kRereadTimer);
    }
    EXPECT_EQ(Reads(), 1);
}

// Reads of the table that take long, two in a row, put the next re-read off by a hundred times the
// quicker one's time, so that following a big table costs at most a hundredth of a core; one slow
// read among quick ones puts nothing off; a notice still reads at once.
TEST_F(Follower, SlowReadsPutTheNextReReadOffAHundredTimesTheirTime) {
    recorder.clock = 1000000;
    // Ticks two seconds apart, each read costing `cost` milliseconds: 1 for a tick that read.
    const auto ticks = [&](UINT_PTR timer, ULONGLONG cost, int count) {
        recorder.readCost = cost;
        std::string read;
        for (int i = 0; i < count; ++i) {
            *recorder.clock += 2000;
            follower.OnTimer(timer);
            read += static_cast<char>('0' + Reads());
        }
        return read;
    };
    // A thousand addresses under Wine: from the second slow read on, a read in the 58 seconds
    // after one is skipped.
    EXPECT_EQ(ticks(kRereadTimer, 600, 32), "11" + std::string(29, '0') + "1");
    EXPECT_EQ(ticks(kNoticeTimer, 5, 1), "1") << "a notice reads at once";
    EXPECT_EQ(ticks(kRereadTimer, 5, 1), "1") << "quick again: every two seconds";
    EXPECT_EQ(ticks(kRereadTimer, 600, 1), "1");
    EXPECT_EQ(ticks(kRereadTimer, 5, 2), "11") << "one slow read is a busy moment";
    EXPECT_EQ(ticks(kRereadTimer, 30, 4), "1101");
}
