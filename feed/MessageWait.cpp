#include "feed/MessageWait.h"

#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

bool WaitForMessages(TableFollower& follower, HANDLE stop, DWORD timeout) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD left = INFINITE;
        if (timeout != INFINITE) {
            const ULONGLONG spent = GetTickCount64() - start;
            if (spent >= timeout)
                return false;
            left = static_cast<DWORD>(timeout - spent);
        }
        // The notice and the stop wake the one thread as a message does.
        HANDLE waits[2] = {};
        DWORD count = 0;
        if (stop)
            waits[count++] = stop;
        const HANDLE notice = follower.NoticeEvent();
        if (notice)
            waits[count++] = notice;
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, count ? waits : nullptr, left, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED)
            ThrowLastError(TextWith(TextId::MessageLoopFailed));
        if (woke == WAIT_OBJECT_0 + count)
            return true;
        if (woke == WAIT_TIMEOUT || (stop && woke == WAIT_OBJECT_0))
            return false;
        if (notice && woke == WAIT_OBJECT_0 + count - 1)
            follower.OnNotice();
    }
}

}  // namespace netpeek
