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

constexpr wchar_t kNoFileName[] = L"После ключа % нужно имя файла (- или пустое имя \"\" — стандартный вывод).";
constexpr wchar_t kTwoSaves[] = L"Задано больше одного ключа сохранения; нужен один из /scomma, /stab, /sjson, /shtml, /sprom.";
constexpr wchar_t kNoColumn[] = L"После ключа /sort нужен столбец: его номер от 0 до % или заголовок.";
constexpr wchar_t kBadColumn[] = L"Нет такого столбца: «%». Столбец задаётся номером от 0 до % или заголовком.";
constexpr wchar_t kTwoOrders[] = L"Ключи /sort и /nosort задаются не больше одного раза и не вместе.";
constexpr wchar_t kOrderWithoutSave[] =
    L"Ключи /sort и /nosort действуют только вместе с ключом сохранения: /scomma, /stab, /sjson, /shtml или /sprom.";
constexpr wchar_t kOrderWithWatch[] =
    L"Ключи /sort и /nosort не действуют вместе с ключом слежения: его строки идут в порядке самой таблицы.";
constexpr wchar_t kTwoWatches[] = L"Задано больше одного ключа слежения; нужен один из /wcomma, /wtab, /wjson, /wprom.";
constexpr wchar_t kSaveAndWatch[] =
    L"Ключи сохранения (/scomma, /stab, /sjson, /shtml, /sprom) и слежения (/wcomma, /wtab, /wjson, /wprom) не "
    L"задаются вместе.";
constexpr wchar_t kNoSeconds[] = L"После ключа /wfor нужно число секунд: целое от 1 до %.";
constexpr wchar_t kBadSeconds[] = L"Неверное число секунд: «%». После /wfor нужно целое число от 1 до %.";
constexpr wchar_t kSecondsWithoutWatch[] =
    L"Ключ /wfor действует только вместе с ключом слежения: /wcomma, /wtab, /wjson или /wprom.";
constexpr wchar_t kTwoIPv6[] = L"Ключи /ipv6 и /noipv6 задаются не больше одного раза и не вместе.";
constexpr wchar_t kIPv6WithoutSave[] = L"Ключи /ipv6 и /noipv6 действуют только вместе с ключом сохранения или "
                                       L"слежения: /scomma, /stab, /sjson, /shtml, /sprom, /wcomma, /wtab, /wjson "
                                       L"или /wprom.";
constexpr wchar_t kNoColumns[] =
    L"После ключа /columns нужны столбцы через запятую: номера от 0 до % или заголовки, либо all.";
constexpr wchar_t kBadColumns[] =
    L"Нет такого столбца: «%». Столбцы задаются через запятую номерами от 0 до % или заголовками, либо all.";
constexpr wchar_t kColumnTwice[] = L"Столбец «%» задан в /columns дважды.";
constexpr wchar_t kSwitchTwice[] = L"Ключ % задаётся не больше одного раза.";
constexpr wchar_t kWithoutSave[] = L"Ключ % действует только вместе с ключом сохранения или слежения: /scomma, "
                                   L"/stab, /sjson, /shtml, /sprom, /wcomma, /wtab, /wjson или /wprom.";
constexpr wchar_t kColumnsWithMetrics[] =
    L"Ключ /columns не задаётся вместе с /sprom и /wprom: метки метрик всегда одни и те же.";
constexpr wchar_t kConnectedAndAll[] =
    L"Ключи /connected и /allinterfaces не задаются вместе: /allinterfaces показывает все интерфейсы.";
constexpr wchar_t kTrayWithSave[] =
    L"Ключ /tray открывает окно в области уведомлений и не задаётся вместе с ключом сохранения или слежения.";
constexpr std::wstring_view kAllColumns = L"all";

constexpr wchar_t kUsage[] =
    L"Netpeek [/tray]\r\n"
    L"Netpeek /scomma | /stab | /sjson | /shtml | /sprom ФАЙЛ [/sort [~]СТОЛБЕЦ | /nosort]\r\n"
    L"        [/ipv6 | /noipv6] [/columns СПИСОК] [/allinterfaces | /connected] [/primary]\r\n"
    L"Netpeek /wcomma | /wtab | /wjson | /wprom ФАЙЛ [/wfor СЕКУНДЫ]\r\n"
    L"        [/ipv6 | /noipv6] [/columns СПИСОК] [/allinterfaces | /connected] [/primary]\r\n"
    L"\r\n"
    L"Без ключей программа открывает своё окно; с ключом /tray — скрытым за значком\r\n"
    L"в области уведомлений, когда включено «Сворачивать в область уведомлений»\r\n"
    L"(так её запускает «Запускать при входе в Windows»).\r\n"
    L"С ключом сохранения она записывает таблицу адресов в файл, не показывая окна,\r\n"
    L"и завершается:\r\n"
    L"  /scomma ФАЙЛ     CSV, те же байты, что пишет «Экспорт в файл...» (F2);\r\n"
    L"  /stab ФАЙЛ       поля через табуляцию, без кавычек;\r\n"
    L"  /sjson ФАЙЛ      массив JSON, по объекту на строку таблицы;\r\n"
    L"  /shtml ФАЙЛ      страница HTML с таблицей;\r\n"
    L"  /sprom ФАЙЛ      метрики Prometheus: по ряду на адрес и их счёт (для\r\n"
    L"                   textfile collector у windows_exporter), без /columns.\r\n"
    L"  ФАЙЛ - или \"\" — стандартный вывод (файл с именем «-» — .\\-).\r\n"
    L"  /sort СТОЛБЕЦ    сортировать по столбцу: номер от 0 или заголовок (IP);\r\n"
    L"                   ~ перед ним — по убыванию (/sort ~IP).\r\n"
    L"  /nosort          порядок самой таблицы (по возрастанию адресов).\r\n"
    L"  Без /sort и /nosort действует сортировка, выбранная в окне.\r\n"
    L"  /ipv6            после адресов IPv4 — адреса IPv6;\r\n"
    L"  /noipv6          только адреса IPv4.\r\n"
    L"  Без /ipv6 и /noipv6 — как включено в окне («Показывать адреса IPv6»).\r\n"
    L"  /columns СПИСОК  столбцы через запятую, в этом порядке: номера от 0 до 14\r\n"
    L"                   или заголовки (/columns IP,Name,Gateway); all — все 15.\r\n"
    L"  Без /columns — столбцы, показанные в окне.\r\n"
    L"  /allinterfaces   все интерфейсы, и скрытые в окне;\r\n"
    L"  /connected       только подключённые интерфейсы, без петли.\r\n"
    L"  Без них — интерфейсы, показанные в окне.\r\n"
    L"  /primary         только основной адрес каждого семейства: тот, через\r\n"
    L"                   который уходит трафик (Route: Default).\r\n"
    L"С ключом слежения она пишет строку на каждую строку таблицы (present), затем\r\n"
    L"на каждое изменение, как только его увидит (added, removed; was и now —\r\n"
    L"строка до и после), с полями Time и Event перед столбцами, пока её не прервут\r\n"
    L"(Ctrl+C, закрытие консоли, выход из системы) или не закроют канал:\r\n"
    L"  /wcomma ФАЙЛ     строки CSV под строкой заголовков;\r\n"
    L"  /wtab ФАЙЛ       поля через табуляцию под строкой заголовков;\r\n"
    L"  /wjson ФАЙЛ      JSON Lines: по объекту на строку, без заголовков.\r\n"
    L"  Файл дописывается, а не заменяется; заголовок — только в новый или пустой.\r\n"
    L"  /wprom ФАЙЛ      метрики /sprom и счётчик изменений: файл заменяется\r\n"
    L"                   целиком в начале и после каждого изменения.\r\n"
    L"  /wfor СЕКУНДЫ    закончить через столько секунд (целое от 1).\r\n"
    L"Ключи пишутся с / или -, в любом регистре. Код завершения 0 — успех, иначе\r\n"
    L"номер ошибки Windows (87 — неверные аргументы, 13 — файл других строк).";

// A control character, line breaks included, that would break the message's one line.
bool IsControl(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// The text with each '%' replaced by the next of the values, which may be arguments as typed:
// their control characters show as '?', so that the message stays one line.
std::wstring Filled(std::wstring_view text, std::initializer_list<std::wstring_view> values) {
    std::wstring result;
    auto value = values.begin();
    for (const wchar_t c : text) {
        if (c == L'%' && value != values.end()) {
            for (const wchar_t v : *value++)
                result += IsControl(v) ? L'?' : v;
        } else {
            result += c;
        }
    }
    return result;
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
        Refuse(Filled(kBadSeconds, {text, most}));
    const std::wstring_view digits =
        std::wstring_view(text).substr(std::min(text.find_first_not_of(L'0'), text.size()));
    if (digits.empty() || digits.size() > most.size())
        Refuse(Filled(kBadSeconds, {text, most}));
    std::uint64_t seconds = 0;
    for (const wchar_t c : digits)
        seconds = seconds * 10 + static_cast<std::uint64_t>(c - L'0');
    if (seconds > kMaxWatchSeconds)
        Refuse(Filled(kBadSeconds, {text, most}));
    return static_cast<std::uint32_t>(seconds);
}

StoredListSort SortOf(const std::wstring& text, std::span<const std::wstring_view> headers) {
    const std::wstring last = std::to_wstring(headers.empty() ? 0 : headers.size() - 1);
    const bool descending = !text.empty() && text[0] == kDescendingMark;
    const std::wstring_view column = std::wstring_view(text).substr(descending ? 1 : 0);
    if (column.empty())
        Refuse(Filled(kNoColumn, {last}));
    const std::optional<int> found = ColumnOf(column, headers);
    if (!found)
        Refuse(Filled(kBadColumn, {text, last}));
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
            Refuse(Filled(kBadColumns, {field, last}));
        if (std::find(columns.begin(), columns.end(), *found) != columns.end())
            Refuse(Filled(kColumnTwice, {field}));
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
                Refuse(line.action != action                   ? kSaveAndWatch
                       : action == CCommandLine::Action::Save ? kTwoSaves
                                                               : kTwoWatches);
            // The file name is the next argument whatever it looks like: "" and "-" are standard
            // output, as for the tools scripts know; a file named "-" is still .\-.
            if (i + 1 == args.size())
                Refuse(Filled(kNoFileName, {args[i]}));
            line.action = action;
            line.format = save != kSaveSwitches.end() ? save->format : watch->format;
            const std::wstring& file = args[++i];
            line.fileName = file == kStandardOutput ? std::wstring() : file;
        } else if (*name == L"wfor") {
            if (secondsGiven)
                Refuse(Filled(kSwitchTwice, {L"/wfor"}));
            secondsGiven = true;
            if (i + 1 == args.size())
                Refuse(Filled(kNoSeconds, {std::to_wstring(kMaxWatchSeconds)}));
            line.watchSeconds = SecondsOf(args[++i]);
        } else if (*name == L"sort" || *name == L"nosort") {
            if (orderGiven)
                Refuse(kTwoOrders);
            orderGiven = true;
            if (*name == L"nosort") {
                line.order = SaveOrder::Table;
                continue;
            }
            if (i + 1 == args.size())
                Refuse(Filled(kNoColumn, {std::to_wstring(headers.empty() ? 0 : headers.size() - 1)}));
            line.order = SaveOrder::Given;
            line.sort = SortOf(args[++i], headers);
        } else if (*name == L"ipv6" || *name == L"noipv6") {
            if (ipv6Given)
                Refuse(kTwoIPv6);
            ipv6Given = true;
            line.ipv6 = *name == L"ipv6" ? SaveIPv6::Added : SaveIPv6::Left;
        } else if (*name == L"columns") {
            if (line.columns)
                Refuse(Filled(kSwitchTwice, {L"/columns"}));
            if (i + 1 == args.size())
                Refuse(Filled(kNoColumns, {std::to_wstring(headers.empty() ? 0 : headers.size() - 1)}));
            line.columns = ColumnsOf(args[++i], headers);
        } else if (*name == L"tray") {
            if (line.tray)
                Refuse(Filled(kSwitchTwice, {L"/tray"}));
            line.tray = true;
        } else if (*name == L"allinterfaces" || *name == L"connected" || *name == L"primary") {
            bool& given = *name == L"allinterfaces" ? line.allInterfaces : *name == L"connected" ? line.connected : line.primary;
            if (given)
                Refuse(Filled(kSwitchTwice, {L"/" + *name}));
            given = true;
        } else {
            Refuse(TextWith(TextId::UnknownArgument, OneLine(args[i])));
        }
    }
    const bool writes = line.action == CCommandLine::Action::Save || line.action == CCommandLine::Action::Watch;
    // A watch writes the rows in the table's own order, so that a change never reorders a log.
    if (orderGiven && line.action == CCommandLine::Action::Watch)
        Refuse(kOrderWithWatch);
    if (orderGiven && line.action != CCommandLine::Action::Save)
        Refuse(kOrderWithoutSave);
    if (ipv6Given && !writes)
        Refuse(kIPv6WithoutSave);
    if (line.columns && !writes)
        Refuse(Filled(kWithoutSave, {L"/columns"}));
    if (line.columns && writes && line.format == SaveFormat::Prometheus)
        Refuse(kColumnsWithMetrics);
    for (const auto& [given, name] : {std::pair{line.allInterfaces, L"/allinterfaces"}, std::pair{line.connected, L"/connected"},
                                      std::pair{line.primary, L"/primary"}})
        if (given && !writes)
            Refuse(Filled(kWithoutSave, {name}));
    if (line.allInterfaces && line.connected)
        Refuse(kConnectedAndAll);
    if (line.tray && writes)
        Refuse(kTrayWithSave);
    if (secondsGiven && line.action != CCommandLine::Action::Watch)
        Refuse(kSecondsWithoutWatch);
    return line;
}

std::wstring UsageText() {
    return kUsage;
}

}  // namespace netpeek
