#include "feed/TableFollower.h"

#include <algorithm>
#include <utility>

#include "feed/TableRows.h"
#include "support/WindowIds.h"

namespace netpeek {

namespace {

// A re-read every two seconds, since Wine never sends the change notice and some changes come
// without one; a burst of notices gives one update, a moment after the last.
constexpr UINT kRereadMilliseconds = 2000;
constexpr UINT kNoticeDelayMilliseconds = 300;
// Where reads of the table are slow (Wine's grows with the table, to seconds), the next re-read
// waits this many times as long as the quicker of the last two took, so that following costs a
// hundredth of a core; one slow read among quick ones is a busy moment, and puts nothing off.
constexpr ULONGLONG kRereadCostFactor = 100;
// A notice that ends in an error is asked for again after a second, then after twice as long
// each time it fails again, up to a minute.
constexpr UINT kFirstNoticeRetryMilliseconds = 1000;
constexpr UINT kLastNoticeRetryMilliseconds = 60000;
// How long a withdrawn notice is waited for; Windows ends a cancelled request at once.
constexpr DWORD kCancelWaitMilliseconds = 1000;

}  // namespace

TableFollower::~TableFollower() {
    // A request that Windows never gave back may still be written to: it is left to the process.
    static_cast<void>(m_withdrawn.release());
}

void TableFollower::Attach(HWND owner, const TableSources& services, const ViewChoice& choice,
                           RereadFn tableMayHaveChanged) {
    m_owner = owner;
    m_services = &services;
    m_choice = &choice;
    m_tableMayHaveChanged = std::move(tableMayHaveChanged);
}

void TableFollower::Start() {
    // Never two notices on one request, nor two timers for one re-read.
    Stop();
    SetFollowerTimer(kRereadTimer, kRereadMilliseconds);
    m_noticeBackOff = 0;
    m_following = true;
    ArmNotice();
    ArmIPv6Notice();
    ArmConnectivityNotice();
}

void TableFollower::Stop() {
    KillFollowerTimer(kRereadTimer);
    KillFollowerTimer(kNoticeTimer);
    KillFollowerTimer(kNoticeRetryTimer);
    m_noticeWaiting = false;
    m_following = false;
    WithdrawNotice();
    WithdrawIPv6Notice();
    m_connectivityNotice.reset();
    m_connectivityArmed = false;
}

void TableFollower::ChoiceChanged() {
    if (m_choice->ipv6)
        ArmIPv6Notice();
    else
        WithdrawIPv6Notice();
    if (WantsConnectivity()) {
        ArmConnectivityNotice();
    } else {
        m_connectivityNotice.reset();
        m_connectivityArmed = false;
    }
}

bool TableFollower::WantsConnectivity() const {
    const TableChoice choice = TableChoiceOf(*m_choice);
    return choice.NeedsNetworks() || choice.NeedsWifi();
}

// Windows before 10 2004, and Wine, have no such notice: the periodic re-read finds the change.
void TableFollower::ArmConnectivityNotice() {
    if (!m_following || m_connectivityArmed || !WantsConnectivity() || !m_services->notifyConnectivityChange || !m_owner)
        return;
    try {
        m_connectivityNotice = m_services->notifyConnectivityChange(m_owner, kConnectivityNoticeMessage);
        m_connectivityArmed = true;
    } catch (...) {
        m_connectivityNotice.reset();
    }
}

void TableFollower::OnConnectivityNotice() {
    if (m_following && WantsConnectivity())
        SetFollowerTimer(kNoticeTimer, kNoticeDelayMilliseconds);
}

void TableFollower::WithdrawIPv6Notice() {
    m_ipv6Notice.reset();
    m_ipv6Armed = false;
}

// Without the IPv6 notice (Wine gives none, and it needs a window to post to) the periodic re-read
// still follows the IPv6 table.
void TableFollower::ArmIPv6Notice() {
    if (!m_following || !m_choice->ipv6 || m_ipv6Armed || !m_services->notifyIPv6Change || !m_owner)
        return;
    try {
        m_ipv6Notice = m_services->notifyIPv6Change(m_owner, kIPv6NoticeMessage);
        m_ipv6Armed = true;
    } catch (...) {
        WithdrawIPv6Notice();
    }
}

void TableFollower::OnIPv6Notice() {
    // A notice posted before it was withdrawn may still arrive.
    if (m_following && m_choice->ipv6)
        SetFollowerTimer(kNoticeTimer, kNoticeDelayMilliseconds);
}

void TableFollower::UpdateNow() {
    if (Held() || !m_tableMayHaveChanged)
        return;
    const ULONGLONG spent = m_tableMayHaveChanged();
    const ULONGLONG cost = std::min(spent, m_lastReadCost);
    m_lastReadCost = spent;
    m_rereadDue = cost * kRereadCostFactor > kRereadMilliseconds ? m_services->clock() + cost * kRereadCostFactor : 0;
}

bool TableFollower::OnTimer(UINT_PTR id) {
    switch (TimerOf(id)) {
    case kRereadTimer:
        OnRereadTimer();
        return true;
    case kNoticeTimer:
        // Held, it waits for the hold to end, and fires again.
        if (!Held()) {
            KillFollowerTimer(kNoticeTimer);
            UpdateNow();
        }
        return true;
    case kNoticeRetryTimer:
        KillFollowerTimer(kNoticeRetryTimer);
        m_noticeWaiting = false;
        ArmNotice();
        return true;
    default:
        return false;
    }
}

void TableFollower::OnRereadTimer() {
    // A notice that could not be asked for is asked for again here.
    if (!m_noticeArmed && !m_noticeWaiting)
        ArmNotice();
    if ((IsIconic(m_owner) && !m_choice->minimizeToTray) || (m_rereadDue != 0 && m_services->clock() < m_rereadDue))
        return;
    UpdateNow();
}

void TableFollower::OnModalLoop(UINT msg) {
    switch (msg) {
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        m_inMenuLoop = msg == WM_ENTERMENULOOP;
        break;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        m_inSizeMove = msg == WM_ENTERSIZEMOVE;
        break;
    }
}

HANDLE TableFollower::NoticeEvent() const {
    return m_noticeArmed ? m_notice->event.get() : nullptr;
}

void TableFollower::OnNotice() {
    if (!m_noticeArmed)
        return;
    DWORD ended = ERROR_GEN_FAILURE;
    try {
        ended = m_services->addrChangeResult(m_notice->device, m_notice->overlapped, 0);
    } catch (...) {
    }
    if (ended == ERROR_IO_INCOMPLETE) {
        // Signalled while still pending: not the request's end, so it goes on waiting.
        ResetEvent(m_notice->event.get());
        return;
    }
    m_noticeArmed = false;
    if (ended != NO_ERROR) {
        // No change, and asking again at once would fail as fast: wait, longer each time.
        m_noticeBackOff = m_noticeBackOff == 0 ? kFirstNoticeRetryMilliseconds
                                               : std::min(m_noticeBackOff * 2, kLastNoticeRetryMilliseconds);
        m_noticeWaiting = true;
        SetFollowerTimer(kNoticeRetryTimer, m_noticeBackOff);
        return;
    }
    m_noticeBackOff = 0;
    ArmNotice();
    // Every notice of a burst puts the update off again, so the burst gives one.
    SetFollowerTimer(kNoticeTimer, kNoticeDelayMilliseconds);
}

void TableFollower::SetFollowerTimer(UINT_PTR id, UINT milliseconds) {
    if (m_owner) {
        SetTimer(m_owner, id, milliseconds, nullptr);
        return;
    }
    // Set again by the number Windows gave it, a timer of the thread's restarts rather than doubles.
    UINT_PTR& given = m_threadTimers[id];
    given = SetTimer(nullptr, given, milliseconds, nullptr);
}

void TableFollower::KillFollowerTimer(UINT_PTR id) {
    if (m_owner) {
        KillTimer(m_owner, id);
        return;
    }
    if (const auto timer = m_threadTimers.find(id); timer != m_threadTimers.end()) {
        KillTimer(nullptr, timer->second);
        m_threadTimers.erase(timer);
    }
}

UINT_PTR TableFollower::TimerOf(UINT_PTR number) const {
    if (m_owner)
        return number;
    for (const auto& [id, given] : m_threadTimers)
        if (given == number)
            return id;
    return 0;
}

// Cancels the pending request and waits for it to end, since until then Windows may still write
// to its OVERLAPPED; one that does not end is set aside, and a new one is made once it has.
void TableFollower::WithdrawNotice() {
    if (!m_noticeArmed)
        return;
    m_noticeArmed = false;
    bool cancelled = false;
    DWORD ended = ERROR_IO_INCOMPLETE;
    try {
        cancelled = m_services->cancelAddrChangeNotify(m_notice->overlapped);
    } catch (...) {
    }
    try {
        ended = m_services->addrChangeResult(m_notice->device, m_notice->overlapped,
                                             cancelled ? kCancelWaitMilliseconds : 0);
    } catch (...) {
    }
    if (ended == ERROR_IO_INCOMPLETE)
        m_withdrawn = std::move(m_notice);
}

// Where Windows never ends a withdrawn request (Wine's never does), asking for a new one at each
// switch would keep one more request and event every time.
bool TableFollower::WithdrawnHasEnded() {
    if (!m_withdrawn)
        return true;
    try {
        if (m_services->addrChangeResult(m_withdrawn->device, m_withdrawn->overlapped, 0) == ERROR_IO_INCOMPLETE)
            return false;
    } catch (...) {
        return false;
    }
    m_withdrawn.reset();
    return true;
}

void TableFollower::ArmNotice() {
    // Without the notice the periodic re-read still follows the table, a little later, and
    // asks for the notice again.
    if (m_noticeArmed || !WithdrawnHasEnded())
        return;
    try {
        if (!m_notice) {
            auto request = std::make_unique<NoticeRequest>();
            request->event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            if (!request->event)
                return;
            m_notice = std::move(request);
        }
        ResetEvent(m_notice->event.get());
        m_notice->overlapped = OVERLAPPED{};
        m_notice->overlapped.hEvent = m_notice->event.get();
        m_notice->device = m_services->notifyAddrChange(m_notice->overlapped);
        m_noticeArmed = true;
    } catch (...) {
        m_noticeArmed = false;
    }
}

}  // namespace netpeek
