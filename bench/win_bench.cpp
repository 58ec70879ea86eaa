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
#include "interfaces/ConnectionReads.h"
#include "interfaces/ReadRoutes.h"
#include "mainwindow/frmMain.h"
#include "rows/CellTexts.h"
#include "rows/ListRow.h"
#include "rows/RowOrder.h"
#include "rows/RowsOfTables.h"
#include "settings/RegistryStore.h"
#include "settings/Settings.h"
#include "settings/StoredNames.h"
#include "support/Error.h"
#include "support/ComApartment.h"
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

// The least a program must do to show rows in a list: a minimal owner-data list of the same
// size and columns as the window's, in a window of its own beside it, told the count and painted
// once, its texts asked for the rows it draws and answered from `texts` (those of the rows in view).
class OwnerDataList {
public:
    OwnerDataList(HWND like, std::vector<CRowCells> texts) : m_texts(std::move(texts)) {
        static const ATOM kClass = [] {
            WNDCLASSW owners{};
            owners.lpfnWndProc = Proc;
            owners.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            owners.lpszClassName = L"NetpeekBenchOwnerData";
            return RegisterClassW(&owners);
        }();
        RECT client{};
        GetClientRect(like, &client);
        // Below the window, so that neither hides the other.
        m_window.reset(CreateWindowExW(WS_EX_TOOLWINDOW, MAKEINTATOM(kClass), nullptr, WS_POPUP | WS_VISIBLE, 0,
                                       GetSystemMetrics(SM_CYSCREEN) - client.bottom, client.right, client.bottom,
                                       nullptr, nullptr, nullptr, this));
        m_list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                                 client.right, client.bottom, m_window.get(), nullptr, nullptr, nullptr);
        if (!m_window || !m_list || m_texts.empty())
            throw CError(ERROR_INVALID_DATA, L"The owner-data list could not be made.");
        SendMessageW(m_list, WM_SETFONT, SendMessageW(like, WM_GETFONT, 0, 0), FALSE);
        const ListViewCtrl view(like), list(m_list);
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        for (int column = 0; column < view.ColumnCount(); ++column)
            list.InsertColumn(column, L"", view.GetColumnWidth(column));
        Pump();
    }

    // The list shows `count` rows, drawn once.
    void Show(std::size_t count) const {
        SendMessageW(m_list, LVM_SETITEMCOUNT, count, 0);
        InvalidateRect(m_list, nullptr, TRUE);
        UpdateWindow(m_list);
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        const auto* self = reinterpret_cast<const OwnerDataList*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (msg == WM_NOTIFY && self && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
            const CRowCells& cells = self->m_texts[static_cast<std::size_t>(item.iItem) % self->m_texts.size()];
            if ((item.mask & LVIF_TEXT) && item.iSubItem >= 0 && item.iSubItem < static_cast<int>(kColumnCount))
                lstrcpynW(item.pszText, cells[static_cast<std::size_t>(item.iSubItem)].c_str(), item.cchTextMax);
            return 0;
        }
        return DefWindowProcW(window, msg, wParam, lParam);
    }

    std::vector<CRowCells> m_texts;
    UniqueWindow m_window;
    HWND m_list = nullptr;  // the window's child, which it destroys
};

// The cells of the rows a list shows first.
std::vector<CRowCells> FirstCells(const CIPAddrList& rows) {
    std::vector<CRowCells> texts;
    for (std::size_t i = 0; i < rows.size() && i < 64; ++i)
        texts.push_back(RowCells(rows[i]));
    return texts;
}

// The program's services, nothing stored, with the table read from `table` as IP Helper gives it.
FormServices TableServices(const std::vector<std::uint8_t>& table) {
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
    s.getIPAddresses = [&table](AddrTableRead& read) { GetIPAddresses(CopySource(table), read); };
    return s;
}

// One change of the table shown, timed kQuickRuns times after a warm-up: the table becomes
// `changed` and the window follows it, then goes back to `base` untimed; its floor is the unchanged
// re-read plus the owner-data list of as many rows. `check` proves each time that it was shown.
std::pair<double, double> ChangeAgainstFloor(frmMain& form, std::vector<std::uint8_t>& table,
                                             const std::vector<std::uint8_t>& base,
                                             const std::vector<std::uint8_t>& changed, const OwnerDataList& baseline,
                                             const std::function<void()>& check, int runs = kQuickRuns) {
    const HWND list = form.ListView();
    const std::size_t count = (changed.size() - 4) / CIPAddrRow::kSize;
    std::vector<double> update, floor;
    for (int run = 0; run <= runs; ++run) {
        table = changed;
        const double updateMs = TimeMs([&] {
            form.UpdateFromTable();
            UpdateWindow(list);
        });
        check();
        const double floorMs = TimeMs([&] {
            form.UpdateFromTable();
            baseline.Show(count);
        });
        table = base;
        form.UpdateFromTable();
        UpdateWindow(list);
        if (run > 0) {  // the first is the warm-up
            update.push_back(updateMs);
            floor.push_back(floorMs);
        }
    }
    return {Median(update), Median(floor)};
}

// The table of `base` with its rows [first, first + count) gone.
std::vector<std::uint8_t> WithoutRows(const std::vector<std::uint8_t>& base, std::size_t first, std::size_t count) {
    std::vector<std::uint8_t> fewer(base);
    const auto at = fewer.begin() + static_cast<std::ptrdiff_t>(4 + first * CIPAddrRow::kSize);
    fewer.erase(at, at + static_cast<std::ptrdiff_t>(count * CIPAddrRow::kSize));
    std::uint32_t left = 0;
    std::memcpy(&left, fewer.data(), sizeof(left));
    left -= static_cast<std::uint32_t>(count);
    std::memcpy(fewer.data(), &left, sizeof(left));
    return fewer;
}

// Following the table: a re-read that finds it unchanged against the read and decode alone; one
// address added to 10,000, one removed, and the first 1,000 gone at once (an adapter with many
// addresses unplugged), each against that re-read plus the owner-data list of as many rows.
void BenchFollow(const std::vector<std::uint8_t>& base, const std::vector<std::uint8_t>& added) {
    std::vector<std::uint8_t> table = base;
    frmMain form(TableServices(table));
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    Pump();
    const ListViewCtrl view(form.ListView());
    const OwnerDataList baseline(view.Handle(), FirstCells(DecodeAddrTable(base)));
    const auto [reread, readAndDecode] =
        PairedQuick([&] { form.UpdateFromTable(); }, [&] { GetIPAddresses(CopySource(table)); }, 20);
    Figure("unchanged re-read, 10000 rows", reread, "table read and decode", readAndDecode, 1.2);

    const int count = view.GetItemCount();
    const auto counted = [&](int expected, const wchar_t* what) {
        return [&view, expected, what] {
            if (view.GetItemCount() != expected)
                throw CError(ERROR_INVALID_DATA, what);
        };
    };
    const auto [add, addFloor] = ChangeAgainstFloor(form, table, base, added, baseline,
                                                    counted(count + 1, L"The list did not show the row that came."));
    Figure("one address added to 10000, shown", add, "unchanged re-read + owner-data paint", addFloor, 1.3);
    const auto [remove, removeFloor] =
        ChangeAgainstFloor(form, table, base, WithoutRows(base, 5000, 1), baseline,
                           counted(count - 1, L"The list did not lose the row that went."));
    Figure("one address removed from 10000, shown", remove, "unchanged re-read + owner-data paint", removeFloor,
           1.3);
    constexpr std::size_t kGone = 1000;
    const auto [gone, goneFloor] =
        ChangeAgainstFloor(form, table, base, WithoutRows(base, 0, kGone), baseline,
                           counted(count - static_cast<int>(kGone), L"The list did not lose the rows that went."),
                           kRuns);
    Figure("first 1000 of 10000 rows gone, shown", gone, "unchanged re-read + owner-data paint", goneFloor, 1.5);
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
// address that gains "Disconnected") against the unchanged re-read plus the owner-data list.
void BenchMove(const std::vector<std::uint8_t>& base, const std::vector<std::uint8_t>& moved) {
    constexpr int kTypeColumn = 5;
    std::vector<std::uint8_t> table = base;
    frmMain form(TableServices(table));
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    form.SortBy(kTypeColumn);
    const ListViewCtrl view(form.ListView());
    const OwnerDataList baseline(view.Handle(), FirstCells(DecodeAddrTable(base)));
    // The list shows its middle: the window keeps whichever row is at the top of the view in
    // its place, so the row that moves must not be that one, or the view would follow it.
    view.EnsureVisible(view.GetItemCount() / 2);
    Pump();
    const int last = view.GetItemCount() - 1;
    const CRowCells top = ShownCells(view, 0);
    const CRowCells bottom = RowCells(DecodeAddrTable(moved)[0]);
    const auto [update, floor] = ChangeAgainstFloor(form, table, base, moved, baseline, [&] {
        if (ShownCells(view, last) != bottom || ShownCells(view, 0) == top)
            throw CError(ERROR_INVALID_DATA, L"The row did not move to the bottom of the list.");
    });
    if (ShownCells(view, 0) != top)
        throw CError(ERROR_INVALID_DATA, L"The row did not move back to the top of the list.");
    Figure("one row of 10000 moved top to bottom, shown", update, "unchanged re-read + owner-data paint", floor, 1.3);
}

// The peak of the process's working set, in MiB.
double PeakMiB() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    return GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory))
               ? static_cast<double>(memory.PeakWorkingSetSize) / (1024 * 1024)
               : 0;
}

// F5 against the table's read from the same source plus the owner-data list of as many rows;
// a header click against a sort of the rows plus the same list. The bench process's peak working
// set is told once 100,000 rows were shown.
void BenchRefresh(frmMain& form, std::vector<std::uint8_t>& table) {
    const HWND list = form.ListView();
    const OwnerDataList baseline(list, FirstCells(Rows(64)));
    for (std::uint32_t count : {42u, 1000u, 10000u, 100000u}) {
        table = test::TableBytes(test::NumberedRows(count));
        const auto [refresh, floor] = Paired(
            [&] {
                form.RefreshList();
                UpdateWindow(list);
            },
            [&] {
                GetIPAddresses(CopySource(table));
                baseline.Show(count);
            });
        if (ListViewCtrl(list).GetItemCount() != static_cast<int>(count))
            throw CError(ERROR_INVALID_DATA, L"The list does not show the rows read.");
        Figure("RefreshList " + std::to_string(count) + " rows", refresh, "table read + owner-data paint", floor,
               count == 10000 ? 1.3 : count == 100000 ? 1.5 : 0);
        if (count != 10000)
            continue;
        // A header click on the full list: sorted anew (each click turns the order round) and
        // shown again, against the same sort of the same rows.
        const ListRows rows = ToListRows(DecodeAddrTable(table));
        StoredListSort sort{1, true};
        const auto [click, sorted] = Paired(
            [&] {
                form.SortBy(1);
                UpdateWindow(list);
            },
            [&] {
                sort.descending = !sort.descending;
                SortedOrder(rows, sort);
                baseline.Show(count);
            });
        Figure("header click, 10000 rows", click, "sort + owner-data paint", sorted, 1.3);
    }
    char peak[32];
    std::snprintf(peak, sizeof(peak), "%.1f MiB", PeakMiB());
    Info("peak working set with 100000 rows shown (bench process)", peak);
    table = test::TableBytes(test::NumberedRows(10000));
    form.RefreshList();
    Pump();
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
    const std::vector<std::uint8_t> table = test::TableBytes(test::NumberedRows(kEach));
    const CIPv6AddrList rows6 = NumberedIPv6Rows(kEach);
    FormServices services = TableServices(table);
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
    const OwnerDataList baseline(list, FirstCells(DecodeAddrTable(table)));
    const auto [refresh, floor] = Paired(
        [&] {
            form.RefreshList();
            UpdateWindow(list);
        },
        [&] {
            GetIPAddresses(CopySource(table));
            const CIPv6AddrList read6 = services.getIPv6Addresses();
            baseline.Show(2 * kEach);
        });
    form.RefreshList();
    if (ShownCells(ListViewCtrl(list), 2 * kEach - 1) != RowCells(rows6.back(), false))
        throw CError(ERROR_INVALID_DATA, L"The list does not show the IPv6 rows after the IPv4 ones.");
    Figure("RefreshList 10000 IPv4 + 10000 IPv6 rows", refresh, "table reads + owner-data paint", floor, 1.5);
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

// F5 and the unchanged re-read of the window's 10,000 rows with `columns` columns shown, where
// `reads` is what the extra ones read besides the table, as a program makes it once: F5 against
// the table's read, those reads and the owner-data paint of as many columns, and the re-read
// against the table's read and those reads (`readName`).
void BenchShownColumns(frmMain& form, const std::vector<std::uint8_t>& table, std::size_t columns,
                       const std::function<void()>& reads, const std::string& refreshName,
                       const std::string& rereadName, const std::string& readName) {
    const HWND list = form.ListView();
    const ListViewCtrl view(list);
    if (view.ColumnCount() != static_cast<int>(columns))
        throw CError(ERROR_INVALID_DATA, L"The columns chosen are not shown.");
    std::vector<CRowCells> texts;
    for (int item = 0; item < view.GetItemCount() && item < 64; ++item)
        texts.push_back(ShownCells(view, item, columns));
    const OwnerDataList baseline(list, texts);
    const auto rows = static_cast<std::size_t>(view.GetItemCount());
    const auto [refresh, plain] = Paired(
        [&] {
            form.RefreshList();
            UpdateWindow(list);
        },
        [&] {
            GetIPAddresses(CopySource(table));
            reads();
            baseline.Show(rows);
        });
    Figure(refreshName, refresh, "reads + owner-data paint of " + std::to_string(columns), plain, 1.5);
    const auto [reread, tableAndReads] = PairedQuick([&] { form.UpdateFromTable(); },
                                                     [&] {
                                                         GetIPAddresses(CopySource(table));
                                                         reads();
                                                     },
                                                     5);
    Figure(rereadName, reread, "table read + " + readName, tableAndReads, 1.2);
}

// 10,000 rows of one interface, which the adapter read gives, as a source.
constexpr std::uint32_t kOneInterfaceRows = 10000;
const AdaptersSource kOneAdapter = [](ULONG, ULONG, void* buffer, ULONG* size) {
    return OneAdapter(kOneInterfaceRows, buffer, size);
};

// The window's services over a table of kOneInterfaceRows rows on that one interface, with those
// extra columns stored.
FormServices OneInterfaceServices(const std::vector<std::uint8_t>& table, const wchar_t* columns) {
    FormServices services = TableServices(table);
    // As the program's own service: each read into the buffer of the one before.
    services.getAdapters = [kept = std::make_shared<AdaptersBuffer>()] { return ReadAdapters(kOneAdapter, *kept); };
    services.readValue = [columns](const std::wstring&, const std::wstring& name, long, const CApplication&,
                                   const std::wstring& defaultValue, bool) {
        return name == kListColumnsName ? std::wstring(columns) : defaultValue;
    };
    return services;
}

std::vector<std::uint8_t> OneInterfaceTable() {
    std::vector<test::RawRow> raw = test::NumberedRows(kOneInterfaceRows);
    for (test::RawRow& row : raw)
        row.index = 1;
    return test::TableBytes(raw);
}

// All eight extra columns of the adapter read shown over 10,000 rows of one interface.
void BenchExtras() {
    const std::vector<std::uint8_t> table = OneInterfaceTable();
    const FormServices services =
        OneInterfaceServices(table, L"Name,Adapter,MAC,Status,Gateway,DNS,DHCP server,Lease expires");
    frmMain form(services);
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    Pump();
    // The six and the eight of the adapter read; the last is the lease's end.
    constexpr std::size_t kFourteen = kBaseColumnCount + 8;
    if (ShownCells(ListViewCtrl(form.ListView()), 0, kFourteen)[kFourteen - 1].empty())
        throw CError(ERROR_INVALID_DATA, L"The extra cells are empty.");
    BenchShownColumns(form, table, kFourteen, [] { ReadAdapters(kOneAdapter); }, "RefreshList 10000 rows, all 14 columns",
                      "unchanged re-read, 10000 rows, all 14", "adapter read");
}

// The six columns of the connection shown over 10,000 rows of one interface: the links, the
// Network List Manager's connections and the Wi-Fi networks read from the system, beside the
// adapter read.
void BenchConnections() {
    const std::vector<std::uint8_t> table = OneInterfaceTable();
    const ComApartment com;
    const FormServices services = OneInterfaceServices(table, L"Network,Category,Internet,SSID,Speed,Kind");
    {
        frmMain form(services);
        form.Create(nullptr);
        form.Show(SW_SHOWNORMAL);
        Pump();
        // As a program makes them once: a Network List Manager made, asked and released, a WLAN
        // handle opened, asked and closed. One that cannot be reached costs what its failure does.
        const auto reads = [&] {
            ReadAdapters(kOneAdapter);
            ReadLinks();
            try {
                NetworkList().Connections();
            } catch (const CError&) {
            }
            WifiNetworks().Read();
        };
        BenchShownColumns(form, table, kBaseColumnCount + 6, reads, "RefreshList 10000 rows, connection shown",
                          "unchanged re-read, 10000 rows, connection shown", "connection reads");
    }
    Pump();
}

// The Route column shown over 10,000 rows, the routes read from IP Helper.
void BenchRoute() {
    constexpr std::uint32_t kRows = 10000;
    const std::vector<std::uint8_t> table = test::TableBytes(test::NumberedRows(kRows));
    FormServices services = TableServices(table);
    services.readValue = [](const std::wstring&, const std::wstring& name, long, const CApplication&,
                            const std::wstring& defaultValue, bool) {
        return name == kListColumnsName ? std::wstring(L"Route") : defaultValue;
    };
    frmMain form(services);
    form.Create(nullptr);
    form.Show(SW_SHOWNORMAL);
    Pump();
    // The route read as a program makes it: the table, and what Windows says of the route to the
    // internet of each family.
    const auto readRoutes = [] {
        ReadRoutes();
        BestRouteTo(InternetDestination(4));
        BestRouteTo(InternetDestination(6));
    };
    BenchShownColumns(form, table, kBaseColumnCount + 1, readRoutes, "RefreshList 10000 rows, Route shown",
                      "unchanged re-read, 10000 rows, Route shown", "route read");
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
    {
        // The same start with English chosen: its texts must cost the launch nothing more.
        RegistryStore store(L"Netpeek");
        const StoredValue english{kProgramSection, kLanguageName, L"en"};
        store.WriteValues({english});
        const auto [englishMs, baselineMs] = Paired([&] { Launch(netpeek, L"Netpeek", true); },
                                                    [&] { Launch(minimal, L"Minimal window", false); });
        store.Erase({english});
        Figure("launch in English to a filled, visible window", englishMs, "minimal one-window program", baselineMs,
               1.3);
    }

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
            std::vector<std::uint8_t> table = test::TableBytes(test::NumberedRows(42));
            frmMain form(TableServices(table));
            form.Create(nullptr);
            form.Show(SW_SHOWNORMAL);
            ErrorBox::Instance().SetOwner(form.Handle());
            Pump();
            BenchRefresh(form, table);
            BenchExport(form, argv[4]);
        }
        Pump();
        BenchBothFamilies();
        Pump();
        BenchExtras();
        Pump();
        BenchRoute();
        Pump();
        BenchConnections();
        Pump();
        {
            // A new address in the middle of the table's order.
            std::vector<test::RawRow> raw = test::NumberedRows(10000);
            const std::vector<std::uint8_t> base = test::TableBytes(raw);
            test::RawRow added = raw[5000];
            added.addr[3] = 2;
            raw.insert(raw.begin() + 5001, added);
            BenchFollow(base, test::TableBytes(raw));
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
