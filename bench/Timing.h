#pragma once
// What every benchmark under Wine times with: the performance counter, the median of several
// runs, and IP Helper's side of GetIpAddrTable over a table the benchmark made.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "addrtable/GetIPAddresses.h"

namespace netpeek::bench {

inline double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

inline double TimeMs(const std::function<void()>& work) {
    const double start = NowMs();
    work();
    return NowMs() - start;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The size the table needs, or a copy of it, as IP Helper answers.
inline AddrTableSource CopySource(const std::vector<std::uint8_t>& table) {
    return [&table](void* buffer, ULONG* size, BOOL) -> DWORD {
        if (*size < table.size()) {
            *size = static_cast<ULONG>(table.size());
            return ERROR_INSUFFICIENT_BUFFER;
        }
        std::memcpy(buffer, table.data(), table.size());
        return NO_ERROR;
    };
}

}  // namespace netpeek::bench
