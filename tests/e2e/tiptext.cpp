// Prints the text of every tooltip on show, as UTF-8, each followed by a line "--": what
// the end-to-end scenarios read of a tooltip, which draws its text instead of naming an X
// window after it. Run in the same Wine prefix as the program whose tooltips it reads.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

constexpr int kTextSize = 4096;
constexpr UINT kAnswerMilliseconds = 2000;

void Write(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

BOOL CALLBACK EachWindow(HWND window, LPARAM) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, TOOLTIPS_CLASSW) != 0 || !IsWindowVisible(window))
        return TRUE;
    // A tooltip answers WM_GETTEXT with the tip it shows; GetWindowText would not ask it.
    static wchar_t text[kTextSize];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, kTextSize, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             kAnswerMilliseconds, &length))
        length = 0;
    Write(std::wstring(text, length) + L"\n--\n");
    return TRUE;
}

}  // namespace

int main() {
    EnumWindows(EachWindow, 0);
    return 0;
}
