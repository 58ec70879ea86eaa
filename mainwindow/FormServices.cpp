#include "mainwindow/FormServices.h"

#include <memory>

#include "addrtable/GetIPAddresses.h"
#include "addrtable/GetIPv6Addresses.h"
#include "export/ExportList.h"
#include "support/AboutBox.h"
#include "support/Adapters.h"
#include "support/AppServices.h"
#include "support/DhcpLease.h"
#include "support/LayoutStore.h"

namespace netpeek {

FormServices FormServices::Real() {
    FormServices s;
    s.centerForm = asCenterFormEx;
    s.isInIDE = asIsInIDE;
    s.setWindowResIconAll = asSetWindowResIconAll;
    s.setMenuJustify = asSetMenuJustify;
    s.restoreWindowPlacement = [](HWND w, const std::wstring& section, const std::wstring& name,
                                  const CApplication& app, int minW, int minH, int show, bool perUser) {
        return LayoutStore().RestoreWindowPlacement(w, section, name, app, minW, minH, show, perUser);
    };
    s.restoreListLayout = [](HWND list, const std::wstring& name, const CApplication& app, bool perUser) {
        return LayoutStore().RestoreListLayout(list, name, app, perUser);
    };
    s.saveWindowPlacement = [](HWND w, const std::wstring& section, const std::wstring& name,
                               const CApplication& app, bool perUser) {
        return LayoutStore().SaveWindowPlacement(w, section, name, app, perUser);
    };
    s.saveListLayout = [](HWND list, const std::wstring& name, const CApplication& app, bool perUser) {
        return LayoutStore().SaveListLayout(list, name, app, perUser);
    };
    s.readValue = [](const std::wstring& section, const std::wstring& name, long flags, const CApplication& app,
                     const std::wstring& defaultValue, bool perUser) {
        return LayoutStore().ReadValue(section, name, flags, app, defaultValue, perUser);
    };
    s.writeValue = [](const std::wstring& section, const std::wstring& name, long flags, const std::wstring& value,
                      const CApplication& app, bool perUser) {
        return LayoutStore().WriteValue(section, name, flags, value, app, perUser);
    };
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
    s.utcNow = UtcNow;
    s.localMinute = ToLocalMinute;
    s.leaseObtained = LeaseObtained;
    s.openReadMeFile = asOpenReadMeFile;
    s.showAbout = [](HWND owner, const CApplication& app, const std::wstring& extra, HBITMAP picture,
                     const std::wstring& dedication) {
        AboutBox::Instance().ShowAbout(owner, app, extra, picture, dedication);
    };
    s.exportList = [](HWND owner, HWND list) { ExportList(owner, list); };
    return s;
}

}  // namespace netpeek
