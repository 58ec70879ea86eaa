#pragma once
// Reading a report-view list's texts back out of the control, by position.

#include <windows.h>

#include <string>

#include "export/CsvText.h"

namespace netpeek {

// Headers in column index order (not display order); each item's own text followed by the
// texts of its sub-items, one per further column.
CListTexts ReadListTexts(HWND list);

// The CSV text of the same texts in the same order, built as the cells are read, so that a
// long list costs no string per cell.
std::wstring ListCsvText(HWND list);

// The one line the export writes for that item, CR LF included.
std::wstring ItemCsvLine(HWND list, int item);

// The column's header, by its index; empty where there is none.
std::wstring ColumnHeader(HWND list, int column);

// What the header's menu copies of a column: the cell of that column of each item, in the list's
// order, each on a line of its own that ends with CR LF; no header and no quotes, to paste as a
// list of addresses. Empty for a column that is not there.
std::wstring ColumnText(HWND list, int column);

// What Ctrl+C copies: the selected item as the one line the export writes for it, or with none
// selected the whole list as the export writes it.
std::wstring CopiedText(HWND list);

}  // namespace netpeek
