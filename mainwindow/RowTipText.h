#pragma once
// The text of the tooltip that names the interface of the row under the pointer, in the language in
// use.

#include <cstdint>
#include <string>
#include <string_view>

#include "interfaces/AdapterInfo.h"
#include "interfaces/Routes.h"
#include "rows/InterfaceTip.h"
#include "rows/ListRow.h"

namespace netpeek {

// One labelled line each for the interface's name, description, physical address, state and
// MTU, its gateways of the row's family and its DNS servers; the network Windows recognised on it
// with its category, the Internet's reach for the row's family and the Wi-Fi network's name, or
// how to let Windows tell that name, where known; for the primary address of its
// family (`primary`, where the row is it), the route its traffic takes; for an address from DHCP,
// its server and its lease (`lease`, when known); for an index that no adapter has, one line
// saying so.
std::wstring InterfaceTipText(const RowKey& row, const AdapterMap& adapters, const TipLease* lease = nullptr,
                              const PrimaryAddress* primary = nullptr);

// The one line shown instead when the adapters could not be read.
std::wstring AdaptersUnavailableText(std::wstring_view reason);

// The interface's state in words, for every IF_OPER_STATUS value.
std::wstring OperStatusText(std::uint32_t status);

}  // namespace netpeek
