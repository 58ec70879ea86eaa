#pragma once
// The command line that saves the address table without a window, as scripts call the list
// utilities they already know: a save switch with a file name, and the order of the rows.

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "addrtable/AddrTable.h"
#include "addrtable/CIPv6AddrRow.h"
#include "mainwindow/ListRow.h"
#include "support/LayoutText.h"

namespace netpeek {

enum class SaveFormat { Comma, Tab, Json, Html };

// Where the saved rows take their order from.
enum class SaveOrder {
    Stored,  // the sort the user last chose in the window
    Table,   // the table's own order (/nosort)
    Given,   // the column and direction of /sort
};

// Whether the saved rows include the IPv6 table's after the IPv4 table's.
enum class SaveIPv6 {
    Stored,  // as the window's "Show IPv6" switch was last left
    Added,   // /ipv6
    Left,    // /noipv6
};

struct CCommandLine {
    // Window: no arguments, the program as it always was. Usage: /? anywhere.
    enum class Action { Window, Usage, Save };
    Action action = Action::Window;
    SaveFormat format = SaveFormat::Comma;
    std::wstring fileName;  // empty: standard output ("" or "-" on the line)
    SaveOrder order = SaveOrder::Stored;
    StoredListSort sort;  // with SaveOrder::Given
    SaveIPv6 ipv6 = SaveIPv6::Stored;

    bool operator==(const CCommandLine&) const = default;
};

// The arguments after the program's name, against the list's column headers (for /sort).
// Switches start with '/' or '-' and are told apart whatever their case. Raises a CError
// numbered kErrorInvalidParameter, with a one-line Russian text that names the culprit (its
// control characters shown as '?'), for an unknown switch or argument, a save switch without
// its file name, more than one save switch, /sort without a column or with one that does not
// exist, /sort or /nosort twice or together, /sort or /nosort without a save switch, and the
// same for /ipv6 and /noipv6. A column number may have any zeros before it.
CCommandLine ParseCommandLine(std::span<const std::wstring> args, std::span<const std::wstring_view> headers);

// The rows a save holds: the IPv4 table's, then with `withIPv6` the IPv6 table's as `readIPv6`
// gives them. An IPv6 table that cannot be read (a CError) leaves its part empty, as F5 in the
// window does, so the IPv4 rows are saved all the same; without `withIPv6` it is not read.
ListRows SavedRows(const CIPAddrList& ipv4, bool withIPv6, const std::function<CIPv6AddrList()>& readIPv6);

// What /? shows: the switches and what each does, several lines.
std::wstring UsageText();

}  // namespace netpeek
