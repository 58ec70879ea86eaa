#pragma once
// Pieces of Windows file names, with no file system access.

#include <string>
#include <string_view>

namespace netpeek {

// The folder part of a full file name: "C:\Data\list.csv" gives "C:\Data", "C:\list.csv"
// gives "C:\", "\\server\share\list.csv" gives "\\server\share". A name without a folder
// gives the empty string.
std::wstring asGetFilePath(const std::wstring& fullName);

// Whether Windows takes the name for a DOS device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to
// LPT9, the digit also as ¹ ² ³) rather than a file: judged on the last part of the name, in
// any case, with or without a folder or drive before it, and cut at its first dot or colon
// and its trailing spaces ("C:\Data\nul.csv", "con ", "LPT1:"). Names in the device and
// long-path namespaces ("\\.\", "\\?\") and on a share ("\\server\share\nul") are not
// DOS names.
bool IsReservedDeviceName(std::wstring_view fileName);

}  // namespace netpeek
