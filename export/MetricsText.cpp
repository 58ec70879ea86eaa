#include "export/MetricsText.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>
#include <vector>

namespace netpeek {

namespace {

constexpr std::wstring_view kFamilies[] = {L"ipv4", L"ipv6"};
// As the icon's looks are ordered.
constexpr std::wstring_view kStates[] = {L"connected", L"limited", L"none"};
static_assert(std::size(kStates) == static_cast<std::size_t>(NetworkState::None) + 1, "a state without its label");

void AppendFamily(std::wstring& text, std::wstring_view name, std::wstring_view type, std::wstring_view help) {
    text.append(L"# HELP ").append(name).append(L" ").append(help).append(L"\n# TYPE ").append(name);
    text.append(L" ").append(type).append(L"\n");
}

bool IsSurrogate(wchar_t c) {
    return static_cast<std::uint32_t>(c) >= 0xD800 && static_cast<std::uint32_t>(c) <= 0xDFFF;
}
bool IsHighSurrogate(wchar_t c) {
    return static_cast<std::uint32_t>(c) >= 0xD800 && static_cast<std::uint32_t>(c) <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return static_cast<std::uint32_t>(c) >= 0xDC00 && static_cast<std::uint32_t>(c) <= 0xDFFF;
}

void AppendLabel(std::wstring& text, std::wstring_view name, std::wstring_view value) {
    if (text.back() != L'{')
        text += L',';
    text.append(name).append(L"=\"");
    for (std::size_t i = 0; i < value.size(); ++i) {
        const wchar_t c = value[i];
        if (c == L'\\')
            text += L"\\\\";
        else if (c == L'"')
            text += L"\\\"";
        else if (c == L'\n')
            text += L"\\n";
        else if (IsHighSurrogate(c) && i + 1 < value.size() && IsLowSurrogate(value[i + 1]))
            text.append(value.substr(i++, 2));
        else
            text += IsSurrogate(c) ? L'\uFFFD' : c;
    }
    text += L'"';
}

std::size_t FamilyOf(const ListRow& row) {
    return row.key.family == AddressFamily::IPv6 ? 1 : 0;
}

// The labels of a row's series, from "{" to "}".
void AppendLabels(std::wstring& text, const ListRow& row) {
    text += L'{';
    AppendLabel(text, L"family", kFamilies[FamilyOf(row)]);
    AppendLabel(text, L"interface_index", row.Cell(kColInterface));
    AppendLabel(text, L"interface_name", row.Cell(kColName));
    AppendLabel(text, L"address", row.Cell(kColIP));
    // The mask's sort value holds its prefix length in its first byte, IPv4 and IPv6 alike.
    AppendLabel(text, L"prefix_length", std::to_wstring(row.SortBy(kColMask).value[0]));
    AppendLabel(text, L"type", row.Cell(kColType));
    AppendLabel(text, L"primary", row.Cell(kColRoute).empty() ? L"0" : L"1");
    text += L'}';
}

void AppendPerFamily(std::wstring& text, std::wstring_view name, const std::array<std::size_t, 2>& counts,
                     std::size_t families) {
    for (std::size_t f = 0; f < families; ++f) {
        text.append(name).append(L"{family=\"").append(kFamilies[f]).append(L"\"} ");
        text.append(std::to_wstring(counts[f])).append(L"\n");
    }
}

}  // namespace

std::wstring MetricsText(const ListRows& rows, std::span<const std::size_t> order, bool ipv6, NetworkState state,
                         const std::optional<WatchCounts>& watch) {
    std::wstring text;
    text.reserve(512 + order.size() * 192);
    AppendFamily(text, L"netpeek_address_info", L"gauge",
                 L"An address of the machine, always 1: its family, its interface's index and name, the address, its "
                 L"prefix length, its type, and whether it is its family's primary address (the one the default "
                 L"route's traffic leaves by).");
    std::array<std::size_t, 2> addresses{}, primary{};
    // Only rows that share their key with another may share all their labels: those written so far
    // of each such key.
    const RowIndex index(rows);
    std::map<std::size_t, std::vector<std::wstring>> shared;
    for (const std::size_t at : order) {
        const ListRow& row = rows[at];
        const std::size_t start = text.size();
        text.append(L"netpeek_address_info");
        AppendLabels(text, row);
        const std::size_t slot = index.SlotOf(row.key);
        if (index.NextOf(index.FirstOf(slot)) != RowIndex::kNone) {
            std::vector<std::wstring>& written = shared[slot];
            std::wstring series = text.substr(start);
            if (std::find(written.begin(), written.end(), series) != written.end()) {
                text.resize(start);
                continue;
            }
            written.push_back(std::move(series));
        }
        text.append(L" 1\n");
        ++addresses[FamilyOf(row)];
        if (!row.Cell(kColRoute).empty())
            ++primary[FamilyOf(row)];
    }
    const std::size_t families = ipv6 ? 2 : 1;
    AppendFamily(text, L"netpeek_addresses", L"gauge", L"The addresses of each family.");
    AppendPerFamily(text, L"netpeek_addresses", addresses, families);
    AppendFamily(text, L"netpeek_primary_addresses", L"gauge",
                 L"The primary addresses of each family: 1 where a default route leads out of the machine, 0 where "
                 L"none does.");
    AppendPerFamily(text, L"netpeek_primary_addresses", primary, families);
    AppendFamily(text, L"netpeek_network_state", L"gauge",
                 L"The network as Netpeek's icon shows it, 1 for the state it is in: connected, limited (the "
                 L"interfaces that are up have link-local addresses alone) or none (they have no address).");
    for (std::size_t s = 0; s < std::size(kStates); ++s) {
        text.append(L"netpeek_network_state{state=\"").append(kStates[s]).append(L"\"} ");
        text.append(s == static_cast<std::size_t>(state) ? L"1\n" : L"0\n");
    }
    if (watch) {
        AppendFamily(text, L"netpeek_address_changes_total", L"counter",
                     L"The addresses that came, went or changed since the watch started.");
        text.append(L"netpeek_address_changes_total ").append(std::to_wstring(watch->changes)).append(L"\n");
        AppendFamily(text, L"netpeek_last_change_timestamp_seconds", L"gauge",
                     L"When the watch last saw an address come, go or change, or else when it started, in seconds "
                     L"since 1970 UTC.");
        text.append(L"netpeek_last_change_timestamp_seconds ");
        text.append(std::to_wstring(watch->lastChangeUtcSeconds)).append(L"\n");
    }
    return text;
}

}  // namespace netpeek
