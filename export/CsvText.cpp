#include "export/CsvText.h"

#include <algorithm>

namespace netpeek {

namespace {

std::size_t LineLength(const std::vector<std::wstring>& fields) {
    std::size_t length = 2 + (fields.empty() ? 0 : fields.size() - 1);  // CR LF and commas
    for (const std::wstring& field : fields)
        length += 2 + field.size() + static_cast<std::size_t>(std::count(field.begin(), field.end(), L'"'));
    return length;
}

void AppendLine(std::wstring& text, const std::vector<std::wstring>& fields) {
    bool first = true;
    for (const std::wstring& field : fields) {
        if (!first)
            text += L',';
        first = false;
        text += L'"';
        if (field.find(L'"') == std::wstring::npos) {
            text += field;
        } else {
            for (wchar_t c : field) {
                // A lone quote would end the field early and shift every later field.
                if (c == L'"')
                    text += L'"';
                text += c;
            }
        }
        text += L'"';
    }
    text += L"\r\n";
}

}  // namespace

std::wstring CsvText(const CListTexts& list) {
    // One allocation for the whole text: a large list would otherwise be copied over and
    // over as the text grows.
    std::size_t length = LineLength(list.headers);
    for (const auto& item : list.items)
        length += LineLength(item);
    std::wstring text;
    text.reserve(length);
    AppendLine(text, list.headers);
    for (const auto& item : list.items)
        AppendLine(text, item);
    return text;
}

}  // namespace netpeek
