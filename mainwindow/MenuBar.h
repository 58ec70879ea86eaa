#pragma once
// The menu bar and its keyboard shortcuts, built from the menu table.

#include "support/Handles.h"

namespace netpeek {

// The three menus with their shown items; each item's text carries its shortcut after a tab.
UniqueMenu BuildMenuBar();
// The list's context menu, its items as the menu bar shows them.
UniqueMenu BuildContextMenu();
// The shortcuts of the shown items, each sending its item's command.
UniqueAccel BuildAccelerators();

}  // namespace netpeek
