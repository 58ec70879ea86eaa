#pragma once
// The rows of the address tables as the list takes them: who each is, its cells and what they
// sort by, with the extra cells of its interface where those are shown.

#include "addrtable/AddrTable.h"
#include "addrtable/CIPv6AddrRow.h"
#include "rows/ListRow.h"

#include <span>

namespace netpeek {

class AdapterLookup;
// What a read knows of its rows beyond the tables: their interfaces, for the extra columns that
// are shown. Without it a row has the six cells alone.
struct RowContext {
    const AdapterLookup* interfaces = nullptr;
    CellSet extras = 0;  // the extra columns whose cells are filled
    std::span<const RowKey> primary;  // the primary address of each family, which "Route" marks
};

// What "Route" says of a primary address.
inline constexpr wchar_t kDefaultRouteText[] = L"Default";

// Who a table's row is.
RowKey KeyOf(const CIPAddrRow& row);
RowKey KeyOf(const CIPv6AddrRow& row);

// A row of the IPv4 table as the list shows it.
ListRow ToListRow(const CIPAddrRow& row, const RowContext& context = {});
// A row of the IPv6 table as the list shows it, `temporary` as TemporaryAddresses says of it; its
// identity takes the interface index and the sixteen bytes, not the zone.
ListRow ToListRow(const CIPv6AddrRow& row, bool temporary, const RowContext& context = {});
// Every row of a table, in its order.
ListRows ToListRows(const CIPAddrList& rows, const RowContext& context = {});
ListRows ToListRows(const CIPv6AddrList& rows, const RowContext& context = {});

}  // namespace netpeek
