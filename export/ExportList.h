#pragma once
// The Export command: the list's texts written to a CSV file that the user chooses.

#include <windows.h>

#include <functional>
#include <string>

namespace netpeek {

// Writes the whole text as the named file; the program's is TextFileWriter's.
using WriteTextFileFn = std::function<void(const std::wstring& fileName, const std::wstring& text)>;
void WriteWithTextFileWriter(const std::wstring& fileName, const std::wstring& text);

// Asks for a file name as the export does (its filter, its folder), remembers the folder, and
// writes the text that `text` makes then, through `write`. Any failure of the write is reported
// in the export's error box, owned by `owner`, and the program goes on; a cancelled dialog does
// nothing.
void SaveTextAs(HWND owner, const std::function<std::wstring()>& text,
                const WriteTextFileFn& write = WriteWithTextFileWriter);

// Asks for a file name, remembers its folder, and writes what `list` shows. Any failure of the
// write is reported in the export's error box, owned by `owner`, and the program goes on; a
// cancelled dialog does nothing.
void ExportList(HWND owner, HWND list, const WriteTextFileFn& write = WriteWithTextFileWriter);

}  // namespace netpeek
