#pragma once
// Menus and their keys as every window of the program builds them: a shortcut as an accelerator
// table takes it and as a menu's shortcut column shows it, and a text shown in a menu as it is.

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "support/Handles.h"

namespace netpeek {

// A key with its modifiers (FSHIFT, FCONTROL), as an accelerator table takes it; key 0 is none.
struct Shortcut {
    WORD key = 0;
    BYTE modifiers = 0;
};

// A shortcut as the menu's shortcut column shows it: "F2", "Shift+F1", "Ctrl+A", "Del", "Esc";
// empty for none.
std::wstring ShortcutText(Shortcut shortcut);

// A menu item's text: its caption, then a tab and its shortcut where it has one.
std::wstring MenuItemText(std::wstring_view caption, Shortcut shortcut);

// A text put into a menu as it is: every "&" doubled, so that none is taken for a mnemonic ("R&D LAN").
std::wstring MenuLiteral(std::wstring_view text);

// A popup menu, empty; a CError when it cannot be made.
UniqueMenu NewPopupMenu();
// An item at the end of `menu`: a separator for the caption "-", else a command with its text.
void AppendMenuItem(HMENU menu, UINT command, std::wstring_view caption, Shortcut shortcut = {});
// A menu bar with one title over `popup`, which it then owns.
UniqueMenu MenuBarOf(std::wstring_view title, UniqueMenu popup);
// `bar` in place of the window's menu bar, which goes; a CError where the window does not take it.
void ReplaceMenuBar(HWND window, UniqueMenu bar);
// The accelerator table of those keys; a CError when it cannot be made.
UniqueAccel AcceleratorsOf(std::span<const ACCEL> keys);

}  // namespace netpeek
