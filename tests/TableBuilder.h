#pragma once
// Builds MIB_IPADDRTABLE byte buffers for the tests, laid out as Windows lays them out, IPv6
// addresses from their groups, and a registry string's bytes.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "addrtable/CIPv6Addr.h"
#include "interfaces/AdapterInfo.h"

namespace netpeek::test {

struct RawRow {
    std::array<std::uint8_t, 4> addr{};
    std::uint32_t index = 0;
    std::array<std::uint8_t, 4> mask{};
    std::array<std::uint8_t, 4> bcast{};
    std::uint32_t reasm = 0;
    std::uint16_t unused = 0;
    std::uint16_t type = 0;
};

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void PutRow(std::vector<std::uint8_t>& out, const RawRow& r) {
    out.insert(out.end(), r.addr.begin(), r.addr.end());
    PutU32(out, r.index);
    out.insert(out.end(), r.mask.begin(), r.mask.end());
    out.insert(out.end(), r.bcast.begin(), r.bcast.end());
    PutU32(out, r.reasm);
    PutU16(out, r.unused);
    PutU16(out, r.type);
}

// A table whose count field says `count` and which holds `rows` after it.
inline std::vector<std::uint8_t> TableBytes(std::uint32_t count, const std::vector<RawRow>& rows) {
    std::vector<std::uint8_t> out;
    PutU32(out, count);
    for (const RawRow& r : rows)
        PutRow(out, r);
    return out;
}

inline std::vector<std::uint8_t> TableBytes(const std::vector<RawRow>& rows) {
    return TableBytes(static_cast<std::uint32_t>(rows.size()), rows);
}

// n distinct rows: 10.(i/256).(i%256).1 style addresses, index i+1, reassembly 1500+i.
inline std::vector<RawRow> NumberedRows(std::uint32_t n) {
    std::vector<RawRow> rows;
    for (std::uint32_t i = 0; i < n; ++i) {
        RawRow r;
        r.addr = {10, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), 1};
        r.index = i + 1;
        r.mask = {255, 255, 255, 0};
        r.bcast = {1, 0, 0, 0};
        r.reasm = 1500 + i;
        r.type = 1;
        rows.push_back(r);
    }
    return rows;
}

// An IPv6 address from its eight 16-bit groups, written as in its text: V6({0x2001, 0xdb8, 0, 0, 0, 0, 0, 1}).
inline CIPv6Addr V6(const std::array<std::uint16_t, 8>& groups) {
    CIPv6Addr a;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        a.Bytes[2 * i] = static_cast<std::uint8_t>(groups[i] >> 8);
        a.Bytes[2 * i + 1] = static_cast<std::uint8_t>(groups[i]);
    }
    return a;
}

// An IPv4 address as the adapter read holds it.
inline SocketAddress V4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    SocketAddress address;
    address.bytes = {a, b, c, d};
    return address;
}

// A REG_SZ's bytes as the registry gives them: UTF-16 and its NUL.
inline std::vector<std::uint8_t> TextBytes(std::wstring_view text) {
    std::vector<std::uint8_t> bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

}  // namespace netpeek::test
