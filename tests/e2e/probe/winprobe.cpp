// Reads what a person sees of another program from inside Wine, where X cannot tell it:
//   winprobe clip   the clipboard's Unicode text, byte for byte as UTF-8 (CR LF kept)
//   winprobe tip    the text of each tooltip window shown now, one per line
//   winprobe list   the item count of Netpeek's list, then each item's cells joined by tabs, one
//                   item per line, read as an inspector reads another program's list
//   winprobe box    the texts of each message box shown now, one per line
//   winprobe window whether a program starting now can make a hidden top-level window, as the
//                   watch does; Wine refuses one while it restarts its desktop
// Exits 1 when there is nothing of the kind.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

void WriteUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Clipboard() {
    if (!OpenClipboard(nullptr))
        return 1;
    int result = 1;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            WriteUtf8(text);
            GlobalUnlock(data);
            result = 0;
        }
    }
    CloseClipboard();
    return result;
}

BOOL CALLBACK OneTooltip(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, L"tooltips_class32") != 0 || !IsWindowVisible(window))
        return TRUE;
    // A tooltip keeps its text to itself; WM_GETTEXT asks it across processes.
    static wchar_t text[4096];
    text[0] = L'\0';
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    WriteUtf8(std::wstring(text) + L"\n");
    ++*reinterpret_cast<int*>(found);
    return TRUE;
}

int Tooltips() {
    int found = 0;
    EnumWindows(OneTooltip, reinterpret_cast<LPARAM>(&found));
    return found > 0 ? 0 : 1;
}

// A list keeps its texts in its own process: each is asked into memory there and read back.
int ListTexts() {
    const HWND window = FindWindowW(L"NetpeekMain", nullptr);
    const HWND list = window ? FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    DWORD id = 0;
    if (!list || !GetWindowThreadProcessId(list, &id))
        return 1;
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (!process)
        return 1;
    constexpr int kTextMax = 512;
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kTextMax * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    const auto ask = [&](HWND to, UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(to, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer);
        return static_cast<int>(answer);
    };
    const int items = ask(list, LVM_GETITEMCOUNT, 0, 0);
    const int columns = ask(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0);
    std::wstring out = std::to_wstring(items) + L"\n";
    for (int item = 0; remote && item < items; ++item) {
        for (int column = 0; column < columns; ++column) {
            LVITEMW cell{};
            cell.iSubItem = column;
            cell.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
            cell.cchTextMax = kTextMax;
            wchar_t text[kTextMax] = {};
            WriteProcessMemory(process, remote, &cell, sizeof(cell), nullptr);
            ask(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process, cell.pszText, text, sizeof(text) - sizeof(wchar_t), nullptr);
            out += (column > 0 ? L"\t" : L"") + std::wstring(text);
        }
        out += L"\n";
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    WriteUtf8(out);
    return remote ? 0 : 1;
}

BOOL CALLBACK OneText(HWND control, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    static wchar_t text[4096];
    text[0] = L'\0';
    if (lstrcmpiW(name, L"Static") == 0 &&
        SendMessageTimeoutW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr) &&
        text[0] != L'\0') {
        WriteUtf8(std::wstring(text) + L"\n");
        ++*reinterpret_cast<int*>(found);
    }
    return TRUE;
}

BOOL CALLBACK OneBox(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window))
        EnumChildWindows(window, OneText, found);
    return TRUE;
}

int Boxes() {
    int found = 0;
    EnumWindows(OneBox, reinterpret_cast<LPARAM>(&found));
    return found > 0 ? 0 : 1;
}

int HiddenWindow() {
    const HWND window = CreateWindowExW(0, L"STATIC", L"winprobe", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;
    DestroyWindow(window);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc == 2 ? argv[1] : L"";
    if (what == L"clip")
        return Clipboard();
    if (what == L"tip")
        return Tooltips();
    if (what == L"list")
        return ListTexts();
    if (what == L"box")
        return Boxes();
    if (what == L"window")
        return HiddenWindow();
    std::fputs("usage: winprobe clip|tip|list|box|window\n", stderr);
    return 2;
}
