#include "mainwindow/MenuBar.h"

#include <string>
#include <vector>

#include "settings/ProgramStore.h"
#include "support/SystemError.h"
#include "tray/LogonStart.h"

namespace netpeek {

namespace {

// The colour that the toolbar's pictures leave transparent.
constexpr COLORREF kImageMaskColour = RGB(192, 192, 192);

// The image list's index of the picture with that key, or none.
int ImageIndex(std::wstring_view imageKey) {
    const auto images = ToolbarImages();
    for (std::size_t i = 0; i < images.size(); ++i)
        if (images[i].key == imageKey)
            return static_cast<int>(i);
    return I_IMAGENONE;
}

MenuArray TitleArray(int titleIndex) {
    return static_cast<MenuArray>(titleIndex + 1);
}

void Append(HMENU menu, const MenuItem& item, bool withShortcut = true) {
    AppendMenuItem(menu, MenuCommandId(item.array, item.index), item.caption, withShortcut ? item.shortcut : Shortcut{});
}

void Tick(HMENU menu, MenuRef item, bool on) {
    CheckMenuItem(menu, MenuCommandId(item.array, item.index), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void Enable(HMENU menu, MenuRef item, bool on) {
    EnableMenuItem(menu, MenuCommandId(item.array, item.index), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

// The item's caption with `name` for its "%", shown as written.
void Name(HMENU menu, MenuRef ref, const std::wstring& name) {
    const UINT id = MenuCommandId(ref.array, ref.index);
    std::wstring caption(FindMenuItem(ref)->caption);
    caption.replace(caption.find(L'%'), 1, MenuLiteral(name));
    ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING, id, caption.c_str());
}

UniqueMenu BuildPopup(const MenuItem& title) {
    UniqueMenu popup = NewPopupMenu();
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

void AppendExitShortcut(HMENU menuBar) {
    const UINT id = MenuCommandId(MenuArray::File, 100);
    wchar_t caption[256] = {};
    if (!GetMenuStringW(menuBar, id, caption, 256, MF_BYCOMMAND))
        ThrowLastError(L"The Exit menu item could not be read.");
    const std::wstring extended = std::wstring(caption) + L"\tEsc";
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING;
    item.dwTypeData = const_cast<wchar_t*>(extended.c_str());
    if (!SetMenuItemInfoW(menuBar, id, FALSE, &item))
        ThrowLastError(L"The Exit menu item could not be changed.");
}

UniqueMenu BuildContextMenu(const ViewChoice& choice, const std::wstring* rowInterface) {
    UniqueMenu popup = NewPopupMenu();
    for (const MenuRef& ref : ContextMenu()) {
        const MenuItem* item = FindMenuItem(ref);
        if (!item || (ref.array == kHideInterfaceItem.array && ref.index == kHideInterfaceItem.index && !rowInterface))
            continue;
        if (ref.array != MenuArray::Column) {
            Append(popup.get(), *item);
            continue;
        }
        UniqueMenu columns = BuildColumnsMenu(choice);
        const std::wstring caption(item->caption);
        if (!AppendMenuW(popup.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(columns.get()), caption.c_str()))
            ThrowLastError(L"A menu could not be added to the context menu.");
        columns.release();  // the context menu owns it now
    }
    for (const auto& [item, on] : {std::pair{kAutoRefreshItem, choice.autoRefresh}, std::pair{kShowIPv6Item, choice.ipv6},
                                   std::pair{kMinimizeToTrayItem, choice.minimizeToTray},
                                   std::pair{kNotifyChangesItem, choice.notifyChanges},
                                   std::pair{kConnectedOnlyItem, choice.connectedOnly},
                                   std::pair{kStartAtLogonItem, StartsAtLogon()},
                                   std::pair{kStoreBesideProgramItem, StoredBesideProgram()}})
        Tick(popup.get(), item, on);
    Enable(popup.get(), kNotifyChangesItem, choice.minimizeToTray);
    Enable(popup.get(), kStartAtLogonItem, choice.minimizeToTray);
    Enable(popup.get(), kShowAllInterfacesItem, !choice.hidden.empty());
    if (rowInterface)
        Name(popup.get(), kHideInterfaceItem, *rowInterface);
    return popup;
}

UniqueMenu BuildColumnsMenu(const ViewChoice& choice, const std::wstring* copiedHeader) {
    UniqueMenu popup = NewPopupMenu();
    if (copiedHeader) {
        Append(popup.get(), *FindMenuItem(kCopyColumnItem));
        Name(popup.get(), kCopyColumnItem, *copiedHeader);
        Append(popup.get(), *FindMenuItem({MenuArray::List, 1}));
    }
    const auto columns = ListColumns();
    for (std::size_t id = kBaseColumnCount; id < columns.size(); ++id) {
        const std::wstring header(columns[id].header);
        const UINT flags = MF_STRING | (choice.Shows(static_cast<int>(id)) ? MF_CHECKED : MF_UNCHECKED);
        if (!AppendMenuW(popup.get(), flags, MenuCommandId(MenuArray::Column, static_cast<int>(id)), header.c_str()))
            ThrowLastError(L"A menu item could not be added.");
    }
    return popup;
}

UniqueMenu BuildTrayMenu(bool primaryKnown) {
    UniqueMenu popup = NewPopupMenu();
    for (const MenuRef& ref : TrayMenu())
        if (const MenuItem* item = FindMenuItem(ref))
            Append(popup.get(), *item, false);
    if (!SetMenuDefaultItem(popup.get(), MenuCommandId(TrayMenu()[0].array, TrayMenu()[0].index), FALSE))
        ThrowLastError(L"The icon's menu could not be given its default item.");
    Enable(popup.get(), kCopyPrimaryItem, primaryKnown);
    Tick(popup.get(), kStartAtLogonItem, StartsAtLogon());
    return popup;
}


UniqueAccel BuildAccelerators() {
    std::vector<ACCEL> table;
    for (const MenuItem& item : MenuItems())
        if (item.visible && item.shortcut.key != 0)
            table.push_back({static_cast<BYTE>(FVIRTKEY | item.shortcut.modifiers), item.shortcut.key,
                             static_cast<WORD>(MenuCommandId(item.array, item.index))});
    return AcceleratorsOf(table);
}

UniqueImageList BuildToolbarImages(HINSTANCE instance, PictureScale scale) {
    UniqueImageList images;
    for (const ToolbarImage& image : ToolbarImages()) {
        const std::wstring resource = image.resources[static_cast<std::size_t>(scale)];
        UniqueBitmap bitmap(static_cast<HBITMAP>(LoadImageW(instance, resource.c_str(), IMAGE_BITMAP, 0, 0, 0)));
        if (!bitmap)
            ThrowLastError(L"The picture " + resource + L" could not be loaded.");
        if (!images) {
            // The image list takes its image size from the first picture.
            BITMAP info{};
            GetObjectW(bitmap.get(), sizeof(info), &info);
            images.reset(ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR4 | ILC_MASK, 4, 0));
            if (!images)
                ThrowLastError(L"The toolbar's image list could not be created.");
        }
        if (ImageList_AddMasked(images.get(), bitmap.get(), kImageMaskColour) < 0)
            throw CError(ERROR_INVALID_DATA, L"The picture " + resource + L" could not be added to the toolbar.");
    }
    return images;
}

std::vector<TBBUTTON> BuildToolbarButtons() {
    std::vector<TBBUTTON> buttons;
    for (const ToolbarButton& b : ToolbarButtons()) {
        TBBUTTON tb{};
        tb.idCommand = static_cast<int>(kToolbarIdBase + buttons.size());
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = b.key.empty() ? BTNS_SEP : BTNS_BUTTON;
        tb.iBitmap = b.key.empty() ? 0 : ImageIndex(b.imageKey);
        // The table's captions are literals, so they end in a NUL as the toolbar wants.
        tb.iString = b.key.empty() ? 0 : reinterpret_cast<INT_PTR>(b.caption.data());
        buttons.push_back(tb);
    }
    return buttons;
}

const ToolbarButton* ButtonOfCommand(UINT_PTR id) {
    const auto buttons = ToolbarButtons();
    return id >= kToolbarIdBase && id - kToolbarIdBase < buttons.size() ? &buttons[id - kToolbarIdBase] : nullptr;
}

}  // namespace netpeek
