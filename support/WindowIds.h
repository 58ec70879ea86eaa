#pragma once
// The timers and private messages of the program's windows, in one table, so that no two of them
// that reach one window share an id; and the main window's class.

#include <windows.h>

namespace netpeek {

// The main window's, and the watch's hidden window's, timers.
inline constexpr UINT_PTR kRereadTimer = 1;       // the follower's re-read every 2 seconds
inline constexpr UINT_PTR kNoticeTimer = 2;       // the follower's wait for a burst of change notices to end
inline constexpr UINT_PTR kMarkTimer = 3;         // the list's marks, whose time is up
inline constexpr UINT_PTR kNoticeRetryTimer = 4;  // the follower asks again for a notice that ended in an error
inline constexpr UINT_PTR kBurstTimer = 5;        // the icon's notice of a burst of changes, gathered

// The main window's class, which a second start checks before it trusts a window to be the program's.
inline constexpr wchar_t kMainWindowClass[] = L"NetpeekMain";

// Messages of the program's own.
inline constexpr UINT kIPv6NoticeMessage = WM_APP + 1;  // the IPv6 table changed (posted from a system thread)
inline constexpr UINT kTrayIconMessage = WM_APP + 2;    // the notification area's icon tells its owner of an event
inline constexpr UINT kConnectivityNoticeMessage = WM_APP + 3;  // the network's connectivity changed (from a system thread)

}  // namespace netpeek
