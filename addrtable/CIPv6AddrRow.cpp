#include "addrtable/CIPv6AddrRow.h"

#include <algorithm>
#include <tuple>

namespace netpeek {

void SortIPv6Rows(CIPv6AddrList& rows) {
    // Stable, so that rows alike in both keep the table's order and a re-read of an unchanged
    // table gives the same list.
    std::stable_sort(rows.begin(), rows.end(), [](const CIPv6AddrRow& a, const CIPv6AddrRow& b) {
        return std::tie(a.Address, a.InterfaceIndex) < std::tie(b.Address, b.InterfaceIndex);
    });
}

}  // namespace netpeek
