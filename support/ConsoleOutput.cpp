#include "support/ConsoleOutput.h"

#include <climits>

#include "support/ConsoleText.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

// Whether the code page holds the character itself, not merely a look-alike. A code page that
// takes no flags (the stateful ones) is left to its own conversion.
bool Carries(UINT codePage, wchar_t c) {
    char bytes[8];
    BOOL replaced = FALSE;
    const int length =
        WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, sizeof(bytes), nullptr, &replaced);
    return length == 0 || !replaced;
}

}  // namespace

bool IsConsole(HANDLE handle) {
    if (GetFileType(handle) != FILE_TYPE_CHAR)
        return false;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode))
        return true;
    // GetConsoleMode wants read access, which CON opened for writing lacks; a console's screen
    // still takes an empty write, and NUL or a port refuses it.
    DWORD written = 0;
    return WriteConsoleW(handle, L"", 0, &written, nullptr) != FALSE;
}

BOOL WriteConsoleWide(HANDLE console, const wchar_t* chars, DWORD count, DWORD* written) {
    return WriteConsoleW(console, chars, count, written, nullptr);
}

void WriteConsoleText(HANDLE console, std::wstring_view text, const ConsoleWriteFn& write) {
    while (!text.empty()) {
        const DWORD piece = static_cast<DWORD>(ConsolePieceLength(text));
        DWORD written = 0;
        if (!write(console, text.data(), piece, &written))
            ThrowLastError();
        // A console that takes nothing would be asked for ever.
        if (written == 0 || written > piece)
            throw SystemError(ERROR_WRITE_FAULT);
        text.remove_prefix(written);
    }
}

UINT RedirectedCodePage() {
    const UINT console = GetConsoleOutputCP();
    return console != 0 ? console : GetOEMCP();
}

std::string MessageBytes(std::wstring_view text, UINT codePage) {
    // UTF-8 and UTF-7 hold every character, and take no question about them.
    const std::wstring plain = codePage == CP_UTF8 || codePage == CP_UTF7
                                   ? std::wstring(text)
                                   : WithAsciiMarks(text, [codePage](wchar_t c) { return Carries(codePage, c); });
    if (plain.empty())
        return {};
    if (plain.size() > static_cast<std::size_t>(INT_MAX / 4))
        throw SystemError(ERROR_NOT_ENOUGH_MEMORY);
    const int length = static_cast<int>(plain.size());
    const int size = WideCharToMultiByte(codePage, 0, plain.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        throw SystemError(GetLastError());
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, 0, plain.data(), length, bytes.data(), size, nullptr, nullptr) != size)
        throw SystemError(GetLastError());
    return bytes;
}

}  // namespace netpeek
