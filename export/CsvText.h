#pragma once
// The CSV text of what a list shows: a header line, then one line per item.

#include <string>
#include <vector>

namespace netpeek {

// A list's texts as the export reads them back: headers in column index order, and per
// item its own text followed by its sub-items' texts.
struct CListTexts {
    std::vector<std::wstring> headers;
    std::vector<std::vector<std::wstring>> items;
};

// Every field in double quotes (a quote inside doubled), commas between fields, CR LF after
// every line. A list without columns starts with an empty line.
std::wstring CsvText(const CListTexts& list);

}  // namespace netpeek
