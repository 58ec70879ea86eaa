#pragma once
// What the user chose of the view and the program keeps between runs: one value, read and stored
// here (its names are in StoredNames.h). The window and the command line both take it from here.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "settings/StoredNames.h"
#include "support/LayoutText.h"

namespace netpeek {

// Where the values are kept: the program's own section of its store, or what a test puts in its
// place. A write the registry cannot make throws; the file keeps it in memory.
struct SettingsStore {
    std::function<std::wstring(const std::wstring& name, const std::wstring& defaultValue)> read;
    std::function<void(const std::wstring& name, const std::wstring& value)> write;

    // The program's own section of the store it chose.
    static SettingsStore Real();
};

struct ViewChoice {
    bool ipv6 = false;              // the IPv6 rows too
    std::vector<int> extras;        // the extra columns shown, by id, in the order added
    std::set<std::wstring> hidden;  // the interfaces left out, by UpperName of their AdapterName
    StoredListSort sort;            // the column the list is sorted by, by id
    bool autoRefresh = true;        // the list follows the table
    bool minimizeToTray = false;    // an icon in the notification area, where minimising hides the window
    bool notifyChanges = true;      // a notice of the changes while hidden there
    bool connectedOnly = false;     // only the rows of interfaces that are up, and not the loopback's
    bool primaryOnly = false;       // only the primary address of each family (the command line's /primary)
    bool physicalOnly = false;      // only the rows of hardware adapters, by the "Kind" column's rule

    friend bool operator==(const ViewChoice&, const ViewChoice&) = default;
    // The six, then the extras in the order added: what each of the list's columns shows.
    std::vector<int> Columns() const;
    bool Shows(int column) const;
};

// Reads every value: a missing or unreadable one is as on a first run, and a damaged list gives
// what can be read of it; only a stored "1" turns IPv6, the icon, the connected interfaces or the
// physical adapters alone on, and only "0" following or the notices off. `columnsKnown`, where given, runs once the extra columns are read and before
// the rest: the window adds them then, so that the layout it restores finds every column.
ViewChoice LoadChoice(const SettingsStore& store,
                      const std::function<void(const std::vector<int>& extras)>& columnsKnown = {});

// Stores each value that differs between the two, the sort left out: that one is kept as the
// window closes. Throws when a value cannot be stored.
void StoreChoice(const SettingsStore& store, const ViewChoice& before, const ViewChoice& after);
// The sort, once the user has chosen one: nothing to keep until then.
void StoreSort(const SettingsStore& store, const StoredListSort& sort);

}  // namespace netpeek
