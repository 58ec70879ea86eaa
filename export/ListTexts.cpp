#include "export/ListTexts.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <string_view>
#include <utility>
#include <vector>

#include "support/Error.h"

namespace netpeek {

namespace {

// Reads cells through one buffer shared by every cell of a read. Cell texts have no fixed
// limit, so the buffer grows until the text fits.
class CellReader {
public:
    explicit CellReader(HWND list) : m_list(list), m_buffer(256) {}

    // Valid until the next call.
    std::wstring_view Text(int item, int subItem) {
        for (;;) {
            LVITEMW cell{};
            cell.iSubItem = subItem;
            cell.pszText = m_buffer.data();
            cell.cchTextMax = static_cast<int>(m_buffer.size());
            const LRESULT copied =
                SendMessageW(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
            // A text that filled the buffer may have been cut short, and a count that does not
            // fit in the buffer is not believed: either way, ask again with more room.
            if (copied >= 0 && static_cast<std::size_t>(copied) + 1 < m_buffer.size())
                return {m_buffer.data(), static_cast<std::size_t>(copied)};
            if (m_buffer.size() > INT_MAX / 2)
                throw CError(ERROR_INSUFFICIENT_BUFFER, L"A cell of the list is too long to be read.");
            m_buffer.resize(m_buffer.size() * 2);
        }
    }

private:
    HWND m_list;
    std::vector<wchar_t> m_buffer;
};

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

std::vector<std::wstring> Headers(HWND list) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::vector<std::wstring> headers;
    for (int c = 0; c < columns; ++c)
        headers.push_back(HeaderText(list, c));
    return headers;
}

int ItemCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

// Every item has its own text, and a sub-item for each further column.
int CellsPerItem(const std::vector<std::wstring>& headers) {
    return headers.empty() ? 1 : static_cast<int>(headers.size());
}

}  // namespace

CListTexts ReadListTexts(HWND list) {
    CListTexts texts;
    texts.headers = Headers(list);
    const int cells = CellsPerItem(texts.headers);
    CellReader reader(list);
    const int items = ItemCount(list);
    texts.items.reserve(static_cast<std::size_t>(std::max(items, 0)));
    for (int i = 0; i < items; ++i) {
        std::vector<std::wstring> item;
        for (int c = 0; c < cells; ++c)
            item.emplace_back(reader.Text(i, c));
        texts.items.push_back(std::move(item));
    }
    return texts;
}

std::wstring ListCsvText(HWND list) {
    const std::vector<std::wstring> headers = Headers(list);
    const int cells = CellsPerItem(headers);
    CsvAppender csv;
    for (const std::wstring& header : headers)
        csv.Field(header);
    csv.EndLine();
    CellReader reader(list);
    const int items = ItemCount(list);
    for (int i = 0; i < items; ++i) {
        for (int c = 0; c < cells; ++c) {
            const std::wstring_view text = reader.Text(i, c);
            csv.Field(text.data(), text.size());
        }
        csv.EndLine();
    }
    return std::move(csv).Text();
}

}  // namespace netpeek
