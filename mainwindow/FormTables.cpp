#include "mainwindow/FormTables.h"

#include <iterator>

#include "mainwindow/Commands.h"
#include "settings/ProgramStore.h"
#include "texts/Texts.h"
#include "tray/LogonStart.h"

namespace netpeek {

namespace {

constexpr Shortcut kNone{};
constexpr Shortcut kF1{VK_F1, 0};
constexpr Shortcut kF2{VK_F2, 0};
constexpr Shortcut kF5{VK_F5, 0};
constexpr Shortcut kShiftF1{VK_F1, FSHIFT};
constexpr Shortcut kCtrlA{'A', FCONTROL};
constexpr Shortcut kCtrlC{'C', FCONTROL};
constexpr Shortcut kDel{VK_DELETE, 0};
constexpr Shortcut kCtrlL{'L', FCONTROL};

// The ticks and greyings the items show.
constexpr MenuCondition kAutoRefreshOn = [](const MenuState& s) { return s.choice.autoRefresh; };
constexpr MenuCondition kIPv6On = [](const MenuState& s) { return s.choice.ipv6; };
constexpr MenuCondition kSomeHidden = [](const MenuState& s) { return !s.choice.hidden.empty(); };
constexpr MenuCondition kTrayOn = [](const MenuState& s) { return s.choice.minimizeToTray; };
constexpr MenuCondition kNotifyOn = [](const MenuState& s) { return s.choice.notifyChanges; };
constexpr MenuCondition kConnectedOnlyOn = [](const MenuState& s) { return s.choice.connectedOnly; };
constexpr MenuCondition kPhysicalOnlyOn = [](const MenuState& s) { return s.choice.physicalOnly; };
constexpr MenuCondition kStartsAtLogon = [](const MenuState&) { return StartsAtLogon(); };
constexpr MenuCondition kBesideProgram = [](const MenuState&) { return StoredBesideProgram(); };
constexpr MenuCondition kPrimaryKnown = [](const MenuState& s) { return s.primaryKnown; };

using C = FormCommands;

constexpr MenuItem kTitles[] = {
    {MenuArray::Main, 0, TextId::MenuFile, kNone, true},
    {MenuArray::Main, 1, TextId::MenuEdit, kNone, true},
    {MenuArray::Main, 2, TextId::MenuHelp, kNone, true},
};

constexpr MenuItem kItems[] = {
    {MenuArray::File, 0, TextId::MenuExport, kF2, true, C::Export},
    {MenuArray::File, 1, kSeparator, kNone, true},
    // "Esc" joins the caption when the window loads.
    {MenuArray::File, 100, TextId::MenuExit, kNone, true, C::Exit},
    {MenuArray::Edit, 0, TextId::MenuRefresh, kF5, true, C::Refresh},
    // These three have no command and are not shown.
    {MenuArray::Edit, 1, kSeparator, kNone, false},
    {MenuArray::Edit, 10, TextId::MenuSelectAll, kCtrlA, false},
    {MenuArray::Edit, 11, TextId::MenuDelete, kDel, false},
    {MenuArray::Help, 0, TextId::MenuContents, kF1, true, C::OpenReadMe},
    {MenuArray::Help, 1, kSeparator, kNone, true},
    {MenuArray::Help, 2, TextId::MenuAbout, kShiftF1, true, C::ShowAbout},
    {MenuArray::Help, 3, kSeparator, kNone, true},
    {MenuArray::Help, 4, kOtherLanguage, kNone, true, C::SwitchLanguage},
    {MenuArray::List, 0, TextId::MenuCopy, kCtrlC, true, C::Copy},
    {MenuArray::List, 1, kSeparator, kNone, true},
    {MenuArray::List, 2, TextId::MenuAutoRefresh, kNone, true, C::ToggleAutoRefresh, kAutoRefreshOn},
    {MenuArray::List, 3, TextId::MenuShowIPv6, kNone, true, C::ToggleIPv6, kIPv6On},
    {MenuArray::List, 4, TextId::MenuHideInterface, kNone, true, C::HideInterface},
    {MenuArray::List, 5, TextId::MenuShowAllInterfaces, kNone, true, C::ShowAllInterfaces, nullptr, kSomeHidden},
    {MenuArray::List, 6, TextId::MenuChangeLog, kCtrlL, true, C::ShowLog},
    {MenuArray::List, 7, TextId::MenuMinimizeToTray, kNone, true, C::ToggleMinimizeToTray, kTrayOn},
    {MenuArray::List, 8, TextId::MenuNotifyChanges, kNone, true, C::ToggleNotifyChanges, kNotifyOn, kTrayOn},
    {MenuArray::List, 9, TextId::MenuConnectedOnly, kNone, true, C::ToggleConnectedOnly, kConnectedOnlyOn},
    {MenuArray::List, 10, TextId::MenuStartAtLogon, kNone, true, C::ToggleStartAtLogon, kStartsAtLogon, kTrayOn},
    {MenuArray::List, 11, TextId::MenuCopyColumn, kNone, true, C::CopyColumn},
    {MenuArray::List, 12, TextId::MenuStoreBesideProgram, kNone, true, C::ToggleStoreBesideProgram, kBesideProgram},
    {MenuArray::List, 13, TextId::MenuPhysicalOnly, kNone, true, C::TogglePhysicalOnly, kPhysicalOnlyOn},
    // The submenu of the extra columns; its items are the columns' headers.
    {MenuArray::Column, 0, TextId::MenuColumns, kNone, true},
    {MenuArray::Tray, 0, TextId::MenuShowWindow, kNone, true, C::ShowWindow},
    {MenuArray::Tray, 1, TextId::MenuCopyPrimary, kNone, true, C::CopyPrimary, nullptr, kPrimaryKnown},
};

// Every item's id stays in the menus' range, below the toolbar's.
constexpr bool MenuIdsInRange() {
    for (const MenuItem& item : kItems)
        if (item.index < 0 || static_cast<UINT>(item.index) >= kMenuIdBase ||
            static_cast<UINT>(item.array) >= kMenuArrayCount)
            return false;
    return true;
}
static_assert(MenuIdsInRange(), "a menu item's index or array is outside the menus' id range");

constexpr MenuRef kContextMenu[] = {
    {MenuArray::List, 0},
    {MenuArray::List, 1},
    {MenuArray::Edit, 0},
    {MenuArray::List, 6},
    {MenuArray::File, 0},
    {MenuArray::List, 1},
    {MenuArray::Column, 0},
    {MenuArray::List, 4},
    {MenuArray::List, 5},
    // Before the connected interfaces' item, so that the items from that one down keep their places.
    {MenuArray::List, 13},
    {MenuArray::List, 9},
    {MenuArray::List, 1},
    {MenuArray::List, 2},
    {MenuArray::List, 3},
    {MenuArray::List, 7},
    {MenuArray::List, 8},
    {MenuArray::List, 10},
    {MenuArray::List, 1},
    {MenuArray::List, 12},
};

constexpr MenuRef kTrayMenu[] = {
    {MenuArray::Tray, 0},
    {MenuArray::Edit, 0},
    {MenuArray::List, 6},
    {MenuArray::Tray, 1},
    {MenuArray::List, 10},
    {MenuArray::List, 1},
    {MenuArray::File, 100},
};

// "Help" has a picture but no button.
constexpr ToolbarImage kImages[] = {
    {L"Refresh", {L"IDB_REFRESH", L"IDB_REFRESH24", L"IDB_REFRESH32"}},
    {L"About", {L"IDB_ABOUT", L"IDB_ABOUT24", L"IDB_ABOUT32"}},
    {L"Export", {L"IDB_EXPORT", L"IDB_EXPORT24", L"IDB_EXPORT32"}},
    {L"Help", {L"IDB_HELP", L"IDB_HELP24", L"IDB_HELP32"}},
};

constexpr ToolbarButton kButtons[] = {
    {L"Export", TextId::ButtonExport, L"Export", TextId::ButtonExportTip, {MenuArray::File, 0}},
    {L"", kSeparator, L"", kSeparator, {}},
    {L"Refresh", TextId::ButtonRefresh, L"Refresh", TextId::ButtonRefreshTip, {MenuArray::Edit, 0}},
    {L"", kSeparator, L"", kSeparator, {}},
    {L"About", TextId::ButtonAbout, L"About", TextId::ButtonAboutTip, {MenuArray::Help, 2}},
    {L"Help", kSeparator, L"Help", kSeparator, {MenuArray::Help, 0}, false},
};
static_assert(kToolbarIdBase + std::size(kButtons) <= kToolbarIdLimit, "toolbar ids would leave their range");

}  // namespace

std::span<const MenuItem> MenuTitles() { return kTitles; }
std::span<const MenuItem> MenuItems() { return kItems; }
std::span<const MenuRef> ContextMenu() { return kContextMenu; }
std::span<const MenuRef> TrayMenu() { return kTrayMenu; }
std::span<const ToolbarImage> ToolbarImages() { return kImages; }

const MenuItem* FindMenuItem(MenuRef ref) {
    for (const MenuItem& item : kItems)
        if (item.array == ref.array && item.index == ref.index)
            return &item;
    return nullptr;
}
std::span<const ToolbarButton> ToolbarButtons() { return kButtons; }

const ToolbarButton* ButtonOfKey(std::wstring_view key) {
    for (const ToolbarButton& button : kButtons)
        if (!button.key.empty() && button.key == key)
            return &button;
    return nullptr;
}

std::wstring_view CaptionOf(const MenuItem& item) {
    if (item.caption == kSeparator)
        return L"-";
    if (item.caption == kOtherLanguage)
        return NextLanguage(CurrentLanguage()).ownName;
    return Text(item.caption);
}

}  // namespace netpeek
