#pragma once
// Counts the messages a window of this thread is sent while the counter lives, so that a test
// can prove an update that changed nothing shown touched no item.

#include <windows.h>

namespace netpeek::test {

class ListMessages {
public:
    explicit ListMessages(HWND window) {
        s_window = window;
        s_count = 0;
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, Count, nullptr, GetCurrentThreadId());
    }
    ~ListMessages() {
        if (m_hook)
            UnhookWindowsHookEx(m_hook);
    }
    ListMessages(const ListMessages&) = delete;
    ListMessages& operator=(const ListMessages&) = delete;

    bool Hooked() const { return m_hook != nullptr; }
    int Sent() const { return s_count; }

private:
    static LRESULT CALLBACK Count(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION && reinterpret_cast<CWPSTRUCT*>(lParam)->hwnd == s_window)
            ++s_count;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline HWND s_window = nullptr;
    static inline int s_count = 0;
    HHOOK m_hook = nullptr;
};

}  // namespace netpeek::test
