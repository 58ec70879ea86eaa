#pragma once
// A table that IP Helper allocated (the unicast address table, the route table, the interface
// table), handed back to it when the reading is done.

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include <memory>

#include "support/SystemDlls.h"

namespace netpeek {

// IP Helper's FreeMibTable. A reader calls it once before it asks for a table, so that it is
// looked up while nothing is to be freed yet and the deleter never has to throw.
inline decltype(&FreeMibTable) FreeMibTableFunction() {
    static const auto freeMibTable = SystemFunction<decltype(&FreeMibTable)>(L"iphlpapi.dll", "FreeMibTable");
    return freeMibTable;
}

struct MibTableDeleter {
    void operator()(void* table) const { FreeMibTableFunction()(table); }
};
template <typename Table>
using UniqueMibTable = std::unique_ptr<Table, MibTableDeleter>;

}  // namespace netpeek
