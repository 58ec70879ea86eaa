#pragma once
// The lines of what changed in the address table as text: CSV and tab-separated under a header
// line, or JSON Lines, as the command line's watch writes them and the log of changes copies them.

#include <string>
#include <string_view>
#include <vector>

namespace netpeek {

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
