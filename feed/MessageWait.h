#pragma once
// The one wait of the program's thread, in the window's message loop and in the watch's: for a
// message, for the table's change notice, which goes to the follower, or for a stop.

#include <windows.h>

#include "feed/TableFollower.h"

namespace netpeek {

// Waits until a message is in the thread's queue (true), or `stop` (none where null) is set or
// `timeout` milliseconds pass (false). The table's change notice, as it comes meanwhile, is handed
// to `follower` and the wait goes on. Throws a CError when the wait itself fails.
bool WaitForMessages(TableFollower& follower, HANDLE stop = nullptr, DWORD timeout = INFINITE);

}  // namespace netpeek
