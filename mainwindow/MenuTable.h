#pragma once
// The menu bar's items: arrays told apart by an index, with gaps between groups.

#include <windows.h>

#include <string>
#include <vector>

namespace netpeek {

enum class MenuArray { Main = 0, File = 1, Edit = 2, Help = 3 };

struct MenuItem {
    MenuArray array;
    int index;
    std::wstring caption;   // "-" is a separator
    std::wstring shortcut;  // shown in the shortcut column; empty for none
    bool visible;
};

// Command identifiers carry the array and the index: File item 100 is 1100.
inline constexpr UINT kMenuIdBase = 1000;
inline UINT MenuCommandId(MenuArray array, int index) {
    return kMenuIdBase * static_cast<UINT>(array) + static_cast<UINT>(index);
}

// Top-level titles, then the items under each, in menu order.
const std::vector<MenuItem>& MenuTitles();
const std::vector<MenuItem>& MenuItems();

}  // namespace netpeek
