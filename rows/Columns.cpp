#include "rows/Columns.h"

#include <algorithm>
#include <iterator>

namespace netpeek {

namespace {

constexpr ListColumn kColumns[] = {
    {L"Interface", 780},    {L"IP", 1650},           {L"Mask", 1680},
    {L"Broadcast", 1470},   {L"Realm size", 1320},   {L"Type", 2295},
    {L"Name", 1500},        {L"Adapter", 2400},      {L"MAC", 2010},
    {L"Status", 900},       {L"Gateway", 1650},      {L"DNS", 2400},
    {L"DHCP server", 1650}, {L"Lease expires", 1650}, {L"Route", 900},
    {L"Network", 1800},     {L"Category", 900},      {L"Internet", 900},
    {L"SSID", 1500},        {L"Speed", 1500},        {L"Kind", 900},
};
static_assert(std::size(kColumns) == kColumnCount);

// The headers are ASCII, so folding ASCII letters compares them whatever their case.
bool SameHeader(std::wstring_view a, std::wstring_view b) {
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) {
               return fold(x) == fold(y);
           });
}

}  // namespace

std::span<const ListColumn> ListColumns() {
    return kColumns;
}

std::vector<std::wstring_view> ColumnHeaders() {
    std::vector<std::wstring_view> headers;
    for (const ListColumn& column : kColumns)
        headers.push_back(column.header);
    return headers;
}

std::optional<int> ColumnOfHeader(std::wstring_view header) {
    for (std::size_t id = 0; id < kColumnCount; ++id)
        if (SameHeader(kColumns[id].header, header))
            return static_cast<int>(id);
    return std::nullopt;
}

std::vector<int> ParseExtraColumns(std::wstring_view text) {
    std::vector<int> columns;
    while (!text.empty()) {
        const std::size_t comma = std::min(text.find(L','), text.size());
        const std::optional<int> id = ColumnOfHeader(text.substr(0, comma));
        if (id && *id >= static_cast<int>(kBaseColumnCount) &&
            std::find(columns.begin(), columns.end(), *id) == columns.end())
            columns.push_back(*id);
        text.remove_prefix(std::min(comma + 1, text.size()));
    }
    return columns;
}

std::wstring FormatExtraColumns(std::span<const int> columns) {
    std::wstring text;
    for (const int id : columns) {
        if (!text.empty())
            text += L',';
        text += kColumns[static_cast<std::size_t>(id)].header;
    }
    return text;
}

}  // namespace netpeek
