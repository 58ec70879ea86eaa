#include "mainwindow/CellTexts.h"

namespace netpeek {

namespace {

struct TypeLabel {
    std::int32_t bit;
    const wchar_t* label;
};

// MIB_IPADDR_PRIMARY, _DYNAMIC, _DISCONNECTED, _DELETED, _TRANSIENT.
constexpr TypeLabel kTypeLabels[] = {
    {0x01, L"Primary"}, {0x04, L"Dynamic"}, {0x08, L"Disconnected"}, {0x40, L"Deleted"}, {0x80, L"Transient"},
};

// Written digit by digit, as an address is, rather than through swprintf.
std::wstring Unsigned(std::int32_t value) {
    auto number = static_cast<std::uint32_t>(value);
    wchar_t digits[10];
    std::size_t first = std::size(digits);
    do {
        digits[--first] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    return std::wstring(digits + first, digits + std::size(digits));
}

}  // namespace

std::wstring FormatTypeFlags(std::int32_t wType) {
    std::wstring text;
    for (const TypeLabel& t : kTypeLabels) {
        if (wType & t.bit) {
            text += t.label;
            text += L", ";
        }
    }
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    return text;
}

CRowCells RowCells(const CIPAddrRow& row) {
    return {Unsigned(row.dwIndex),         row.dwAddr.toString(),   row.dwMask.toString(),
            row.dwBCastAddr.toString(),    Unsigned(row.dwReasmSize), FormatTypeFlags(row.wType)};
}

}  // namespace netpeek
