// The memory baseline: the least a program must hold to show the address table in a window, an
// owner-data list of the window's size and columns that reads the table once with GetIpAddrTable,
// keeps it as read, and formats a row's texts only when the list asks for them.
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> g_table;
HWND g_list = nullptr;

const MIB_IPADDRTABLE& Table() { return *reinterpret_cast<const MIB_IPADDRTABLE*>(g_table.data()); }

std::wstring Dotted(DWORD address) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address);
    wchar_t text[16];
    std::swprintf(text, 16, L"%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

std::wstring Cell(const MIB_IPADDRROW& row, int column) {
    switch (column) {
    case 0:
        return std::to_wstring(row.dwIndex);
    case 1:
        return Dotted(row.dwAddr);
    case 2:
        return Dotted(row.dwMask);
    case 3:
        return Dotted(row.dwBCastAddr);
    case 4:
        return std::to_wstring(row.dwReasmSize);
    default:
        return (row.wType & 0x01) ? L"Primary" : L"";
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
            if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && static_cast<DWORD>(item.iItem) < Table().dwNumEntries)
                lstrcpynW(item.pszText, Cell(Table().table[item.iItem], item.iSubItem).c_str(), item.cchTextMax);
        }
        return 0;
    case WM_SIZE:
        MoveWindow(g_list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    ULONG size = 0;
    DWORD status;
    while ((status = GetIpAddrTable(reinterpret_cast<PMIB_IPADDRTABLE>(g_table.data()), &size, TRUE)) ==
           ERROR_INSUFFICIENT_BUFFER)
        g_table.resize(size);
    if (status != NO_ERROR)
        return static_cast<int>(status);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"MinimalList";
    if (!RegisterClassW(&wc))
        return 1;
    // The window's client area at 96 DPI.
    RECT frame = {0, 0, 645, 337};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Minimal list", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  instance, nullptr);
    g_list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 0, 0,
                             window, nullptr, instance, nullptr);
    if (!window || !g_list)
        return 1;
    SendMessageW(g_list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const wchar_t* headers[] = {L"Interface", L"IP", L"Mask", L"Broadcast", L"Realm size", L"Type"};
    for (int column = 0; column < 6; ++column) {
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.cx = 100;
        info.pszText = const_cast<wchar_t*>(headers[column]);
        SendMessageW(g_list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    }
    SendMessageW(g_list, LVM_SETITEMCOUNT, Table().dwNumEntries, 0);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
