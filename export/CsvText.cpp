#include "export/CsvText.h"

#include <algorithm>
#include <utility>

namespace netpeek {

void CsvAppender::Field(const wchar_t* chars, std::size_t length) {
    if (m_lineStarted)
        m_text += L',';
    m_lineStarted = true;
    m_text += L'"';
    const wchar_t* const end = chars + length;
    // A lone quote would end the field early and shift every later field, so each one is
    // doubled; the stretches between quotes go in whole.
    for (const wchar_t* quote; (quote = std::find(chars, end, L'"')) != end; chars = quote + 1) {
        m_text.append(chars, static_cast<std::size_t>(quote + 1 - chars));
        m_text += L'"';
    }
    m_text.append(chars, static_cast<std::size_t>(end - chars));
    m_text += L'"';
}

void CsvAppender::EndLine() {
    m_text += L"\r\n";
    m_lineStarted = false;
}

namespace {

std::size_t LineLength(const std::vector<std::wstring>& fields) {
    std::size_t length = 2 + (fields.empty() ? 0 : fields.size() - 1);  // CR LF and commas
    for (const std::wstring& field : fields)
        length += 2 + field.size() + static_cast<std::size_t>(std::count(field.begin(), field.end(), L'"'));
    return length;
}

void AppendLine(CsvAppender& csv, const std::vector<std::wstring>& fields) {
    for (const std::wstring& field : fields)
        csv.Field(field);
    csv.EndLine();
}

}  // namespace

std::wstring CsvText(const CListTexts& list) {
    // One allocation for the whole text: a large list would otherwise be copied over and
    // over as the text grows.
    std::size_t length = LineLength(list.headers);
    for (const auto& item : list.items)
        length += LineLength(item);
    CsvAppender csv;
    csv.Reserve(length);
    AppendLine(csv, list.headers);
    for (const auto& item : list.items)
        AppendLine(csv, item);
    return std::move(csv).Text();
}

}  // namespace netpeek
