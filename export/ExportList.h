#pragma once
// The Export command: the list's texts written to a CSV file that the user chooses.

#include <windows.h>

namespace netpeek {

// Where the folder of the last confirmed export is remembered.
inline constexpr wchar_t kExportSection[] = L"OFN Paths";
inline constexpr wchar_t kExportFolderValue[] = L"Last Export List Directory";

// Asks for a file name, remembers its folder, and writes what `list` shows. A failed write
// is reported in an error box owned by `owner`; a cancelled dialog does nothing.
void ExportList(HWND owner, HWND list);

}  // namespace netpeek
