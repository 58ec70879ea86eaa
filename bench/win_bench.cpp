// The window's timings under Wine's real controls, each beside a baseline measured in the
// same run, so that a shared, noisy machine changes both alike. Prints tab-separated lines
// for report.py:  figure <name> <median ms> <baseline name> <baseline ms> <budget ratio>
// and             info <name> <value>
// Exits non-zero when a budget is missed or the program loads a DLL that is not Windows' own.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "addrtable/AddrTable.h"
#include "addrtable/GetIPAddresses.h"
#include "bench/Timing.h"
#include "export/ExportList.h"
#include "export/ListTexts.h"
#include "interfaces/Adapters.h"
#include "interfaces/ReadRoutes.h"
#include "mainwindow/frmMain.h"
#include "rows/CellTexts.h"
#include "rows/ListRow.h"
#include "settings/Settings.h"
#include "support/Error.h"
#include "support/ErrorBox.h"
#include "support/Handles.h"
#include "support/Hooks.h"
#include "support/TextFileWriter.h"
#include "tests/TableBuilder.h"

namespace {

using namespace netpeek;
using namespace netpeek::bench;

inline void FreeKernelHandle(HANDLE handle) { CloseHandle(handle); }
using UniqueKernel = UniqueHandle<HANDLE, FreeKernelHandle>;

constexpr int kRuns = 7;
// Work of a few milliseconds or less is timed more often: a moment of another process weighs more on it.
constexpr int kQuickRuns = 21;
bool g_failed = false;

double MedianMs(const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i)
        times.push_back(TimeMs(work));
    return Median(times);
}

// The work and its baseline take turns, so that a slow spell of the machine hits both.
std::pair<double, double> Paired(const std::function<void()>& work, const std::function<void()>& baseline,
                                 int runs = kRuns) {
    work();  // warm-up: first-use costs are not what is measured
    baseline();
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(TimeMs(work));
        b.push_back(TimeMs(baseline));
    }
    return {Median(a), Median(b)};
}

// Work of a fraction of a millisecond, paired as above: each sample is `reads` of it, and the
// medians are per one.
std::pair<double, double> PairedQuick(const std::function<void()>& work, const std::function<void()>& baseline,
                                      int reads) {
    const auto repeated = [reads](const std::function<void()>& once) {
        return [&once, reads] {
            for (int i = 0; i < reads; ++i)
                once();
        };
    };
    const auto [a, b] = Paired(repeated(work), repeated(baseline), kQuickRuns);
    return {a / reads, b / reads};
}

void Figure(const std::string& name, double ms, const std::string& baseline, double baselineMs, double budget) {
    std::printf("figure\t%s\t%.3f\t%s\t%.3f\t%.2f\n", name.c_str(), ms, baseline.c_str(), baselineMs, budget);
    if (budget > 0 && ms > budget * baselineMs)
        g_failed = true;
}

void Info(const std::string& name, const std::string& value) {
    std::printf("info\t%s\t%s\n", name.c_str(), value.c_str());
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

CIPAddrList Rows(std::uint32_t count) {
    return DecodeAddrTable(test::TableBytes(test::NumberedRows(count)));
}

// What a plain fill does: the same texts by one insert and five sub-item messages per row,
// with redrawing suspended.
void PlainFill(HWND list, const std::vector<CRowCells>& texts, std::size_t columns = kBaseColumnCount) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    int at = 0;
    for (const CRowCells& cells : texts) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = at;
        item.pszText = const_cast<wchar_t*>(cells[0].c_str());
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < static_cast<int>(columns); ++column) {
            item.iSubItem = column;
            item.pszText = const_cast<wchar_t*>(cells[static_cast<std::size_t>(column)].c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
        }
        ++at;
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// F5 of what the window reads, shown, against a plain fill of the same texts.
std::pair<double, double> RefreshAgainstPlainFill(frmMain& form, const std::vector<CRowCells>& texts) {
    const HWND list = form.ListView();
    return Paired(
        [&] {
            form.RefreshList();
            UpdateWindow(list);
        },
        [&] {
            PlainFill(list, texts);
            UpdateWindow(list);
        });
}

FormServices BenchServices(const CIPAddrList& rows) {
    FormServices s = FormServices::Real();
    s.restoreWindowPlacement = [](HWND, const std::wstring&, const std::wstring&, const CApplication&, int, int,
                                  int, bool) { return 0; };
    s.restoreListLayout = [](HWND, const std::wstring&, const CApplication&, bool) { return false; };
    s.saveWindowPlacement = [](HWND, const std::wstring&, const std::wstring&, const CApplication&, bool) {
        return true;
    };
    s.saveListLayout = [](HWND, const std::wstring&, const CApplication&, bool) { return true; };
    s.readValue = [](const std::wstring&, const std::wstring&, long, const CApplication&,
                     const std::wstring& defaultValue, bool) { return defaultValue; };
    s.writeValue = [](const std::wstring&, const std::wstring&, long, const std::wstring&, const CApplication&,
                      bool) { return true; };
    s.getIPAddresses = [&rows](AddrTableRead& read) { read.rows = rows; };
    return s;
}

// The bench's services with a table read from `table`, as IP Helper gives it.
FormServices TableServices(const std::vector<std::uint8_t>& table) {
    static const CIPAddrList kNoRows;
    FormServices services = BenchServices(kNoRows);
    services.getIPAddresses = [&table](AddrTableRead& read) { GetIPAddresses(CopySource(table), read); };
    return services;
}

// Following the table: a re-read that finds it unchanged against the read and decode alone,
// and one address added to 10,000 against that re-read plus one row put into the list.
void BenchFollow(const std::vector<std::uint8_t>& base, const std::vector<std::uint8_t>& added,
                 std::size_t addedAt) {
    std::vector<std::uint8_t> table = base;
    frmMain form(TableServices(table));
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    Pump();
    const HWND list = form.ListView();
    const auto [reread, readAndDecode] =
        PairedQuick([&] { form.UpdateFromTable(); }, [&] { GetIPAddresses(CopySource(table)); }, 20);
    Figure("unchanged re-read, 10000 rows", reread, "table read and decode", readAndDecode, 1.2);

    const CRowCells cells = RowCells(DecodeAddrTable(added)[addedAt]);
    const int item = static_cast<int>(addedAt);
    const ListViewCtrl view(list);
    std::vector<double> update, floor;
    for (int run = 0; run <= kQuickRuns; ++run) {
        table = added;
        const double updateMs = TimeMs([&] {
            form.UpdateFromTable();
            UpdateWindow(list);
        });
        table = base;
        form.UpdateFromTable();
        UpdateWindow(list);
        const double floorMs = TimeMs([&] {
            form.UpdateFromTable();
            view.InsertItem(item, cells[0].c_str());
            for (int column = 1; column < static_cast<int>(kBaseColumnCount); ++column)
                view.SetItemText(item, column, cells[static_cast<std::size_t>(column)].c_str());
            UpdateWindow(list);
        });
        view.DeleteItem(item);
        UpdateWindow(list);
        if (run > 0) {  // the first is the warm-up
            update.push_back(updateMs);
            floor.push_back(floorMs);
        }
    }
    if (view.GetItemCount() != 10000)
        throw CError(ERROR_INVALID_DATA, L"The list did not follow the table.");
    Figure("one address added to 10000, shown", Median(update), "unchanged re-read + one row inserted",
           Median(floor), 1.5);

    // The first 1,000 rows go at once (an adapter with many addresses unplugged), against the
    // unchanged re-read and the same removals alone, made as a fill makes its rows, with the
    // list's drawing off.
    constexpr std::size_t kGone = 1000;
    const CIPAddrList all = DecodeAddrTable(base);
    std::vector<std::uint8_t> fewer(base.begin(), base.end());
    fewer.erase(fewer.begin() + 4, fewer.begin() + 4 + kGone * CIPAddrRow::kSize);
    const std::uint32_t left = static_cast<std::uint32_t>(all.size() - kGone);
    std::memcpy(fewer.data(), &left, sizeof(left));
    update.clear();
    floor.clear();
    for (int run = 0; run <= kRuns; ++run) {
        table = fewer;
        const double updateMs = TimeMs([&] {
            form.UpdateFromTable();
            UpdateWindow(list);
        });
        if (view.GetItemCount() != static_cast<int>(left))
            throw CError(ERROR_INVALID_DATA, L"The list did not lose the rows that went.");
        table = base;
        form.UpdateFromTable();
        UpdateWindow(list);
        const double floorMs = TimeMs([&] {
            form.UpdateFromTable();
            view.SetRedraw(false);
            for (std::size_t gone = 0; gone < kGone; ++gone)
                view.DeleteItem(0);
            view.SetRedraw(true);
            InvalidateRect(list, nullptr, TRUE);
            UpdateWindow(list);
        });
        // The list back as the window left it, for the next run.
        view.SetRedraw(false);
        for (std::size_t gone = 0; gone < kGone; ++gone) {
            const CRowCells back = RowCells(all[gone]);
            view.InsertItem(static_cast<int>(gone), back[0].c_str());
            for (int column = 1; column < static_cast<int>(kBaseColumnCount); ++column)
                view.SetItemText(static_cast<int>(gone), column, back[static_cast<std::size_t>(column)].c_str());
        }
        view.SetRedraw(true);
        UpdateWindow(list);
        if (run > 0) {
            update.push_back(updateMs);
            floor.push_back(floorMs);
        }
    }
    Figure("first 1000 of 10000 rows gone, shown", Median(update), "unchanged re-read + 1000 rows removed",
           Median(floor), 1.5);
}

// A row's texts as the list shows them at `item`.
CRowCells ShownCells(const ListViewCtrl& view, int item, std::size_t columns = kBaseColumnCount) {
    CRowCells cells;
    for (std::size_t column = 0; column < columns; ++column) {
        wchar_t text[256] = {};
        view.GetItemText(item, static_cast<int>(column), text, 256);
        cells[column] = text;
    }
    return cells;
}

// A row that moves from the top of the sorted list to its bottom (in a list sorted by type, an
// address that gains "Disconnected") against the unchanged re-read plus that one row removed
// and inserted again with its six cells.
void BenchMove(const std::vector<std::uint8_t>& base, const std::vector<std::uint8_t>& moved) {
    constexpr int kTypeColumn = 5;
    std::vector<std::uint8_t> table = base;
    frmMain form(TableServices(table));
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    form.SortBy(kTypeColumn);
    const HWND list = form.ListView();
    const ListViewCtrl view(list);
    // The list shows its middle: the window keeps whichever row is at the top of the view in
    // its place, so the row that moves must not be that one, or the view would follow it.
    view.EnsureVisible(view.GetItemCount() / 2);
    Pump();
    const int last = view.GetItemCount() - 1;
    const CRowCells top = ShownCells(view, 0);
    const CRowCells bottom = RowCells(DecodeAddrTable(moved)[0]);
    std::vector<double> update, floor;
    for (int run = 0; run <= kQuickRuns; ++run) {
        table = moved;
        const double updateMs = TimeMs([&] {
            form.UpdateFromTable();
            UpdateWindow(list);
        });
        if (ShownCells(view, last) != bottom || ShownCells(view, 0) == top)
            throw CError(ERROR_INVALID_DATA, L"The row did not move to the bottom of the list.");
        table = base;
        form.UpdateFromTable();
        UpdateWindow(list);
        if (ShownCells(view, 0) != top)
            throw CError(ERROR_INVALID_DATA, L"The row did not move back to the top of the list.");
        const double floorMs = TimeMs([&] {
            form.UpdateFromTable();
            view.DeleteItem(0);
            view.InsertItem(last, bottom[0].c_str());
            for (int column = 1; column < static_cast<int>(kBaseColumnCount); ++column)
                view.SetItemText(last, column, bottom[static_cast<std::size_t>(column)].c_str());
            UpdateWindow(list);
        });
        // The list back as the window left it, for the next run.
        view.DeleteItem(last);
        view.InsertItem(0, top[0].c_str());
        for (int column = 1; column < static_cast<int>(kBaseColumnCount); ++column)
            view.SetItemText(0, column, top[static_cast<std::size_t>(column)].c_str());
        UpdateWindow(list);
        if (run > 0) {  // the first is the warm-up
            update.push_back(updateMs);
            floor.push_back(floorMs);
        }
    }
    Figure("one row of 10000 moved top to bottom, shown", Median(update), "unchanged re-read + one row moved",
           Median(floor), 1.5);
}

void BenchRefresh(frmMain& form, CIPAddrList& rows) {
    const HWND list = form.ListView();
    for (std::uint32_t count : {42u, 1000u, 10000u}) {
        rows = Rows(count);
        std::vector<CRowCells> texts;
        for (const CIPAddrRow& row : rows)
            texts.push_back(RowCells(row));
        const auto [refresh, plain] = RefreshAgainstPlainFill(form, texts);
        Figure("RefreshList " + std::to_string(count) + " rows", refresh, "plain fill, redraw off", plain,
               count == 10000 ? 1.5 : 0);
    }
    // A header click on the full list: sorted anew (each click turns the order round) and
    // filled again, against a plain fill of the same rows.
    std::vector<CRowCells> texts;
    for (const CIPAddrRow& row : rows)
        texts.push_back(RowCells(row));
    const auto [sort, plain] = Paired(
        [&] {
            form.SortBy(1);
            UpdateWindow(list);
        },
        [&] {
            PlainFill(list, texts);
            UpdateWindow(list);
        });
    Figure("header click, 10000 rows", sort, "plain fill, redraw off", plain, 1.5);
    form.RefreshList();
    Pump();
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory)))
        Info("peak working set with 10000 rows (bench process)",
             std::to_string(memory.PeakWorkingSetSize / (1024 * 1024)) + " MiB");
}

// `count` IPv6 rows as the unicast table gives them, in the list's order: 2001:db8::/64
// addresses from DHCPv6 and, every fourth, a link-local one with its zone.
CIPv6AddrList NumberedIPv6Rows(std::uint32_t count) {
    CIPv6AddrList rows;
    for (std::uint32_t i = 0; i < count; ++i) {
        CIPv6AddrRow row;
        const bool linkLocal = i % 4 == 0;
        row.InterfaceIndex = i + 1;
        row.Address = test::V6({static_cast<std::uint16_t>(linkLocal ? 0xfe80 : 0x2001),
                                static_cast<std::uint16_t>(linkLocal ? 0 : 0xdb8), 0, 0, 0x0200, 0x5eff, 0xfe00,
                                static_cast<std::uint16_t>(i)});
        row.ScopeId = linkLocal ? row.InterfaceIndex : 0;
        row.OnLinkPrefixLength = 64;
        row.PrefixOrigin = kPrefixOriginDhcp;
        row.SuffixOrigin = kSuffixOriginDhcp;
        row.DadState = kDadStatePreferred;
        rows.push_back(row);
    }
    SortIPv6Rows(rows);
    return rows;
}

// With the IPv6 rows switched on: a fill of 10,000 IPv4 and 10,000 IPv6 rows against a plain
// fill of the same 20,000 texts.
void BenchBothFamilies() {
    constexpr std::uint32_t kEach = 10000;
    const CIPAddrList rows = Rows(kEach);
    const CIPv6AddrList rows6 = NumberedIPv6Rows(kEach);
    FormServices services = BenchServices(rows);
    services.readValue = [](const std::wstring&, const std::wstring& name, long, const CApplication&,
                            const std::wstring& defaultValue, bool) {
        return name == kShowIPv6Name ? std::wstring(L"1") : defaultValue;
    };
    services.getIPv6Addresses = [&rows6] { return rows6; };
    frmMain form(services);
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    Pump();
    const HWND list = form.ListView();
    std::vector<CRowCells> texts;
    for (const CIPAddrRow& row : rows)
        texts.push_back(RowCells(row));
    for (const CIPv6AddrRow& row : rows6)
        texts.push_back(RowCells(row, false));
    const auto [refresh, plain] = RefreshAgainstPlainFill(form, texts);
    form.RefreshList();
    if (ShownCells(ListViewCtrl(list), static_cast<int>(texts.size()) - 1) != texts.back())
        throw CError(ERROR_INVALID_DATA, L"The list does not show the IPv6 rows after the IPv4 ones.");
    Figure("RefreshList 10000 IPv4 + 10000 IPv6 rows", refresh, "plain fill, redraw off", plain, 1.5);
}

// GetAdaptersAddresses' answer for one interface, index 1, that holds the `count` addresses of
// test::NumberedRows, each from DHCP with a day to go, with a gateway, two DNS servers and a
// DHCP server: built in the caller's buffer, as the system builds it there.
ULONG OneAdapter(std::uint32_t count, void* buffer, ULONG* size) {
    struct Head {
        IP_ADAPTER_ADDRESSES node;
        IP_ADAPTER_GATEWAY_ADDRESS gateway;
        IP_ADAPTER_DNS_SERVER_ADDRESS dns[2];
        sockaddr_in sockets[4];
        char name[40];
        wchar_t texts[2][16];
    };
    struct Unicast {
        IP_ADAPTER_UNICAST_ADDRESS node;
        sockaddr_in socket;
    };
    const ULONG needed = static_cast<ULONG>(sizeof(Head) + count * sizeof(Unicast));
    if (*size < needed) {
        *size = needed;
        return ERROR_BUFFER_OVERFLOW;
    }
    std::memset(buffer, 0, needed);
    auto* head = static_cast<Head*>(buffer);
    const auto socket = [](sockaddr_in& at, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
        at.sin_family = AF_INET;
        const std::uint8_t bytes[] = {a, b, c, d};
        std::memcpy(&at.sin_addr, bytes, 4);
        return SOCKET_ADDRESS{reinterpret_cast<LPSOCKADDR>(&at), sizeof(at)};
    };
    IP_ADAPTER_ADDRESSES& node = head->node;
    node.Length = sizeof(node);
    node.IfIndex = node.Ipv6IfIndex = 1;
    std::strcpy(head->name, "{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    std::wcscpy(head->texts[0], L"Ethernet");
    std::wcscpy(head->texts[1], L"Bench adapter");
    node.AdapterName = head->name;
    node.FriendlyName = head->texts[0];
    node.Description = head->texts[1];
    node.PhysicalAddressLength = 6;
    const BYTE mac[] = {0x00, 0x15, 0x5d, 0x01, 0x02, 0x03};
    std::memcpy(node.PhysicalAddress, mac, sizeof(mac));
    node.OperStatus = IfOperStatusUp;
    node.Mtu = 1500;
    head->gateway.Length = sizeof(head->gateway);
    head->gateway.Address = socket(head->sockets[0], 10, 0, 0, 254);
    node.FirstGatewayAddress = &head->gateway;
    for (int i = 0; i < 2; ++i) {
        head->dns[i].Length = sizeof(head->dns[i]);
        head->dns[i].Address = socket(head->sockets[1 + i], 10, 0, 0, static_cast<std::uint8_t>(53 + i));
        head->dns[i].Next = i == 0 ? &head->dns[1] : nullptr;
    }
    node.FirstDnsServerAddress = &head->dns[0];
    node.Dhcpv4Server = socket(head->sockets[3], 10, 0, 0, 250);
    auto* unicast = reinterpret_cast<Unicast*>(head + 1);
    for (std::uint32_t i = 0; i < count; ++i) {
        IP_ADAPTER_UNICAST_ADDRESS& u = unicast[i].node;
        u.Length = sizeof(u);
        u.Next = i + 1 < count ? &unicast[i + 1].node : nullptr;
        u.Address = socket(unicast[i].socket, 10, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), 1);
        u.PrefixOrigin = IpPrefixOriginDhcp;
        u.SuffixOrigin = IpSuffixOriginDhcp;
        u.ValidLifetime = 86400;
    }
    node.FirstUnicastAddress = count > 0 ? &unicast[0].node : nullptr;
    return NO_ERROR;
}

// All eight extra columns shown over 10,000 rows of one interface: F5 against a plain fill of
// fourteen columns plus one adapter read, and the unchanged re-read against the table's read
// plus the adapter read.
void BenchExtras() {
    constexpr std::uint32_t kRows = 10000;
    std::vector<test::RawRow> raw = test::NumberedRows(kRows);
    for (test::RawRow& row : raw)
        row.index = 1;
    const std::vector<std::uint8_t> table = test::TableBytes(raw);
    FormServices services = TableServices(table);
    const AdaptersSource adapters = [](ULONG, ULONG, void* buffer, ULONG* size) { return OneAdapter(kRows, buffer, size); };
    // As the program's own service: each read into the buffer of the one before.
    services.getAdapters = [adapters, kept = std::make_shared<AdaptersBuffer>()] { return ReadAdapters(adapters, *kept); };
    services.readValue = [](const std::wstring&, const std::wstring& name, long, const CApplication&,
                            const std::wstring& defaultValue, bool) {
        return name == kListColumnsName ? std::wstring(L"Name,Adapter,MAC,Status,Gateway,DNS,DHCP server,Lease expires")
                                        : defaultValue;
    };
    frmMain form(services);
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    Pump();
    const HWND list = form.ListView();
    const ListViewCtrl view(list);
    // The six and the eight of the interfaces, without "Route".
    constexpr std::size_t kFourteen = kColumnCount - 1;
    if (view.ColumnCount() != static_cast<int>(kFourteen))
        throw CError(ERROR_INVALID_DATA, L"The extra columns are not shown.");
    std::vector<CRowCells> texts;
    for (int item = 0; item < view.GetItemCount(); ++item)
        texts.push_back(ShownCells(view, item, kFourteen));
    if (texts.empty() || texts[0][kColLeaseExpires].empty())
        throw CError(ERROR_INVALID_DATA, L"The extra cells are empty.");
    const auto [refresh, plain] = Paired(
        [&] {
            form.RefreshList();
            UpdateWindow(list);
        },
        [&] {
            ReadAdapters(adapters);
            PlainFill(list, texts, kFourteen);
            UpdateWindow(list);
        });
    Figure("RefreshList 10000 rows, all 14 columns", refresh, "plain fill of 14 + adapter read", plain, 1.5);
    const auto [reread, reads] = PairedQuick([&] { form.UpdateFromTable(); },
                                             [&] {
                                                 GetIPAddresses(CopySource(table));
                                                 ReadAdapters(adapters);
                                             },
                                             5);
    Figure("unchanged re-read, 10000 rows, all 14", reread, "table read + adapter read", reads, 1.2);
}

// The Route column shown over 10,000 rows, the routes read from IP Helper: F5 against a plain
// fill of the seven columns plus one route read, and the unchanged re-read against the table's
// read plus the route read.
void BenchRoute() {
    constexpr std::uint32_t kRows = 10000;
    const std::vector<std::uint8_t> table = test::TableBytes(test::NumberedRows(kRows));
    FormServices services = TableServices(table);
    services.readValue = [](const std::wstring&, const std::wstring& name, long, const CApplication&,
                            const std::wstring& defaultValue, bool) {
        return name == kListColumnsName ? std::wstring(L"Route") : defaultValue;
    };
    // The route read as a program makes it: the table, and where a default route is, what Windows
    // says of its source.
    const auto readRoutes = [] {
        const RouteTable routes = ReadRoutes();
        if (!routes.routes.empty())
            BestSourceOf(routes.routes.front());
    };
    frmMain form(services);
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    Pump();
    const HWND list = form.ListView();
    const ListViewCtrl view(list);
    if (view.ColumnCount() != static_cast<int>(kBaseColumnCount) + 1)
        throw CError(ERROR_INVALID_DATA, L"The Route column is not shown.");
    std::vector<CRowCells> texts;
    for (int item = 0; item < view.GetItemCount(); ++item)
        texts.push_back(ShownCells(view, item, kBaseColumnCount + 1));
    const auto [refresh, plain] = Paired(
        [&] {
            form.RefreshList();
            UpdateWindow(list);
        },
        [&] {
            readRoutes();
            PlainFill(list, texts, kBaseColumnCount + 1);
            UpdateWindow(list);
        });
    Figure("RefreshList 10000 rows, Route shown", refresh, "plain fill of 7 + route read", plain, 1.5);
    const auto [reread, reads] = PairedQuick([&] { form.UpdateFromTable(); },
                                             [&] {
                                                 GetIPAddresses(CopySource(table));
                                                 readRoutes();
                                             },
                                             5);
    Figure("unchanged re-read, 10000 rows, Route shown", reread, "table read + route read", reads, 1.2);
}

std::string ReadAll(const std::wstring& path) {
    UniqueKernel file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        throw CError(GetLastError(), L"The export could not be read back.");
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        throw CError(GetLastError(), L"The export could not be read back.");
    return bytes;
}

// What the export's writer must do at the least to keep an earlier file whole: the bytes to a
// new file beside the target, flushed to disk, then moved over the target.
void SafeWrite(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = path + L".tmp";
    {
        UniqueKernel file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            throw CError(GetLastError(), L"The baseline file could not be created.");
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            throw CError(GetLastError(), L"The baseline file could not be written.");
        if (!FlushFileBuffers(file.get()))
            throw CError(GetLastError(), L"The baseline file could not be flushed.");
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw CError(GetLastError(), L"The baseline file could not replace the earlier one.");
}

// Every cell's text by one plain message each, into one buffer.
void PlainCellReads(HWND list) {
    wchar_t text[256];
    const auto items = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < items; ++i) {
        for (int column = 0; column < static_cast<int>(kBaseColumnCount); ++column) {
            LVITEMW cell{};
            cell.iSubItem = column;
            cell.pszText = text;
            cell.cchTextMax = 256;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&cell));
        }
    }
}

void BenchExport(frmMain& form, const std::wstring& folder) {
    const std::wstring exported = folder + L"\\bench-export.csv";
    const std::wstring plain = folder + L"\\bench-plain.csv";
    int boxes = 0;
    Hooks().getSaveFileName = [&](OPENFILENAMEW* ofn) {
        wcsncpy(ofn->lpstrFile, exported.c_str(), ofn->nMaxFile);
        return TRUE;
    };
    Hooks().messageBox = [&](HWND, const std::wstring&, const std::wstring&, UINT) {
        ++boxes;
        return IDOK;
    };
    ExportList(form.Handle(), form.ListView());
    const std::string bytes = ReadAll(exported);
    // The export must read every cell back out of the list and write its file safely; the
    // floor is those reads, one plain message each, and that write of the same bytes.
    const auto [exportMs, floorMs] = Paired([&] { ExportList(form.Handle(), form.ListView()); },
                                            [&] {
                                                PlainCellReads(form.ListView());
                                                SafeWrite(plain, bytes);
                                            });
    Hooks() = SystemHooks();
    if (boxes != 0)
        throw CError(ERROR_WRITE_FAULT, L"The export showed an error box.");
    {
        std::wstring csv, csvAgain;
        const CListTexts texts = ReadListTexts(form.ListView());
        const double readAndCsv = MedianMs([&] { csv = ListCsvText(form.ListView()); });
        const double csvAlone = MedianMs([&] { csvAgain = CsvText(texts); });
        const double write =
            MedianMs([&] { TextFileWriter::Instance().WriteTextFile(exported, csv, kWriteReplaceExisting); });
        if (csvAgain != csv)
            throw CError(ERROR_INVALID_DATA, L"The export's text differs from the CSV text of the list's texts.");
        char line[160];
        std::snprintf(line, sizeof(line), "read and CSV %.1f ms (the CSV alone %.1f ms), write %.1f ms", readAndCsv,
                      csvAlone, write);
        Info("export's parts", line);
    }
    Figure("export 10000 rows (" + std::to_string(bytes.size() / 1024) + " KiB)", exportMs,
           "60000 cell reads + safe write", floorMs, 1.5);
    DeleteFileW(exported.c_str());
    DeleteFileW(plain.c_str());
}

struct Launched {
    double ms = 0;
    std::vector<std::wstring> modules;
};

// From CreateProcess until the program shows its window titled `title` (with a filled list
// when `listed`), then closed with WM_CLOSE as a user would.
Launched Launch(const std::wstring& exe, const wchar_t* title, bool listed) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const double start = NowMs();
    if (!CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        throw CError(GetLastError(), L"Could not start " + exe);
    UniqueKernel process(info.hProcess), thread(info.hThread);
    Launched result;
    HWND window = nullptr;
    while (!window) {
        HWND found = FindWindowW(nullptr, title);
        DWORD owner = 0;
        if (found)
            GetWindowThreadProcessId(found, &owner);
        if (found && owner == info.dwProcessId && IsWindowVisible(found)) {
            DWORD_PTR items = 1;
            if (listed) {
                const HWND list = FindWindowExW(found, nullptr, WC_LISTVIEWW, nullptr);
                items = 0;
                if (list)
                    SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_BLOCK, 5000, &items);
            }
            if (items > 0)
                window = found;
        }
        if (!window) {
            if (WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0)
                throw CError(ERROR_PROCESS_ABORTED, exe + L" ended without showing its window.");
            if (NowMs() - start > 30000)
                throw CError(ERROR_TIMEOUT, exe + L" did not show its window.");
        }
    }
    result.ms = NowMs() - start;
    HMODULE modules[512];
    DWORD needed = 0;
    if (EnumProcessModules(process.get(), modules, sizeof(modules), &needed)) {
        for (DWORD i = 0; i < std::min<DWORD>(needed / sizeof(HMODULE), 512); ++i) {
            wchar_t name[MAX_PATH] = {};
            if (GetModuleFileNameExW(process.get(), modules[i], name, MAX_PATH))
                result.modules.push_back(name);
        }
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        throw CError(ERROR_TIMEOUT, exe + L" did not close.");
    }
    return result;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

void BenchLaunch(const std::wstring& netpeek, const std::wstring& minimal) {
    Launched last;
    const auto [netpeekMs, minimalMs] = Paired([&] { last = Launch(netpeek, L"Netpeek", true); },
                                               [&] { Launch(minimal, L"Minimal window", false); });
    Figure("launch to a filled, visible window", netpeekMs, "minimal one-window program", minimalMs, 1.3);

    // Windows' own DLLs live under its folder: system32, and winsxs for common controls 6.
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring windowsDir = Lower(windows) + L"\\";
    std::string dlls, foreign;
    for (const std::wstring& module : last.modules) {
        const std::wstring lower = Lower(module);
        if (lower == Lower(netpeek) || lower.ends_with(L"\\netpeek.exe"))
            continue;
        const std::wstring name = module.substr(module.find_last_of(L'\\') + 1);
        if (!dlls.empty())
            dlls += ' ';
        dlls += Narrow(name);
        if (lower.rfind(windowsDir, 0) != 0) {
            foreign += ' ';
            foreign += Narrow(module);
        }
    }
    Info("DLLs that Netpeek.exe loads (" + std::to_string(last.modules.size() - 1) + ", " +
             std::to_string(sizeof(void*) * 8) + "-bit build)",
         dlls);
    if (!foreign.empty()) {
        Info("DLLs from outside the Windows folder", foreign);
        g_failed = true;
    }
}

std::wstring FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        throw CError(GetLastError(), L"Could not read the size of " + path);
    const unsigned long long bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return std::to_wstring(bytes / 1024) + L" KiB";
}

}  // namespace

// Arguments: the Netpeek.exe to launch, the minimal program, the shipped Netpeek.exe whose
// size is reported, and a folder for the export's files.
int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: win_bench NETPEEK.EXE MINIMAL.EXE SHIPPED-NETPEEK.EXE FOLDER\n");
        return 2;
    }
    try {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        Info("Netpeek.exe size (32-bit, shipped)", Narrow(FileSize(argv[3])));

        {
            CIPAddrList rows;
            frmMain form(BenchServices(rows));
            form.Create(nullptr);
            form.Show(SW_SHOWNORMAL);
            ErrorBox::Instance().SetOwner(form.Handle());
            Pump();
            BenchRefresh(form, rows);
            BenchExport(form, argv[4]);
        }
        Pump();
        BenchBothFamilies();
        Pump();
        BenchExtras();
        Pump();
        BenchRoute();
        Pump();
        {
            // A new address in the middle of the table's order.
            std::vector<test::RawRow> raw = test::NumberedRows(10000);
            const std::vector<std::uint8_t> base = test::TableBytes(raw);
            test::RawRow added = raw[5000];
            added.addr[3] = 2;
            raw.insert(raw.begin() + 5001, added);
            BenchFollow(base, test::TableBytes(raw), 5001);
        }
        Pump();
        {
            // The first row gains a flag that sorts it after every other.
            std::vector<test::RawRow> raw = test::NumberedRows(10000);
            const std::vector<std::uint8_t> base = test::TableBytes(raw);
            raw[0].type |= 0x08;
            BenchMove(base, test::TableBytes(raw));
        }
        Pump();

        BenchLaunch(argv[1], argv[2]);
    } catch (const CError& error) {
        std::fprintf(stderr, "win_bench: error %lu: %s\n", static_cast<unsigned long>(error.Number()),
                     Narrow(error.Description()).c_str());
        return 2;
    }
    std::fflush(stdout);
    return g_failed ? 1 : 0;
}
