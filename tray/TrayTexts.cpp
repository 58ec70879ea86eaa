#include "tray/TrayTexts.h"

#include <algorithm>
#include <optional>

#include "texts/Texts.h"

namespace netpeek {

namespace {

const AdapterInfo* InterfaceOf(const ListRow& row, const AdapterMap& adapters) {
    const auto found = adapters.find(row.key.index);
    return found == adapters.end() ? nullptr : &found->second;
}

std::wstring NameOf(const ListRow& row, const InterfaceNames& names) {
    const auto found = names.find(row.key.index);
    return found != names.end() ? found->second : std::to_wstring(row.key.index);
}

std::wstring AddressOf(const ListRow& row) {
    return std::wstring(row.Cell(kColIP));
}

std::optional<PrimaryNetwork> NetworkOf(const ListRow& row, const AdapterInfo& adapter) {
    if (adapter.wifi.state == WifiState::Connected && !adapter.wifi.ssid.empty())
        return PrimaryNetwork{adapter.wifi.ssid, true, AddressOf(row)};
    if (adapter.network && !adapter.network->name.empty())
        return PrimaryNetwork{adapter.network->name, false, AddressOf(row)};
    return std::nullopt;
}

}  // namespace

std::optional<PrimaryNetwork> PrimaryNetworkOf(const ListRows& rows, const AdapterMap& adapters,
                                               std::span<const RowKey> primary) {
    if (primary.empty())
        return std::nullopt;
    for (const ListRow& row : rows)
        if (row.key == primary.front())
            if (const AdapterInfo* adapter = InterfaceOf(row, adapters))
                return NetworkOf(row, *adapter);
    return std::nullopt;
}

std::vector<std::wstring> AddressLines(const ListRows& rows, const AdapterMap& adapters, std::span<const RowKey> primary) {
    std::vector<std::wstring> first, rest;
    for (const ListRow& row : rows) {
        const AdapterInfo* adapter = InterfaceOf(row, adapters);
        if (!adapter || adapter->operStatus != kOperStatusUp || adapter->ifType == kIfTypeLoopback)
            continue;
        if (std::find(primary.begin(), primary.end(), row.key) == primary.end()) {
            rest.push_back(AddressOf(row) + L" — " + adapter->friendlyName);
        } else if (const std::optional<PrimaryNetwork> network = NetworkOf(row, *adapter)) {
            first.push_back(TextWith(network->wifi ? TextId::TrayWifiAddress : TextId::TrayNetworkAddress,
                                     network->name, network->address));
        } else {
            first.push_back(AddressOf(row) + L" — " + adapter->friendlyName);
        }
    }
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

std::wstring FitLines(std::wstring_view first, const std::vector<std::wstring>& lines, std::size_t limit,
                      std::size_t most) {
    // The more lines shown, the shorter the count of the others: the most that fit with it wins.
    for (std::size_t shown = std::min(lines.size(), most);; --shown) {
        std::wstring text(first);
        for (std::size_t i = 0; i < shown; ++i)
            text.append(text.empty() ? L"" : L"\n").append(lines[i]);
        if (shown < lines.size())
            text.append(text.empty() ? L"" : L"\n").append(TextWith(TextId::MoreLines, std::to_wstring(lines.size() - shown)));
        if (text.size() <= limit || shown == 0)
            return text.size() <= limit ? text : std::wstring(first.substr(0, limit));
    }
}

NetworkLook LookOf(const AdapterMap& adapters) {
    const NetworkReach reach = ReachOf(adapters);
    switch (reach.state) {
    case NetworkState::Limited:
        return {reach.state,
                TextWith(TextId::LinkLocalOnly, AddressText(*reach.linkLocal), reach.linkLocalInterface->friendlyName)};
    case NetworkState::None:
        return {reach.state, std::wstring(Text(TextId::NoNetwork))};
    case NetworkState::Connected:
        break;
    }
    return {};
}

std::wstring TipText(const std::vector<std::wstring>& lines, const NetworkLook& look) {
    return FitLines(look.state == NetworkState::Connected ? L"Netpeek" : look.words, lines, kTipLimit, lines.size());
}


std::vector<std::wstring> NoticeLines(const std::vector<ChangeLine>& burst, const InterfaceNames& names,
                                      const std::vector<PrimaryAddress>& primaryMoved,
                                      const std::optional<NetworkLook>& look,
                                      const std::optional<PrimaryNetwork>& network) {
    // Each address that came is matched with the first that went from the same interface and
    // family and is not yet matched; the pair is one line, where the one that went was.
    std::vector<const ChangeLine*> gone, came;
    for (const ChangeLine& line : burst) {
        if (line.event == ChangeEvent::Removed)
            gone.push_back(&line);
        else if (line.event == ChangeEvent::Added)
            came.push_back(&line);
    }
    std::vector<std::optional<std::size_t>> cameFor(gone.size());
    std::vector<bool> paired(came.size(), false);
    for (std::size_t c = 0; c < came.size(); ++c) {
        for (std::size_t g = 0; g < gone.size(); ++g) {
            const RowKey &was = gone[g]->row.key, &now = came[c]->row.key;
            if (!cameFor[g] && was.index == now.index && was.family == now.family) {
                cameFor[g] = c;
                paired[c] = true;
                break;
            }
        }
    }
    std::vector<std::wstring> lines;
    if (look)
        lines.push_back(look->state == NetworkState::Connected ? std::wstring(Text(TextId::NetworkBack)) : look->words);
    if (network)
        lines.push_back(
            TextWith(network->wifi ? TextId::NoticeWifi : TextId::NoticeNetwork, network->name, network->address));
    for (const PrimaryAddress& primary : primaryMoved) {
        const auto name = names.find(primary.index);
        lines.push_back(TextWith(TextId::NoticePrimary, AddressText(primary.address),
                                 name != names.end() ? name->second : std::to_wstring(primary.index)));
    }
    std::size_t g = 0, c = 0;
    for (const ChangeLine& line : burst) {
        if (line.event == ChangeEvent::Removed) {
            const std::size_t at = g++;
            const std::wstring name = L" (" + NameOf(line.row, names) + L")";
            lines.push_back(cameFor[at] ? AddressOf(line.row) + L" → " + AddressOf(came[*cameFor[at]]->row) + name
                                        : L"− " + AddressOf(line.row) + name);
        } else if (line.event == ChangeEvent::Added) {
            if (!paired[c++])
                lines.push_back(L"+ " + AddressOf(line.row) + L" (" + NameOf(line.row, names) + L")");
        }
    }
    return lines;
}

std::wstring NoticeText(const std::vector<std::wstring>& lines) {
    return FitLines(L"", lines, kNoticeLimit, kNoticeLines);
}

}  // namespace netpeek
