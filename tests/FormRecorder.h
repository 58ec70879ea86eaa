#pragma once
// A recording stand-in for the main window's services, for the in-process window tests.

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mainwindow/FormServices.h"
#include "support/AppServices.h"
#include "support/Error.h"

namespace netpeek::test {

struct FormRecorder {
    std::vector<std::wstring> calls;
    CIPAddrList rows;
    std::map<std::wstring, std::wstring> values;  // what readValue finds and writeValue keeps
    bool inIDE = false;
    bool snapshotFails = false;
    AdapterMap adapters;
    bool adaptersFail = false;
    // The connections behind the interfaces, by their GUID: GetIfTable2's links, the Network List
    // Manager's connections (unreachable while networksFail) and the WLAN API's read.
    LinkMap links;
    std::vector<NetworkConnection> networks;
    bool networksFail = false;
    WifiRead wifi;
    int connectivityNotices = 0;  // connectivity notices armed and not yet withdrawn
    RouteTable routes;                                  // the route table, as GetRoutes reads it
    bool routesFail = false;
    std::map<std::uint8_t, BestRoute> bestRoutes;       // what Windows answers for a family's destination
    HCURSOR cursorDuringSnapshot = nullptr;
    OVERLAPPED* notice = nullptr;  // the window's pending change notice, while one is armed
    int writeFailures = 0;         // so many writeValue calls throw, as an unwritable HKCU does
    CIPv6AddrList rows6;
    bool ipv6Fails = false;
    int ipv6Notices = 0;           // IPv6 change notices armed and not yet withdrawn

    // The change notice as IP Helper keeps it: a request is pending until its event is signalled
    // (it then ends as noticeEnds says) or, once withdrawn, until someone waits for it to end.
    std::set<OVERLAPPED*> pending, withdrawn;
    DWORD noticeEnds = NO_ERROR;
    int noticesFailingAtOnce = 0;  // so many next requests end with an error as soon as they are made
    int armedWhilePending = 0;     // requests made on an OVERLAPPED that Windows still held

    // A fake clock, when set: each read of the table advances it by readCost milliseconds.
    std::optional<ULONGLONG> clock;
    ULONGLONG readCost = 0;
    // The wall clock (seconds since 1970 UTC), whose local time is UTC; and when each interface,
    // by AdapterName, obtained its IPv4 lease.
    std::int64_t now = 1765289000;  // 2025-12-09 14:03:20
    std::int64_t zoneSeconds = 0;   // how far the local clock is ahead of UTC
    std::map<std::wstring, std::int64_t> obtained;

    static std::wstring B(bool value) { return value ? L"true" : L"false"; }

    // A moment in UTC, by the days-from-civil algorithm read backwards.
    static LocalMinute UtcMinute(std::int64_t seconds) {
        const std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
        const std::int64_t inDay = seconds - days * 86400;
        const std::int64_t z = days + 719468;
        const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
        const std::int64_t doe = z - era * 146097;
        const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const std::int64_t mp = (5 * doy + 2) / 153;
        const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
        const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
        return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(doy - (153 * mp + 2) / 5 + 1),
                static_cast<int>(inDay / 3600), static_cast<int>(inDay % 3600 / 60)};
    }

    FormServices Services() {
        FormServices s;
        s.centerForm = [this](HWND w) {
            calls.push_back(L"asCenterFormEx");
            asCenterFormEx(w);
        };
        s.isInIDE = [this] {
            calls.push_back(L"asIsInIDE");
            return inIDE;
        };
        s.setWindowResIconAll = [this](HWND w, const std::wstring& name) {
            calls.push_back(L"asSetWindowResIconAll " + name);
            asSetWindowResIconAll(w, name);
        };
        s.setMenuJustify = [this](HWND w, int position, bool right) {
            calls.push_back(L"asSetMenuJustify " + std::to_wstring(position) + L" " + B(right));
            asSetMenuJustify(w, position, right);
        };
        s.restoreWindowPlacement = [this](HWND, const std::wstring& section, const std::wstring& name,
                                          const CApplication& app, int a, int b, int c, bool perUser) {
            calls.push_back(L"RestoreWindowPlacement [" + section + L"] " + name + L" " + app.Title + L" " +
                            std::to_wstring(a) + L" " + std::to_wstring(b) + L" " + std::to_wstring(c) + L" " +
                            B(perUser));
            return 0;
        };
        s.restoreListLayout = [this](HWND, const std::wstring& name, const CApplication& app, bool perUser) {
            calls.push_back(L"RestoreListLayout " + name + L" " + app.Title + L" " + B(perUser));
            return false;
        };
        s.saveWindowPlacement = [this](HWND, const std::wstring& section, const std::wstring& name,
                                       const CApplication& app, bool perUser) {
            calls.push_back(L"SaveWindowPlacement [" + section + L"] " + name + L" " + app.Title + L" " + B(perUser));
            return true;
        };
        s.saveListLayout = [this](HWND, const std::wstring& name, const CApplication& app, bool perUser) {
            calls.push_back(L"SaveListLayout " + name + L" " + app.Title + L" " + B(perUser));
            return true;
        };
        s.readValue = [this](const std::wstring& section, const std::wstring& name, long, const CApplication& app,
                             const std::wstring& defaultValue, bool perUser) {
            calls.push_back(L"ReadValue [" + section + L"] " + name + L" " + app.Title + L" " + B(perUser));
            const auto found = values.find(name);
            return found == values.end() ? defaultValue : found->second;
        };
        s.writeValue = [this](const std::wstring& section, const std::wstring& name, long, const std::wstring& value,
                              const CApplication& app, bool perUser) {
            calls.push_back(L"WriteValue [" + section + L"] " + name + L" " + value + L" " + app.Title + L" " +
                            B(perUser));
            if (writeFailures > 0) {
                --writeFailures;
                throw CError(ERROR_ACCESS_DENIED, L"The setting could not be stored.");
            }
            values[name] = value;
            return true;
        };
        s.getIPAddresses = [this](AddrTableRead& read) {
            calls.push_back(L"GetIPAddresses");
            cursorDuringSnapshot = GetCursor();
            if (clock)
                *clock += readCost;
            if (snapshotFails)
                throw CError(ERROR_NOT_SUPPORTED, L"The IPv4 address table could not be read.");
            read.rows = rows;
        };
        s.getIPv6Addresses = [this] {
            calls.push_back(L"GetIPv6Addresses");
            if (ipv6Fails)
                throw CError(ERROR_NOT_SUPPORTED, L"The IPv6 address table could not be read.");
            return rows6;
        };
        s.notifyIPv6Change = [this](HWND, UINT) {
            calls.push_back(L"NotifyUnicastIpAddressChange");
            ++ipv6Notices;
            return std::shared_ptr<void>(this, [this](void*) { --ipv6Notices; });
        };
        s.notifyAddrChange = [this](OVERLAPPED& overlapped) -> HANDLE {
            calls.push_back(L"NotifyAddrChange");
            if (!pending.insert(&overlapped).second)
                ++armedWhilePending;
            notice = &overlapped;
            if (noticesFailingAtOnce > 0) {
                --noticesFailingAtOnce;
                noticeEnds = ERROR_NETWORK_UNREACHABLE;
                SetEvent(overlapped.hEvent);
            }
            return nullptr;
        };
        s.cancelAddrChangeNotify = [this](OVERLAPPED& overlapped) {
            calls.push_back(L"CancelIPChangeNotify");
            if (notice == &overlapped)
                notice = nullptr;
            if (pending.count(&overlapped) != 0)
                withdrawn.insert(&overlapped);
            return true;
        };
        s.addrChangeResult = [this](HANDLE, OVERLAPPED& overlapped, DWORD wait) -> DWORD {
            calls.push_back(wait != 0 ? L"GetOverlappedResult wait" : L"GetOverlappedResult");
            if (pending.count(&overlapped) == 0)
                return ERROR_INVALID_PARAMETER;
            const bool cancelled = withdrawn.count(&overlapped) != 0;
            if (!(cancelled && wait != 0) && WaitForSingleObject(overlapped.hEvent, 0) != WAIT_OBJECT_0)
                return ERROR_IO_INCOMPLETE;
            pending.erase(&overlapped);
            withdrawn.erase(&overlapped);
            return cancelled ? ERROR_OPERATION_ABORTED : noticeEnds;
        };
        s.clock = [this] { return clock ? *clock : GetTickCount64(); };
        s.getAdapters = [this] {
            calls.push_back(L"GetAdapters");
            if (adaptersFail)
                throw CError(ERROR_NOT_SUPPORTED, L"The network adapters could not be read.");
            return adapters;
        };
        s.getLinks = [this] {
            calls.push_back(L"GetIfTable2");
            return links;
        };
        s.getNetworks = [this] {
            calls.push_back(L"GetNetworkConnections");
            if (networksFail)
                throw CError(0x800706BAu, L"The RPC server is unavailable.");
            return networks;
        };
        s.getWifi = [this] {
            calls.push_back(L"WlanEnumInterfaces");
            return wifi;
        };
        s.notifyConnectivityChange = [this](HWND, UINT) {
            ++connectivityNotices;
            return std::shared_ptr<void>(this, [this](void*) { --connectivityNotices; });
        };
        s.getRoutes = [this] {
            calls.push_back(L"GetRoutes");
            if (routesFail)
                throw CError(ERROR_NOT_SUPPORTED, L"The route table could not be read.");
            return routes;
        };
        s.bestRoute = [this](const SocketAddress& destination) -> std::optional<BestRoute> {
            const auto found = bestRoutes.find(destination.family);
            return found == bestRoutes.end() ? std::nullopt : std::optional<BestRoute>(found->second);
        };
        s.utcNow = [this] { return now; };
        s.localMinute = [this](std::int64_t utcSeconds) { return UtcMinute(utcSeconds + zoneSeconds); };
        s.leaseObtained = [this](const std::wstring& adapterName) -> std::optional<std::int64_t> {
            const auto found = obtained.find(adapterName);
            return found == obtained.end() ? std::nullopt : std::optional<std::int64_t>(found->second);
        };
        s.openReadMeFile = [this](HWND, long which) { calls.push_back(L"asOpenReadMeFile " + std::to_wstring(which)); };
        s.showAbout = [this](HWND owner, const CApplication& app, const std::wstring& extra, HBITMAP picture,
                             const std::wstring& dedication) {
            calls.push_back(L"ShowAbout " + std::to_wstring(reinterpret_cast<INT_PTR>(owner) != 0) + L" " +
                            app.Title + L" [" + extra + L"] " + std::to_wstring(picture != nullptr) + L" " +
                            dedication);
        };
        s.exportList = [this](HWND, HWND) { calls.push_back(L"ExportList"); };
        return s;
    }

    // The calls made since the last look, and forget them.
    std::vector<std::wstring> Take() {
        std::vector<std::wstring> taken;
        taken.swap(calls);
        return taken;
    }
};

}  // namespace netpeek::test
