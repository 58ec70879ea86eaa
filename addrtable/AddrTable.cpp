#include "addrtable/AddrTable.h"

#include <string>

#include "addrtable/LittleEndian.h"
#include "support/Error.h"
#include "texts/Texts.h"

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
        throw CError(kErrorInvalidData, TextWith(TextId::AddrTableTooShort, std::to_wstring(buffer.size())));
    }
    const auto count = static_cast<std::int32_t>(ReadU32LE(buffer.data()));
    if (count < 0) {
        throw CError(kErrorInvalidData, TextWith(TextId::AddrTableNegative, std::to_wstring(count)));
    }
    const std::size_t rowsHeld = (buffer.size() - kCountSize) / CIPAddrRow::kSize;
    if (static_cast<std::size_t>(count) > rowsHeld) {
        throw CError(kErrorInvalidData, TextWith(TextId::AddrTableClaims, std::to_wstring(count),
                                                 std::to_wstring(buffer.size()), std::to_wstring(rowsHeld)));
    }

    rows.resize(static_cast<std::size_t>(count));
    const std::uint8_t* at = buffer.data() + kCountSize;
    for (CIPAddrRow& row : rows) {
        row.Init(at);
        at += CIPAddrRow::kSize;
    }
}

}  // namespace netpeek
