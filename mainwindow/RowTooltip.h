#pragma once
// The tooltip over the address list that names the interface of the row under the pointer.
// It is a tooltip control of its own rather than the list's info tips, which Wine never shows.
// The interfaces are asked for at the first tip, so neither start-up nor filling the list waits
// for them.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "interfaces/AdapterInfo.h"
#include "feed/TableFeed.h"
#include "mainwindow/AddressList.h"
#include "mainwindow/RowTipText.h"
#include "rows/ListRow.h"
#include "support/Controls.h"

namespace netpeek {

class RowTooltip {
public:
    RowTooltip() = default;
    RowTooltip(const RowTooltip&) = delete;
    RowTooltip& operator=(const RowTooltip&) = delete;

    // Creates the tooltip, owned by `owner` (the list's window, which destroys it and hears its
    // questions), with one tool covering the list, whose rows `rows` says, and whose interfaces and
    // leases `feed` knows; both must outlive the tooltip. Throws when it cannot be created.
    void Create(HWND owner, HWND list, const AddressList& rows, TableFeed& feed);
    // The rows moved under the pointer: a tip on show goes, and the next one names the row
    // then under the pointer.
    void Hide();
    // The message loop shows the tooltip every mouse message meant for the list. The list is
    // not subclassed for them: under Wine that would cost every message to the list a trip to
    // the server, and a 10,000-row fill would take seconds.
    void Relay(const MSG& msg);
    // Answers the tooltip's question for its text; false for any other notification.
    bool Notify(NMHDR& header);

private:
    int RowAt(POINT point) const;
    std::wstring TextForRow(int row);
    void Pop() const;
    void StopTracking();

    ListViewCtrl m_list;
    HWND m_tip = nullptr;  // the owner destroys it with itself
    HWND m_owner = nullptr;
    bool m_stopping = false;  // StopTracking is under way; the pop it may cause is not another
    const AddressList* m_rows = nullptr;
    TableFeed* m_feed = nullptr;
    int m_row = -1;                  // the row under the pointer, or -1
    std::wstring m_text;             // the text the tooltip is showing
};

}  // namespace netpeek
