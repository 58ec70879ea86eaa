#pragma once
// Following the address table while the window is open: the system's change notice, the
// periodic re-read and the delay that makes a burst of changes one update. It tells its owner
// that the table may have changed, and never while a command, a box or a menu is open.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "feed/TableSources.h"
#include "settings/Settings.h"
#include "support/Handles.h"

namespace netpeek {

class TableFollower {
public:
    // Keeps updates off for as long as it lives: a command runs, perhaps in a dialog or a box
    // with a message loop of its own, where a timer still fires.
    class Hold {
    public:
        explicit Hold(TableFollower& follower) : m_follower(follower) { ++m_follower.m_holds; }
        ~Hold() { --m_follower.m_holds; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        TableFollower& m_follower;
    };

    TableFollower() = default;
    ~TableFollower();
    TableFollower(const TableFollower&) = delete;
    TableFollower& operator=(const TableFollower&) = delete;

    // Reads the table again and shows what changed; answers how long the read itself took, in
    // milliseconds of the services' clock.
    using RereadFn = std::function<ULONGLONG()>;

    // Timers go to `owner`, or where it is null (a watch whose window could not be made) to the
    // thread, whose loop hands the follower each WM_TIMER that comes without a window. `services`
    // give the notice and the clock, and `choice` says whether the IPv6 table is followed too and
    // whether the owner's table is followed while it is minimised (hidden in the notification
    // area, whose icon and notices follow the table); both must outlive the follower.
    void Attach(HWND owner, const TableSources& services, const ViewChoice& choice, RereadFn tableMayHaveChanged);

    void Start();
    void Stop();
    // The choice changed: the IPv6 table's own notice is asked for, or withdrawn, as it now says.
    void ChoiceChanged();
    // Asks the owner to read the table now, unless something holds updates off; a read that
    // takes long spaces the next re-reads out.
    void UpdateNow();
    bool Held() const { return m_holds != 0 || m_inMenuLoop || m_inSizeMove; }

    // The event IP Helper signals when the table changes, while a notice is pending; else null.
    HANDLE NoticeEvent() const;
    // The message loop saw that event: ask for the next notice, and update once the burst is over.
    void OnNotice();
    // The owner got kIPv6NoticeMessage (support/WindowIds): update once the burst is over.
    void OnIPv6Notice();
    // The owner got kConnectivityNoticeMessage: the same, while the connections are shown.
    void OnConnectivityNotice();
    // The owner's timer, or the thread's: true when it was one of the follower's.
    bool OnTimer(UINT_PTR id);
    // The owner's WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: a menu
    // or the move or size loop runs a message loop of its own, where a timer still fires.
    void OnModalLoop(UINT msg);

private:
    // A request for the notice: Windows holds its OVERLAPPED and signals its event from the
    // moment it is made until it has ended, so it lives at least that long.
    struct NoticeRequest {
        OVERLAPPED overlapped{};
        UniqueEvent event;
        HANDLE device = nullptr;  // IP Helper's handle of the request, not ours to close
    };

    void OnRereadTimer();
    void SetFollowerTimer(UINT_PTR id, UINT milliseconds);
    void KillFollowerTimer(UINT_PTR id);
    // Which of the follower's timers the number of a WM_TIMER names; 0 for none.
    UINT_PTR TimerOf(UINT_PTR number) const;
    void ArmIPv6Notice();
    void WithdrawIPv6Notice();
    // Whether the choice shows what the connectivity notice tells of.
    bool WantsConnectivity() const;
    void ArmConnectivityNotice();
    bool WithdrawnHasEnded();
    void ArmNotice();
    void WithdrawNotice();

    HWND m_owner = nullptr;
    // Without an owner the timers are the thread's, which Windows numbers itself: each one set,
    // by its id, with the number it was given.
    std::map<UINT_PTR, UINT_PTR> m_threadTimers;
    const TableSources* m_services = nullptr;
    RereadFn m_tableMayHaveChanged;
    int m_holds = 0;
    bool m_inMenuLoop = false;
    bool m_inSizeMove = false;
    std::unique_ptr<NoticeRequest> m_notice;  // the request pending, or the one to make next
    bool m_noticeArmed = false;
    UINT m_noticeBackOff = 0;      // the wait before asking again after a notice ended in an error
    bool m_noticeWaiting = false;  // that wait is on
    std::unique_ptr<NoticeRequest> m_withdrawn;  // cancelled but not yet ended: never reused, and no other made meanwhile
    ULONGLONG m_rereadDue = 0;     // by the services' clock; 0 for at the next tick
    ULONGLONG m_lastReadCost = 0;  // what the last read took, in the clock's milliseconds
    bool m_following = false;
    const ViewChoice* m_choice = nullptr;
    bool m_ipv6Armed = false;            // asked for, with or without a handle to withdraw it by
    std::shared_ptr<void> m_ipv6Notice;  // withdrawn when released
    bool m_connectivityArmed = false;
    std::shared_ptr<void> m_connectivityNotice;
};

}  // namespace netpeek
