#include "export/CsvText.h"

namespace netpeek {

namespace {

void AppendLine(std::wstring& text, const std::vector<std::wstring>& fields) {
    bool first = true;
    for (const std::wstring& field : fields) {
        if (!first)
            text += L',';
        first = false;
        text += L'"';
        for (wchar_t c : field) {
            // A lone quote would end the field early and shift every later field.
            if (c == L'"')
                text += L'"';
            text += c;
        }
        text += L'"';
    }
    text += L"\r\n";
}

}  // namespace

std::wstring CsvText(const CListTexts& list) {
    std::wstring text;
    AppendLine(text, list.headers);
    for (const auto& item : list.items)
        AppendLine(text, item);
    return text;
}

}  // namespace netpeek
