#pragma once
// What the notification area's icon says: its tip, the addresses a person looks for, and the
// notice of what changed, each fitted into the room Windows gives it without cutting a line.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/AdapterInfo.h"
#include "interfaces/InterfaceText.h"
#include "interfaces/NetworkState.h"
#include "interfaces/Routes.h"
#include "rows/ChangeLines.h"
#include "rows/ListRow.h"

namespace netpeek {

// The characters a tip and a notice's text may hold, their NUL left out (szTip, szInfo).
inline constexpr std::size_t kTipLimit = 127;
inline constexpr std::size_t kNoticeLimit = 255;
// The lines a notice shows before the count of the others.
inline constexpr std::size_t kNoticeLines = 3;

// The network a primary address is on, as the icon names it: for Wi-Fi the network it joined, else
// the network Windows recognised on its interface.
struct PrimaryNetwork {
    std::wstring name;
    bool wifi = false;
    std::wstring address;
    friend bool operator==(const PrimaryNetwork&, const PrimaryNetwork&) = default;
};
// The network of the first primary address (IPv4's); none where Windows names none for it.
std::optional<PrimaryNetwork> PrimaryNetworkOf(const ListRows& rows, const AdapterMap& adapters,
                                               std::span<const RowKey> primary);

// One line per address of an interface that is up and not a loopback, "192.168.1.20 — Ethernet",
// the primary addresses first (IPv4's), each named by its network where Windows names one
// ("Wi-Fi «Home» — 192.168.1.23"), then the others in the rows' order (the IPv4 rows come
// first); an interface the adapters do not know is left out.
std::vector<std::wstring> AddressLines(const ListRows& rows, const AdapterMap& adapters,
                                       std::span<const RowKey> primary = {});

// `first` (when not empty), then as many of `lines` as fit in `limit` characters, at most
// `most`, each on a line of its own, and the count of those left out; a line is never cut.
std::wstring FitLines(std::wstring_view first, const std::vector<std::wstring>& lines, std::size_t limit,
                      std::size_t most);

// The network's look, as the icon shows it (ReachOf's rule).
struct NetworkLook {
    NetworkState state = NetworkState::Connected;
    std::wstring words;  // how the tip's first line and the notice say it
    friend bool operator==(const NetworkLook&, const NetworkLook&) = default;
};
NetworkLook LookOf(const AdapterMap& adapters);

// The tip: "Netpeek" (or where the network is not connected, the look's words), then the
// address lines that fit.
std::wstring TipText(const std::vector<std::wstring>& lines, const NetworkLook& look = {});


// A burst's changes as a person reads them: first the network's new look where it changed
// ("No network connection"), then the network the primary address moved to where it did, then
// where the traffic now leaves, for each family
// whose primary address moved, "Primary address: 10.8.0.6 (VPN)"; then "+ 10.0.0.2 (Ethernet)" for one that came,
// "− 10.8.0.6 (VPN)" for one that went, and "10.0.0.1 → 10.0.0.2 (Ethernet)" where an address of
// an interface went while another of the same interface and family came; an interface of no
// known name by its index. A row whose cells changed with its address kept is no change of
// address, and gives none.
std::vector<std::wstring> NoticeLines(const std::vector<ChangeLine>& burst, const InterfaceNames& names,
                                      const std::vector<PrimaryAddress>& primaryMoved = {},
                                      const std::optional<NetworkLook>& look = std::nullopt,
                                      const std::optional<PrimaryNetwork>& network = std::nullopt);

// The notice's text: three of those lines at most, and the count of the others.
std::wstring NoticeText(const std::vector<std::wstring>& lines);

}  // namespace netpeek
