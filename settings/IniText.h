#pragma once
// The text of a settings file a person may read and edit: sections "[Name]", then "Name=Value"
// lines. Every line is kept as it was read, comments (";" or "#"), blank lines, lines it does not
// know and damaged ones alike; setting a value changes its one line, or adds one.
//
// Names and values are written plain, spaces around "=" and at the ends of a line not counting.
// One that a plain line cannot hold (a line break or other control character, half of a surrogate
// pair, a space or tab at either end, a leading double quote; for a name also "=" or a leading ";",
// "#" or "[") is written in double quotes, inside which \\ \" \r \n \t and \uXXXX stand for the
// character.
// Section and value names are compared ignoring the case of ASCII letters; the first of two
// lines of one name is the one that counts.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ValueStore.h"

namespace netpeek {

class IniText {
public:
    // The text's lines, split at LF with a CR before it dropped; a byte-order mark is the
    // reader's business.
    explicit IniText(std::wstring_view text = {});

    // The value of the first line of that name in the first section of that name, or none.
    std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view name) const;
    // Rewrites that line, or adds one at the end of the section's first block, or adds the
    // section at the end of the text.
    void Set(std::wstring_view section, std::wstring_view name, std::wstring_view value);
    // Every value that Find gives, in the order of the text; the section as its header spells it.
    std::vector<StoredValue> Values() const;

    // The lines, each ending with CR LF.
    std::wstring Text() const;

private:
    enum class Kind { Other, Header, Entry };
    struct Line {
        std::wstring text;         // as read, or as Set wrote it
        Kind kind = Kind::Other;
        bool inSection = false;    // below a sound header; an entry counts only then
        std::wstring section;      // the section's name as its header spells it
        std::wstring name;         // an entry's
        std::wstring value;        // an entry's
    };

    static Line Parse(std::wstring_view text, const Line* above);
    static Line EntryLine(const Line& at, std::wstring_view name, std::wstring_view value);
    const Line* Entry(std::wstring_view section, std::wstring_view name) const;

    std::vector<Line> m_lines;
};

}  // namespace netpeek
