#pragma once
// What changed in the address table, as lines: a row that is there when watching starts, one
// that came, one that went, and a changed one as it was and as it is now. The command line's
// watch writes them (export/ChangeFormats), and the window's log of changes shows them.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rows/ListRow.h"

namespace netpeek {

enum class ChangeEvent { Present, Added, Removed, Was, Now };
// "present", "added", "removed", "was", "now".
std::wstring_view EventText(ChangeEvent event);

struct ChangeLine {
    std::wstring time;  // when the read that saw it was made, as IsoLocalTime writes it
    ChangeEvent event;
    ListRow row;
};

// One "present" line per row, in their order.
std::vector<ChangeLine> PresentLines(const ListRows& rows, const std::wstring& time);
// The lines of what changed from one read to the next, as the one comparison of two reads tells
// it: "removed", "added", and for a row whose cells changed, "was" then "now". None for an
// unchanged table, nor for rows that only moved.
std::vector<ChangeLine> ChangedLines(const ListRows& before, const ListRows& after, const std::wstring& time);

// The lines' headers: "Time", "Event", then those of the columns (by id).
std::vector<std::wstring> ChangeHeaders(std::span<const int> columns);
// A line's fields under those headers.
std::vector<std::wstring> ChangeFields(const ChangeLine& line, std::span<const int> columns);

}  // namespace netpeek
