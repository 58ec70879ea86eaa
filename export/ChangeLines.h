#pragma once
// What changed in the address table, as lines: a row that is there when watching starts, one
// that came, one that went, and a changed one as it was and as it is now. The command line's
// watch writes them, and the window's log of changes shows them.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mainwindow/ListRow.h"

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

// How the lines are written: CSV and tab-separated under a header line, or JSON Lines.
enum class ChangeFormat { Comma, Tab, Json };
// The header line that a text of these lines starts with, CR LF after it; none for JSON Lines,
// whose every object names its fields.
std::wstring ChangeHeaderLine(ChangeFormat format, const std::vector<std::wstring>& headers);
// A line's fields under those headers as CsvLine, TabLine or JsonLine writes them.
std::wstring ChangeLineText(ChangeFormat format, const std::vector<std::wstring>& headers,
                            const std::vector<std::wstring>& fields);
// Whether an existing log whose first line is this (its bytes, the line end left out) holds lines
// of that format under those headers, so that more of them may follow: its header line, or for
// JSON Lines an object with exactly those keys in that order. Anything else (another header,
// other columns, another format, not a header at all) is another file's.
bool LogTakes(std::string_view firstLine, ChangeFormat format, const std::vector<std::wstring>& headers);

}  // namespace netpeek
