#pragma once
// The list's columns, as data: the six it always shows, then the fifteen a user may add, each with
// its header and its width on a first run. A column is known by its place here, its id, whatever
// order the list shows it in and whichever of the extras it shows.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace netpeek {

enum ColumnId : int {
    kColInterface,
    kColIP,
    kColMask,
    kColBroadcast,
    kColRealmSize,
    kColType,
    // What the row's interface and its address's lease tell, shown once the user adds them.
    kColName,
    kColAdapter,
    kColMac,
    kColStatus,
    kColGateway,
    kColDns,
    kColDhcpServer,
    kColLeaseExpires,
    // "Default" on the primary address of each family: the one its traffic leaves by.
    kColRoute,
    // The connection behind the row's interface: the network Windows recognised on it, its
    // category, the reach of the row's family, the Wi-Fi network, the link's speed and its kind.
    kColNetwork,
    kColCategory,
    kColInternet,
    kColSsid,
    kColSpeed,
    kColKind,
};
inline constexpr std::size_t kBaseColumnCount = 6;
inline constexpr std::size_t kColumnCount = 21;

struct ListColumn {
    std::wstring_view header;
    int widthTwips;
};

// Every column, by id.
std::span<const ListColumn> ListColumns();
// Their headers, by id: what a save's header line, JSON keys and /sort and /columns go by.
std::vector<std::wstring_view> ColumnHeaders();
// The column with that header, whatever its case; none for another text.
std::optional<int> ColumnOfHeader(std::wstring_view header);

// The extra columns of a stored value: headers joined by ",", in the order the user added them.
// An unknown header, one of the six, a repeated one and an empty field are skipped, so a
// damaged value gives what can be read of it and never fails.
std::vector<int> ParseExtraColumns(std::wstring_view text);
std::wstring FormatExtraColumns(std::span<const int> columns);

}  // namespace netpeek
