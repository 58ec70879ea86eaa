#pragma once
// Watching the address table from the command line: a line for every row there at the start, then
// a line for every change as it is seen, followed as the window follows the table (its change
// notice, the periodic re-read slowed after slow reads), until the watch is ended.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "export/ChangeFormats.h"
#include "feed/TableFollower.h"
#include "feed/TableFeed.h"
#include "feed/TableSources.h"
#include "rows/ChangeLines.h"
#include "settings/Settings.h"
#include "support/Handles.h"

namespace netpeek {

// Where the lines go, each one whole; a line that cannot be written raises a CError.
using WatchSink = std::function<void(const std::wstring& line)>;

class Watch {
public:
    // Reads the table with that choice: the rows there at the start, under those columns (by id).
    // Raises the read's error when the table cannot be read. `services` must outlive the watch.
    Watch(const TableSources& services, ViewChoice choice, std::vector<int> columns, ChangeFormat format);

    // The header line first where `header` asks for it (CSV and tab only), then a "present" line
    // for each row of the first read, in the table's order; later lines go to the same sink.
    void Start(WatchSink sink, bool header);
    // Reads the table again and writes the lines of what changed since the last read; a read that
    // changed nothing, or failed, writes nothing. Answers the read's milliseconds by the services'
    // clock, as the follower wants.
    ULONGLONG Reread();

    const ViewChoice& Choice() const { return m_choice; }
    const std::vector<std::wstring>& Headers() const { return m_headers; }

private:
    void Write(const std::vector<ChangeLine>& lines) const;

    const TableSources& m_services;
    ViewChoice m_choice;
    TableFeed m_feed;
    ListRows m_first;  // the first read's rows, until they are written
    std::wstring m_firstReadTime;
    std::vector<int> m_columns;
    std::vector<std::wstring> m_headers;
    ChangeFormat m_format;
    WatchSink m_sink;
};

// What ends the watch beside its seconds and a polite WM_CLOSE: the end of the session, which its
// hidden top-level window hears (a console program that loads user32 is never told of a logoff or a
// shutdown by its console), and for the console twin its console's control events too.
enum class WatchConsole { None, Handler };

// The watch's window and its following of the table.
class WatchSession {
public:
    // Makes the window, where it can be made, and for the console twin installs the console
    // control handler, so that a Ctrl+C from now on ends the watch rather than the process.
    // Raises a CError when the stop event or the window's class cannot be made.
    explicit WatchSession(WatchConsole console);
    ~WatchSession();
    WatchSession(const WatchSession&) = delete;
    WatchSession& operator=(const WatchSession&) = delete;

    // Follows the table for the watch until it is ended: by the console's control handler, by the
    // end of the session (WM_ENDSESSION) or a WM_CLOSE, or once `seconds` have passed (0: never).
    // Returns after the last whole line; raises the error of a line that could not be written.
    void Follow(const TableSources& services, Watch& watch, std::uint32_t seconds) {
        Follow(services, watch.Choice(), [&watch] { return watch.Reread(); }, seconds);
    }
    // The same for any watch that reads the table as `choice` says each time `reread` is called.
    void Follow(const TableSources& services, const ViewChoice& choice, const TableFollower::RereadFn& reread,
                std::uint32_t seconds);

    // Null where it could not be made.
    HWND Window() const { return m_window.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Whether the message was the watch's; the others go to DefWindowProcW, which also lets the
    // session end (WM_QUERYENDSESSION).
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnEndSession(bool ending);
    bool Ended() const;

    WatchConsole m_console;
    UniqueWindow m_window;
    TableFollower m_follower;
    bool m_ended = false;
    std::exception_ptr m_failure;  // what a line's writing raised in the window procedure
};

// The console control handler of a running watch. Ctrl+C and Ctrl+Break end it after its last
// whole line. The console closed, the user logging off and the system shutting down end it too;
// since Windows ends the process once this returns, it first waits a moment, in which the watch
// finishes its line and the program ends by itself with its own exit code. FALSE when no watch
// runs, so that the next handler decides.
BOOL WINAPI WatchConsoleControl(DWORD event);

}  // namespace netpeek
