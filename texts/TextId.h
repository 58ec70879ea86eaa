#pragma once
// One identifier for each text a person reads, in every language the program speaks. The tables of
// the languages list them in this order; a table that misses one does not build.

#include <cstdint>

namespace netpeek {

enum class TextId : std::uint16_t {
    // ---- The window: its menus, toolbar, boxes, row tooltip, icon and log window ----
    ErrorNumber,           // the error box's prefix before the description: %1 is the number
    NoReasonGiven,         // a failure Windows gave no code for
    MenuFile,
    MenuEdit,
    MenuHelp,
    MenuExport,
    MenuExit,
    MenuRefresh,
    MenuSelectAll,
    MenuDelete,
    MenuContents,
    MenuAbout,
    MenuCopy,
    MenuAutoRefresh,
    MenuShowIPv6,
    MenuHideInterface,       // %1: the interface's name
    MenuShowAllInterfaces,
    MenuChangeLog,
    MenuMinimizeToTray,
    MenuNotifyChanges,
    MenuConnectedOnly,
    MenuStartAtLogon,
    MenuCopyColumn,          // %1: the column's header
    MenuStoreBesideProgram,
    MenuColumns,             // the submenu of the extra columns
    MenuShowWindow,          // the icon's menu
    MenuCopyPrimary,         // the icon's menu
    MenuPhysicalOnly,
    ButtonExport,
    ButtonRefresh,
    ButtonAbout,
    ButtonExportTip,
    ButtonRefreshTip,
    ButtonAboutTip,
    AboutCaption,
    AboutVersion,            // %1: the file's version
    AboutDedication,
    SaveAsTitle,             // empty for the system's own title
    ExportFilter,            // pairs of a description and a pattern, each but the last followed by a bar
    ExportFailed,
    SettingsNotWritten,      // %1: the file's full name
    NewTextKept,
    OldFileKept,             // follows NewTextKept
    OldFileNotRemoved,
    NoticeTitle,
    MoreLines,               // %1: how many lines were left out
    LinkLocalOnly,           // %1: the address, %2: its interface
    NoNetwork,
    NetworkBack,
    NoticePrimary,           // %1: the address, %2: its interface
    NoticeNetwork,           // %1: the network's name, %2: the primary address
    NoticeWifi,              // %1: the Wi-Fi network's name, %2: the primary address
    TrayNetworkAddress,      // the icon's tip: %1: the network's name, %2: the primary address
    TrayWifiAddress,         // the icon's tip: %1: the Wi-Fi network's name, %2: the primary address
    LogCaption,
    LogMenu,
    LogCopy,
    LogSave,
    LogClose,
    LogDropped,              // %1: how many lines no longer kept
    TipNoInterface,          // %1: the interface's index
    TipNone,                 // a value the interface has none of
    TipInterface,
    TipDescription,
    TipPhysicalAddress,
    TipState,
    TipMtu,
    TipGateway,
    TipDnsServers,
    TipPrimary,              // %1: TipPrimaryGateway or nothing, %2: the metric
    TipPrimaryGateway,
    TipDhcpServer,
    TipLeaseObtained,
    TipLeaseExpires,
    TipNever,
    TipUnavailable,          // %1: the reason
    TipNetwork,              // %1: the network's name and category, and the Internet's reach
    TipNetworkCategory,      // %1: the network's name, %2: its category
    TipCategoryPublic,
    TipCategoryPrivate,
    TipCategoryDomain,
    TipReachInternet,
    TipReachLocal,
    TipReachNone,
    TipWifi,                 // %1: the Wi-Fi network's name
    TipLocationOff,          // how to let Windows tell the Wi-Fi network's name
    StateUp,                 // the interface's state in the row's tooltip
    StateDown,
    StateTesting,
    StateUnknown,
    StateDormant,
    StateNotPresent,
    StateLowerLayerDown,
    StateOther,              // %1: the state's number
    // The window's errors
    ErrListTooltip,
    ErrTooltipTool,
    ErrFont,
    ErrListRows,
    ErrControls,
    ErrToolbarButtons,
    ErrListColumn,
    ErrMainClass,
    ErrMainWindow,
    ErrMenuBarSet,
    ErrMenuBar,
    ErrMenuToBar,
    ErrExitRead,
    ErrExitChange,
    ErrMenuToContext,
    ErrMenuItem,
    ErrTrayDefault,
    ErrPictureLoad,
    ErrImageList,
    ErrPictureAdd,
    ErrLogonChange,
    ErrOwnPath,
    ErrLogClass,
    ErrLogWindow,
    ErrLogList,
    ErrCommonControls,
    ErrAboutWindow,
    ErrSystemFolder,
    ErrSystemLibrary,
    ErrSystemFunction,
    ErrSaveAsDialog,
    ErrMenu,
    ErrShortcuts,
    ErrAppClass,
    ErrAppWindow,
    ErrIcon,
    ErrWindowPosition,
    ErrWorkArea,
    ErrCentre,
    ErrNoMenuBar,
    ErrMenuTitleRead,
    ErrMenuTitleChange,
    ErrNoReadMe,
    ErrReadMe,
    ErrClipboardBusy,
    ErrClipboardMemory,
    ErrClipboardEmpty,
    ErrClipboardPut,
    // (the window's texts end here)

    // ---- The console twin: its usage, its errors, the saves, the export and the HTML page ----
    UnknownArgument,       // %1: the argument
    NoFileName,            // %1: the save's or watch's switch as typed
    TwoSaves,
    NoColumn,              // %1: the last column's number
    BadColumn,             // %1: the column as typed, %2: the last column's number
    TwoOrders,
    OrderWithoutSave,
    OrderWithWatch,
    TwoWatches,
    SaveAndWatch,
    NoSeconds,             // %1: the most seconds
    BadSeconds,            // %1: the seconds as typed, %2: the most seconds
    SecondsWithoutWatch,
    TwoIPv6,
    IPv6WithoutSave,
    NoColumns,             // %1: the last column's number
    BadColumns,            // %1: the column as typed, %2: the last column's number
    ColumnTwice,           // %1: the column as typed
    SwitchTwice,           // %1: the switch
    WithoutSave,           // %1: the switch
    ColumnsWithMetrics,
    ConnectedAndAll,
    TrayWithSave,
    Usage,                 // /?: several lines
    ReadFailed,            // what a save or watch was doing when it failed, before the error itself
    SaveFailed,            // %1: the file
    OutputFailed,
    ArgumentsFailed,
    StartFailed,           // %1: the program started for the window
    LogFailed,             // %1: the watch's log
    WatchOutputFailed,
    OtherLog,              // a log whose first line is no header of the watch's lines
    WatchStopEvent,
    WatchWindowClass,
    HtmlIPv4Table,         // the HTML page's title and heading, the page holding IPv4 rows only
    HtmlBothTable,         // the same, the page holding IPv4 and IPv6 rows
    HtmlMade,              // %1: when the page was made, after the program's name
    // Errors the program finds itself, before the system's own description where it has one
    CellTooLong,
    MessageLoopFailed,
    AddrTableTooShort,     // %1: its bytes
    AddrTableNegative,     // %1: the count
    AddrTableClaims,       // %1: the count, %2: its bytes, %3: the rows they hold
    IPv4Unreadable,
    IPv4Growing,
    IPv4Unfollowed,
    IPv6Unreadable,
    IPv6Unfollowed,
    RoutesUnreadable,
    AdaptersUnreadable,
    AdaptersGrowing,
    AdaptersMalformed,     // %1: what is wrong, as the texts below say it
    AdapterPart,           // %1: the adapter's number
    AdapterFieldPart,      // %1: the adapter's number, %2: its field (with the entry's number in a list)
    AdapterNameField,
    AdapterDescriptionField,
    AdapterGuidField,
    AdapterDhcpv4Field,
    AdapterDhcpv6Field,
    AdapterAddressEntry,
    AdapterAddressList,
    AdapterGatewayEntry,
    AdapterGatewayList,
    AdapterDnsEntry,
    AdapterDnsList,
    PartOutside,           // %1: the part
    PartRunsOut,           // %1: the part
    PartTooShortForState,  // %1: the part, %2: its bytes
    PartTooShortForAddress, // %1: the part, %2: its bytes
    PartTooShortForFamily, // %1: the part, %2: its bytes, %3: IPv4 or IPv6
    PartNotAscii,          // %1: the part
    PartPhysicalAddress,   // %1: the part, %2: the bytes it claims
    ListInCircle,          // %1: the adapter's number, %2: the list
    ChainInCircle,
    SettingsCutShort,
    SettingsNotUtf8,
    SectionUnwritable,     // %1: the section
    SettingsNotMoved,      // %1: where to, %2: where they stay, %3: why
    KeyUnreadable,         // %1: the registry key
    KeyUndeletable,        // %1: the registry key
    SettingUnstorable,     // %1: the value's name, %2: the registry key
    SettingUndeletable,    // %1: the value's name, %2: the registry key
    // (the console's texts end here)

    Count
};

}  // namespace netpeek
