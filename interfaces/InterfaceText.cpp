#include "interfaces/InterfaceText.h"

#include <cstdio>
#include <iterator>

#include "addrtable/CIPAddr.h"
#include "addrtable/CIPv6Addr.h"

namespace netpeek {

namespace {

// IfOperStatusUp (1) to IfOperStatusLowerLayerDown (7), in that order, as Get-NetAdapter names them.
constexpr const wchar_t* kStatusTexts[] = {L"Up",      L"Down",        L"Testing",         L"Unknown",
                                           L"Dormant", L"Not present", L"Lower layer down"};

constexpr std::uint8_t kIPv6 = 6;

}  // namespace

std::wstring StatusText(std::uint32_t operStatus) {
    if (operStatus >= 1 && operStatus <= std::size(kStatusTexts))
        return kStatusTexts[operStatus - 1];
    return std::to_wstring(operStatus);
}

std::wstring AddressText(const SocketAddress& address) {
    if (address.family == kIPv6) {
        CIPv6Addr v6;
        v6.Bytes = address.bytes;
        return v6.toString(address.scopeId);
    }
    CIPAddr v4;
    v4.Init(address.bytes.data());
    return v4.toString();
}

std::wstring AddressListText(std::span<const SocketAddress> addresses, std::uint8_t family) {
    std::wstring text;
    for (const SocketAddress& address : addresses) {
        if (family != 0 && address.family != family)
            continue;
        if (!text.empty())
            text += L", ";
        text += AddressText(address);
    }
    return text;
}

std::wstring MinuteText(const LocalMinute& m) {
    wchar_t text[32] = {};
    std::swprintf(text, std::size(text), L"%04d-%02d-%02d %02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

std::wstring LeaseText(const LeaseEnd& lease) {
    return lease.never ? std::wstring(L"Never") : MinuteText(lease.local);
}

std::wstring FormatPhysicalAddress(std::span<const std::uint8_t> bytes) {
    constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text;
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += L'-';
        text += kHex[b >> 4];
        text += kHex[b & 0x0F];
    }
    return text;
}

void KnowNames(InterfaceNames& names, const AdapterMap& adapters) {
    for (const auto& [index, adapter] : adapters)
        if (!adapter.friendlyName.empty())
            names[index] = adapter.friendlyName;
}

}  // namespace netpeek
