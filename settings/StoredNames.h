#pragma once
// Every value the program keeps, by the name it is kept under: the same names in the registry
// and in the settings file beside the program. Nothing else in the program spells them.

namespace netpeek {

// The empty section: the program's own key, or the file's section named after the product.
inline constexpr wchar_t kProgramSection[] = L"";

// The main window's placement and its list's column layout and sort.
inline constexpr wchar_t kPlacementName[] = L"Window placement";
inline constexpr wchar_t kListLayoutName[] = L"IPs List";
inline constexpr wchar_t kListSortName[] = L"IPs List Sort";

// What the user chose of the view.
inline constexpr wchar_t kShowIPv6Name[] = L"Show IPv6";
inline constexpr wchar_t kListColumnsName[] = L"IPs List Columns";
inline constexpr wchar_t kHiddenInterfacesName[] = L"Hidden Interfaces";
inline constexpr wchar_t kAutoRefreshName[] = L"Auto Refresh";
inline constexpr wchar_t kMinimizeToTrayName[] = L"Minimize To Tray";
inline constexpr wchar_t kNotifyChangesName[] = L"Notify Changes";
inline constexpr wchar_t kConnectedOnlyName[] = L"Connected Only";
inline constexpr wchar_t kPhysicalOnlyName[] = L"Physical Only";

// The log window's placement.
inline constexpr wchar_t kLogPlacementName[] = L"Log Window placement";

// The language of the program's texts.
inline constexpr wchar_t kLanguageName[] = L"Language";

// The folder of the last confirmed export, in a section of its own.
inline constexpr wchar_t kExportSection[] = L"OFN Paths";
inline constexpr wchar_t kExportFolderName[] = L"Last Export List Directory";

}  // namespace netpeek
