#include "commandline/CommandLine.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <optional>

#include "support/Error.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

struct SaveSwitch {
    std::wstring_view name;
    SaveFormat format;
};

constexpr std::array<SaveSwitch, 5> kSaveSwitches{{
    {L"scomma", SaveFormat::Comma},
    {L"stab", SaveFormat::Tab},
    {L"sjson", SaveFormat::Json},
    {L"shtml", SaveFormat::Html},
    {L"sprom", SaveFormat::Prometheus},
}};

// The watch's formats, for the change lines the program writes as it sees them, or the metrics it
// rewrites.
constexpr std::array<SaveSwitch, 4> kWatchSwitches{{
    {L"wcomma", SaveFormat::Comma},
    {L"wtab", SaveFormat::Tab},
    {L"wjson", SaveFormat::Json},
    {L"wprom", SaveFormat::Prometheus},
}};

constexpr wchar_t kDescendingMark = L'~';
constexpr std::wstring_view kStandardOutput = L"-";

constexpr std::wstring_view kAllColumns = L"all";

// A control character, line breaks included, that would break the message's one line.
bool IsControl(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// An argument as typed, its control characters shown as '?', so that the message stays one line.
std::wstring OneLine(std::wstring_view typed) {
    std::wstring result(typed);
    std::replace_if(result.begin(), result.end(), IsControl, L'?');
    return result;
}

[[noreturn]] void Refuse(std::wstring text) {
    throw CError(kErrorInvalidParameter, std::move(text));
}

[[noreturn]] void Refuse(TextId id) {
    Refuse(std::wstring(Text(id)));
}

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); });
    return lower;
}

// The switch's name without its '/' or '-', lower-cased; nothing for an argument that is no switch.
std::optional<std::wstring> SwitchName(const std::wstring& arg) {
    if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-'))
        return std::nullopt;
    return Lower(std::wstring_view(arg).substr(1));
}

// A column by its 0-based index in decimal digits, whatever zeros lead them, or by its header,
// whatever the case.
std::optional<int> ColumnOf(std::wstring_view text, std::span<const std::wstring_view> headers) {
    if (!text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
        const std::wstring_view digits = text.substr(std::min(text.find_first_not_of(L'0'), text.size()));
        if (digits.size() > 4)  // far more than any list's columns, and no overflow
            return std::nullopt;
        int column = 0;
        for (const wchar_t c : digits)
            column = column * 10 + (c - L'0');
        return column < static_cast<int>(headers.size()) ? std::optional<int>(column) : std::nullopt;
    }
    const std::wstring wanted = Lower(text);
    for (std::size_t c = 0; c < headers.size(); ++c)
        if (!wanted.empty() && Lower(headers[c]) == wanted)
            return static_cast<int>(c);
    return std::nullopt;
}

// The seconds of /wfor: decimal digits, whatever zeros lead them, from 1 to kMaxWatchSeconds.
std::uint32_t SecondsOf(const std::wstring& text) {
    const std::wstring most = std::to_wstring(kMaxWatchSeconds);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        Refuse(TextWith(TextId::BadSeconds, OneLine(text), most));
    const std::wstring_view digits =
        std::wstring_view(text).substr(std::min(text.find_first_not_of(L'0'), text.size()));
    if (digits.empty() || digits.size() > most.size())
        Refuse(TextWith(TextId::BadSeconds, OneLine(text), most));
    std::uint64_t seconds = 0;
    for (const wchar_t c : digits)
        seconds = seconds * 10 + static_cast<std::uint64_t>(c - L'0');
    if (seconds > kMaxWatchSeconds)
        Refuse(TextWith(TextId::BadSeconds, OneLine(text), most));
    return static_cast<std::uint32_t>(seconds);
}

StoredListSort SortOf(const std::wstring& text, std::span<const std::wstring_view> headers) {
    const std::wstring last = std::to_wstring(headers.empty() ? 0 : headers.size() - 1);
    const bool descending = !text.empty() && text[0] == kDescendingMark;
    const std::wstring_view column = std::wstring_view(text).substr(descending ? 1 : 0);
    if (column.empty())
        Refuse(TextWith(TextId::NoColumn, last));
    const std::optional<int> found = ColumnOf(column, headers);
    if (!found)
        Refuse(TextWith(TextId::BadColumn, OneLine(text), last));
    return {*found, descending};
}

// The columns of /columns: "all", or headers and numbers joined by commas, none twice.
std::vector<int> ColumnsOf(const std::wstring& text, std::span<const std::wstring_view> headers) {
    const std::wstring last = std::to_wstring(headers.empty() ? 0 : headers.size() - 1);
    std::vector<int> columns;
    if (Lower(text) == kAllColumns) {
        for (std::size_t c = 0; c < headers.size(); ++c)
            columns.push_back(static_cast<int>(c));
        return columns;
    }
    std::wstring_view rest = text;
    for (;;) {
        const std::size_t comma = rest.find(L',');
        const std::wstring_view field = rest.substr(0, comma);
        const std::optional<int> found = ColumnOf(field, headers);
        if (!found)
            Refuse(TextWith(TextId::BadColumns, OneLine(field), last));
        if (std::find(columns.begin(), columns.end(), *found) != columns.end())
            Refuse(TextWith(TextId::ColumnTwice, OneLine(field)));
        columns.push_back(*found);
        if (comma == std::wstring_view::npos)
            return columns;
        rest.remove_prefix(comma + 1);
    }
}

}  // namespace

CCommandLine ParseCommandLine(std::span<const std::wstring> args, std::span<const std::wstring_view> headers) {
    // /? wins over anything else on the line, as it does for the utilities scripts know.
    CCommandLine line;
    for (const std::wstring& arg : args)
        if (SwitchName(arg) == L"?") {
            line.action = CCommandLine::Action::Usage;
            return line;
        }

    bool orderGiven = false;
    bool ipv6Given = false;
    bool secondsGiven = false;
    const auto named = [](const auto& switches, const std::wstring& name) {
        return std::find_if(switches.begin(), switches.end(), [&](const SaveSwitch& s) { return s.name == name; });
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::optional<std::wstring> name = SwitchName(args[i]);
        if (!name)
            Refuse(TextWith(TextId::UnknownArgument, OneLine(args[i])));
        const auto save = named(kSaveSwitches, *name);
        const auto watch = named(kWatchSwitches, *name);
        if (save != kSaveSwitches.end() || watch != kWatchSwitches.end()) {
            const CCommandLine::Action action =
                save != kSaveSwitches.end() ? CCommandLine::Action::Save : CCommandLine::Action::Watch;
            if (line.action == CCommandLine::Action::Save || line.action == CCommandLine::Action::Watch)
                Refuse(line.action != action                   ? TextId::SaveAndWatch
                       : action == CCommandLine::Action::Save ? TextId::TwoSaves
                                                               : TextId::TwoWatches);
            // The file name is the next argument whatever it looks like: "" and "-" are standard
            // output, as for the tools scripts know; a file named "-" is still .\-.
            if (i + 1 == args.size())
                Refuse(TextWith(TextId::NoFileName, OneLine(args[i])));
            line.action = action;
            line.format = save != kSaveSwitches.end() ? save->format : watch->format;
            const std::wstring& file = args[++i];
            line.fileName = file == kStandardOutput ? std::wstring() : file;
        } else if (*name == L"wfor") {
            if (secondsGiven)
                Refuse(TextWith(TextId::SwitchTwice, L"/wfor"));
            secondsGiven = true;
            if (i + 1 == args.size())
                Refuse(TextWith(TextId::NoSeconds, std::to_wstring(kMaxWatchSeconds)));
            line.watchSeconds = SecondsOf(args[++i]);
        } else if (*name == L"sort" || *name == L"nosort") {
            if (orderGiven)
                Refuse(TextId::TwoOrders);
            orderGiven = true;
            if (*name == L"nosort") {
                line.order = SaveOrder::Table;
                continue;
            }
            if (i + 1 == args.size())
                Refuse(TextWith(TextId::NoColumn, std::to_wstring(headers.empty() ? 0 : headers.size() - 1)));
            line.order = SaveOrder::Given;
            line.sort = SortOf(args[++i], headers);
        } else if (*name == L"ipv6" || *name == L"noipv6") {
            if (ipv6Given)
                Refuse(TextId::TwoIPv6);
            ipv6Given = true;
            line.ipv6 = *name == L"ipv6" ? SaveIPv6::Added : SaveIPv6::Left;
        } else if (*name == L"columns") {
            if (line.columns)
                Refuse(TextWith(TextId::SwitchTwice, L"/columns"));
            if (i + 1 == args.size())
                Refuse(TextWith(TextId::NoColumns, std::to_wstring(headers.empty() ? 0 : headers.size() - 1)));
            line.columns = ColumnsOf(args[++i], headers);
        } else if (*name == L"tray") {
            if (line.tray)
                Refuse(TextWith(TextId::SwitchTwice, L"/tray"));
            line.tray = true;
        } else if (*name == L"allinterfaces" || *name == L"connected" || *name == L"primary" || *name == L"physical") {
            bool& given = *name == L"allinterfaces" ? line.allInterfaces
                          : *name == L"connected"   ? line.connected
                          : *name == L"primary"     ? line.primary
                                                    : line.physical;
            if (given)
                Refuse(TextWith(TextId::SwitchTwice, L"/" + *name));
            given = true;
        } else {
            Refuse(TextWith(TextId::UnknownArgument, OneLine(args[i])));
        }
    }
    const bool writes = line.action == CCommandLine::Action::Save || line.action == CCommandLine::Action::Watch;
    // A watch writes the rows in the table's own order, so that a change never reorders a log.
    if (orderGiven && line.action == CCommandLine::Action::Watch)
        Refuse(TextId::OrderWithWatch);
    if (orderGiven && line.action != CCommandLine::Action::Save)
        Refuse(TextId::OrderWithoutSave);
    if (ipv6Given && !writes)
        Refuse(TextId::IPv6WithoutSave);
    if (line.columns && !writes)
        Refuse(TextWith(TextId::WithoutSave, L"/columns"));
    if (line.columns && writes && line.format == SaveFormat::Prometheus)
        Refuse(TextId::ColumnsWithMetrics);
    for (const auto& [given, name] : {std::pair{line.allInterfaces, L"/allinterfaces"}, std::pair{line.connected, L"/connected"},
                                      std::pair{line.primary, L"/primary"}, std::pair{line.physical, L"/physical"}})
        if (given && !writes)
            Refuse(TextWith(TextId::WithoutSave, name));
    if (line.allInterfaces && line.connected)
        Refuse(TextId::ConnectedAndAll);
    if (line.tray && writes)
        Refuse(TextId::TrayWithSave);
    if (secondsGiven && line.action != CCommandLine::Action::Watch)
        Refuse(TextId::SecondsWithoutWatch);
    return line;
}

std::wstring UsageText() {
    return std::wstring(Text(TextId::Usage));
}

}  // namespace netpeek
