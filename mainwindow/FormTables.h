#pragma once
// The main window's design, as data: its commands, each declared once with its item of the menu
// bar's arrays (told apart by an index, with gaps between groups), caption, key, tick, greying and
// handler; the toolbar's pictures and the buttons, each handled as an item; the list's columns.

#include <windows.h>

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "rows/Columns.h"
#include "settings/Settings.h"
#include "support/Menus.h"
#include "support/ScreenDpi.h"
#include "texts/TextId.h"

namespace netpeek {

// List holds the commands only the list's context menu and keys offer; Column the extra
// columns' ticks, each item's index its column id; Tray the notification area icon's own.
enum class MenuArray { Main = 0, File = 1, Edit = 2, Help = 3, List = 4, Column = 5, Tray = 6 };

class frmMain;

// What an item's tick and greying read: the view's choice, and whether a primary address is known.
struct MenuState {
    const ViewChoice& choice;
    bool primaryKnown = false;
};
using MenuCondition = bool (*)(const MenuState&);
// A command's handler, given the item's index.
using CommandHandler = void (*)(frmMain& form, int index);

// The captions that are no text of the table: a separator, and the language switch, which names the
// language it switches to in that language.
inline constexpr TextId kSeparator = TextId::Count;
inline constexpr TextId kOtherLanguage = static_cast<TextId>(static_cast<std::uint16_t>(TextId::Count) + 1);

struct MenuItem {
    MenuArray array;
    int index;
    TextId caption;
    Shortcut shortcut;
    bool visible;
    CommandHandler run = nullptr;        // none for a title, a separator or an item never shown
    MenuCondition ticked = nullptr;      // a switch's: ticked while true
    MenuCondition enabled = nullptr;     // greyed while false; always enabled where null
};

// The caption as the current language says it, "-" for a separator.
std::wstring_view CaptionOf(const MenuItem& item);

// A menu item named by its array and index.
struct MenuRef {
    MenuArray array;
    int index;
};

struct ToolbarImage {
    std::wstring_view key;
    // The bitmap resource's name at each picture scale: 16, 24 and 32 pixels.
    std::array<const wchar_t*, kPictureScaleCount> resources;
};

struct ToolbarButton {
    std::wstring_view key;  // empty for a separator
    TextId caption;
    std::wstring_view imageKey;
    TextId tooltip;
    MenuRef item;      // the item whose handler a click runs
    bool shown = true;  // a key handled as its item without a button of its own
};

// Command identifiers, each source in a range of its own. A menu item's carries its array and
// index (File item 100 is 1100); a toolbar button's is kToolbarIdBase plus its position,
// separators counted. A new array or a longer toolbar fails to build rather than collide.
inline constexpr UINT kMenuIdBase = 1000;
inline constexpr UINT kMenuArrayCount = 7;
inline constexpr UINT kToolbarIdBase = 40000;
inline constexpr UINT kToolbarIdLimit = 41000;
static_assert(kMenuIdBase * kMenuArrayCount <= kToolbarIdBase, "menu ids would reach the toolbar's");
inline constexpr UINT MenuCommandId(MenuArray array, int index) {
    return kMenuIdBase * static_cast<UINT>(array) + static_cast<UINT>(index);
}

// Top-level titles, then the items under each, in menu order; then the list's own items.
std::span<const MenuItem> MenuTitles();
std::span<const MenuItem> MenuItems();
// The list's context menu, in order: items of the menu bar run the same code as there; the
// Column array's item is the submenu of the extra columns.
std::span<const MenuRef> ContextMenu();
// The item that hides the interface of the row the context menu is about, whose caption takes
// the interface's name for its "%1"; and the one that shows every interface again.
inline constexpr MenuRef kHideInterfaceItem{MenuArray::List, 4};
inline constexpr MenuRef kShowAllInterfacesItem{MenuArray::List, 5};
// The list's switches, each ticked while on; the notices' is greyed while the first is off.
inline constexpr MenuRef kAutoRefreshItem{MenuArray::List, 2};
inline constexpr MenuRef kShowIPv6Item{MenuArray::List, 3};
inline constexpr MenuRef kChangeLogItem{MenuArray::List, 6};
inline constexpr MenuRef kMinimizeToTrayItem{MenuArray::List, 7};
inline constexpr MenuRef kNotifyChangesItem{MenuArray::List, 8};
inline constexpr MenuRef kConnectedOnlyItem{MenuArray::List, 9};
inline constexpr MenuRef kPhysicalOnlyItem{MenuArray::List, 13};
// Starts the program at logon, ticked while it does; greyed while the icon's switch is off.
inline constexpr MenuRef kStartAtLogonItem{MenuArray::List, 10};
// The header's menu's copy of the column clicked, whose header its caption takes for its "%1".
inline constexpr MenuRef kCopyColumnItem{MenuArray::List, 11};
// Keeps the settings in the file beside the program, ticked while they are there.
inline constexpr MenuRef kStoreBesideProgramItem{MenuArray::List, 12};
// The icon's menu, in order; its first item is its default.
std::span<const MenuRef> TrayMenu();
inline constexpr MenuRef kShowWindowItem{MenuArray::Tray, 0};
// Copies the primary address, greyed while there is none.
inline constexpr MenuRef kCopyPrimaryItem{MenuArray::Tray, 1};
// The item of MenuItems() with that array and index, or null.
const MenuItem* FindMenuItem(MenuRef ref);
// The help menu's last item, which switches the program to the next language.
inline constexpr MenuRef kLanguageItem{MenuArray::Help, 4};
// The toolbar's pictures in image-list order and its buttons, in creation order, those not
// shown last (the list's columns are in Columns.h).
std::span<const ToolbarImage> ToolbarImages();
std::span<const ToolbarButton> ToolbarButtons();
// The button with that key, compared exactly, shown or not; or null.
const ToolbarButton* ButtonOfKey(std::wstring_view key);


}  // namespace netpeek
