#include "export/ChangeFormats.h"

#include <algorithm>
#include <optional>

#include "export/TableFormats.h"

namespace netpeek {

std::wstring ChangeHeaderLine(ChangeFormat format, const std::vector<std::wstring>& headers) {
    switch (format) {
    case ChangeFormat::Comma: return CsvLine(headers);
    case ChangeFormat::Tab: return TabLine(headers);
    case ChangeFormat::Json: break;
    }
    return {};
}

std::wstring ChangeLineText(ChangeFormat format, const std::vector<std::wstring>& headers,
                            const std::vector<std::wstring>& fields) {
    switch (format) {
    case ChangeFormat::Comma: return CsvLine(fields);
    case ChangeFormat::Tab: return TabLine(fields);
    case ChangeFormat::Json: break;
    }
    return JsonLine(headers, fields);
}

namespace {

// The keys of a JSON Lines object as JsonLine writes them, {"key": "value", ...}, each as it
// stands between its quotes; none for a line that is no such object.
std::optional<std::vector<std::string_view>> JsonKeys(std::string_view line) {
    std::size_t at = 0;
    const auto skipSpace = [&] {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
    };
    const auto take = [&](char c) {
        skipSpace();
        if (at >= line.size() || line[at] != c)
            return false;
        ++at;
        return true;
    };
    // A string's text, its escapes left as they are.
    const auto string = [&]() -> std::optional<std::string_view> {
        if (!take('"'))
            return std::nullopt;
        const std::size_t start = at;
        for (; at < line.size() && line[at] != '"'; ++at)
            if (line[at] == '\\')
                ++at;
        if (at >= line.size())
            return std::nullopt;
        return line.substr(start, at++ - start);
    };
    std::vector<std::string_view> keys;
    if (!take('{'))
        return std::nullopt;
    if (take('}'))
        return at == line.size() ? std::optional(keys) : std::nullopt;
    for (;;) {
        const std::optional<std::string_view> key = string();
        if (!key || !take(':') || !string())
            return std::nullopt;
        keys.push_back(*key);
        if (take('}'))
            break;
        if (!take(','))
            return std::nullopt;
    }
    skipSpace();
    return at == line.size() ? std::optional(keys) : std::nullopt;
}

// The headers are ASCII: a byte beyond it is never one of theirs.
bool SameAscii(std::string_view bytes, std::wstring_view text) {
    const auto same = [](char b, wchar_t c) {
        const auto byte = static_cast<unsigned char>(b);
        return byte < 0x80 && static_cast<wchar_t>(byte) == c;
    };
    return std::equal(bytes.begin(), bytes.end(), text.begin(), text.end(), same);
}

}  // namespace

bool LogTakes(std::string_view firstLine, ChangeFormat format, const std::vector<std::wstring>& headers) {
    if (!firstLine.empty() && firstLine.back() == '\r')
        firstLine.remove_suffix(1);
    if (format != ChangeFormat::Json) {
        std::wstring header = ChangeHeaderLine(format, headers);
        header.resize(header.size() - 2);  // its CR LF
        return SameAscii(firstLine, header);
    }
    const std::optional<std::vector<std::string_view>> keys = JsonKeys(firstLine);
    return keys && std::equal(keys->begin(), keys->end(), headers.begin(), headers.end(), SameAscii);
}

}  // namespace netpeek
