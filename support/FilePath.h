#pragma once
// Pieces of Windows file names, with no file system access.

#include <string>

namespace netpeek {

// The folder part of a full file name: "C:\Data\list.csv" gives "C:\Data", "C:\list.csv"
// gives "C:\", "\\server\share\list.csv" gives "\\server\share". A name without a folder
// gives the empty string.
std::wstring asGetFilePath(const std::wstring& fullName);

}  // namespace netpeek
