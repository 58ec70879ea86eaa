#pragma once
// The log of changes as its window shows it: the lines of what changed since the program
// started, the last ones kept, newest last, and before them a line that counts those that went.

#include <cstddef>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "rows/ChangeLines.h"

namespace netpeek {

class ChangeLogLines {
public:
    static constexpr std::size_t kKept = 10000;

    explicit ChangeLogLines(std::size_t kept = kKept) : m_kept(kept == 0 ? 1 : kept) {}

    // Appends a read's lines, the oldest going once more than `kept` are there. Answers by how
    // many places the shown lines that stay moved up (the count's line taken into account).
    std::size_t Add(std::vector<ChangeLine> lines);

    // The lines shown: the count of those that went first, when any did, then the kept ones.
    std::size_t Rows() const { return m_lines.size() + (m_dropped ? 1 : 0); }
    std::size_t Kept() const { return m_lines.size(); }
    std::size_t Dropped() const { return m_dropped; }
    // The kept line a shown line is, or null for the count's line (or past the end).
    const ChangeLine* LineAt(std::size_t row) const;
    // What a shown line has under the field `field` of ChangeHeaders(columns): the count's line
    // "…ранее: N" under the first, nothing under the others.
    std::wstring Text(std::size_t row, std::size_t field, std::span<const int> columns) const;

    // The lines as /wcomma writes them, under its header line: those of `rows` (shown lines, in
    // their order; the count's line is none), or with no rows every kept one.
    std::wstring CsvText(std::span<const int> columns, std::span<const std::size_t> rows = {}) const;

private:
    std::size_t m_kept;
    std::deque<ChangeLine> m_lines;
    std::size_t m_dropped = 0;
};

}  // namespace netpeek
