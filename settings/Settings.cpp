#include "settings/Settings.h"

#include <algorithm>

#include "rows/Columns.h"

namespace netpeek {

namespace {

std::wstring SwitchText(bool on) {
    return on ? L"1" : L"0";
}

}  // namespace

std::vector<int> ViewChoice::Columns() const {
    std::vector<int> columns;
    for (std::size_t id = 0; id < kBaseColumnCount; ++id)
        columns.push_back(static_cast<int>(id));
    columns.insert(columns.end(), extras.begin(), extras.end());
    return columns;
}

bool ViewChoice::Shows(int column) const {
    return (column >= 0 && column < static_cast<int>(kBaseColumnCount)) ||
           std::find(extras.begin(), extras.end(), column) != extras.end();
}

ViewChoice LoadChoice(const SettingsStore& store, const std::function<void(const std::vector<int>& extras)>& columnsKnown) {
    ViewChoice choice;
    choice.extras = ParseExtraColumns(store.read(kListColumnsName, L""));
    if (columnsKnown)
        columnsKnown(choice.extras);
    choice.sort = ParseListSort(store.read(kListSortName, L""), static_cast<int>(kColumnCount)).value_or(StoredListSort{});
    choice.hidden = ParseNameSet(store.read(kHiddenInterfacesName, L""));
    choice.autoRefresh = store.read(kAutoRefreshName, L"1") != L"0";
    choice.ipv6 = store.read(kShowIPv6Name, L"0") == L"1";
    choice.minimizeToTray = store.read(kMinimizeToTrayName, L"0") == L"1";
    choice.notifyChanges = store.read(kNotifyChangesName, L"1") != L"0";
    choice.connectedOnly = store.read(kConnectedOnlyName, L"0") == L"1";
    choice.physicalOnly = store.read(kPhysicalOnlyName, L"0") == L"1";
    return choice;
}

void StoreChoice(const SettingsStore& store, const ViewChoice& before, const ViewChoice& after) {
    if (after.extras != before.extras)
        store.write(kListColumnsName, FormatExtraColumns(after.extras));
    if (after.hidden != before.hidden)
        store.write(kHiddenInterfacesName, FormatNameSet(after.hidden));
    if (after.autoRefresh != before.autoRefresh)
        store.write(kAutoRefreshName, SwitchText(after.autoRefresh));
    if (after.ipv6 != before.ipv6)
        store.write(kShowIPv6Name, SwitchText(after.ipv6));
    if (after.minimizeToTray != before.minimizeToTray)
        store.write(kMinimizeToTrayName, SwitchText(after.minimizeToTray));
    if (after.notifyChanges != before.notifyChanges)
        store.write(kNotifyChangesName, SwitchText(after.notifyChanges));
    if (after.connectedOnly != before.connectedOnly)
        store.write(kConnectedOnlyName, SwitchText(after.connectedOnly));
    if (after.physicalOnly != before.physicalOnly)
        store.write(kPhysicalOnlyName, SwitchText(after.physicalOnly));
}

void StoreSort(const SettingsStore& store, const StoredListSort& sort) {
    if (sort.column != kNoSort)
        store.write(kListSortName, FormatListSort(sort));
}

}  // namespace netpeek
