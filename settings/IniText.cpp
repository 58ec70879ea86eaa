#include "settings/IniText.h"

#include <algorithm>
#include <set>
#include <utility>

#include "support/Error.h"
#include "support/LayoutText.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsControl(wchar_t c) {
    return c < 0x20 || c == 0x7F;
}

// A half of a surrogate pair without its other half, which no UTF-8 file can hold.
bool LoneSurrogateAt(std::wstring_view text, std::size_t i) {
    const auto high = [](wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; };
    const auto low = [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    if (high(text[i]))
        return i + 1 == text.size() || !low(text[i + 1]);
    return low(text[i]) && (i == 0 || !high(text[i - 1]));
}

// A character that a line cannot hold as it is.
bool Unwritable(std::wstring_view text, std::size_t i) {
    return IsControl(text[i]) || LoneSurrogateAt(text, i);
}

bool AnyUnwritable(std::wstring_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (Unwritable(text, i))
            return true;
    return false;
}

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && UpperName(a) == UpperName(b);
}

bool IsComment(std::wstring_view trimmed) {
    return !trimmed.empty() && (trimmed.front() == L';' || trimmed.front() == L'#');
}

// Whether a line holds the text as it is and gives it back so.
bool PlainValue(std::wstring_view text) {
    if (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back()) || text.front() == L'"'))
        return false;
    return !AnyUnwritable(text);
}

bool PlainName(std::wstring_view text) {
    return !text.empty() && PlainValue(text) && text.find(L'=') == std::wstring_view::npos &&
           text.front() != L';' && text.front() != L'#' && text.front() != L'[';
}

std::wstring Quoted(std::wstring_view text) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring quoted = L"\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        switch (c) {
        case L'\\': quoted += L"\\\\"; break;
        case L'"': quoted += L"\\\""; break;
        case L'\r': quoted += L"\\r"; break;
        case L'\n': quoted += L"\\n"; break;
        case L'\t': quoted += L"\\t"; break;
        default:
            if (!Unwritable(text, i)) {
                quoted += c;
                break;
            }
            quoted += L"\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                quoted += kHex[(c >> shift) & 0xF];
        }
    }
    return quoted + L"\"";
}

std::wstring Field(std::wstring_view text, bool isName) {
    return (isName ? PlainName(text) : PlainValue(text)) ? std::wstring(text) : Quoted(text);
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return -1;
}

// A quoted field at the start of `text`: its text and how many characters it took, or none
// where the quotes do not close or an escape is not one of ours.
std::optional<std::pair<std::wstring, std::size_t>> Unquoted(std::wstring_view text) {
    std::wstring field;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'"')
            return std::pair{field, i + 1};
        if (c != L'\\') {
            field += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case L'\\': field += L'\\'; break;
        case L'"': field += L'"'; break;
        case L'r': field += L'\r'; break;
        case L'n': field += L'\n'; break;
        case L't': field += L'\t'; break;
        case L'u': {
            if (text.size() - i <= 4)
                return std::nullopt;
            unsigned code = 0;
            for (std::size_t k = 1; k <= 4; ++k) {
                const int digit = HexDigit(text[i + k]);
                if (digit < 0)
                    return std::nullopt;
                code = code * 16 + static_cast<unsigned>(digit);
            }
            field += static_cast<wchar_t>(code);
            i += 4;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

IniText::IniText(std::wstring_view text) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(L'\n'), text.size());
        std::wstring_view line = text.substr(0, end);
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        m_lines.push_back(Parse(line, m_lines.empty() ? nullptr : &m_lines.back()));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

IniText::Line IniText::Parse(std::wstring_view text, const Line* above) {
    Line line;
    line.text = text;
    if (above) {
        line.inSection = above->inSection;
        line.section = above->section;
    }
    const std::wstring_view trimmed = Trimmed(text);
    if (trimmed.empty() || IsComment(trimmed))
        return line;
    if (trimmed.front() == L'[') {
        // A header may end in a comment. A damaged one starts what belongs to no section, so
        // that its lines are never taken for another section's.
        const std::size_t close = trimmed.rfind(L']');
        const bool sound = close != std::wstring_view::npos && close > 0 &&
                           (Trimmed(trimmed.substr(close + 1)).empty() || IsComment(Trimmed(trimmed.substr(close + 1))));
        line.inSection = sound;
        line.section = sound ? Trimmed(trimmed.substr(1, close - 1)) : std::wstring_view();
        line.kind = sound ? Kind::Header : Kind::Other;
        return line;
    }
    if (!line.inSection)
        return line;

    std::wstring name;
    std::wstring_view rest;
    if (trimmed.front() == L'"') {
        const auto quoted = Unquoted(trimmed);
        if (!quoted)
            return line;
        name = quoted->first;
        rest = Trimmed(trimmed.substr(quoted->second));
        if (rest.empty() || rest.front() != L'=')
            return line;
        rest.remove_prefix(1);
    } else {
        const std::size_t equals = trimmed.find(L'=');
        if (equals == std::wstring_view::npos || Trimmed(trimmed.substr(0, equals)).empty())
            return line;
        name = Trimmed(trimmed.substr(0, equals));
        rest = trimmed.substr(equals + 1);
    }
    rest = Trimmed(rest);
    std::wstring value(rest);
    if (!rest.empty() && rest.front() == L'"') {
        const auto quoted = Unquoted(rest);
        if (!quoted || quoted->second != rest.size())
            return line;
        value = quoted->first;
    }
    line.kind = Kind::Entry;
    line.name = std::move(name);
    line.value = std::move(value);
    return line;
}

const IniText::Line* IniText::Entry(std::wstring_view section, std::wstring_view name) const {
    for (const Line& line : m_lines)
        if (line.kind == Kind::Entry && line.inSection && SameName(line.section, section) && SameName(line.name, name))
            return &line;
    return nullptr;
}

std::optional<std::wstring> IniText::Find(std::wstring_view section, std::wstring_view name) const {
    const Line* line = Entry(section, name);
    return line ? std::optional<std::wstring>(line->value) : std::nullopt;
}

IniText::Line IniText::EntryLine(const Line& at, std::wstring_view name, std::wstring_view value) {
    Line line;
    line.text = Field(name, true) + L"=" + Field(value, false);
    line.kind = Kind::Entry;
    line.inSection = true;
    line.section = at.section;
    line.name = name;
    line.value = value;
    return line;
}

void IniText::Set(std::wstring_view section, std::wstring_view name, std::wstring_view value) {
    if (const Line* found = Entry(section, name)) {
        Line& line = m_lines[static_cast<std::size_t>(found - m_lines.data())];
        line = EntryLine(line, name, value);
        return;
    }
    const auto header = std::find_if(m_lines.begin(), m_lines.end(), [&](const Line& line) {
        return line.kind == Kind::Header && SameName(line.section, section);
    });
    if (header != m_lines.end()) {
        // After the block's last line that is not blank, before the blank lines that part it
        // from what follows.
        auto end = header + 1;
        for (auto it = header + 1; it != m_lines.end() && it->kind != Kind::Header && it->inSection; ++it)
            if (!Trimmed(it->text).empty())
                end = it + 1;
        const Line& owner = *header;
        m_lines.insert(end, EntryLine(owner, name, value));
        return;
    }
    // A header is written as it is: a name it could not give back is refused.
    if (AnyUnwritable(section) || Trimmed(section).size() != section.size())
        throw CError(kErrorInvalidParameter, TextWith(TextId::SectionUnwritable, section));
    if (!m_lines.empty() && !Trimmed(m_lines.back().text).empty())
        m_lines.push_back(Parse(L"", &m_lines.back()));
    m_lines.push_back(Parse(L"[" + std::wstring(section) + L"]", m_lines.empty() ? nullptr : &m_lines.back()));
    m_lines.push_back(EntryLine(m_lines.back(), name, value));
}

std::vector<StoredValue> IniText::Values() const {
    std::vector<StoredValue> values;
    std::set<std::pair<std::wstring, std::wstring>> seen;
    for (const Line& line : m_lines)
        if (line.kind == Kind::Entry && line.inSection &&
            seen.emplace(UpperName(line.section), UpperName(line.name)).second)
            values.push_back({line.section, line.name, line.value});
    return values;
}

std::wstring IniText::Text() const {
    std::wstring text;
    for (const Line& line : m_lines)
        text += line.text + L"\r\n";
    return text;
}

}  // namespace netpeek
