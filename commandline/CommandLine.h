#pragma once
// The command line that saves the address table without a window, as scripts call the list
// utilities they already know: a save switch with a file name, and the order of the rows; or a
// watch switch, which writes a line for every change of the table as it is seen.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/LayoutText.h"

namespace netpeek {

// Prometheus: the table as metrics in Prometheus' text format, a file rewritten whole by its watch.
enum class SaveFormat { Comma, Tab, Json, Html, Prometheus };

// Where the saved rows take their order from.
enum class SaveOrder {
    Stored,  // the sort the user last chose in the window
    Table,   // the table's own order (/nosort)
    Given,   // the column and direction of /sort
};

// Whether the saved rows include the IPv6 table's after the IPv4 table's.
enum class SaveIPv6 {
    Stored,  // as the window's IPv6 switch was last left
    Added,   // /ipv6
    Left,    // /noipv6
};

struct CCommandLine {
    // Window: no arguments (or /tray), the program as it always was. Usage: /? anywhere. Watch: the lines of
    // the table's changes (in Comma, Tab or Json), or its metrics rewritten at each change (Prometheus),
    // until it is ended.
    enum class Action { Window, Usage, Save, Watch };
    Action action = Action::Window;
    SaveFormat format = SaveFormat::Comma;
    std::wstring fileName;  // empty: standard output ("" or "-" on the line)
    std::uint32_t watchSeconds = 0;  // /wfor: how long the watch runs; 0 until it is ended
    SaveOrder order = SaveOrder::Stored;
    StoredListSort sort;  // with SaveOrder::Given
    SaveIPv6 ipv6 = SaveIPv6::Stored;
    std::optional<std::vector<int>> columns;  // by id, in the order written; none: as the window shows
    bool allInterfaces = false;               // the interfaces hidden in the window too, those not connected and those not physical
    bool connected = false;                   // only the interfaces that are up, and not the loopback
    bool primary = false;                     // only the primary address of each family
    bool physical = false;                    // only the interfaces that are hardware adapters
    bool tray = false;                        // the window starts hidden beside its icon (/tray)

    bool operator==(const CCommandLine&) const = default;
};

// The arguments after the program's name, against the headers of every column (for /sort and
// /columns, by id). Switches start with '/' or '-' and are told apart whatever their case.
// Raises a CError numbered kErrorInvalidParameter, with a one-line text in the language in use
// that names the culprit (its control characters shown as '?'), for an unknown switch or argument, a save switch
// without its file name, more than one save switch, /sort without a column or with one that does
// not exist, /sort or /nosort twice or together, /sort or /nosort without a save switch, and the
// same for /ipv6 and /noipv6; for /columns without its list, with a column that does not exist or
// one given twice, given twice itself, without a save switch or beside /sprom or /wprom (whose
// labels are fixed); for /allinterfaces, /connected,
// /primary and /physical twice or without a save switch, for /allinterfaces beside /connected; and for /tray twice or beside a save or watch switch. A watch switch (/wcomma, /wtab, /wjson, /wprom) takes the place of a save switch
// for /ipv6, /noipv6, /columns and /allinterfaces; it is refused beside a save switch, another
// watch switch, /sort or /nosort, and so is /wfor without one, without its seconds, with a number
// below 1 or above kMaxWatchSeconds, or twice. A column number or the seconds may have any zeros
// before them.
inline constexpr std::uint32_t kMaxWatchSeconds = 999999999;
CCommandLine ParseCommandLine(std::span<const std::wstring> args, std::span<const std::wstring_view> headers);

// What /? shows: the switches and what each does, several lines.
std::wstring UsageText();

}  // namespace netpeek
