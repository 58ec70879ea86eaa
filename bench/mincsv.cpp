// The command-line save's baseline: a console program that reads the address table and writes
// the export's bytes for it into the file named by its argument, and nothing more.
#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Dotted(DWORD address) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address);
    char text[16];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

std::string TypeText(unsigned type) {
    static const std::pair<unsigned, const char*> kLabels[] = {
        {0x01, "Primary"}, {0x04, "Dynamic"}, {0x08, "Disconnected"}, {0x40, "Deleted"}, {0x80, "Transient"}};
    std::string text;
    for (const auto& [bit, label] : kLabels)
        if (type & bit) {
            if (!text.empty())
                text += ", ";
            text += label;
        }
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    std::vector<unsigned char> buffer(1024);
    ULONG size = static_cast<ULONG>(buffer.size());
    DWORD status;
    while ((status = GetIpAddrTable(reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data()), &size, TRUE)) ==
           ERROR_INSUFFICIENT_BUFFER)
        buffer.resize(size);
    if (status != NO_ERROR)
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
    HANDLE file = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return static_cast<int>(GetLastError());
    DWORD written = 0;
    const bool whole = WriteFile(file, csv.data(), static_cast<DWORD>(csv.size()), &written, nullptr) &&
                       written == csv.size();
    CloseHandle(file);
    return whole ? 0 : 1;
}
