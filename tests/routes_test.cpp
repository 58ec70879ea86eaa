// Which address is the primary one: the default route Windows takes and the address it sends from,
// on route tables built by hand.
#include <gtest/gtest.h>

#include "interfaces/Routes.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

DefaultRoute Route(std::uint32_t index, std::uint32_t metric, std::optional<SocketAddress> nextHop = std::nullopt,
                   std::uint8_t family = 4) {
    return {family, index, nextHop, metric};
}

SourceAddress Source(std::uint32_t index, SocketAddress address, std::uint8_t prefix) {
    return {index, address, prefix, true, false};
}

SocketAddress Six(std::uint16_t first, std::uint16_t last) {
    SocketAddress address;
    address.family = 6;
    address.bytes = V6({first, 0xdb8, 0, 0, 0, 0, 0, last}).Bytes;
    return address;
}

const auto kAllUp = [](std::uint32_t) { return true; };

}  // namespace

// The lowest metric wins, the route's own plus its interface's where the interface table answers;
// a tie goes to the lower index; an interface that is down, or not connected, takes no traffic.
TEST(PrimaryAddress, TheDefaultRouteOfTheLowestMetricOfAnInterfaceThatIsUp) {
    RouteTable table;
    table.routes = {Route(7, 25), Route(3, 40), Route(5, 10, std::nullopt, 6)};
    EXPECT_EQ(ChooseDefaultRoute(table, 4, kAllUp)->index, 7u) << "the route table alone, as under Wine";
    table.interfaces[{4, 7}] = {30, true};
    table.interfaces[{4, 3}] = {5, true};
    std::optional<DefaultRoute> chosen = ChooseDefaultRoute(table, 4, kAllUp);
    EXPECT_EQ(chosen->index, 3u);
    EXPECT_EQ(chosen->metric, 45u) << "its own 40 and its interface's 5";
    table.interfaces[{4, 7}].metric = 20;
    EXPECT_EQ(ChooseDefaultRoute(table, 4, kAllUp)->index, 3u) << "a tie of 45: the lower index";
    table.interfaces[{4, 3}].connected = false;
    EXPECT_EQ(ChooseDefaultRoute(table, 4, kAllUp)->index, 7u);
    table.interfaces.clear();
    EXPECT_EQ(ChooseDefaultRoute(table, 4, [](std::uint32_t index) { return index != 7; })->index, 3u)
        << "down, as the adapters tell where the interface table does not";
    EXPECT_EQ(ChooseDefaultRoute(table, 6, kAllUp)->index, 5u);
    EXPECT_FALSE(ChooseDefaultRoute(RouteTable{}, 4, kAllUp));
}

// The address Windows names wins where it is one of the interface's own; else, for IPv4, the one
// whose prefix holds the next hop, or without a next hop the first; for IPv6 a preferred global
// one, temporary before stable.
TEST(PrimaryAddress, TheSourceIsWindowsOwnAnswerOrTheRule) {
    RouteTable table;
    table.routes = {Route(4, 10, V4(10, 1, 0, 254))};
    const std::vector<SourceAddress> sources = {Source(2, V4(10, 1, 0, 9), 24), Source(4, V4(192, 168, 5, 2), 24),
                                                Source(4, V4(10, 1, 0, 7), 24)};
    const auto none = [](const DefaultRoute&) { return std::optional<SocketAddress>(); };
    std::optional<PrimaryAddress> primary = ChoosePrimary(table, 4, kAllUp, sources, none);
    ASSERT_TRUE(primary);
    EXPECT_EQ(primary->address, V4(10, 1, 0, 7)) << "the prefix that holds 10.1.0.254, on interface 4";
    EXPECT_EQ(primary->gateway, V4(10, 1, 0, 254));
    EXPECT_EQ(primary->metric, 10u);
    const auto windows = [](const DefaultRoute&) { return std::optional<SocketAddress>(V4(192, 168, 5, 2)); };
    EXPECT_EQ(ChoosePrimary(table, 4, kAllUp, sources, windows)->address, V4(192, 168, 5, 2));
    const auto elsewhere = [](const DefaultRoute&) { return std::optional<SocketAddress>(V4(10, 1, 0, 9)); };
    EXPECT_EQ(ChoosePrimary(table, 4, kAllUp, sources, elsewhere)->address, V4(10, 1, 0, 7))
        << "another interface's address is no answer for this route";
    table.routes = {Route(4, 10)};
    EXPECT_EQ(ChoosePrimary(table, 4, kAllUp, sources, none)->address, V4(192, 168, 5, 2)) << "a VPN's route: the first";
    EXPECT_FALSE(ChoosePrimary(table, 4, kAllUp, {}, none)) << "an interface without an address";

    table.routes = {Route(9, 256, std::nullopt, 6)};
    SourceAddress link = Source(9, Six(0xfe80, 1), 64), stable = Source(9, Six(0x2001, 0x11), 64);
    SourceAddress temporary = Source(9, Six(0x2001, 0x22), 64), deprecated = temporary;
    temporary.temporary = deprecated.temporary = true;
    deprecated.preferred = false;
    deprecated.address = Six(0x2001, 0x33);
    EXPECT_EQ(ChoosePrimary(table, 6, kAllUp, std::vector{link, deprecated, stable, temporary}, none)->address,
              temporary.address);
    EXPECT_EQ(ChoosePrimary(table, 6, kAllUp, std::vector{link, deprecated, stable}, none)->address, stable.address);
    EXPECT_FALSE(ChoosePrimary(table, 6, kAllUp, std::vector{link, deprecated}, none));
}
