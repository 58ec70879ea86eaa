#pragma once
// Reading the route table and the interfaces' metrics from IP Helper, and asking it which route
// and source address a destination takes.

#include <optional>

#include "interfaces/Routes.h"

namespace netpeek {

// Every route of both families, in the table's order, with the interfaces' metrics and states
// where the interface table answers. Throws CError with the system's code when the route table
// cannot be read; an interface table that cannot be read (Wine's) leaves them unknown.
RouteTable ReadRoutes();

// The route Windows takes to the destination, over whichever interface it chooses, and the address
// it sends from (GetBestRoute2, which sends nothing); none where it does not say (Wine does not).
std::optional<BestRoute> BestRouteTo(const SocketAddress& destination);

}  // namespace netpeek
