#include "support/Menus.h"

#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

std::wstring KeyText(WORD key) {
    if (key >= VK_F1 && key <= VK_F24)
        return L"F" + std::to_wstring(key - VK_F1 + 1);
    if (key == VK_DELETE)
        return L"Del";
    if (key == VK_ESCAPE)
        return L"Esc";
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::wstring(1, static_cast<wchar_t>(key));
    return {};
}

}  // namespace

std::wstring ShortcutText(Shortcut shortcut) {
    std::wstring key = KeyText(shortcut.key);
    if (key.empty())
        return key;
    if (shortcut.modifiers & FSHIFT)
        key = L"Shift+" + key;
    if (shortcut.modifiers & FCONTROL)
        key = L"Ctrl+" + key;
    return key;
}

std::wstring MenuItemText(std::wstring_view caption, Shortcut shortcut) {
    const std::wstring keys = ShortcutText(shortcut);
    std::wstring text(caption);
    return keys.empty() ? text : text + L"\t" + keys;
}

std::wstring MenuLiteral(std::wstring_view text) {
    std::wstring literal;
    for (const wchar_t c : text) {
        if (c == L'&')
            literal += L'&';
        literal += c;
    }
    return literal;
}

UniqueMenu NewPopupMenu() {
    UniqueMenu popup(CreatePopupMenu());
    if (!popup)
        ThrowLastError(std::wstring(Text(TextId::ErrMenu)));
    return popup;
}

void AppendMenuItem(HMENU menu, UINT command, std::wstring_view caption, Shortcut shortcut) {
    const std::wstring text = MenuItemText(caption, shortcut);
    const BOOL added = caption == L"-" ? AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)
                                       : AppendMenuW(menu, MF_STRING, command, text.c_str());
    if (!added)
        ThrowLastError(std::wstring(Text(TextId::ErrMenuItem)));
}

UniqueMenu MenuBarOf(std::wstring_view title, UniqueMenu popup) {
    UniqueMenu bar(CreateMenu());
    if (!bar)
        ThrowLastError(std::wstring(Text(TextId::ErrMenuBar)));
    const std::wstring caption(title);
    if (!AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), caption.c_str()))
        ThrowLastError(std::wstring(Text(TextId::ErrMenuToBar)));
    popup.release();  // the menu bar owns it now
    return bar;
}

void ReplaceMenuBar(HWND window, UniqueMenu bar) {
    const HMENU old = GetMenu(window);
    if (!SetMenu(window, bar.get()))
        ThrowLastError(std::wstring(Text(TextId::ErrMenuBarSet)));
    bar.release();  // the window owns it now
    DestroyMenu(old);
}

UniqueAccel AcceleratorsOf(std::span<const ACCEL> keys) {
    UniqueAccel accelerators(
        CreateAcceleratorTableW(const_cast<ACCEL*>(keys.data()), static_cast<int>(keys.size())));
    if (!accelerators)
        ThrowLastError(std::wstring(Text(TextId::ErrShortcuts)));
    return accelerators;
}

}  // namespace netpeek
