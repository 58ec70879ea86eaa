#include "addrtable/CIPv6Addr.h"

#include <cstddef>

namespace netpeek {

namespace {

// The longest text: eight groups of four digits and seven colons is 39; six groups, the
// colons and a dotted quad is 45; "%4294967295" adds 11.
constexpr std::size_t kMaxText = 56;

std::uint16_t Group(const std::array<std::uint8_t, 16>& bytes, std::size_t group) {
    return static_cast<std::uint16_t>((bytes[2 * group] << 8) | bytes[2 * group + 1]);
}

// Windows writes the last 32 bits as a dotted quad for these forms only; an address whose
// top 16 of them are zero (::1, ::ffff:0:1) stays in hex, except in an ISATAP address.
bool EndsInDottedQuad(const std::array<std::uint16_t, 8>& g) {
    const bool zeroPrefix = g[0] == 0 && g[1] == 0 && g[2] == 0 && g[3] == 0;
    const bool compatible = zeroPrefix && g[4] == 0 && g[5] == 0;
    const bool mapped = zeroPrefix && g[4] == 0 && g[5] == 0xffff;
    const bool translated = zeroPrefix && g[4] == 0xffff && g[5] == 0;
    // The interface identifier of an ISATAP address, with or without its universal bit.
    const bool isatap = (g[4] == 0 || g[4] == 0x0200) && g[5] == 0x5efe;
    return isatap || ((compatible || mapped || translated) && g[6] != 0);
}

wchar_t* PutHex(wchar_t* at, std::uint16_t group) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const unsigned digit = (group >> shift) & 0xfu;
        if (digit != 0 || started || shift == 0) {
            *at++ = kDigits[digit];
            started = true;
        }
    }
    return at;
}

wchar_t* PutDecimal(wchar_t* at, std::uint32_t number) {
    wchar_t digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count != 0)
        *at++ = digits[--count];
    return at;
}

// Writes the address into `text` and returns the end; digits by hand, as CIPAddr does,
// since a fill formats every row.
wchar_t* PutAddress(wchar_t* text, const std::array<std::uint8_t, 16>& bytes) {
    std::array<std::uint16_t, 8> g;
    for (std::size_t i = 0; i < g.size(); ++i)
        g[i] = Group(bytes, i);
    const bool dotted = EndsInDottedQuad(g);
    const std::size_t hexGroups = dotted ? 6 : 8;

    // The first longest run of at least two zero groups among those written in hex.
    std::size_t runStart = hexGroups, runLength = 1;
    for (std::size_t i = 0; i < hexGroups;) {
        std::size_t end = i;
        while (end < hexGroups && g[end] == 0)
            ++end;
        if (end - i > runLength) {
            runStart = i;
            runLength = end - i;
        }
        i = end == i ? i + 1 : end;
    }

    wchar_t* at = text;
    for (std::size_t i = 0; i < hexGroups; ++i) {
        if (i == runStart) {
            *at++ = L':';
            *at++ = L':';
            i += runLength - 1;
            continue;
        }
        if (i != 0 && i != runStart + runLength)
            *at++ = L':';
        at = PutHex(at, g[i]);
    }
    if (dotted) {
        if (runStart + runLength != hexGroups)
            *at++ = L':';
        for (std::size_t i = 12; i < 16; ++i) {
            if (i != 12)
                *at++ = L'.';
            at = PutDecimal(at, bytes[i]);
        }
    }
    return at;
}

}  // namespace

void CIPv6Addr::Init(const std::uint8_t* Ptr) {
    for (std::size_t i = 0; i < Bytes.size(); ++i)
        Bytes[i] = Ptr[i];
}

std::wstring CIPv6Addr::toString() const {
    return toString(0);
}

std::wstring CIPv6Addr::toString(std::uint32_t ScopeId) const {
    wchar_t text[kMaxText];
    wchar_t* end = PutAddress(text, Bytes);
    if (ScopeId != 0) {
        *end++ = L'%';
        end = PutDecimal(end, ScopeId);
    }
    return std::wstring(text, end);
}

}  // namespace netpeek
