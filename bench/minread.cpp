// The idle baseline: the least a program that re-reads the address table every 2 seconds
// costs, with no window and nothing done with what it reads.
#include <windows.h>
#include <iphlpapi.h>

#include <vector>

int wmain() {
    std::vector<unsigned char> buffer(1024);
    for (;;) {
        ULONG size = static_cast<ULONG>(buffer.size());
        if (GetIpAddrTable(reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data()), &size, TRUE) ==
            ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(size);  // read again at once, into a buffer the table fits
            continue;
        }
        Sleep(2000);
    }
}
