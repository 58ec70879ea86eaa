#include "changelog/ChangeLogLines.h"

#include <iterator>
#include <utility>

#include "export/TableFormats.h"
#include "texts/Texts.h"

namespace netpeek {

std::size_t ChangeLogLines::Add(std::vector<ChangeLine> lines) {
    const std::size_t rowsBefore = Rows(), keptBefore = m_lines.size();
    m_lines.insert(m_lines.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    if (m_lines.size() <= m_kept)
        return 0;
    const std::size_t going = m_lines.size() - m_kept;
    m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(going));
    m_dropped += going;
    // Of the lines shown before, those that stay are now `shift` places higher: every line that
    // went, less the count's line where it has just come.
    const std::size_t goneBefore = std::min(going, keptBefore);
    const bool countCame = rowsBefore == keptBefore;
    return goneBefore - (countCame && goneBefore > 0 ? 1 : 0);
}

const ChangeLine* ChangeLogLines::LineAt(std::size_t row) const {
    if (m_dropped) {
        if (row == 0)
            return nullptr;
        --row;
    }
    return row < m_lines.size() ? &m_lines[row] : nullptr;
}

std::wstring ChangeLogLines::Text(std::size_t row, std::size_t field, std::span<const int> columns) const {
    if (const ChangeLine* line = LineAt(row)) {
        const std::vector<std::wstring> fields = ChangeFields(*line, columns);
        return field < fields.size() ? fields[field] : std::wstring();
    }
    return row == 0 && m_dropped && field == 0 ? TextWith(TextId::LogDropped, std::to_wstring(m_dropped)) : std::wstring();
}

std::wstring ChangeLogLines::CsvText(std::span<const int> columns, std::span<const std::size_t> rows) const {
    std::wstring text = CsvLine(ChangeHeaders(columns));
    const auto add = [&](const ChangeLine& line) { text += CsvLine(ChangeFields(line, columns)); };
    if (rows.empty()) {
        for (const ChangeLine& line : m_lines)
            add(line);
    }
    for (const std::size_t row : rows)
        if (const ChangeLine* line = LineAt(row))
            add(*line);
    return text;
}

}  // namespace netpeek
