#pragma once
// The log of changes in a window of its own: what changed since the program started, one line
// per event as the command line's watch writes it, newest at the bottom. It gathers whether or not
// it is shown; closing it only hides it.

#include <windows.h>

#include <vector>

#include <functional>

#include "changelog/ChangeLogLines.h"
#include "settings/Settings.h"
#include "support/Controls.h"
#include "support/Handles.h"

namespace netpeek {

class ChangeLog {
public:
    // Where the window's placement is kept: put back on the window when it is made, and kept
    // from it when it is hidden or goes.
    struct Placement {
        std::function<void(HWND)> restore;
        std::function<void(HWND)> save;
    };

    // The lines show the list's columns as `choice` (which must outlive the log) says.
    ChangeLog(Placement placement, const ViewChoice& choice) : m_placement(std::move(placement)), m_choice(choice) {}
    ~ChangeLog();
    ChangeLog(const ChangeLog&) = delete;
    ChangeLog& operator=(const ChangeLog&) = delete;

    // A read's lines, newest last; a window that shows the bottom goes on showing it.
    void Add(std::vector<ChangeLine> lines);
    // The list's columns changed: the lines show them after "Time" and "Event" from now on.
    void ColumnsChanged();
    const ChangeLogLines& Lines() const { return m_lines; }

    // Shows the window, made the first time, owned by `owner`, in `font`, where it was last put.
    void Show(HWND owner, HFONT font);
    // Hides it, keeping where it is; Esc, its close box and its menu's Close do this.
    void Hide();
    // The window goes, its placement kept (as when its owner goes).
    void Close();
    // Keeps the placement now, as the session ends without destroying the window.
    void SavePlacement() const;
    // The caption and the menu in the language now in use, where the window is there.
    void Relabel();

    HWND Handle() const { return m_hwnd; }
    HWND List() const { return m_list.Handle(); }
    // The log window's shortcuts, for the message loop: true when the message was the log's and
    // was handled. A message to the log window never reaches the main window's shortcuts.
    bool Owns(const MSG& msg) const;
    bool PreTranslateMessage(MSG& msg);

    // The selected lines (or with none selected, every line) under the header line, as /wcomma
    // writes them.
    std::wstring CopyText() const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Create(HWND owner, HFONT font);
    void OnSize();
    void OnCommand(UINT id);
    LRESULT OnNotify(NMHDR& header);
    // The list's questions: the text of a cell, and the line a typed text starts (-1 for none).
    void GetDisplayInfo(LVITEMW& info);
    int FindItem(const NMLVFINDITEMW& find) const;
    void OnDestroy();
    void InitColumns();
    void ShowCount(std::size_t moved);
    bool AtBottom() const;
    void Copy();
    void Save();

    Placement m_placement;
    ChangeLogLines m_lines;
    const ViewChoice& m_choice;
    HWND m_hwnd = nullptr;
    ListViewCtrl m_list;
    UniqueAccel m_accelerators;
    std::wstring m_cell;  // the text the list asked for last, which it reads after the answer
};

}  // namespace netpeek
