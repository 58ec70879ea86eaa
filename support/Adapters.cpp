#include "support/Adapters.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "support/SystemDlls.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

// Microsoft's advice: enough for most machines in one call.
constexpr ULONG kFirstBufferSize = 15 * 1024;

// Addresses and DNS servers are not shown, so Windows need not gather them.
constexpr ULONG kFlags =
    GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;

// A node is read up to its state; every version of the structure has that much.
constexpr std::size_t kNodeRead = offsetof(IP_ADAPTER_ADDRESSES, OperStatus) + sizeof(IF_OPER_STATUS);

[[noreturn]] void Malformed(const std::wstring& what) {
    throw CError(kErrorInvalidData, L"The list of network adapters is malformed: " + what);
}

// The buffer's extent, to check the pointers that Windows left in it.
class Extent {
public:
    explicit Extent(std::span<const std::uint8_t> buffer)
        : m_begin(reinterpret_cast<std::uintptr_t>(buffer.data())), m_size(buffer.size()) {}

    // Whether `size` bytes from `p` lie inside the buffer.
    bool Holds(const void* p, std::size_t size) const {
        const auto at = reinterpret_cast<std::uintptr_t>(p);
        return at >= m_begin && at - m_begin <= m_size && size <= m_size - (at - m_begin);
    }

    // The NUL-terminated text at p, which must end inside the buffer; empty for no text.
    std::wstring Text(const wchar_t* p, const wchar_t* what) const {
        std::wstring text;
        if (p == nullptr)
            return text;
        for (const wchar_t* c = p;; ++c) {
            if (!Holds(c, sizeof(wchar_t)))
                Malformed(std::wstring(what) + L" runs outside the buffer.");
            wchar_t value;
            std::memcpy(&value, c, sizeof(value));
            if (value == L'\0')
                return text;
            text += value;
        }
    }

private:
    std::uintptr_t m_begin;
    std::size_t m_size;
};

}  // namespace

AdapterMap DecodeAdapters(std::span<const std::uint8_t> buffer) {
    const Extent extent(buffer);
    AdapterMap adapters;
    // Nodes do not overlap, so a chain longer than the buffer holds goes round in a circle.
    const std::size_t hopLimit = buffer.size() / kNodeRead;
    const void* at = buffer.empty() ? nullptr : buffer.data();
    for (std::size_t hops = 0; at != nullptr; ++hops) {
        if (hops == hopLimit)
            Malformed(L"its chain of adapters goes round in a circle.");
        if (!extent.Holds(at, kNodeRead))
            Malformed(L"adapter " + std::to_wstring(hops + 1) + L" lies outside the buffer.");
        IP_ADAPTER_ADDRESSES node{};
        std::memcpy(&node, at, kNodeRead);
        if (node.Length < kNodeRead)
            Malformed(L"adapter " + std::to_wstring(hops + 1) + L" is " + std::to_wstring(node.Length) +
                      L" bytes long, too short for its state.");
        if (node.PhysicalAddressLength > MAX_ADAPTER_ADDRESS_LENGTH)
            Malformed(L"adapter " + std::to_wstring(hops + 1) + L" claims a physical address of " +
                      std::to_wstring(node.PhysicalAddressLength) + L" bytes.");
        AdapterInfo info;
        info.friendlyName = extent.Text(node.FriendlyName, L"an adapter's name");
        info.description = extent.Text(node.Description, L"an adapter's description");
        info.physicalAddress.assign(node.PhysicalAddress, node.PhysicalAddress + node.PhysicalAddressLength);
        info.operStatus = static_cast<std::uint32_t>(node.OperStatus);
        info.mtu = node.Mtu;
        adapters.emplace(node.IfIndex, std::move(info));
        at = node.Next;
    }
    return adapters;
}

AdapterMap ReadAdapters(const AdaptersSource& source) {
    ULONG size = kFirstBufferSize;
    std::vector<std::uint8_t> buffer;
    for (int attempt = 0; attempt < kAdaptersAttempts; ++attempt) {
        buffer.assign(size, 0);
        const ULONG result = source(AF_INET, kFlags, buffer.data(), &size);
        if (result == NO_ERROR)
            return DecodeAdapters(buffer);
        if (result == ERROR_NO_DATA)
            return {};
        // A source that asks for no more than it had would loop for ever: that is a failure too.
        if (result != ERROR_BUFFER_OVERFLOW || size <= buffer.size())
            throw SystemError(result, L"The network adapters could not be read.");
    }
    throw SystemError(ERROR_BUFFER_OVERFLOW, L"The list of network adapters kept growing while it was being read.");
}

AdapterMap ReadAdapters() {
    static const auto getAdaptersAddresses =
        SystemFunction<decltype(&GetAdaptersAddresses)>(L"iphlpapi.dll", "GetAdaptersAddresses");
    return ReadAdapters([](ULONG family, ULONG flags, void* buffer, ULONG* size) {
        return getAdaptersAddresses(family, flags, nullptr, static_cast<PIP_ADAPTER_ADDRESSES>(buffer), size);
    });
}

}  // namespace netpeek
