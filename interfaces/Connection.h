#pragma once
// The connection behind an interface: what kind of link it is and how fast (GetIfTable2), the
// network Windows recognised on it (the Network List Manager) and the Wi-Fi network it joined
// (the WLAN API), as plain values, and the rules that turn them into the list's cells.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netpeek {

// A speed Windows does not know: it gives the largest number (-1 as a ULONG64).
inline constexpr std::uint64_t kUnknownSpeed = ~std::uint64_t{0};

// What GetIfTable2 tells of an interface, by the values of MIB_IF_ROW2.
struct LinkInfo {
    std::uint32_t type = 0;            // IANA's ifType (IFTYPE)
    std::uint32_t tunnelType = 0;      // TUNNEL_TYPE; 0 (TUNNEL_TYPE_NONE) for none
    std::uint32_t mediaType = 0;       // NDIS_MEDIUM
    std::uint32_t physicalMedium = 0;  // NDIS_PHYSICAL_MEDIUM
    bool hardware = false;             // InterfaceAndOperStatusFlags.HardwareInterface
    bool filter = false;               // InterfaceAndOperStatusFlags.FilterInterface
    std::uint64_t transmitSpeed = kUnknownSpeed;  // bits per second
    std::uint64_t receiveSpeed = kUnknownSpeed;
    friend bool operator==(const LinkInfo&, const LinkInfo&) = default;
};
// The links by UpperName of their interface's GUID as "{...}", as AdapterName gives it.
using LinkMap = std::map<std::wstring, LinkInfo>;

// The kind of an interface, as the "Kind" column names it.
enum class LinkKind { Physical, WiFi, Virtual, Vpn, Loopback };
LinkKind KindOf(const LinkInfo& link);
std::wstring_view KindText(LinkKind kind);
// Whether the interface is a hardware adapter (Physical or Wi-Fi): what "only the physical
// adapters" keeps.
bool IsHardware(const LinkInfo& link);

// A link's speed as Windows shows it in the adapter's status: bits per second in units of 1000,
// at most one decimal, "1 Gbit/s", "866.7 Mbit/s"; where the two directions differ, receive
// first, then transmit, both in the slower one's unit: "866.7/433.3 Mbit/s", "1000/100 Mbit/s".
// Plain ASCII, since scripts read the saves. Empty when neither is known or above 0.
std::wstring SpeedText(std::uint64_t receive, std::uint64_t transmit);

// NLM_NETWORK_CATEGORY and NLM_CONNECTIVITY's flags, as the Network List Manager gives them.
inline constexpr std::int32_t kCategoryPublic = 0;
inline constexpr std::int32_t kCategoryPrivate = 1;
inline constexpr std::int32_t kCategoryDomain = 2;  // NLM_NETWORK_CATEGORY_DOMAIN_AUTHENTICATED
inline constexpr std::uint32_t kConnectivityIPv4Subnet = 0x10;
inline constexpr std::uint32_t kConnectivityIPv4Local = 0x20;
inline constexpr std::uint32_t kConnectivityIPv4Internet = 0x40;
inline constexpr std::uint32_t kConnectivityIPv6Subnet = 0x100;
inline constexpr std::uint32_t kConnectivityIPv6Local = 0x200;
inline constexpr std::uint32_t kConnectivityIPv6Internet = 0x400;

// One of the Network List Manager's connections: the adapter it is on and its network.
struct NetworkConnection {
    std::wstring adapter;  // UpperName of the adapter's GUID as "{...}"
    std::wstring name;     // the network's name: a Wi-Fi network's, a domain's, "Network 2"
    std::int32_t category = kCategoryPublic;
    std::int32_t domainType = 0;        // NLM_DOMAIN_TYPE
    std::uint32_t connectivity = 0;     // NLM_CONNECTIVITY flags of the connection
    friend bool operator==(const NetworkConnection&, const NetworkConnection&) = default;
};

std::wstring_view CategoryText(std::int32_t category);
// The reach of a family (4 or 6): the Internet, its subnet or a local network only, or none.
enum class Reach { Internet, Local, None };
Reach FamilyReach(std::uint32_t connectivity, std::uint8_t family);
// The reach as the "Internet" column says it: "Internet", "Local", "None".
std::wstring_view ReachText(std::uint32_t connectivity, std::uint8_t family);

// What the WLAN API tells of a Wi-Fi interface.
enum class WifiState {
    None,             // not a Wi-Fi interface, or not asked
    Connected,        // joined to the network `ssid`
    Disconnected,     // a Wi-Fi interface joined to none
    LocationRefused,  // Windows refuses the SSID: the user has not allowed this program location access
    NoService,        // the WLAN API or its service is missing: the SSID is not known
};
struct WifiInfo {
    WifiState state = WifiState::None;
    std::wstring ssid;
    friend bool operator==(const WifiInfo&, const WifiInfo&) = default;
};
// One read of the WLAN API: each Wi-Fi interface by UpperName of its GUID, or, where the API or
// its service cannot be reached, none and `service` false.
struct WifiRead {
    bool service = true;
    std::map<std::wstring, WifiInfo> interfaces;
};
// The "SSID" cell: the network's name, a brief word where Windows refuses it, else empty.
std::wstring_view SsidText(const WifiInfo& wifi);

// A GUID's 16 bytes (as the structure lies in memory) as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::wstring GuidText(const std::uint8_t (&bytes)[16]);

// What a read of the connections found, joined to the adapters by their GUID: each part absent
// where it was not read or could not be.
struct ConnectionReads {
    const LinkMap* links = nullptr;
    bool speeds = false;  // the links' speeds are wanted: they change often on Wi-Fi, and cost a re-made row
    const std::vector<NetworkConnection>* networks = nullptr;
    const WifiRead* wifi = nullptr;
};

struct AdapterInfo;
// Gives each adapter what the reads found for its GUID; where the WLAN API cannot be reached, each
// Wi-Fi interface (by its type) learns that its SSID is not known.
void JoinConnections(std::map<std::uint32_t, AdapterInfo>& adapters, const ConnectionReads& reads);

}  // namespace netpeek
