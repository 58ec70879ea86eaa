#include "feed/TableSources.h"

#include "addrtable/GetIPAddresses.h"
#include "addrtable/GetIPv6Addresses.h"
#include "interfaces/Adapters.h"
#include "interfaces/ConnectionReads.h"
#include "interfaces/DhcpLease.h"
#include "interfaces/ReadRoutes.h"

namespace netpeek {

TableSources TableSources::Real() {
    TableSources s;
    s.getIPAddresses = [](AddrTableRead& read) { GetIPAddresses(read); };
    s.getIPv6Addresses = [] { return GetIPv6Addresses(); };
    s.notifyIPv6Change = ArmIPv6ChangeNotice;
    s.notifyAddrChange = ArmAddrChangeNotice;
    s.cancelAddrChangeNotify = CancelAddrChangeNotice;
    s.addrChangeResult = AddrChangeNoticeResult;
    s.clock = [] {
        // The performance counter, since the tick count's steps of 16 ms are as long as a quick read.
        LARGE_INTEGER counter{}, frequency{};
        QueryPerformanceCounter(&counter);
        QueryPerformanceFrequency(&frequency);
        const auto ticks = static_cast<ULONGLONG>(counter.QuadPart);
        const auto perSecond = static_cast<ULONGLONG>(frequency.QuadPart);
        return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
    };
    // The buffer of one read is the next one's, as the table's is.
    s.getAdapters = [kept = std::make_shared<AdaptersBuffer>()] { return ReadAdapters(*kept); };
    s.getLinks = [] { return ReadLinks(); };
    // The Network List Manager's objects and the WLAN handle are made at their first read and
    // kept, shared by the copies of these services, until the last copy goes.
    s.getNetworks = [list = std::make_shared<NetworkList>()] { return list->Connections(); };
    s.getWifi = [wifi = std::make_shared<WifiNetworks>()] { return wifi->Read(); };
    s.notifyConnectivityChange = ArmConnectivityNotice;
    s.getRoutes = ReadRoutes;
    s.bestRoute = BestRouteTo;
    s.utcNow = UtcNow;
    s.localMinute = ToLocalMinute;
    s.leaseObtained = LeaseObtained;
    return s;
}

}  // namespace netpeek
