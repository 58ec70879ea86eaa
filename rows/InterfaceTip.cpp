#include "rows/InterfaceTip.h"

#include "rows/InterfaceCells.h"

namespace netpeek {

const AdapterUnicast* UnicastOf(const RowKey& row, const AdapterInfo& adapter) {
    for (const AdapterUnicast& unicast : adapter.unicast)
        if (KeyOf(row.index, unicast.address) == row)
            return &unicast;
    return nullptr;
}

}  // namespace netpeek
