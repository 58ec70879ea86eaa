#pragma once
// The menu bar, the context menu, the toolbar's pictures and buttons and the keyboard
// shortcuts, built from the command tables.

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "mainwindow/FormTables.h"
#include "settings/Settings.h"
#include "support/Handles.h"
#include "support/ScreenDpi.h"

namespace netpeek {

// The three menus with their shown items; each item's text carries its shortcut after a tab.
UniqueMenu BuildMenuBar();
// Exit's caption in the menu bar gains its key, Esc, which the window handles itself.
void AppendExitShortcut(HMENU menuBar);
// The list's context menu, its items as the menu bar shows them, each switch ticked as `choice`
// has it (the notices' and the start at logon's greyed while the icon's is off; the start at
// logon ticked while the system starts this exe, the settings' file while it is the store), the
// extra columns shown ticked, and "Показать все интерфейсы" greyed while none is hidden; "Скрыть
// интерфейс «NAME»" names the row's interface, and is left out where the row has none that is
// known (`rowInterface` null).
UniqueMenu BuildContextMenu(const ViewChoice& choice, const std::wstring* rowInterface);
// The extra columns, each an item captioned with its header, ticked while shown: the context
// menu's submenu, and the header's own menu, which first copies the column clicked, the one with
// `copiedHeader` (none where no column was clicked).
UniqueMenu BuildColumnsMenu(const ViewChoice& choice, const std::wstring* copiedHeader = nullptr);
// The notification area icon's menu, captions without shortcuts (none reaches the icon), its
// first item the default, in bold; the primary address's copy greyed where there is none, the
// start at logon ticked while the system starts this exe.
UniqueMenu BuildTrayMenu(bool primaryKnown);
// The shortcuts of the shown items, each sending its item's command.
UniqueAccel BuildAccelerators();

// The toolbar's pictures in the table's order, in the drawing for that scale.
UniqueImageList BuildToolbarImages(HINSTANCE instance, PictureScale scale);
// The toolbar's buttons and separators, each button's command id its position from kToolbarIdBase.
std::vector<TBBUTTON> BuildToolbarButtons();
// The toolbar button of a command id, or none.
const ToolbarButton* ButtonOfCommand(UINT_PTR id);

}  // namespace netpeek
