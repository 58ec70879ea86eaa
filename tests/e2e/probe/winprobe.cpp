// Reads what a person sees of another program from inside Wine, where X cannot tell it:
//   winprobe clip   the clipboard's Unicode text, byte for byte as UTF-8 (CR LF kept)
//   winprobe tip    the text of each tooltip window shown now, one per line
// Exits 1 when there is nothing of the kind.
#include <windows.h>

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc == 2 ? argv[1] : L"";
    if (what == L"clip")
        return Clipboard();
    if (what == L"tip")
        return Tooltips();
    std::fputs("usage: winprobe clip|tip\n", stderr);
    return 2;
}
