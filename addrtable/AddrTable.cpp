#include "addrtable/AddrTable.h"

#include <string>

#include "addrtable/LittleEndian.h"
#include "support/Error.h"

namespace netpeek {

namespace {
constexpr std::size_t kCountSize = 4;
}

CIPAddrList DecodeAddrTable(std::span<const std::uint8_t> buffer) {
    CIPAddrList rows;
    DecodeAddrTable(buffer, rows);
    return rows;
}

void DecodeAddrTable(std::span<const std::uint8_t> buffer, CIPAddrList& rows) {
    if (buffer.size() < kCountSize) {
        throw CError(kErrorInvalidData,
                     L"The address table is " + std::to_wstring(buffer.size()) +
                         L" bytes long, too short to hold its row count.");
    }
    const auto count = static_cast<std::int32_t>(ReadU32LE(buffer.data()));
    if (count < 0) {
        throw CError(kErrorInvalidData,
                     L"The address table's row count is negative (" + std::to_wstring(count) + L").");
    }
    const std::size_t rowsHeld = (buffer.size() - kCountSize) / CIPAddrRow::kSize;
    if (static_cast<std::size_t>(count) > rowsHeld) {
        throw CError(kErrorInvalidData, L"The address table claims " + std::to_wstring(count) +
                                            L" rows, but its " + std::to_wstring(buffer.size()) +
                                            L" bytes hold only " + std::to_wstring(rowsHeld) + L".");
    }

    rows.resize(static_cast<std::size_t>(count));
    const std::uint8_t* at = buffer.data() + kCountSize;
    for (CIPAddrRow& row : rows) {
        row.Init(at);
        at += CIPAddrRow::kSize;
    }
}

}  // namespace netpeek
