#include "commandline/Watch.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <utility>

#include "feed/MessageWait.h"
#include "support/Application.h"
#include "support/LocalTime.h"
#include "support/SystemError.h"
#include "support/WindowIds.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

constexpr wchar_t kWatchWindowClass[] = L"NetpeekWatch";
// Windows gives a console program about five seconds after the console is closed; the watch
// needs far less to finish its line.
constexpr DWORD kEndWaitMilliseconds = 4000;
// The loop wakes at least this often while a /wfor runs, so that no wait overflows its count.
constexpr ULONGLONG kLongestWaitMilliseconds = 3600000;

// Whether a watch runs, for the console control handler, which runs on a thread of its own.
std::atomic<bool> g_watching{false};

// Set to end the running watch. Made once and kept for the process, since the handler may use it
// at any moment.
HANDLE StopEvent() {
    static const UniqueEvent event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event.get();
}

}  // namespace

Watch::Watch(const TableSources& services, ViewChoice choice, std::vector<int> columns, ChangeFormat format)
    : m_services(services), m_choice(std::move(choice)), m_feed(services, m_choice), m_columns(std::move(columns)),
      m_headers(ChangeHeaders(m_columns)), m_format(format) {
    m_feed.Read();
    m_first = m_feed.Rows();
    m_firstReadTime = IsoLocalTime(m_services.utcNow());
}

void Watch::Start(WatchSink sink, bool header) {
    m_sink = std::move(sink);
    if (header)
        if (const std::wstring line = ChangeHeaderLine(m_format, m_headers); !line.empty())
            m_sink(line);
    Write(PresentLines(m_first, m_firstReadTime));
    m_first.clear();
}

ULONGLONG Watch::Reread() {
    ULONGLONG spent = 0;
    std::optional<TableUpdate> update;
    // A read that fails writes nothing, and the watch goes on; a line that cannot be written ends it.
    try {
        update = m_feed.Read(TableRows::Mode::Again, &spent);
    } catch (...) {
        return spent;
    }
    Write(update->lines);
    return spent;
}

void Watch::Write(const std::vector<ChangeLine>& lines) const {
    for (const ChangeLine& line : lines)
        m_sink(ChangeLineText(m_format, m_headers, ChangeFields(line, m_columns)));
}

WatchSession::WatchSession(WatchConsole console) : m_console(console) {
    if (!StopEvent())
        ThrowLastError(std::wstring(Text(TextId::WatchStopEvent)));
    ResetEvent(StopEvent());
    // The texts are literals of the language's table: their views end with a null.
    RegisterAppWindowClass(kWatchWindowClass, WindowProc, false, Text(TextId::WatchWindowClass).data());
    // Never shown: it is there for the session's end, which only a top-level window hears, and
    // for the follower's timers and notices. Where it cannot be made (Wine refuses one while it
    // restarts its desktop) the watch follows the table without it, by the thread's timers; only
    // the session's end goes unheard, and Ctrl+C, /wfor, the console's close and a reader that
    // went away still end it.
    m_window.reset(CreateWindowExW(0, kWatchWindowClass, kProductName, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                   CApplication::Current().Instance, this));
    g_watching = true;
    if (m_console == WatchConsole::Handler)
        SetConsoleCtrlHandler(WatchConsoleControl, TRUE);
}

WatchSession::~WatchSession() {
    if (m_console == WatchConsole::Handler)
        SetConsoleCtrlHandler(WatchConsoleControl, FALSE);
    g_watching = false;
    // The window goes while the follower it reaches is still there.
    m_window.reset();
}

LRESULT CALLBACK WatchSession::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* session = reinterpret_cast<WatchSession*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (!session)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // A line that cannot be written ends the watch: its error is kept for the loop to raise, as
    // none may leave a window procedure.
    try {
        return session->HandleMessage(msg, wParam, lParam) ? 0 : DefWindowProcW(hwnd, msg, wParam, lParam);
    } catch (...) {
        session->m_failure = std::current_exception();
        session->m_ended = true;
        return 0;
    }
}

bool WatchSession::HandleMessage(UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_TIMER:
        return m_follower.OnTimer(wParam);
    case kIPv6NoticeMessage:
        m_follower.OnIPv6Notice();
        return true;
    case kConnectivityNoticeMessage:
        m_follower.OnConnectivityNotice();
        return true;
    case WM_ENDSESSION:
        OnEndSession(wParam != FALSE);
        return true;
    case WM_CLOSE:
        // A polite end (taskkill without /f) ends the watch as the session's end does.
        m_ended = true;
        return true;
    }
    return false;
}

void WatchSession::OnEndSession(bool ending) {
    // No line is being written while a message is handled: the last one is whole.
    if (ending)
        m_ended = true;
}

bool WatchSession::Ended() const {
    return m_ended || WaitForSingleObject(StopEvent(), 0) == WAIT_OBJECT_0;
}

void WatchSession::Follow(const TableSources& services, const ViewChoice& choice, const TableFollower::RereadFn& reread,
                          std::uint32_t seconds) {
    const ULONGLONG end = seconds == 0 ? 0 : GetTickCount64() + seconds * 1000ull;
    m_follower.Attach(m_window.get(), services, choice, reread);
    m_follower.Start();
    struct Stop {
        TableFollower& follower;
        ~Stop() { follower.Stop(); }
    } stop{m_follower};

    while (!Ended()) {
        DWORD timeout = INFINITE;
        if (end != 0) {
            const ULONGLONG now = GetTickCount64();
            if (now >= end)
                break;
            timeout = static_cast<DWORD>(std::min(end - now, kLongestWaitMilliseconds));
        }
        // Stopped, or the time is up: the loop's test says which.
        if (!WaitForMessages(m_follower, StopEvent(), timeout))
            continue;
        MSG msg{};
        while (!Ended() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                m_ended = true;
                break;
            }
            // A timer of the thread's, the follower's where the watch has no window.
            if (msg.message == WM_TIMER && !msg.hwnd) {
                m_follower.OnTimer(msg.wParam);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

BOOL WINAPI WatchConsoleControl(DWORD event) {
    if (!g_watching)
        return FALSE;
    SetEvent(StopEvent());
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // The console closed, the user logs off or the system shuts down: Windows ends the process as
    // soon as this returns. Meanwhile the watch finishes its line and the program returns from
    // main, which ends the process, this thread with it, with the watch's own exit code.
    Sleep(kEndWaitMilliseconds);
    return TRUE;
}

}  // namespace netpeek
