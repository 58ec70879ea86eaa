#include "export/ListTexts.h"

#include <algorithm>
#include <climits>
#include <string_view>
#include <utility>
#include <vector>

#include "support/Controls.h"
#include "support/Error.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// The longest header text we read back; the list's own are a word each.
constexpr int kHeaderTextLimit = 1024;

// Reads cells through one buffer shared by every cell of a read. Cell texts have no fixed
// limit, so the buffer grows until the text fits.
class CellReader {
public:
    explicit CellReader(HWND list) : m_list(list), m_buffer(256) {}

    // Valid until the next call.
    std::wstring_view Text(int item, int subItem) {
        for (;;) {
            const int copied = m_list.GetItemText(item, subItem, m_buffer.data(), static_cast<int>(m_buffer.size()));
            // A text that filled the buffer may have been cut short, and a count that does not
            // fit in the buffer is not believed: either way, ask again with more room.
            if (copied >= 0 && static_cast<std::size_t>(copied) + 1 < m_buffer.size())
                return {m_buffer.data(), static_cast<std::size_t>(copied)};
            if (m_buffer.size() > INT_MAX / 2)
                throw CError(ERROR_INSUFFICIENT_BUFFER, TextWith(TextId::CellTooLong));
            m_buffer.resize(m_buffer.size() * 2);
        }
    }

    // The item's cells as the CSV line the export writes for it.
    void AppendLine(CsvAppender& csv, int item, int cells) {
        for (int c = 0; c < cells; ++c) {
            const std::wstring_view text = Text(item, c);
            csv.Field(text.data(), text.size());
        }
        csv.EndLine();
    }

private:
    ListViewCtrl m_list;
    std::vector<wchar_t> m_buffer;
};

std::wstring HeaderOf(const ListViewCtrl& list, int column) {
    std::wstring text(kHeaderTextLimit, L'\0');
    if (!list.GetColumnText(column, text.data(), kHeaderTextLimit))
        text.clear();
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::vector<std::wstring> Headers(const ListViewCtrl& list) {
    std::vector<std::wstring> headers;
    const int columns = list.ColumnCount();
    for (int c = 0; c < columns; ++c)
        headers.push_back(HeaderOf(list, c));
    return headers;
}

// Every item has its own text, and a sub-item for each further column.
int CellsPerItem(const std::vector<std::wstring>& headers) {
    return headers.empty() ? 1 : static_cast<int>(headers.size());
}

}  // namespace

CListTexts ReadListTexts(HWND list) {
    const ListViewCtrl view(list);
    CListTexts texts;
    texts.headers = Headers(view);
    const int cells = CellsPerItem(texts.headers);
    CellReader reader(list);
    const int items = view.GetItemCount();
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
    const ListViewCtrl view(list);
    const std::vector<std::wstring> headers = Headers(view);
    CsvAppender csv;
    for (const std::wstring& header : headers)
        csv.Field(header);
    csv.EndLine();
    CellReader reader(list);
    const int items = view.GetItemCount();
    for (int i = 0; i < items; ++i)
        reader.AppendLine(csv, i, CellsPerItem(headers));
    return std::move(csv).Text();
}

std::wstring ItemCsvLine(HWND list, int item) {
    CsvAppender csv;
    CellReader(list).AppendLine(csv, item, std::max(ListViewCtrl(list).ColumnCount(), 1));
    return std::move(csv).Text();
}

std::wstring ColumnHeader(HWND list, int column) {
    return HeaderOf(ListViewCtrl(list), column);
}

std::wstring ColumnText(HWND list, int column) {
    const ListViewCtrl view(list);
    std::wstring text;
    if (column < 0 || column >= std::max(view.ColumnCount(), 1))
        return text;
    CellReader reader(list);
    const int items = view.GetItemCount();
    for (int i = 0; i < items; ++i)
        text.append(reader.Text(i, column)).append(L"\r\n");
    return text;
}

std::wstring CopiedText(HWND list) {
    const int selected = ListViewCtrl(list).GetSelected();
    return selected >= 0 ? ItemCsvLine(list, selected) : ListCsvText(list);
}

}  // namespace netpeek
