#include "mainwindow/FormTables.h"

#include <iterator>

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

constexpr MenuItem kTitles[] = {
    {MenuArray::Main, 0, L"Файл", kNone, true},
    {MenuArray::Main, 1, L"Правка", kNone, true},
    {MenuArray::Main, 2, L"Справка", kNone, true},
};

constexpr MenuItem kItems[] = {
    {MenuArray::File, 0, L"Экспорт в файл...", kF2, true},
    {MenuArray::File, 1, L"-", kNone, true},
    // "Esc" joins the caption when the window loads.
    {MenuArray::File, 100, L"Выход", kNone, true},
    {MenuArray::Edit, 0, L"Обновить", kF5, true},
    // These three have no command and are not shown.
    {MenuArray::Edit, 1, L"-", kNone, false},
    {MenuArray::Edit, 10, L"Выделить всё", kCtrlA, false},
    {MenuArray::Edit, 11, L"Удалить", kDel, false},
    {MenuArray::Help, 0, L"Содержание...", kF1, true},
    {MenuArray::Help, 1, L"-", kNone, true},
    {MenuArray::Help, 2, L"О программе...", kShiftF1, true},
    {MenuArray::List, 0, L"Копировать", kCtrlC, true},
    {MenuArray::List, 1, L"-", kNone, true},
    {MenuArray::List, 2, L"Обновлять автоматически", kNone, true},
    {MenuArray::List, 3, L"Показывать адреса IPv6", kNone, true},
    {MenuArray::List, 4, L"Скрыть интерфейс «%»", kNone, true},
    {MenuArray::List, 5, L"Показать все интерфейсы", kNone, true},
    {MenuArray::List, 6, L"Журнал изменений", kCtrlL, true},
    {MenuArray::List, 7, L"Сворачивать в область уведомлений", kNone, true},
    {MenuArray::List, 8, L"Уведомлять об изменениях", kNone, true},
    {MenuArray::List, 9, L"Только подключённые интерфейсы", kNone, true},
    {MenuArray::List, 10, L"Запускать при входе в Windows", kNone, true},
    {MenuArray::List, 11, L"Копировать столбец «%»", kNone, true},
    {MenuArray::List, 12, L"Хранить настройки рядом с программой", kNone, true},
    // The submenu of the extra columns; its items are the columns' headers.
    {MenuArray::Column, 0, L"Столбцы", kNone, true},
    {MenuArray::Tray, 0, L"Показать Netpeek", kNone, true},
    {MenuArray::Tray, 1, L"Копировать IP-адрес", kNone, true},
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
    {L"Export", L"Экспорт", L"Export", L"Экспортировать в файл (F2)"},
    {},
    {L"Refresh", L"Обновить", L"Refresh", L"Обновить список (F5)"},
    {},
    {L"About", L"О программе", L"About", L"Показать сведения о программе (Shift+F1)"},
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

}  // namespace netpeek
