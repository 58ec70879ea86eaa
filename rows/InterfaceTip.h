#pragma once
// The text of the tooltip that names the interface of the row under the pointer.

#include <optional>
#include <string>
#include <string_view>

#include "interfaces/AdapterInfo.h"
#include "interfaces/InterfaceText.h"
#include "interfaces/Routes.h"
#include "rows/ListRow.h"

namespace netpeek {

// What the tooltip tells of a row's lease: when it ends, and when it was obtained where that is known.
struct TipLease {
    LeaseEnd end;
    std::optional<LocalMinute> obtained;
};

// One labelled line each for the interface's name, description, physical address, state and
// MTU, its gateways of the row's family and its DNS servers; for the primary address of its
// family (`primary`, where the row is it), the route its traffic takes; for an address from DHCP,
// its server and its lease (`lease`, when known); for an index that no adapter has, one line
// saying so.
std::wstring InterfaceTipText(const RowKey& row, const AdapterMap& adapters, const TipLease* lease = nullptr,
                              const PrimaryAddress* primary = nullptr);

// The row's address among its interface's own, or null.
const AdapterUnicast* UnicastOf(const RowKey& row, const AdapterInfo& adapter);

// The one line shown instead when the adapters could not be read.
std::wstring AdaptersUnavailableText(std::wstring_view reason);

}  // namespace netpeek
