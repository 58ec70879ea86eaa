#include "export/TableFormats.h"

#include <algorithm>
#include <cstdint>

#include "rows/CellTexts.h"
#include "rows/RowOrder.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

void AppendTabField(std::wstring& text, const std::wstring& field) {
    for (const wchar_t c : field)
        text += (c == L'\t' || c == L'\r' || c == L'\n') ? L' ' : c;
}

void AppendTabLine(std::wstring& text, const std::vector<std::wstring>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0)
            text += L'\t';
        AppendTabField(text, fields[i]);
    }
    text += L"\r\n";
}

// A character beyond ASCII as the number of its code point; a UTF-16 surrogate pair (where
// wchar_t is 16 bits) is one code point, and half of one alone stands for no character.
char32_t CodePointAt(std::wstring_view value, std::size_t& i) {
    const auto unit = static_cast<char32_t>(value[i]);
    if (unit < 0xD800 || unit > 0xDFFF)
        return unit;
    if (unit < 0xDC00 && i + 1 < value.size() && value[i + 1] >= 0xDC00 && value[i + 1] <= 0xDFFF)
        return 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(value[++i]) - 0xDC00);
    return 0xFFFD;
}

void AppendJsonUnit(std::wstring& text, char32_t unit) {
    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    text += L"\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += kHex[(unit >> shift) & 0xF];
}

// Control characters and everything beyond ASCII as \u escapes, so the text is ASCII and any
// decoding of it reads the same.
void AppendJsonString(std::wstring& text, const std::wstring& value) {
    text += L'"';
    for (std::size_t i = 0; i < value.size(); ++i) {
        const wchar_t c = value[i];
        switch (c) {
        case L'"': text += L"\\\""; break;
        case L'\\': text += L"\\\\"; break;
        case L'\b': text += L"\\b"; break;
        case L'\f': text += L"\\f"; break;
        case L'\n': text += L"\\n"; break;
        case L'\r': text += L"\\r"; break;
        case L'\t': text += L"\\t"; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                text += c;
            } else if (const char32_t code = CodePointAt(value, i); code > 0xFFFF) {
                AppendJsonUnit(text, 0xD800 + ((code - 0x10000) >> 10));
                AppendJsonUnit(text, 0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                AppendJsonUnit(text, code);
            }
        }
    }
    text += L'"';
}

// Markup characters as entities and everything beyond ASCII as a numeric reference: the page
// is ASCII, so it shows the same whatever a browser or a shell takes its bytes for.
void AppendHtml(std::wstring& text, std::wstring_view value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        const wchar_t c = value[i];
        switch (c) {
        case L'&': text += L"&amp;"; break;
        case L'<': text += L"&lt;"; break;
        case L'>': text += L"&gt;"; break;
        case L'"': text += L"&quot;"; break;
        case L'\'': text += L"&#39;"; break;
        default:
            if (static_cast<char32_t>(c) < 0x80) {
                text += c;
            } else {
                text += L"&#";
                text += std::to_wstring(static_cast<std::uint32_t>(CodePointAt(value, i)));
                text += L';';
            }
        }
    }
}

void AppendHtmlRow(std::wstring& text, const std::vector<std::wstring>& cells, std::wstring_view tag) {
    text += L"<tr>";
    for (const std::wstring& cell : cells) {
        text += L'<';
        text += tag;
        text += L'>';
        AppendHtml(text, cell);
        text += L"</";
        text += tag;
        text += L'>';
    }
    text += L"</tr>\r\n";
}

}  // namespace

CListTexts TableTexts(const ListRows& rows, const StoredListSort& sort, std::span<const int> columns) {
    CListTexts texts;
    for (const int id : columns)
        texts.headers.emplace_back(ListColumns()[static_cast<std::size_t>(id)].header);
    texts.items.reserve(rows.size());
    for (std::size_t index : SortedOrder(rows, sort)) {
        std::vector<std::wstring>& item = texts.items.emplace_back();
        item.reserve(columns.size());
        for (const int id : columns)
            item.emplace_back(rows[index].Cell(static_cast<std::size_t>(id)));
    }
    return texts;
}

std::wstring TabLine(const std::vector<std::wstring>& fields) {
    std::wstring text;
    AppendTabLine(text, fields);
    return text;
}

std::wstring CsvLine(const std::vector<std::wstring>& fields) {
    CsvAppender csv;
    for (const std::wstring& field : fields)
        csv.Field(field);
    csv.EndLine();
    return std::move(csv).Text();
}

namespace {

void AppendJsonObject(std::wstring& text, const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values) {
    text += L'{';
    // A key needs its header: cells past the last column have none.
    const std::size_t fields = std::min(values.size(), keys.size());
    for (std::size_t f = 0; f < fields; ++f) {
        if (f != 0)
            text += L", ";
        AppendJsonString(text, keys[f]);
        text += L": ";
        AppendJsonString(text, values[f]);
    }
    text += L'}';
}

}  // namespace

std::wstring JsonLine(const std::vector<std::wstring>& keys, const std::vector<std::wstring>& values) {
    std::wstring text;
    AppendJsonObject(text, keys, values);
    return text + L"\r\n";
}

std::wstring TabText(const CListTexts& list) {
    std::wstring text;
    AppendTabLine(text, list.headers);
    for (const auto& item : list.items)
        AppendTabLine(text, item);
    return text;
}

std::wstring JsonText(const CListTexts& list) {
    std::wstring text = L"[\r\n";
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        text += L"  ";
        AppendJsonObject(text, list.headers, list.items[i]);
        text += i + 1 < list.items.size() ? L",\r\n" : L"\r\n";
    }
    text += L"]\r\n";
    return text;
}

std::wstring HtmlText(const CListTexts& list, bool ipv6, std::wstring_view program, std::wstring_view made) {
    const std::wstring_view heading = Text(ipv6 ? TextId::HtmlBothTable : TextId::HtmlIPv4Table);
    std::wstring text = L"<!DOCTYPE html>\r\n<html lang=\"";
    AppendHtml(text, CurrentLanguage().code);
    text += L"\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>";
    AppendHtml(text, program);
    text += L": ";
    AppendHtml(text, heading);
    // An address, a MAC or a time broken over lines at its hyphens reads as several values: the
    // cells keep to one line, and the table scrolls sideways where the window is narrower.
    text += L"</title>\r\n<style>table{border-collapse:collapse}th,td{border:1px solid #999;padding:2px 8px;"
            L"text-align:left;white-space:nowrap}div{overflow-x:auto}</style>\r\n</head>\r\n<body>\r\n<h1>";
    AppendHtml(text, heading);
    text += L"</h1>\r\n<p>";
    AppendHtml(text, program);
    text += L". ";
    AppendHtml(text, TextWith(TextId::HtmlMade, made));
    text += L"</p>\r\n<div>\r\n<table>\r\n";
    AppendHtmlRow(text, list.headers, L"th");
    for (const auto& item : list.items)
        AppendHtmlRow(text, item, L"td");
    text += L"</table>\r\n</div>\r\n</body>\r\n</html>\r\n";
    return text;
}

}  // namespace netpeek
