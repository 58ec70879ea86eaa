#include "support/ConsoleOutput.h"

#include "support/ConsoleText.h"
#include "support/SystemError.h"

namespace netpeek {

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

}  // namespace netpeek
