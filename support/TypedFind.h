#pragma once
// What an owner-data list answers when the user types in it (LVN_ODFINDITEMW): it keeps no text of
// its own, so its owner looks for the typed text as a plain list would among its own.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

namespace netpeek {

// The item, of `count`, whose text (`textOf(item)`, its first column's) starts with the text typed,
// or is it, whatever the case: the first from the search's start on, and round from the top where
// it may wrap; -1 for none, which leaves the list's focus where it was.
int FindTypedItem(const NMLVFINDITEMW& find, int count, const std::function<std::wstring(int)>& textOf);

}  // namespace netpeek
