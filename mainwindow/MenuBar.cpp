#include "mainwindow/MenuBar.h"

#include <string>
#include <vector>

#include "support/SystemError.h"
#include "texts/Texts.h"

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

// The item with its caption, its shortcut where `withShortcut`, and its tick and greying as the
// table has them for `state`.
void Append(HMENU menu, const MenuItem& item, const MenuState& state, bool withShortcut = true) {
    const UINT id = MenuCommandId(item.array, item.index);
    AppendMenuItem(menu, id, CaptionOf(item), withShortcut ? item.shortcut : Shortcut{});
    if (item.ticked)
        CheckMenuItem(menu, id, MF_BYCOMMAND | (item.ticked(state) ? MF_CHECKED : MF_UNCHECKED));
    if (item.enabled)
        EnableMenuItem(menu, id, MF_BYCOMMAND | (item.enabled(state) ? MF_ENABLED : MF_GRAYED));
}

// The item's caption with `name` for its "%1", shown as written.
void Name(HMENU menu, MenuRef ref, const std::wstring& name) {
    const UINT id = MenuCommandId(ref.array, ref.index);
    const std::wstring caption = TextWith(FindMenuItem(ref)->caption, MenuLiteral(name));
    ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING, id, caption.c_str());
}

UniqueMenu BuildPopup(const MenuItem& title) {
    UniqueMenu popup = NewPopupMenu();
    const ViewChoice none;
    for (const MenuItem& item : MenuItems())
        if (item.array == TitleArray(title.index) && item.visible)
            Append(popup.get(), item, {none});
    return popup;
}

}  // namespace

UniqueMenu BuildMenuBar() {
    UniqueMenu bar(CreateMenu());
    if (!bar)
        ThrowLastError(std::wstring(Text(TextId::ErrMenuBar)));
    for (const MenuItem& title : MenuTitles()) {
        UniqueMenu popup = BuildPopup(title);
        const std::wstring caption(CaptionOf(title));
        if (!AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), caption.c_str()))
            ThrowLastError(std::wstring(Text(TextId::ErrMenuToBar)));
        popup.release();  // the menu bar owns it now
    }
    return bar;
}

void AppendExitShortcut(HMENU menuBar) {
    const UINT id = MenuCommandId(MenuArray::File, 100);
    wchar_t caption[256] = {};
    if (!GetMenuStringW(menuBar, id, caption, 256, MF_BYCOMMAND))
        ThrowLastError(std::wstring(Text(TextId::ErrExitRead)));
    const std::wstring extended = std::wstring(caption) + L"\tEsc";
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING;
    item.dwTypeData = const_cast<wchar_t*>(extended.c_str());
    if (!SetMenuItemInfoW(menuBar, id, FALSE, &item))
        ThrowLastError(std::wstring(Text(TextId::ErrExitChange)));
}

UniqueMenu BuildContextMenu(const ViewChoice& choice, const std::wstring* rowInterface) {
    UniqueMenu popup = NewPopupMenu();
    for (const MenuRef& ref : ContextMenu()) {
        const MenuItem* item = FindMenuItem(ref);
        if (!item || (ref.array == kHideInterfaceItem.array && ref.index == kHideInterfaceItem.index && !rowInterface))
            continue;
        if (ref.array != MenuArray::Column) {
            Append(popup.get(), *item, {choice});
            continue;
        }
        UniqueMenu columns = BuildColumnsMenu(choice);
        const std::wstring caption(CaptionOf(*item));
        if (!AppendMenuW(popup.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(columns.get()), caption.c_str()))
            ThrowLastError(std::wstring(Text(TextId::ErrMenuToContext)));
        columns.release();  // the context menu owns it now
    }
    if (rowInterface)
        Name(popup.get(), kHideInterfaceItem, *rowInterface);
    return popup;
}

UniqueMenu BuildColumnsMenu(const ViewChoice& choice, const std::wstring* copiedHeader) {
    UniqueMenu popup = NewPopupMenu();
    if (copiedHeader) {
        Append(popup.get(), *FindMenuItem(kCopyColumnItem), {choice});
        Name(popup.get(), kCopyColumnItem, *copiedHeader);
        Append(popup.get(), *FindMenuItem({MenuArray::List, 1}), {choice});
    }
    const auto columns = ListColumns();
    for (std::size_t id = kBaseColumnCount; id < columns.size(); ++id) {
        const std::wstring header(columns[id].header);
        const UINT flags = MF_STRING | (choice.Shows(static_cast<int>(id)) ? MF_CHECKED : MF_UNCHECKED);
        if (!AppendMenuW(popup.get(), flags, MenuCommandId(MenuArray::Column, static_cast<int>(id)), header.c_str()))
            ThrowLastError(std::wstring(Text(TextId::ErrMenuItem)));
    }
    return popup;
}

UniqueMenu BuildTrayMenu(bool primaryKnown) {
    UniqueMenu popup = NewPopupMenu();
    // The start at logon's greying is the context menu's alone: the icon is there, so its switch is on.
    ViewChoice trayOn;
    trayOn.minimizeToTray = true;
    for (const MenuRef& ref : TrayMenu())
        if (const MenuItem* item = FindMenuItem(ref))
            Append(popup.get(), *item, {trayOn, primaryKnown}, false);
    if (!SetMenuDefaultItem(popup.get(), MenuCommandId(TrayMenu()[0].array, TrayMenu()[0].index), FALSE))
        ThrowLastError(std::wstring(Text(TextId::ErrTrayDefault)));
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
            ThrowLastError(TextWith(TextId::ErrPictureLoad, resource));
        if (!images) {
            // The image list takes its image size from the first picture.
            BITMAP info{};
            GetObjectW(bitmap.get(), sizeof(info), &info);
            images.reset(ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR4 | ILC_MASK, 4, 0));
            if (!images)
                ThrowLastError(std::wstring(Text(TextId::ErrImageList)));
        }
        if (ImageList_AddMasked(images.get(), bitmap.get(), kImageMaskColour) < 0)
            throw CError(ERROR_INVALID_DATA, TextWith(TextId::ErrPictureAdd, resource));
    }
    return images;
}

std::vector<TBBUTTON> BuildToolbarButtons() {
    std::vector<TBBUTTON> buttons;
    for (const ToolbarButton& b : ToolbarButtons()) {
        if (!b.shown)
            break;
        TBBUTTON tb{};
        tb.idCommand = static_cast<int>(kToolbarIdBase + buttons.size());
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = b.key.empty() ? BTNS_SEP : BTNS_BUTTON;
        tb.iBitmap = b.key.empty() ? 0 : ImageIndex(b.imageKey);
        // The tables' texts are literals, so they end in a NUL as the toolbar wants.
        tb.iString = b.key.empty() ? 0 : reinterpret_cast<INT_PTR>(Text(b.caption).data());
        buttons.push_back(tb);
    }
    return buttons;
}

const ToolbarButton* ButtonOfCommand(UINT_PTR id) {
    const auto buttons = ToolbarButtons();
    return id >= kToolbarIdBase && id - kToolbarIdBase < buttons.size() && buttons[id - kToolbarIdBase].shown
               ? &buttons[id - kToolbarIdBase]
               : nullptr;
}

}  // namespace netpeek
