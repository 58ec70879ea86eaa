#include "mainwindow/MenuBar.h"

#include <string>
#include <vector>

#include "mainwindow/FormTables.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

MenuArray TitleArray(int titleIndex) {
    return static_cast<MenuArray>(titleIndex + 1);
}

std::wstring MenuText(const MenuItem& item) {
    const std::wstring shortcut = ShortcutText(item.shortcut);
    std::wstring text(item.caption);
    return shortcut.empty() ? text : text + L"\t" + shortcut;
}

UniqueMenu NewPopup() {
    UniqueMenu popup(CreatePopupMenu());
    if (!popup)
        ThrowLastError(L"A menu could not be created.");
    return popup;
}

void Append(HMENU menu, const MenuItem& item) {
    const BOOL added = item.caption == L"-" ? AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)
                                            : AppendMenuW(menu, MF_STRING, MenuCommandId(item.array, item.index),
                                                          MenuText(item).c_str());
    if (!added)
        ThrowLastError(L"A menu item could not be added.");
}

UniqueMenu BuildPopup(const MenuItem& title) {
    UniqueMenu popup = NewPopup();
    for (const MenuItem& item : MenuItems())
        if (item.array == TitleArray(title.index) && item.visible)
            Append(popup.get(), item);
    return popup;
}

}  // namespace

UniqueMenu BuildMenuBar() {
    UniqueMenu bar(CreateMenu());
    if (!bar)
        ThrowLastError(L"The menu bar could not be created.");
    for (const MenuItem& title : MenuTitles()) {
        UniqueMenu popup = BuildPopup(title);
        const std::wstring caption(title.caption);
        if (!AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), caption.c_str()))
            ThrowLastError(L"A menu could not be added to the menu bar.");
        popup.release();  // the menu bar owns it now
    }
    return bar;
}

UniqueMenu BuildContextMenu() {
    UniqueMenu popup = NewPopup();
    for (const MenuRef& ref : ContextMenu())
        if (const MenuItem* item = FindMenuItem(ref))
            Append(popup.get(), *item);
    return popup;
}

UniqueAccel BuildAccelerators() {
    std::vector<ACCEL> table;
    for (const MenuItem& item : MenuItems()) {
        if (item.visible && item.shortcut.key != 0)
            table.push_back({static_cast<BYTE>(FVIRTKEY | item.shortcut.modifiers), item.shortcut.key,
                             static_cast<WORD>(MenuCommandId(item.array, item.index))});
    }
    UniqueAccel accelerators(CreateAcceleratorTableW(table.data(), static_cast<int>(table.size())));
    if (!accelerators)
        ThrowLastError(L"The keyboard shortcuts could not be set up.");
    return accelerators;
}

}  // namespace netpeek
