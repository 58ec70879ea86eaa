#pragma once
// What the tooltip that names the interface of the row under the pointer tells of it.

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

// The row's address among its interface's own, or null.
const AdapterUnicast* UnicastOf(const RowKey& row, const AdapterInfo& adapter);

}  // namespace netpeek
