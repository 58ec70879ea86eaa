// Which address is the primary one: the route Windows takes to the internet and the address it
// sends from, on route tables built by hand.
#include <gtest/gtest.h>

#include "interfaces/InterfaceText.h"
#include "interfaces/Routes.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

// A default route of the family.
Route Default(std::uint32_t index, std::uint32_t metric, std::optional<SocketAddress> nextHop = std::nullopt,
              std::uint8_t family = 4) {
    return {family, index, nextHop, metric};
}

// A route to a prefix, of the prefix's family.
Route To(const SocketAddress& prefix, std::uint8_t length, std::uint32_t index, std::uint32_t metric,
         std::optional<SocketAddress> nextHop = std::nullopt) {
    return {prefix.family, index, nextHop, metric, prefix.bytes, length};
}

SourceAddress Source(std::uint32_t index, SocketAddress address, std::uint8_t prefix) {
    return {index, address, prefix, true, false};
}

// An IPv6 address from its groups, the rest 0: Six({0x8000}) is 8000::.
SocketAddress Six(const std::array<std::uint16_t, 8>& groups) {
    SocketAddress address;
    address.family = 6;
    address.bytes = V6(groups).Bytes;
    return address;
}

const auto kAllUp = [](std::uint32_t) { return true; };

// The primary address as a user reads it: "10.8.0.6 on 7 by 10.8.0.5, metric 50", or "none".
std::wstring Primary(const RouteTable& table, std::uint8_t family, const std::vector<SourceAddress>& sources,
                     const std::optional<BestRoute>& windows = std::nullopt) {
    const std::optional<PrimaryAddress> primary =
        ChoosePrimary(table, family, kAllUp, windows, [&](std::uint32_t) { return sources; });
    if (!primary)
        return L"none";
    std::wstring text = AddressText(primary->address) + L" on " + std::to_wstring(primary->index);
    if (primary->gateway)
        text += L" by " + AddressText(*primary->gateway);
    return text + L", metric " + std::to_wstring(primary->metric);
}

}  // namespace

// Of the default routes alone, the lowest metric wins, the route's own plus its interface's where
// the interface table answers; a tie goes to the lower index; an interface that is down, or not
// connected, takes no traffic.
TEST(PrimaryAddress, TheDefaultRouteOfTheLowestMetricOfAnInterfaceThatIsUp) {
    const SocketAddress internet = InternetDestination(4);
    RouteTable table;
    table.routes = {Default(7, 25), Default(3, 40), Default(5, 10, std::nullopt, 6)};
    EXPECT_EQ(ChooseRoute(table, internet, kAllUp)->index, 7u) << "the route table alone, as under Wine";
    table.interfaces[{4, 7}] = {30, true};
    table.interfaces[{4, 3}] = {5, true};
    std::optional<Route> chosen = ChooseRoute(table, internet, kAllUp);
    EXPECT_EQ(chosen->index, 3u);
    EXPECT_EQ(chosen->metric, 45u) << "its own 40 and its interface's 5";
    table.interfaces[{4, 7}].metric = 20;
    EXPECT_EQ(ChooseRoute(table, internet, kAllUp)->index, 3u) << "a tie of 45: the lower index";
    table.interfaces[{4, 3}].connected = false;
    EXPECT_EQ(ChooseRoute(table, internet, kAllUp)->index, 7u);
    table.interfaces.clear();
    EXPECT_EQ(ChooseRoute(table, internet, [](std::uint32_t index) { return index != 7; })->index, 3u)
        << "down, as the adapters tell where the interface table does not";
    EXPECT_EQ(ChooseRoute(table, InternetDestination(6), kAllUp)->index, 5u);
    EXPECT_FALSE(ChooseRoute(RouteTable{}, internet, kAllUp));
}

// A LAN (interface 2, default route by 192.168.1.1) and a VPN (interface 7) that takes all traffic
// with two half routes of a worse metric, in a table as Windows keeps it: the VPN's address is the
// one the internet sees, until a route more specific still, or the VPN's going, gives the LAN's.
TEST(PrimaryAddress, AVpnsHalfRoutesWinTheInternetOverTheDefaultRoute) {
    const std::vector<SourceAddress> sources = {Source(2, V4(192, 168, 1, 10), 24), Source(7, V4(10, 8, 0, 6), 24)};
    RouteTable table;
    table.routes = {To(V4(127, 0, 0, 0), 8, 1, 256),
                    Default(2, 25, V4(192, 168, 1, 1)),
                    To(V4(192, 168, 1, 0), 24, 2, 281),
                    To(V4(203, 0, 113, 7), 32, 2, 25, V4(192, 168, 1, 1)),  // the VPN's server, by the LAN
                    To(V4(0, 0, 0, 0), 1, 7, 50, V4(10, 8, 0, 5)),
                    To(V4(128, 0, 0, 0), 1, 7, 50, V4(10, 8, 0, 5)),
                    To(V4(224, 0, 0, 0), 4, 2, 281),
                    To(V4(255, 255, 255, 255), 32, 2, 281)};
    EXPECT_EQ(Primary(table, 4, sources), L"10.8.0.6 on 7 by 10.8.0.5, metric 50");

    table.routes.push_back(To(V4(198, 41, 0, 0), 16, 2, 100, V4(192, 168, 1, 254)));  // the office's, by the LAN
    EXPECT_EQ(Primary(table, 4, sources), L"192.168.1.10 on 2 by 192.168.1.254, metric 100");
    table.routes.pop_back();

    table.interfaces[{4, 7}].connected = false;
    EXPECT_EQ(Primary(table, 4, sources), L"192.168.1.10 on 2 by 192.168.1.1, metric 25")
        << "the tunnel down, its routes still there";
    table.interfaces.clear();
    table.routes.erase(table.routes.begin() + 4, table.routes.begin() + 6);
    EXPECT_EQ(Primary(table, 4, sources), L"192.168.1.10 on 2 by 192.168.1.1, metric 25") << "the VPN gone";
}

// The same for IPv6: a tunnel's ::/1 and 8000::/1 beside the LAN's ::/0.
TEST(PrimaryAddress, AnIPv6VpnsHalfRoutesWinTheInternetOverTheDefaultRoute) {
    const std::vector<SourceAddress> sources = {Source(2, Six({0x2001, 0xdb8, 1, 0, 0, 0, 0, 0x10}), 64),
                                                Source(7, Six({0x2001, 0xdb8, 7, 0, 0, 0, 0, 0x76}), 64)};
    RouteTable table;
    table.routes = {Default(2, 256, Six({0xfe80, 0, 0, 0, 0, 0, 0, 1}), 6), To(Six({0xfe80}), 64, 2, 256),
                    To(Six({}), 1, 7, 1000), To(Six({0x8000}), 1, 7, 1000)};
    EXPECT_EQ(Primary(table, 6, sources), L"2001:db8:7::76 on 7, metric 1000");
    table.routes.resize(2);
    EXPECT_EQ(Primary(table, 6, sources), L"2001:db8:1::10 on 2 by fe80::1, metric 256") << "the VPN gone";
}

// Where Windows answers for the internet, its route and source stand whatever the table says, the
// interface's metric added; a source that is not the interface's own is no answer for the address.
TEST(PrimaryAddress, WindowsOwnAnswerStandsOverTheRouteTable) {
    const std::vector<SourceAddress> sources = {Source(2, V4(192, 168, 1, 10), 24), Source(9, V4(172, 16, 0, 9), 16),
                                                Source(9, V4(172, 16, 4, 4), 16)};
    RouteTable table;
    table.routes = {Default(2, 25, V4(192, 168, 1, 1))};
    table.interfaces[{4, 9}] = {15, true};
    BestRoute windows{To(V4(128, 0, 0, 0), 1, 9, 5, V4(172, 16, 0, 1)), V4(172, 16, 4, 4)};
    EXPECT_EQ(Primary(table, 4, sources, windows), L"172.16.4.4 on 9 by 172.16.0.1, metric 20");
    windows.source = V4(192, 168, 1, 10);
    EXPECT_EQ(Primary(table, 4, sources, windows), L"172.16.0.9 on 9 by 172.16.0.1, metric 20")
        << "the route's interface stands; its address by the next hop";
}

// The address the route's interface sends from where Windows does not say: for IPv4 the one whose
// prefix holds the next hop, or without a next hop the first; for IPv6 a preferred global one,
// temporary before stable.
TEST(PrimaryAddress, TheSourceWhereWindowsDoesNotSay) {
    RouteTable table;
    table.routes = {Default(4, 10, V4(10, 1, 0, 254))};
    const std::vector<SourceAddress> sources = {Source(2, V4(10, 1, 0, 9), 24), Source(4, V4(192, 168, 5, 2), 24),
                                                Source(4, V4(10, 1, 0, 7), 24)};
    EXPECT_EQ(Primary(table, 4, sources), L"10.1.0.7 on 4 by 10.1.0.254, metric 10")
        << "the prefix that holds 10.1.0.254, on interface 4";
    table.routes = {Default(4, 10)};
    EXPECT_EQ(Primary(table, 4, sources), L"192.168.5.2 on 4, metric 10") << "a VPN's route: the first";
    EXPECT_EQ(Primary(table, 4, {}), L"none") << "an interface without an address";

    table.routes = {Default(9, 256, std::nullopt, 6)};
    SourceAddress link = Source(9, Six({0xfe80, 0, 0, 0, 0, 0, 0, 1}), 64);
    SourceAddress stable = Source(9, Six({0x2001, 0xdb8, 0, 0, 0, 0, 0, 0x11}), 64);
    SourceAddress temporary = Source(9, Six({0x2001, 0xdb8, 0, 0, 0, 0, 0, 0x22}), 64), deprecated = temporary;
    temporary.temporary = deprecated.temporary = true;
    deprecated.preferred = false;
    deprecated.address = Six({0x2001, 0xdb8, 0, 0, 0, 0, 0, 0x33});
    EXPECT_EQ(Primary(table, 6, {link, deprecated, stable, temporary}), L"2001:db8::22 on 9, metric 256");
    EXPECT_EQ(Primary(table, 6, {link, deprecated, stable}), L"2001:db8::11 on 9, metric 256");
    EXPECT_EQ(Primary(table, 6, {link, deprecated}), L"none");
}
