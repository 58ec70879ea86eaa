#pragma once
// The address table as the command line saves it: the list's texts, in the order a sort
// shows them, and their tab-separated, JSON and HTML forms (the CSV form is CsvText's).

#include <span>
#include <string>
#include <string_view>

#include "export/CsvText.h"
#include "rows/ListRow.h"
#include "support/LayoutText.h"

namespace netpeek {

// What the window's list would show for these rows under that sort with those columns (by id,
// in the order shown): their headers, then each row's cells in them, so that CsvText of it is
// the export's text byte for byte.
CListTexts TableTexts(const ListRows& rows, const StoredListSort& sort, std::span<const int> columns);

// The header line and one line per item, fields separated by a tab, CR LF after every line,
// no quotes. A tab, CR or LF inside a field becomes a space, so that every line keeps its fields.
std::wstring TabText(const CListTexts& list);

// One line of TabText: the fields separated by tabs, CR LF after them.
std::wstring TabLine(const std::vector<std::wstring>& fields);
// One line of CsvText: the fields quoted and separated by commas, CR LF after them.
std::wstring CsvLine(const std::vector<std::wstring>& fields);
// One JSON object on a line of its own (JSON Lines): the keys and the values as JsonText writes
// them, CR LF after it. Values past the last key have no key and are left out.
std::wstring JsonLine(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values);

// A JSON array with one object per item, its keys the headers in column order and its values
// the cells as strings; quotes, backslashes, control characters and everything beyond ASCII
// escaped, so the text is ASCII. One object a line.
std::wstring JsonText(const CListTexts& list);

// A page with the table: its heading, in the language in use, names the families it holds (IPv4
// alone, or with `ipv6` IPv6 too); `program` (name and version) and `made` (when) above it; every
// text escaped, so a cell is never taken for markup, and every character beyond ASCII written as a
// numeric character reference, so the page is ASCII byte for byte. Cells never break inside.
std::wstring HtmlText(const CListTexts& list, bool ipv6, std::wstring_view program, std::wstring_view made);

}  // namespace netpeek
