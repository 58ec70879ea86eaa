// Prints the machine's IPv4 address table as GetIPAddresses reads it, one row a line:
// index, address, mask, broadcast, reassembly size, type. The shell tests compare it
// with what Linux reports for the same interfaces.
#include <cstdio>

#include "addrtable/GetIPAddresses.h"
#include "support/Error.h"

int main() {
    try {
        for (const netpeek::CIPAddrRow& r : netpeek::GetIPAddresses()) {
            std::printf("%ld %ls %ls %ls %ld %ld\n", static_cast<long>(r.dwIndex),
                        r.dwAddr.toString().c_str(), r.dwMask.toString().c_str(),
                        r.dwBCastAddr.toString().c_str(), static_cast<long>(r.dwReasmSize),
                        static_cast<long>(r.wType));
        }
        return 0;
    } catch (const netpeek::CError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
