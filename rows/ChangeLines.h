#pragma once
// What changed in the address table, as lines: a row that is there when watching starts, one
// that came, one that went, and a changed one as it was and as it is now. The command line's
// watch writes them (export/ChangeFormats), and the window's log of changes shows them.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rows/ListRow.h"

namespace netpeek {

enum class ChangeEvent { Present, Added, Removed, Was, Now };
// "present", "added", "removed", "was", "now".
std::wstring_view EventText(ChangeEvent event);

// When the read that saw a change was made, as IsoLocalTime writes it: one text shared by every
// line of that read, since one read may make thousands of lines, and the log keeps them.
class LineTime {
public:
    LineTime(std::wstring text = {}) : m_text(std::make_shared<const std::wstring>(std::move(text))) {}
    LineTime(const wchar_t* text) : LineTime(std::wstring(text)) {}
    const std::wstring& Text() const { return *m_text; }

private:
    std::shared_ptr<const std::wstring> m_text;
};

struct ChangeLine {
    LineTime time;
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
