// The command-line save's baseline: a console program that reads the address table and writes
// the export's bytes for it into the file named by its argument, and nothing more.
#include <windows.h>
#include <iphlpapi.h>

#include <string>
#include <vector>

#include "bench/MinimalText.h"

using netpeek::bench::Dotted;
using netpeek::bench::TypeText;

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    std::vector<unsigned char> buffer;
    if (const DWORD status = netpeek::bench::ReadAddrTable(buffer); status != NO_ERROR)
        return static_cast<int>(status);
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
    std::string csv = "\"Interface\",\"IP\",\"Mask\",\"Broadcast\",\"Realm size\",\"Type\"\r\n";
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IPADDRROW& row = table->table[i];
        const std::string fields[] = {std::to_string(row.dwIndex),     Dotted(row.dwAddr),
                                      Dotted(row.dwMask),              Dotted(row.dwBCastAddr),
                                      std::to_string(row.dwReasmSize), TypeText(row.wType)};
        for (const std::string& field : fields) {
            csv += &field == &fields[0] ? "\"" : ",\"";
            csv += field;
            csv += '"';
        }
        csv += "\r\n";
    }
    return netpeek::bench::WriteWholeFile(argv[1], csv);
}
