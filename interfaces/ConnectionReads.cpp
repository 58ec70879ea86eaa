#include "interfaces/ConnectionReads.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netlistmgr.h>
#include <objbase.h>
#include <oleauto.h>
#include <wlanapi.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "support/LayoutText.h"
#include "support/SystemDlls.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

// More interfaces than any machine has: a count past it is a damaged table, not one to walk.
constexpr ULONG kMostRows = 65536;

// A COM interface pointer, released when it goes.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    T** Out() {
        Reset();
        return &m_p;
    }
    void Reset() {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};

// A BSTR that COM gave, freed when it goes.
struct OwnedBstr {
    BSTR text = nullptr;
    ~OwnedBstr() { SysFreeString(text); }
};

std::wstring GuidOf(const GUID& guid) {
    std::uint8_t bytes[16];
    std::memcpy(bytes, &guid, sizeof(bytes));
    return GuidText(bytes);
}

void Check(HRESULT result) {
    if (FAILED(result))
        throw CError(static_cast<std::uint32_t>(result), L"The Network List Manager did not answer.");
}

// The SSID's bytes as text: UTF-8 as Windows shows it, or the system's code page where they are not.
std::wstring SsidOf(const DOT11_SSID& ssid) {
    const int length = static_cast<int>(std::min<ULONG>(ssid.uSSIDLength, DOT11_SSID_MAX_LENGTH));
    if (length == 0)
        return {};
    const auto* bytes = reinterpret_cast<const char*>(ssid.ucSSID);
    for (const UINT page : {UINT{CP_UTF8}, UINT{CP_ACP}}) {
        const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int size = MultiByteToWideChar(page, flags, bytes, length, nullptr, 0);
        if (size <= 0)
            continue;
        std::wstring text(static_cast<std::size_t>(size), L'\0');
        MultiByteToWideChar(page, flags, bytes, length, text.data(), size);
        return text;
    }
    return {};
}

// What the WLAN API allocated for its caller, freed by it when it goes.
// Its free function is looked up before anything is allocated.
struct WlanMemory {
    decltype(&WlanFreeMemory) free;
    void* p = nullptr;
    ~WlanMemory() {
        if (p)
            free(p);
    }
};

// NL_NETWORK_CONNECTIVITY_HINT and the calls of netioapi.h that MinGW does not declare.
struct ConnectivityHint {
    int level;
    int cost;
    BOOLEAN approachingDataLimit;
    BOOLEAN overDataLimit;
    BOOLEAN roaming;
};
using HintCallback = VOID(WINAPI*)(PVOID context, ConnectivityHint hint);
using NotifyHintChange = DWORD(WINAPI*)(HintCallback callback, PVOID context, BOOLEAN initial, PHANDLE handle);

struct NoticeTarget {
    HWND window;
    UINT message;
};

VOID WINAPI PostConnectivityChange(PVOID context, ConnectivityHint) {
    const auto* target = static_cast<const NoticeTarget*>(context);
    PostMessageW(target->window, target->message, 0, 0);
}

}  // namespace

std::shared_ptr<void> ArmConnectivityNotice(HWND window, UINT message) {
    static const auto notify = SystemFunction<NotifyHintChange>(L"iphlpapi.dll", "NotifyNetworkConnectivityHintChange");
    static const auto cancel = SystemFunction<decltype(&CancelMibChangeNotify2)>(L"iphlpapi.dll", "CancelMibChangeNotify2");
    auto target = std::make_unique<NoticeTarget>(NoticeTarget{window, message});
    HANDLE handle = nullptr;
    if (const DWORD result = notify(PostConnectivityChange, target.get(), FALSE, &handle); result != NO_ERROR)
        throw SystemError(result, L"Changes of the networks' connectivity cannot be followed.");
    if (!handle)
        return nullptr;
    // Withdrawn from the window's thread; once the cancel returns no call of the callback runs.
    return std::shared_ptr<void>(handle, [target = target.release()](HANDLE notice) {
        cancel(notice);
        delete target;
    });
}

LinkMap DecodeLinks(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kRows = offsetof(MIB_IF_TABLE2, Table);
    if (bytes.size() < kRows)
        throw CError(kErrorInvalidData, L"The interface table is malformed: it has no count.");
    ULONG count;
    std::memcpy(&count, bytes.data(), sizeof(count));
    if (count > (bytes.size() - kRows) / sizeof(MIB_IF_ROW2))
        throw CError(kErrorInvalidData, L"The interface table is malformed: its rows run outside it.");
    LinkMap links;
    for (ULONG i = 0; i < count; ++i) {
        MIB_IF_ROW2 row;
        std::memcpy(&row, bytes.data() + kRows + i * sizeof(MIB_IF_ROW2), sizeof(row));
        LinkInfo link;
        link.type = row.Type;
        link.tunnelType = static_cast<std::uint32_t>(row.TunnelType);
        link.mediaType = static_cast<std::uint32_t>(row.MediaType);
        link.physicalMedium = static_cast<std::uint32_t>(row.PhysicalMediumType);
        link.hardware = row.InterfaceAndOperStatusFlags.HardwareInterface != 0;
        link.filter = row.InterfaceAndOperStatusFlags.FilterInterface != 0;
        link.transmitSpeed = row.TransmitLinkSpeed;
        link.receiveSpeed = row.ReceiveLinkSpeed;
        links.emplace(GuidOf(row.InterfaceGuid), link);
    }
    return links;
}

LinkMap ReadLinks() {
    static const auto getIfTable2 = SystemFunction<decltype(&GetIfTable2)>(L"iphlpapi.dll", "GetIfTable2");
    static const auto freeMibTable = SystemFunction<decltype(&FreeMibTable)>(L"iphlpapi.dll", "FreeMibTable");
    PMIB_IF_TABLE2 table = nullptr;
    if (const DWORD result = getIfTable2(&table); result != NO_ERROR)
        throw SystemError(result, L"The interface table could not be read.");
    const std::unique_ptr<MIB_IF_TABLE2, decltype(freeMibTable)> owned(table, freeMibTable);
    // Windows gives no size with the table: its count, within reason, says how far it reaches.
    const ULONG count = std::min(table->NumEntries, kMostRows);
    const std::size_t size = offsetof(MIB_IF_TABLE2, Table) + std::size_t{count} * sizeof(MIB_IF_ROW2);
    std::vector<std::uint8_t> bytes(size);
    std::memcpy(bytes.data(), table, size);
    std::memcpy(bytes.data(), &count, sizeof(count));
    return DecodeLinks(bytes);
}

struct NetworkList::Manager {
    ComRef<INetworkListManager> list;
};

NetworkList::NetworkList() : m_manager(std::make_unique<Manager>()) {}
NetworkList::~NetworkList() = default;

std::vector<NetworkConnection> NetworkList::Connections() {
    static constexpr CLSID kNetworkListManager = {0xdcb00c01, 0x570f, 0x4a9b, {0x8d, 0x69, 0x19, 0x9f, 0xdb, 0xa5, 0x72, 0x3b}};
    if (!m_manager->list.get())
        Check(CoCreateInstance(kNetworkListManager, nullptr, CLSCTX_ALL, __uuidof(INetworkListManager),
                               reinterpret_cast<void**>(m_manager->list.Out())));
    ComRef<IEnumNetworkConnections> all;
    const HRESULT listed = m_manager->list->GetNetworkConnections(all.Out());
    if (FAILED(listed)) {
        // A service that went away leaves a dead object: the next read makes it anew.
        m_manager->list.Reset();
        Check(listed);
    }
    std::vector<NetworkConnection> connections;
    for (;;) {
        ComRef<INetworkConnection> connection;
        ULONG fetched = 0;
        if (all->Next(1, connection.Out(), &fetched) != S_OK || fetched != 1 || !connection.get())
            break;
        NetworkConnection found;
        GUID adapter{};
        if (FAILED(connection->GetAdapterId(&adapter)))
            continue;
        found.adapter = GuidOf(adapter);
        NLM_CONNECTIVITY connectivity{};
        if (SUCCEEDED(connection->GetConnectivity(&connectivity)))
            found.connectivity = static_cast<std::uint32_t>(connectivity);
        NLM_DOMAIN_TYPE domain{};
        if (SUCCEEDED(connection->GetDomainType(&domain)))
            found.domainType = static_cast<std::int32_t>(domain);
        ComRef<INetwork> network;
        if (SUCCEEDED(connection->GetNetwork(network.Out())) && network.get()) {
            OwnedBstr name;
            if (SUCCEEDED(network->GetName(&name.text)) && name.text)
                found.name.assign(name.text, SysStringLen(name.text));
            NLM_NETWORK_CATEGORY category{};
            found.category = SUCCEEDED(network->GetCategory(&category)) ? static_cast<std::int32_t>(category) : -1;
        } else {
            found.category = -1;
        }
        connections.push_back(std::move(found));
    }
    return connections;
}

WifiNetworks::WifiNetworks() = default;

WifiNetworks::~WifiNetworks() {
    if (!m_client)
        return;
    try {
        static const auto wlanCloseHandle = SystemFunction<decltype(&WlanCloseHandle)>(L"wlanapi.dll", "WlanCloseHandle");
        wlanCloseHandle(m_client, nullptr);
    } catch (const CError&) {
        // A wlanapi.dll that opened the handle has the call that closes it; nothing else can.
    }
}

WifiRead WifiNetworks::Read() {
    WifiRead read;
    try {
        static const auto wlanOpenHandle = SystemFunction<decltype(&WlanOpenHandle)>(L"wlanapi.dll", "WlanOpenHandle");
        static const auto wlanEnumInterfaces =
            SystemFunction<decltype(&WlanEnumInterfaces)>(L"wlanapi.dll", "WlanEnumInterfaces");
        static const auto wlanQueryInterface =
            SystemFunction<decltype(&WlanQueryInterface)>(L"wlanapi.dll", "WlanQueryInterface");
        static const auto wlanFreeMemory = SystemFunction<decltype(&WlanFreeMemory)>(L"wlanapi.dll", "WlanFreeMemory");
        if (!m_client) {
            DWORD version = 0;
            HANDLE client = nullptr;
            if (wlanOpenHandle(2, nullptr, &version, &client) != ERROR_SUCCESS) {
                read.service = false;
                return read;
            }
            m_client = client;
        }
        WlanMemory listed{wlanFreeMemory};
        if (wlanEnumInterfaces(m_client, nullptr, reinterpret_cast<PWLAN_INTERFACE_INFO_LIST*>(&listed.p)) !=
                ERROR_SUCCESS ||
            !listed.p) {
            read.service = false;
            return read;
        }
        const auto* list = static_cast<const WLAN_INTERFACE_INFO_LIST*>(listed.p);
        const DWORD count = std::min<DWORD>(list->dwNumberOfItems, kMostRows);
        for (DWORD i = 0; i < count; ++i) {
            const WLAN_INTERFACE_INFO& on = list->InterfaceInfo[i];
            WifiInfo& wifi = read.interfaces[GuidOf(on.InterfaceGuid)];
            wifi.state = WifiState::Disconnected;
            if (on.isState != wlan_interface_state_connected)
                continue;
            WlanMemory attributes{wlanFreeMemory};
            DWORD size = 0;
            const DWORD result =
                wlanQueryInterface(m_client, &on.InterfaceGuid, wlan_intf_opcode_current_connection, nullptr, &size,
                                   &attributes.p, nullptr);
            // Since Windows 11 24H2 the SSID is refused to a program without location access.
            if (result == ERROR_ACCESS_DENIED) {
                wifi.state = WifiState::LocationRefused;
            } else if (result == ERROR_SUCCESS && attributes.p && size >= sizeof(WLAN_CONNECTION_ATTRIBUTES)) {
                const auto* connection = static_cast<const WLAN_CONNECTION_ATTRIBUTES*>(attributes.p);
                wifi.state = WifiState::Connected;
                wifi.ssid = SsidOf(connection->wlanAssociationAttributes.dot11Ssid);
            }
        }
    } catch (const CError&) {
        // wlanapi.dll is not there (a server without the Wireless LAN Service feature).
        read.service = false;
        read.interfaces.clear();
    }
    return read;
}

}  // namespace netpeek
