#pragma once
// Writes a whole text file at once, through a temporary file beside it: the target is either
// wholly replaced or left as it was, and the temporary file removed. The one exception is a
// replace that took the old file away and then could not put the new one in place: the new
// text then stays in the temporary file, which the error names, since it is the only copy left.
// A device (NUL, CON, a port, a pipe) has no folder for a temporary file and nothing to
// replace: it is written directly.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace netpeek {

// The text as UTF-8. A lone surrogate has no UTF-8 form: refusing it (a CError) beats
// writing a replacement character the user never typed.
std::string ToUtf8(const std::wstring& text);

// Every byte to an open file or pipe, in pieces, or a CError. A full disk can report success
// with fewer bytes written, so a short count is an error too (ERROR_DISK_FULL).
void WriteAllBytes(HANDLE file, const std::string& bytes);

// The text to an open handle: a console takes it as text, so that it reads right in any code
// page, and anything else its UTF-8 bytes. A lone surrogate is refused either way (ToUtf8).
void WriteTextTo(HANDLE handle, const std::wstring& text);

// The last argument of WriteTextFile: true replaces an existing file.
inline constexpr bool kWriteReplaceExisting = true;

// Swaps the finished temporary file in for the existing target, moving the old file to the
// backup name (an empty file of the writer's, which it replaces); returns 0 or the system's
// error code. The program's is ReplaceFileW; tests give one that fails the ways it can.
using ReplaceFileFn = std::function<std::uint32_t(const std::wstring& target, const std::wstring& temp,
                                                  const std::wstring& backup)>;
std::uint32_t ReplaceWithReplaceFileW(const std::wstring& target, const std::wstring& temp,
                                      const std::wstring& backup);
class TextFileWriter {
public:
    // The process's one writer.
    static TextFileWriter& Instance();
    // Its writer of the files that other programs open at any moment (a collector's metrics): the
    // temporary file is renamed over the target in one step, so that the name always leads to the
    // old text or the new, never for a moment to no file, as a replace's two renames may; the new
    // file has the folder's security, not the old one's. It leaves the writing to the disk to the
    // system, as the watch's log does: such a file is written anew at the watch's next start.
    static TextFileWriter& ForReaders();

    explicit TextFileWriter(ReplaceFileFn replace = ReplaceWithReplaceFileW) : m_replace(std::move(replace)) {}

    // Writes text as UTF-8 without a byte-order mark. Returns true, or raises a CError with
    // the system's code and message (whoever reports it names the target).
    bool WriteTextFile(const std::wstring& fileName, const std::wstring& text, bool replaceExisting);

private:
    struct Renaming {};
    explicit TextFileWriter(Renaming) : m_renames(true) {}

    ReplaceFileFn m_replace;
    bool m_renames = false;
};

}  // namespace netpeek
