#pragma once
// Reading the connections behind the interfaces from Windows: GetIfTable2's links, the Network
// List Manager's connections and the WLAN API's Wi-Fi networks.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "interfaces/Connection.h"

namespace netpeek {

// The links of a table that GetIfTable2 filled, read as far as its `bytes` say it reaches. A
// CError when the count of rows runs past them.
LinkMap DecodeLinks(std::span<const std::uint8_t> bytes);
// Every interface's link, by GetIfTable2. Throws CError when the call fails.
LinkMap ReadLinks();

// The Network List Manager, created at the first read on the thread's COM apartment and released
// with its owner. A read throws CError where it cannot be reached (its service stopped, COM not
// set up): the next read tries again.
class NetworkList {
public:
    NetworkList();
    ~NetworkList();
    NetworkList(const NetworkList&) = delete;
    NetworkList& operator=(const NetworkList&) = delete;
    std::vector<NetworkConnection> Connections();

private:
    struct Manager;
    std::unique_ptr<Manager> m_manager;
};

// The WLAN API's client handle, opened at the first read and closed with its owner. Where
// wlanapi.dll or its service is missing, a read says so (`service` false) rather than fail.
class WifiNetworks {
public:
    WifiNetworks();
    ~WifiNetworks();
    WifiNetworks(const WifiNetworks&) = delete;
    WifiNetworks& operator=(const WifiNetworks&) = delete;
    WifiRead Read();

private:
    HANDLE m_client = nullptr;
};

// Windows' notice of a change of the networks' connectivity (NotifyNetworkConnectivityHintChange,
// Windows 10 2004 and later): each posts `message` to `window` from a thread of the system's;
// releasing the answer withdraws it. A CError where the system has no such notice.
std::shared_ptr<void> ArmConnectivityNotice(HWND window, UINT message);

}  // namespace netpeek
