#include "export/ListTexts.h"

#include <commctrl.h>

namespace netpeek {

namespace {

// Cell texts have no fixed limit, so the buffer grows until the text fits. One buffer serves
// every cell of a read, so that a long list costs no allocation per cell beyond its text.
std::wstring ItemText(HWND list, int item, int subItem, std::vector<wchar_t>& buffer) {
    for (;;) {
        LVITEMW cell{};
        cell.iSubItem = subItem;
        cell.pszText = buffer.data();
        cell.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<std::size_t>(
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)));
        if (length + 1 < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring HeaderText(HWND list, int column) {
    std::wstring text(1024, L'\0');
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = text.data();
    info.cchTextMax = static_cast<int>(text.size());
    if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)))
        return {};
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

}  // namespace

CListTexts ReadListTexts(HWND list) {
    CListTexts texts;
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int c = 0; c < columns; ++c)
        texts.headers.push_back(HeaderText(list, c));

    std::vector<wchar_t> buffer(256);
    const auto items = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    texts.items.reserve(static_cast<std::size_t>(items));
    for (int i = 0; i < items; ++i) {
        std::vector<std::wstring> cells;
        // Every item has its own text, and a sub-item for each further column.
        const int cellCount = columns > 0 ? columns : 1;
        for (int c = 0; c < cellCount; ++c)
            cells.push_back(ItemText(list, i, c, buffer));
        texts.items.push_back(std::move(cells));
    }
    return texts;
}

}  // namespace netpeek
