#include "texts/Language.h"

namespace netpeek {

namespace {

constexpr TextEntry kTexts[] = {
    // ---- The window ----
    {TextId::ErrorNumber, L"Error %1: "},
    {TextId::NoReasonGiven, L"Windows gave no reason."},
    {TextId::MenuFile, L"File"},
    {TextId::MenuEdit, L"Edit"},
    {TextId::MenuHelp, L"Help"},
    {TextId::MenuExport, L"Export to File..."},
    {TextId::MenuExit, L"Exit"},
    {TextId::MenuRefresh, L"Refresh"},
    {TextId::MenuSelectAll, L"Select All"},
    {TextId::MenuDelete, L"Delete"},
    {TextId::MenuContents, L"Contents..."},
    {TextId::MenuAbout, L"About..."},
    {TextId::MenuCopy, L"Copy"},
    {TextId::MenuAutoRefresh, L"Refresh Automatically"},
    {TextId::MenuShowIPv6, L"Show IPv6 Addresses"},
    {TextId::MenuHideInterface, L"Hide Interface “%1”"},
    {TextId::MenuShowAllInterfaces, L"Show All Interfaces"},
    {TextId::MenuChangeLog, L"Change Log"},
    {TextId::MenuMinimizeToTray, L"Minimize to Notification Area"},
    {TextId::MenuNotifyChanges, L"Notify of Changes"},
    {TextId::MenuConnectedOnly, L"Connected Interfaces Only"},
    {TextId::MenuStartAtLogon, L"Start at Windows Logon"},
    {TextId::MenuCopyColumn, L"Copy Column “%1”"},
    {TextId::MenuStoreBesideProgram, L"Keep Settings Beside the Program"},
    {TextId::MenuColumns, L"Columns"},
    {TextId::MenuShowWindow, L"Show Netpeek"},
    {TextId::MenuCopyPrimary, L"Copy IP Address"},
    {TextId::MenuPhysicalOnly, L"Physical Adapters Only"},
    {TextId::ButtonExport, L"Export"},
    {TextId::ButtonRefresh, L"Refresh"},
    {TextId::ButtonAbout, L"About"},
    {TextId::ButtonExportTip, L"Export to a file (F2)"},
    {TextId::ButtonRefreshTip, L"Refresh the list (F5)"},
    {TextId::ButtonAboutTip, L"Show information about the program (Shift+F1)"},
    {TextId::AboutCaption, L"About"},
    {TextId::AboutVersion, L"Version %1"},
    {TextId::AboutDedication, L"To friends"},
    {TextId::SaveAsTitle, L"Save As"},
    {TextId::ExportFilter, L"Tables (*.CSV)|*.CSV|All files|*.*"},
    {TextId::ExportFailed, L"The file could not be saved."},
    {TextId::SettingsNotWritten, L"The settings could not be written to the file “%1”. The program goes on, and remembers the changed settings until it is closed."},
    {TextId::NewTextKept, L"The new text was left in the file “%1”."},
    {TextId::OldFileKept, L" The old file was left in the file “%1”."},
    {TextId::OldFileNotRemoved, L"The new file was written, but the old one could not be removed: it was left in the file “%1”."},
    {TextId::NoticeTitle, L"Addresses changed"},
    {TextId::MoreLines, L"…and %1 more"},
    {TextId::LinkLocalOnly, L"Only the link-local address %1 — %2"},
    {TextId::NoNetwork, L"No network connection"},
    {TextId::NetworkBack, L"Network connection restored"},
    {TextId::NoticePrimary, L"Primary address: %1 (%2)"},
    {TextId::NoticeNetwork, L"The primary address is now on the network “%1”: %2"},
    {TextId::NoticeWifi, L"The primary address is now on the Wi-Fi network “%1”: %2"},
    {TextId::TrayNetworkAddress, L"Network “%1” — %2"},
    {TextId::TrayWifiAddress, L"Wi-Fi “%1” — %2"},
    {TextId::LogCaption, L"Change Log"},
    {TextId::LogMenu, L"Log"},
    {TextId::LogCopy, L"Copy"},
    {TextId::LogSave, L"Save..."},
    {TextId::LogClose, L"Close"},
    {TextId::LogDropped, L"…earlier: %1"},
    {TextId::TipNoInterface, L"No information about interface %1."},
    {TextId::TipNone, L"none"},
    {TextId::TipInterface, L"Interface: %1"},
    {TextId::TipDescription, L"Description: %1"},
    {TextId::TipPhysicalAddress, L"Physical address: %1"},
    {TextId::TipState, L"State: %1"},
    {TextId::TipMtu, L"MTU: %1"},
    {TextId::TipGateway, L"Default gateway: %1"},
    {TextId::TipDnsServers, L"DNS servers: %1"},
    {TextId::TipPrimary, L"Primary address: %1metric %2"},
    {TextId::TipPrimaryGateway, L"gateway %1, "},
    {TextId::TipDhcpServer, L"DHCP server: %1"},
    {TextId::TipLeaseObtained, L"Lease obtained: %1"},
    {TextId::TipLeaseExpires, L"Lease expires: %1"},
    {TextId::TipNever, L"never"},
    {TextId::TipUnavailable, L"Interface information is unavailable: %1"},
    {TextId::TipNetwork, L"Network: %1"},
    {TextId::TipNetworkCategory, L"%1 (%2)"},
    {TextId::TipCategoryPublic, L"Public"},
    {TextId::TipCategoryPrivate, L"Private"},
    {TextId::TipCategoryDomain, L"Domain"},
    {TextId::TipReachInternet, L"Internet access"},
    {TextId::TipReachLocal, L"local network only"},
    {TextId::TipReachNone, L"no connectivity"},
    {TextId::TipWifi, L"Wi-Fi “%1”"},
    {TextId::TipLocationOff,
     L"Windows tells the Wi-Fi network's name only to programs allowed location access: "
     L"Settings → Privacy & security → Location."},
    {TextId::StateUp, L"up"},
    {TextId::StateDown, L"down"},
    {TextId::StateTesting, L"testing"},
    {TextId::StateUnknown, L"unknown"},
    {TextId::StateDormant, L"dormant"},
    {TextId::StateNotPresent, L"not present"},
    {TextId::StateLowerLayerDown, L"lower layer down"},
    {TextId::StateOther, L"unknown value %1"},
    // The window's errors
    {TextId::ErrListTooltip, L"The list's tooltip could not be created."},
    {TextId::ErrTooltipTool, L"The list's tooltip could not take the list as its tool."},
    {TextId::ErrFont, L"The window's font could not be created."},
    {TextId::ErrListRows, L"The list could not take %1 rows."},
    {TextId::ErrControls, L"The window's controls could not be created."},
    {TextId::ErrToolbarButtons, L"The toolbar's buttons could not be added."},
    {TextId::ErrListColumn, L"The list's column \"%1\" could not be added."},
    {TextId::ErrMainClass, L"The main window class could not be registered."},
    {TextId::ErrMainWindow, L"The main window could not be created."},
    {TextId::ErrMenuBarSet, L"The menu bar could not be set."},
    {TextId::ErrMenuBar, L"The menu bar could not be created."},
    {TextId::ErrMenuToBar, L"A menu could not be added to the menu bar."},
    {TextId::ErrExitRead, L"The Exit menu item could not be read."},
    {TextId::ErrExitChange, L"The Exit menu item could not be changed."},
    {TextId::ErrMenuToContext, L"A menu could not be added to the context menu."},
    {TextId::ErrMenuItem, L"A menu item could not be added."},
    {TextId::ErrTrayDefault, L"The icon's menu could not be given its default item."},
    {TextId::ErrPictureLoad, L"The picture %1 could not be loaded."},
    {TextId::ErrImageList, L"The toolbar's image list could not be created."},
    {TextId::ErrPictureAdd, L"The picture %1 could not be added to the toolbar."},
    {TextId::ErrLogonChange, L"The start at logon could not be changed in %1."},
    {TextId::ErrOwnPath, L"The program's own path could not be read."},
    {TextId::ErrLogClass, L"The log window's class could not be registered."},
    {TextId::ErrLogWindow, L"The log window could not be created."},
    {TextId::ErrLogList, L"The log's list could not be created."},
    {TextId::ErrCommonControls, L"The common controls could not be initialised."},
    {TextId::ErrAboutWindow, L"The About window could not be opened."},
    {TextId::ErrSystemFolder, L"The system folder could not be found."},
    {TextId::ErrSystemLibrary, L"The system library %1 could not be loaded."},
    {TextId::ErrSystemFunction, L"The function %1 is missing from the system library %2."},
    {TextId::ErrSaveAsDialog, L"The Save As dialog could not be shown (common dialog error %1)."},
    {TextId::ErrMenu, L"A menu could not be created."},
    {TextId::ErrShortcuts, L"The keyboard shortcuts could not be set up."},
    {TextId::ErrAppClass, L"The application window class could not be registered."},
    {TextId::ErrAppWindow, L"The application window could not be created."},
    {TextId::ErrIcon, L"The icon \"%1\" could not be loaded."},
    {TextId::ErrWindowPosition, L"The window's position could not be read."},
    {TextId::ErrWorkArea, L"The monitor's work area could not be read."},
    {TextId::ErrCentre, L"The window could not be centred."},
    {TextId::ErrNoMenuBar, L"The window has no menu bar."},
    {TextId::ErrMenuTitleRead, L"The menu title at position %1 could not be read."},
    {TextId::ErrMenuTitleChange, L"The menu title at position %1 could not be changed."},
    {TextId::ErrNoReadMe, L"There is no read-me file number %1."},
    {TextId::ErrReadMe, L"The read-me file %1 could not be opened."},
    {TextId::ErrClipboardBusy, L"The clipboard is in use by another program."},
    {TextId::ErrClipboardMemory, L"There is not enough memory to copy the text."},
    {TextId::ErrClipboardEmpty, L"The clipboard could not be emptied."},
    {TextId::ErrClipboardPut, L"The text could not be put on the clipboard."},
    // (the window's texts end here)

    // ---- The console twin ----
    {TextId::UnknownArgument, L"Unknown command-line argument: «%1». For the list of switches: Netpeek.exe /?"},
    {TextId::NoFileName, L"The switch %1 needs a file name after it (- or an empty name \"\" is standard output)."},
    {TextId::TwoSaves, L"More than one save switch is given; one of /scomma, /stab, /sjson, /shtml, /sprom is needed."},
    {TextId::NoColumn, L"The switch /sort needs a column after it: its number from 0 to %1 or its header."},
    {TextId::BadColumn, L"There is no such column: «%1». A column is given by its number from 0 to %2 or its header."},
    {TextId::TwoOrders, L"The switches /sort and /nosort are given at most once, and not together."},
    {TextId::OrderWithoutSave,
     L"The switches /sort and /nosort work only with a save switch: /scomma, /stab, /sjson, /shtml or /sprom."},
    {TextId::OrderWithWatch,
     L"The switches /sort and /nosort do not work with a watch switch: its lines come in the table's own order."},
    {TextId::TwoWatches, L"More than one watch switch is given; one of /wcomma, /wtab, /wjson, /wprom is needed."},
    {TextId::SaveAndWatch,
     L"The save switches (/scomma, /stab, /sjson, /shtml, /sprom) and the watch switches (/wcomma, /wtab, /wjson, "
     L"/wprom) are not given together."},
    {TextId::NoSeconds, L"The switch /wfor needs a number of seconds after it: a whole number from 1 to %1."},
    {TextId::BadSeconds, L"Wrong number of seconds: «%1». After /wfor a whole number from 1 to %2 is needed."},
    {TextId::SecondsWithoutWatch, L"The switch /wfor works only with a watch switch: /wcomma, /wtab, /wjson or /wprom."},
    {TextId::TwoIPv6, L"The switches /ipv6 and /noipv6 are given at most once, and not together."},
    {TextId::IPv6WithoutSave,
     L"The switches /ipv6 and /noipv6 work only with a save or watch switch: /scomma, /stab, /sjson, /shtml, /sprom, "
     L"/wcomma, /wtab, /wjson or /wprom."},
    {TextId::NoColumns,
     L"The switch /columns needs columns after it, separated by commas: numbers from 0 to %1 or headers, or all."},
    {TextId::BadColumns,
     L"There is no such column: «%1». Columns are given separated by commas, as numbers from 0 to %2 or headers, "
     L"or all."},
    {TextId::ColumnTwice, L"The column «%1» is given twice in /columns."},
    {TextId::SwitchTwice, L"The switch %1 is given at most once."},
    {TextId::WithoutSave,
     L"The switch %1 works only with a save or watch switch: /scomma, /stab, /sjson, /shtml, /sprom, /wcomma, "
     L"/wtab, /wjson or /wprom."},
    {TextId::ColumnsWithMetrics,
     L"The switch /columns is not given with /sprom and /wprom: the metrics' labels are always the same."},
    {TextId::ConnectedAndAll,
     L"The switches /connected and /allinterfaces are not given together: /allinterfaces shows every interface."},
    {TextId::TrayWithSave,
     L"The switch /tray opens the window in the notification area and is not given with a save or watch switch."},
    {TextId::Usage,
     L"Netpeek [/tray]\r\n"
     L"Netpeek /scomma | /stab | /sjson | /shtml | /sprom FILE [/sort [~]COLUMN | /nosort]\r\n"
     L"        [/ipv6 | /noipv6] [/columns LIST] [/allinterfaces | /connected]\r\n"
     L"        [/physical] [/primary]\r\n"
     L"Netpeek /wcomma | /wtab | /wjson | /wprom FILE [/wfor SECONDS]\r\n"
     L"        [/ipv6 | /noipv6] [/columns LIST] [/allinterfaces | /connected]\r\n"
     L"        [/physical] [/primary]\r\n"
     L"\r\n"
     L"Without switches the program opens its window; with /tray, hidden behind its\r\n"
     L"icon in the notification area when \"Minimize to Notification Area\" is on\r\n"
     L"(that is how \"Start at Windows Logon\" starts it).\r\n"
     L"With a save switch it writes the address table to a file, showing no window,\r\n"
     L"and ends:\r\n"
     L"  /scomma FILE     CSV, the same bytes as \"Export to File...\" (F2) writes;\r\n"
     L"  /stab FILE       fields separated by tabs, without quotes;\r\n"
     L"  /sjson FILE      a JSON array, one object for each row of the table;\r\n"
     L"  /shtml FILE      an HTML page with the table;\r\n"
     L"  /sprom FILE      Prometheus metrics, a series per address and their count\r\n"
     L"                   (for windows_exporter's textfile collector); no /columns.\r\n"
     L"  FILE - or \"\" is standard output (a file named \"-\" is .\\-).\r\n"
     L"  /sort COLUMN     sort by the column: its number from 0 or its header (IP);\r\n"
     L"                   ~ before it sorts descending (/sort ~IP).\r\n"
     L"  /nosort          the table's own order (ascending addresses).\r\n"
     L"  Without /sort and /nosort the sort chosen in the window applies.\r\n"
     L"  /ipv6            IPv6 addresses after the IPv4 ones;\r\n"
     L"  /noipv6          IPv4 addresses only.\r\n"
     L"  Without /ipv6 and /noipv6 as the window has it (\"Show IPv6 Addresses\").\r\n"
     L"  /columns LIST    columns separated by commas, in this order: numbers from 0\r\n"
     L"                   to 20 or headers (/columns IP,Name,Gateway); all is all 21.\r\n"
     L"  Without /columns the columns the window shows.\r\n"
     L"  /allinterfaces   every interface, those hidden in the window too;\r\n"
     L"  /connected       connected interfaces only, without the loopback;\r\n"
     L"  /physical        physical adapters only (Kind: Physical and Wi-Fi).\r\n"
     L"  Without them the interfaces the window shows.\r\n"
     L"  /primary         only the primary address of each family: the one that\r\n"
     L"                   traffic leaves through (Route: Default).\r\n"
     L"With a watch switch it writes a line for each row of the table (present), then\r\n"
     L"one for each change as soon as it sees it (added, removed; was and now are the\r\n"
     L"row before and after), with the fields Time and Event before the columns, until\r\n"
     L"it is stopped (Ctrl+C, the console closed, signing out) or the pipe is closed:\r\n"
     L"  /wcomma FILE     CSV lines under a line of headers;\r\n"
     L"  /wtab FILE       fields separated by tabs under a line of headers;\r\n"
     L"  /wjson FILE      JSON Lines: one object a line, without headers.\r\n"
     L"  The file is appended to, not replaced; a header goes only into a new or\r\n"
     L"  empty one.\r\n"
     L"  /wprom FILE      the metrics of /sprom and a count of changes: the file is\r\n"
     L"                   replaced whole at the start and after each change.\r\n"
     L"  /wfor SECONDS    end after that many seconds (a whole number from 1).\r\n"
     L"Switches are written with / or -, in any case. Exit code 0 is success, else\r\n"
     L"the Windows error number (87: wrong arguments, 13: a file of other lines)."},
    {TextId::ReadFailed, L"The address table could not be read."},
    {TextId::SaveFailed, L"The file «%1» could not be saved."},
    {TextId::OutputFailed, L"The table could not be written to standard output."},
    {TextId::ArgumentsFailed, L"The command line could not be parsed."},
    {TextId::StartFailed, L"«%1» could not be started."},
    {TextId::LogFailed, L"The log of changes in the file «%1» could not be kept."},
    {TextId::WatchOutputFailed, L"The changes could not be written to standard output."},
    {TextId::OtherLog,
     L"Its first line is no header of these lines (other columns or another format); the file is left as it was."},
    {TextId::WatchStopEvent, L"The watch's stop event could not be created."},
    {TextId::WatchWindowClass, L"The watch's window class could not be registered."},
    {TextId::HtmlIPv4Table, L"IPv4 address table"},
    {TextId::HtmlBothTable, L"IPv4 and IPv6 address table"},
    {TextId::HtmlMade, L"Made: %1"},
    {TextId::CellTooLong, L"A cell of the list is too long to be read."},
    {TextId::MessageLoopFailed, L"The message loop failed."},
    {TextId::AddrTableTooShort, L"The address table is %1 bytes long, too short to hold its row count."},
    {TextId::AddrTableNegative, L"The address table's row count is negative (%1)."},
    {TextId::AddrTableClaims, L"The address table claims %1 rows, but its %2 bytes hold only %3."},
    {TextId::IPv4Unreadable, L"The IPv4 address table could not be read."},
    {TextId::IPv4Growing, L"The IPv4 address table kept growing while it was being read."},
    {TextId::IPv4Unfollowed, L"Changes of the IPv4 address table cannot be followed."},
    {TextId::IPv6Unreadable, L"The IPv6 address table could not be read."},
    {TextId::IPv6Unfollowed, L"Changes of the IPv6 address table cannot be followed."},
    {TextId::RoutesUnreadable, L"The route table could not be read."},
    {TextId::AdaptersUnreadable, L"The network adapters could not be read."},
    {TextId::AdaptersGrowing, L"The list of network adapters kept growing while it was being read."},
    {TextId::AdaptersMalformed, L"The list of network adapters is malformed: %1"},
    {TextId::AdapterPart, L"adapter %1"},
    {TextId::AdapterFieldPart, L"adapter %1's %2"},
    {TextId::AdapterNameField, L"name"},
    {TextId::AdapterDescriptionField, L"description"},
    {TextId::AdapterGuidField, L"GUID"},
    {TextId::AdapterDhcpv4Field, L"DHCPv4 server"},
    {TextId::AdapterDhcpv6Field, L"DHCPv6 server"},
    {TextId::AdapterAddressEntry, L"address"},
    {TextId::AdapterAddressList, L"addresses"},
    {TextId::AdapterGatewayEntry, L"gateway"},
    {TextId::AdapterGatewayList, L"gateways"},
    {TextId::AdapterDnsEntry, L"DNS server"},
    {TextId::AdapterDnsList, L"DNS servers"},
    {TextId::PartOutside, L"%1 lies outside the buffer."},
    {TextId::PartRunsOut, L"%1 runs outside the buffer."},
    {TextId::PartTooShortForState, L"%1 is %2 bytes long, too short for its state."},
    {TextId::PartTooShortForAddress, L"%1 is %2 bytes long, too short for its address."},
    {TextId::PartTooShortForFamily, L"%1 is %2 bytes long, too short for %3."},
    {TextId::PartNotAscii, L"%1 is not ASCII."},
    {TextId::PartPhysicalAddress, L"%1 claims a physical address of %2 bytes."},
    {TextId::ListInCircle, L"adapter %1's %2 go round in a circle."},
    {TextId::ChainInCircle, L"its chain of adapters goes round in a circle."},
    {TextId::SettingsCutShort, L"The settings file is cut short within a character."},
    {TextId::SettingsNotUtf8, L"The settings file is marked as UTF-8 but is not UTF-8 text."},
    {TextId::SectionUnwritable, L"The section \"%1\" cannot be written as a line of a settings file."},
    {TextId::SettingsNotMoved, L"The settings could not be moved to %1; they stay in %2. %3"},
    {TextId::KeyUnreadable, L"%1 could not be read."},
    {TextId::KeyUndeletable, L"%1 could not be deleted."},
    {TextId::SettingUnstorable, L"The setting \"%1\" could not be stored in %2."},
    {TextId::SettingUndeletable, L"The setting \"%1\" could not be deleted from %2."},
    // (the console's texts end here)
};
static_assert(HoldsEveryText(kTexts), "every text, once, in the identifiers' order");

}  // namespace


extern const Language kEnglish{L"en", L"English", L"ReadMe.en.txt", kTexts};

}  // namespace netpeek
