#include "interfaces/Adapters.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/SystemDlls.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// Microsoft's advice: enough for most machines in one call.
constexpr ULONG kFirstBufferSize = 15 * 1024;

// Both families, since asked for IPv4 alone Windows leaves out every interface without it (a
// Teredo or VPN tunnel, an adapter with IPv4 switched off), whose IPv6 rows would get no tip.
// Unicast addresses, gateways and DNS servers are shown; anycast and multicast ones are not.
constexpr ULONG kFamily = AF_UNSPEC;
constexpr ULONG kFlags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST;

// An adapter is read at least up to its state; every version of the structure has that much.
constexpr std::size_t kAdapterRead = offsetof(IP_ADAPTER_ADDRESSES, OperStatus) + sizeof(IF_OPER_STATUS);

[[noreturn]] void Malformed(const std::wstring& what) {
    throw CError(kErrorInvalidData, TextWith(TextId::AdaptersMalformed, what));
}

// The part of the buffer being read, put into words only when it is wrong.
struct Part {
    std::size_t adapter = 0;        // counted from 1
    std::optional<TextId> field{};  // none for the adapter itself
    std::size_t entry = 0;          // counted from 1 in a list; 0 for a field of the adapter

    std::wstring Text() const {
        if (!field)
            return TextWith(TextId::AdapterPart, std::to_wstring(adapter));
        std::wstring named(netpeek::Text(*field));
        if (entry != 0)
            named += L" " + std::to_wstring(entry);
        return TextWith(TextId::AdapterFieldPart, std::to_wstring(adapter), named);
    }
};

// A list that an adapter leads to, as its entries and as a whole are named in an error.
struct ListName {
    TextId entry;
    TextId list;
};
constexpr ListName kUnicastList{TextId::AdapterAddressEntry, TextId::AdapterAddressList};
constexpr ListName kGatewayList{TextId::AdapterGatewayEntry, TextId::AdapterGatewayList};
constexpr ListName kDnsList{TextId::AdapterDnsEntry, TextId::AdapterDnsList};

// Whether a node, as long as its Length says, holds `field`: the structures grew over Windows
// versions, and what an older node lacks is none rather than the bytes after it.
template <typename Node, typename Field>
bool Has(const Node& node, const Field& field) {
    const auto offset = static_cast<std::size_t>(reinterpret_cast<const char*>(&field) -
                                                 reinterpret_cast<const char*>(&node));
    return offset + sizeof(Field) <= node.Length;
}

// Reads the parts of a buffer that GetAdaptersAddresses filled, checking every pointer that
// Windows left in it against the buffer's extent.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> buffer)
        : m_begin(reinterpret_cast<std::uintptr_t>(buffer.data())), m_size(buffer.size()), m_listRoom(buffer.size()) {}

    // Whether `size` bytes from `p` lie inside the buffer.
    bool Holds(const void* p, std::size_t size) const {
        const auto at = reinterpret_cast<std::uintptr_t>(p);
        return at >= m_begin && at - m_begin <= m_size && size <= m_size - (at - m_begin);
    }

    // The node at `at`, which must hold at least `least` bytes, read as far as its Length says
    // and this program knows the structure. Its bytes are taken from `room`: nodes do not
    // overlap, so a list that takes more than the buffer has goes round, and false says so.
    template <typename Node>
    bool ReadNode(const void* at, std::size_t least, std::size_t& room, const Part& part, Node& node) const {
        if (!Holds(at, least))
            Malformed(TextWith(TextId::PartOutside, part.Text()));
        ULONG length;
        std::memcpy(&length, at, sizeof(length));
        if (length < least)
            Malformed(TextWith(part.field ? TextId::PartTooShortForAddress : TextId::PartTooShortForState, part.Text(),
                               std::to_wstring(length)));
        const std::size_t read = std::min<std::size_t>(length, sizeof(Node));
        if (!Holds(at, read))
            Malformed(TextWith(TextId::PartRunsOut, part.Text()));
        if (read > room)
            return false;
        room -= read;
        node = Node{};
        std::memcpy(&node, at, read);
        return true;
    }

    // The entries of the list that starts at `first`, each address of IPv4 or IPv6 given to
    // `take` with its node; entries of another family are skipped.
    template <typename Node, typename Take>
    void Walk(const Node* first, std::size_t adapter, const ListName& name, Take take) {
        constexpr std::size_t least = offsetof(Node, Address) + sizeof(SOCKET_ADDRESS);
        Node node;
        std::size_t entry = 1;
        for (const void* at = first; at != nullptr; at = node.Next, ++entry) {
            const Part part{adapter, name.entry, entry};
            if (!ReadNode(at, least, m_listRoom, part, node))
                Malformed(TextWith(TextId::ListInCircle, std::to_wstring(adapter), netpeek::Text(name.list)));
            if (const auto address = Address(node.Address, part))
                take(node, *address);
        }
    }

    // The address a SOCKET_ADDRESS leads to: none for a null pointer or a family other than
    // IPv4 and IPv6; its length must cover its family's structure, which must lie in the buffer.
    std::optional<SocketAddress> Address(const SOCKET_ADDRESS& socket, const Part& part) const {
        const void* at = socket.lpSockaddr;
        if (at == nullptr)
            return std::nullopt;
        decltype(sockaddr::sa_family) family;
        if (!Holds(at, sizeof(family)))
            Malformed(TextWith(TextId::PartOutside, part.Text()));
        std::memcpy(&family, at, sizeof(family));
        std::size_t size;
        if (family == AF_INET)
            size = sizeof(sockaddr_in);
        else if (family == AF_INET6)
            size = sizeof(sockaddr_in6);
        else
            return std::nullopt;
        if (socket.iSockaddrLength < 0 || static_cast<std::size_t>(socket.iSockaddrLength) < size)
            Malformed(TextWith(TextId::PartTooShortForFamily, part.Text(), std::to_wstring(socket.iSockaddrLength),
                               family == AF_INET ? L"IPv4" : L"IPv6"));
        if (!Holds(at, size))
            Malformed(TextWith(TextId::PartRunsOut, part.Text()));
        SocketAddress address;
        if (family == AF_INET) {
            sockaddr_in in;
            std::memcpy(&in, at, sizeof(in));
            std::memcpy(address.bytes.data(), &in.sin_addr, 4);
        } else {
            sockaddr_in6 in6;
            std::memcpy(&in6, at, sizeof(in6));
            address.family = 6;
            std::memcpy(address.bytes.data(), &in6.sin6_addr, 16);
            address.scopeId = in6.sin6_scope_id;
        }
        return address;
    }

    // The NUL-terminated text at p, which must end inside the buffer; empty for no text.
    std::wstring Text(const wchar_t* p, const Part& part) const {
        std::wstring text;
        if (p == nullptr)
            return text;
        const std::size_t room = Room(p, part);
        const auto* c = reinterpret_cast<const std::uint8_t*>(p);
        for (std::size_t i = 0; i + sizeof(wchar_t) <= room; i += sizeof(wchar_t)) {
            wchar_t value;
            std::memcpy(&value, c + i, sizeof(value));
            if (value == L'\0')
                return text;
            text += value;
        }
        Malformed(TextWith(TextId::PartRunsOut, part.Text()));
    }

    // The NUL-terminated ASCII text at p, which must end inside the buffer; empty for no text.
    std::wstring Ascii(const char* p, const Part& part) const {
        if (p == nullptr)
            return {};
        const auto* end = static_cast<const char*>(std::memchr(p, '\0', Room(p, part)));
        if (end == nullptr)
            Malformed(TextWith(TextId::PartRunsOut, part.Text()));
        std::wstring text(static_cast<std::size_t>(end - p), L'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(p[i]);
            if (byte >= 0x80)
                Malformed(TextWith(TextId::PartNotAscii, part.Text()));
            text[i] = static_cast<wchar_t>(byte);
        }
        return text;
    }

    // What an adapter node tells, its lists and texts followed.
    AdapterInfo Adapter(const IP_ADAPTER_ADDRESSES& node, std::size_t n) {
        if (node.PhysicalAddressLength > MAX_ADAPTER_ADDRESS_LENGTH)
            Malformed(TextWith(TextId::PartPhysicalAddress, Part{n}.Text(), std::to_wstring(node.PhysicalAddressLength)));
        AdapterInfo info;
        info.friendlyName = Text(node.FriendlyName, {n, TextId::AdapterNameField});
        info.description = Text(node.Description, {n, TextId::AdapterDescriptionField});
        info.adapterName = Ascii(node.AdapterName, {n, TextId::AdapterGuidField});
        info.physicalAddress.assign(node.PhysicalAddress, node.PhysicalAddress + node.PhysicalAddressLength);
        info.operStatus = static_cast<std::uint32_t>(node.OperStatus);
        info.ifType = node.IfType;
        info.mtu = node.Mtu;
        Walk(node.FirstUnicastAddress, n, kUnicastList, [&](const IP_ADAPTER_UNICAST_ADDRESS& u, const SocketAddress& a) {
            AdapterUnicast& unicast = info.unicast.emplace_back();
            unicast.address = a;
            if (Has(u, u.PrefixOrigin))
                unicast.prefixOrigin = static_cast<std::int32_t>(u.PrefixOrigin);
            if (Has(u, u.SuffixOrigin))
                unicast.suffixOrigin = static_cast<std::int32_t>(u.SuffixOrigin);
            if (Has(u, u.ValidLifetime))
                unicast.validLifetime = u.ValidLifetime;
        });
        if (Has(node, node.FirstGatewayAddress))
            Walk(node.FirstGatewayAddress, n, kGatewayList,
                 [&](const IP_ADAPTER_GATEWAY_ADDRESS&, const SocketAddress& a) { info.gateways.push_back(a); });
        Walk(node.FirstDnsServerAddress, n, kDnsList,
             [&](const IP_ADAPTER_DNS_SERVER_ADDRESS&, const SocketAddress& a) { info.dnsServers.push_back(a); });
        if (Has(node, node.Dhcpv4Server))
            info.dhcpv4Server = Address(node.Dhcpv4Server, {n, TextId::AdapterDhcpv4Field});
        if (Has(node, node.Dhcpv6Server))
            info.dhcpv6Server = Address(node.Dhcpv6Server, {n, TextId::AdapterDhcpv6Field});
        return info;
    }

private:
    // The bytes from p to the buffer's end; p must lie inside it.
    std::size_t Room(const void* p, const Part& part) const {
        if (!Holds(p, 0))
            Malformed(TextWith(TextId::PartOutside, part.Text()));
        return m_size - (reinterpret_cast<std::uintptr_t>(p) - m_begin);
    }

    std::uintptr_t m_begin;
    std::size_t m_size;
    std::size_t m_listRoom;  // what the lists' nodes may still take of the buffer
};

}  // namespace

AdapterMap DecodeAdapters(std::span<const std::uint8_t> buffer) {
    Reader reader(buffer);
    // The chain first, so that a circle in it is told as one rather than as its lists read again.
    std::vector<IP_ADAPTER_ADDRESSES> nodes;
    std::size_t room = buffer.size();
    for (const void* at = buffer.empty() ? nullptr : buffer.data(); at != nullptr; at = nodes.back().Next) {
        const Part part{nodes.size() + 1};
        if (!reader.ReadNode(at, kAdapterRead, room, part, nodes.emplace_back()))
            Malformed(TextWith(TextId::ChainInCircle));
    }
    AdapterMap adapters;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const IP_ADAPTER_ADDRESSES& node = nodes[i];
        AdapterInfo info = reader.Adapter(node, i + 1);
        // Under each index the interface has; 0 is the index of a family it lacks.
        const std::uint32_t ipv4 = node.IfIndex;
        const std::uint32_t ipv6 = Has(node, node.Ipv6IfIndex) ? node.Ipv6IfIndex : 0;
        if (ipv4 != 0 && ipv6 != 0 && ipv6 != ipv4)
            adapters.emplace(ipv6, info);
        if (ipv4 != 0)
            adapters.emplace(ipv4, std::move(info));
        else if (ipv6 != 0)
            adapters.emplace(ipv6, std::move(info));
    }
    return adapters;
}

AdapterMap ReadAdapters(const AdaptersSource& source, AdaptersBuffer& kept) {
    ULONG size = std::max(kept.size, kFirstBufferSize);
    for (int attempt = 0; attempt < kAdaptersAttempts; ++attempt) {
        // Windows fills what it uses, and the reader never looks past it: the bytes need no clearing.
        if (kept.bytes.size() < size)
            kept.bytes.resize(size);
        const ULONG capacity = size;
        const ULONG result = source(kFamily, kFlags, kept.bytes.data(), &size);
        if (result == NO_ERROR) {
            kept.size = capacity;
            return DecodeAdapters(std::span(kept.bytes).first(capacity));
        }
        if (result == ERROR_NO_DATA)
            return {};
        // A source that asks for no more than it had would loop for ever: that is a failure too.
        if (result != ERROR_BUFFER_OVERFLOW || size <= capacity)
            throw SystemError(result, TextWith(TextId::AdaptersUnreadable));
    }
    throw SystemError(ERROR_BUFFER_OVERFLOW, TextWith(TextId::AdaptersGrowing));
}

AdapterMap ReadAdapters(const AdaptersSource& source) {
    AdaptersBuffer fresh;
    return ReadAdapters(source, fresh);
}

AdapterMap ReadAdapters(AdaptersBuffer& kept) {
    static const auto getAdaptersAddresses =
        SystemFunction<decltype(&GetAdaptersAddresses)>(L"iphlpapi.dll", "GetAdaptersAddresses");
    return ReadAdapters(
        [](ULONG family, ULONG flags, void* buffer, ULONG* size) {
            return getAdaptersAddresses(family, flags, nullptr, static_cast<PIP_ADAPTER_ADDRESSES>(buffer), size);
        },
        kept);
}

AdapterMap ReadAdapters() {
    AdaptersBuffer fresh;
    return ReadAdapters(fresh);
}

}  // namespace netpeek
