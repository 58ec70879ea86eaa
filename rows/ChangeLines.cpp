#include "rows/ChangeLines.h"

#include <algorithm>

#include "rows/ListUpdate.h"

namespace netpeek {

std::wstring_view EventText(ChangeEvent event) {
    switch (event) {
    case ChangeEvent::Present: return L"present";
    case ChangeEvent::Added: return L"added";
    case ChangeEvent::Removed: return L"removed";
    case ChangeEvent::Was: return L"was";
    case ChangeEvent::Now: return L"now";
    }
    return {};
}

std::vector<ChangeLine> PresentLines(const ListRows& rows, const std::wstring& time) {
    const LineTime when(time);
    std::vector<ChangeLine> lines;
    lines.reserve(rows.size());
    for (const ListRow& row : rows)
        lines.push_back({when, ChangeEvent::Present, row});
    return lines;
}

std::vector<ChangeLine> ChangedLines(const ListRows& before, const ListRows& after, const std::wstring& time) {
    const std::vector<RowChange> changes = ChangesOf(before, after);
    // A changed row takes two lines; a table that grew by thousands makes thousands of lines at once.
    const LineTime when(time);
    std::vector<ChangeLine> lines;
    lines.reserve(changes.size() + static_cast<std::size_t>(std::count_if(changes.begin(), changes.end(), [](const RowChange& c) {
                      return c.kind == RowChange::Kind::Changed;
                  })));
    for (const RowChange& change : changes) {
        switch (change.kind) {
        case RowChange::Kind::Removed:
            lines.push_back({when, ChangeEvent::Removed, before[change.before]});
            break;
        case RowChange::Kind::Added:
            lines.push_back({when, ChangeEvent::Added, after[change.after]});
            break;
        case RowChange::Kind::Changed:
            lines.push_back({when, ChangeEvent::Was, before[change.before]});
            lines.push_back({when, ChangeEvent::Now, after[change.after]});
            break;
        }
    }
    return lines;
}

std::vector<std::wstring> ChangeHeaders(std::span<const int> columns) {
    std::vector<std::wstring> headers = {L"Time", L"Event"};
    for (const int id : columns)
        headers.emplace_back(ListColumns()[static_cast<std::size_t>(id)].header);
    return headers;
}

std::vector<std::wstring> ChangeFields(const ChangeLine& line, std::span<const int> columns) {
    std::vector<std::wstring> fields = {line.time.Text(), std::wstring(EventText(line.event))};
    fields.reserve(columns.size() + 2);
    for (const int id : columns)
        fields.emplace_back(line.row.Cell(static_cast<std::size_t>(id)));
    return fields;
}

}  // namespace netpeek
