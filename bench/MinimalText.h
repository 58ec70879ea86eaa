#pragma once
// What the minimal programs of the saves' baselines share: the IPv4 table's read, a row's dotted
// address and type's labels as the list shows them, and the file's one write.
#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace netpeek::bench {

inline std::string Dotted(DWORD address) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address);
    char text[16];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

inline std::string TypeText(unsigned type) {
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

// The IPv4 table as GetIpAddrTable gives it, in `buffer`; NO_ERROR or its error.
inline DWORD ReadAddrTable(std::vector<unsigned char>& buffer) {
    buffer.resize(1024);
    ULONG size = static_cast<ULONG>(buffer.size());
    DWORD status;
    while ((status = GetIpAddrTable(reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data()), &size, TRUE)) ==
           ERROR_INSUFFICIENT_BUFFER)
        buffer.resize(size);
    return status;
}

// The bytes as the whole of a new file: the program's exit code, 0 once they are written.
inline int WriteWholeFile(const wchar_t* path, const std::string& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return static_cast<int>(GetLastError());
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    CloseHandle(file);
    return whole ? 0 : 1;
}

}  // namespace netpeek::bench
