#include "rows/CellTexts.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

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
std::wstring Unsigned(std::uint32_t number) {
    wchar_t digits[10];
    std::size_t first = std::size(digits);
    do {
        digits[--first] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    return std::wstring(digits + first, digits + std::size(digits));
}

// NL_DAD_STATE's states below preferred, by their value.
constexpr const wchar_t* kDadStateLabels[] = {L"Invalid", L"Tentative", L"Duplicate", L"Deprecated"};
static_assert(std::size(kDadStateLabels) == kDadStatePreferred);

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
    return {Unsigned(static_cast<std::uint32_t>(row.dwIndex)), row.dwAddr.toString(), row.dwMask.toString(),
            row.dwBCastAddr.toString(), Unsigned(static_cast<std::uint32_t>(row.dwReasmSize)),
            FormatTypeFlags(row.wType)};
}

namespace {

bool IsLinkLocal(const CIPv6Addr& address) {
    return address.Bytes[0] == 0xFE && (address.Bytes[1] & 0xC0) == 0x80;
}

// An interface and the last 64 bits of one of its addresses, as one number each.
struct InterfaceSuffix {
    std::uint32_t index;
    std::uint64_t suffix;
    friend bool operator==(const InterfaceSuffix&, const InterfaceSuffix&) = default;
};
struct InterfaceSuffixHash {
    std::size_t operator()(const InterfaceSuffix& s) const noexcept {
        return static_cast<std::size_t>((s.suffix ^ (std::uint64_t{s.index} << 32)) * 0x9E3779B97F4A7C15ull >> 16);
    }
};

InterfaceSuffix SuffixOf(const CIPv6AddrRow& row) {
    InterfaceSuffix key{row.InterfaceIndex, 0};
    std::memcpy(&key.suffix, row.Address.Bytes.data() + 8, sizeof(key.suffix));
    return key;
}

}  // namespace

std::vector<bool> TemporaryAddresses(const CIPv6AddrList& rows) {
    std::unordered_set<InterfaceSuffix, InterfaceSuffixHash> linkLocal;
    for (const CIPv6AddrRow& row : rows)
        if (IsLinkLocal(row.Address))
            linkLocal.insert(SuffixOf(row));
    std::vector<bool> temporary(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        temporary[i] = rows[i].SuffixOrigin == kSuffixOriginRandom &&
                       rows[i].PrefixOrigin == kPrefixOriginRouterAdvertisement &&
                       linkLocal.count(SuffixOf(rows[i])) == 0;
    return temporary;
}

std::wstring FormatIPv6Type(const CIPv6AddrRow& row, bool temporary) {
    const wchar_t* labels[3] = {};
    std::size_t count = 0;
    if (row.PrefixOrigin == kPrefixOriginDhcp || row.SuffixOrigin == kSuffixOriginDhcp)
        labels[count++] = L"Dynamic";
    if (temporary)
        labels[count++] = L"Temporary";
    // Preferred, and any state this program does not know, have no label.
    if (row.DadState >= kDadStateInvalid && row.DadState < kDadStatePreferred)
        labels[count++] = kDadStateLabels[row.DadState];
    std::wstring text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0)
            text += L", ";
        text += labels[i];
    }
    return text;
}

CRowCells RowCells(const CIPv6AddrRow& row, bool temporary) {
    return {Unsigned(row.InterfaceIndex), row.Address.toString(row.ScopeId),
            L"/" + Unsigned(row.OnLinkPrefixLength), L"", L"", FormatIPv6Type(row, temporary)};
}

}  // namespace netpeek
