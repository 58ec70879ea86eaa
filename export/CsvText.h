#pragma once
// The CSV text of what a list shows: a header line, then one line per item.

#include <cstddef>
#include <string>
#include <vector>

namespace netpeek {

// A list's texts as the export reads them back: headers in column index order, and per
// item its own text followed by its sub-items' texts.
struct CListTexts {
    std::vector<std::wstring> headers;
    std::vector<std::vector<std::wstring>> items;
};

// Builds CSV text one field at a time, straight from wherever the field's characters are,
// so that a caller reading cells into one reused buffer needs no string per cell.
// Every field in double quotes (a quote inside doubled), commas between the fields of a
// line, CR LF after every line.
class CsvAppender {
public:
    void Reserve(std::size_t length) { m_text.reserve(length); }
    // The `length` characters at `chars` as the line's next field.
    void Field(const wchar_t* chars, std::size_t length);
    void Field(const std::wstring& text) { Field(text.data(), text.size()); }
    void EndLine();

    const std::wstring& Text() const& { return m_text; }
    std::wstring Text() && { return std::move(m_text); }

private:
    std::wstring m_text;
    bool m_lineStarted = false;
};

// The whole text of `list`. A list without columns starts with an empty line.
std::wstring CsvText(const CListTexts& list);

}  // namespace netpeek
