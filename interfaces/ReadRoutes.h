#pragma once
// Reading the default routes and the interfaces' metrics from IP Helper.

#include <optional>

#include "interfaces/Routes.h"

namespace netpeek {

// The default routes of both families, in the table's order, with the interfaces' metrics and
// states where the interface table answers. Throws CError with the system's code when the route
// table cannot be read; an interface table that cannot be read (Wine's) leaves them unknown.
RouteTable ReadRoutes();

// The address Windows sends from on the route's interface, for a destination that only the
// default route reaches; none where Windows does not say (Wine does not).
std::optional<SocketAddress> BestSourceOf(const DefaultRoute& route);

}  // namespace netpeek
