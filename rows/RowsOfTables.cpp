#include "rows/RowsOfTables.h"

#include <algorithm>
#include <vector>

#include "rows/InterfaceCells.h"

namespace netpeek {

namespace {

// A number, or an IPv4 address, sorts as an unsigned 32-bit number.
SortValue Number(std::uint32_t number) {
    SortValue sort;
    sort.rank = kRankValue;
    for (std::size_t i = 0; i < 4; ++i)
        sort.value[15 - i] = static_cast<std::uint8_t>(number >> (8 * i));
    return sort;
}

// A mask by its prefix length (its leading one bits), then by the mask itself: for an IPv4 mask
// that is the order of the mask as a number, contiguous or not, and /8 < /24 < /64 across the
// families.
SortValue Mask(std::uint8_t prefixLength, std::uint32_t ipv4Mask) {
    SortValue sort = Number(ipv4Mask);
    sort.value[0] = prefixLength;
    return sort;
}

std::uint8_t LeadingOnes(std::uint32_t mask) {
    std::uint8_t count = 0;
    for (; count < 32 && (mask & (0x80000000u >> count)) != 0; ++count) {
    }
    return count;
}

// The type sorts by its text. Every text the list can show there is known, so each takes its
// place among them as a number once, when its row is made, and a sort compares numbers.
SortValue TypeText(const std::wstring& text) {
    static const std::vector<std::wstring> kTexts = [] {
        std::vector<std::wstring> texts;
        constexpr std::int32_t kLabelledBits[] = {0x01, 0x04, 0x08, 0x40, 0x80};
        for (unsigned set = 0; set < 32; ++set) {
            std::int32_t type = 0;
            for (unsigned bit = 0; bit < 5; ++bit)
                if (set & (1u << bit))
                    type |= kLabelledBits[bit];
            texts.push_back(FormatTypeFlags(type));
        }
        CIPv6AddrRow row;
        for (std::int32_t prefix : {0, kPrefixOriginDhcp})
            for (std::int32_t suffix : {0, kSuffixOriginDhcp})
                for (bool temporary : {false, true})
                    for (std::int32_t state = kDadStateInvalid; state <= kDadStatePreferred; ++state) {
                        row.PrefixOrigin = prefix;
                        row.SuffixOrigin = suffix;
                        row.DadState = state;
                        texts.push_back(FormatIPv6Type(row, temporary));
                    }
        std::sort(texts.begin(), texts.end());
        texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
        return texts;
    }();
    // A text that is not among them would take the place of the next one up.
    return Number(static_cast<std::uint32_t>(std::lower_bound(kTexts.begin(), kTexts.end(), text) - kTexts.begin()));
}

std::uint32_t ToNumber(const CIPAddr& a) {
    return (std::uint32_t{a.Part1} << 24) | (std::uint32_t{a.Part2} << 16) | (std::uint32_t{a.Part3} << 8) |
           std::uint32_t{a.Part4};
}

}  // namespace

namespace {

// The extra cells, where the context asks for them.
ListRow Made(const RowKey& key, CRowCells cells, SortValues& sortBy, const RowContext& context) {
    if (context.interfaces && (context.extras & kInterfaceCells) != 0)
        FillExtraCells(cells, sortBy, static_cast<std::uint8_t>(key.family), context.interfaces->Of(key),
                       context.extras & kInterfaceCells);
    if ((context.extras & CellOf(kColRoute)) != 0 &&
        std::find(context.primary.begin(), context.primary.end(), key) != context.primary.end()) {
        cells[kColRoute] = kDefaultRouteText;
        sortBy[kColRoute].rank = kRankValue;
    }
    return ListRow(key, std::move(cells), sortBy);
}

}  // namespace

RowKey KeyOf(const CIPAddrRow& row) {
    RowKey key;
    key.family = AddressFamily::IPv4;
    key.index = static_cast<std::uint32_t>(row.dwIndex);
    key.address = {row.dwAddr.Part1, row.dwAddr.Part2, row.dwAddr.Part3, row.dwAddr.Part4};
    return key;
}

RowKey KeyOf(const CIPv6AddrRow& row) {
    RowKey key;
    key.family = AddressFamily::IPv6;
    key.index = row.InterfaceIndex;
    key.address = row.Address.Bytes;
    return key;
}

ListRow ToListRow(const CIPAddrRow& row, const RowContext& context) {
    const RowKey key = KeyOf(row);
    SortValues sortBy;
    sortBy[kColInterface] = Number(static_cast<std::uint32_t>(row.dwIndex));
    sortBy[kColIP] = Number(ToNumber(row.dwAddr));
    const std::uint32_t mask = ToNumber(row.dwMask);
    sortBy[kColMask] = Mask(LeadingOnes(mask), mask);
    sortBy[kColBroadcast] = Number(ToNumber(row.dwBCastAddr));
    sortBy[kColRealmSize] = Number(static_cast<std::uint32_t>(row.dwReasmSize));
    CRowCells cells = RowCells(row);
    sortBy[kColType] = TypeText(cells[kColType]);
    return Made(key, std::move(cells), sortBy, context);
}

ListRow ToListRow(const CIPv6AddrRow& row, bool temporary, const RowContext& context) {
    const RowKey key = KeyOf(row);
    SortValues sortBy;  // the broadcast and the reassembly size stay empty
    sortBy[kColInterface] = Number(row.InterfaceIndex);
    sortBy[kColIP].rank = kRankIPv6Address;
    sortBy[kColIP].value = row.Address.Bytes;
    sortBy[kColMask] = Mask(row.OnLinkPrefixLength, 0);
    CRowCells cells = RowCells(row, temporary);
    sortBy[kColType] = TypeText(cells[kColType]);
    return Made(key, std::move(cells), sortBy, context);
}

ListRows ToListRows(const CIPAddrList& rows, const RowContext& context) {
    ListRows list;
    list.reserve(rows.size());
    for (const CIPAddrRow& row : rows)
        list.push_back(ToListRow(row, context));
    return list;
}

ListRows ToListRows(const CIPv6AddrList& rows, const RowContext& context) {
    const std::vector<bool> temporary = TemporaryAddresses(rows);
    ListRows list;
    list.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        list.push_back(ToListRow(rows[i], temporary[i], context));
    return list;
}

}  // namespace netpeek
