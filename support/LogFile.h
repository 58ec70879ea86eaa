#pragma once
// A log: a file that lines are added to at its end, one whole line at a time, while others may
// read it (or add to it) as it grows. Every byte it had stays, and a line that could not go out
// whole is taken back, so that the log always ends on a whole line. A device (NUL, CON, a port, a
// pipe) has no end to add to and nothing to keep: it is written directly.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "support/Handles.h"

namespace netpeek {

// How much of an existing log is read for its first line.
inline constexpr std::size_t kLogFirstLineLimit = 65536;

class LogFile {
public:
    // Opens the log, made new where there is none. Raises a CError with the system's code.
    explicit LogFile(const std::wstring& fileName);

    // The log's first line as it was found (its bytes before the line feed, at most
    // kLogFirstLineLimit of them), or none for a new or empty file or a device.
    const std::optional<std::string>& FirstLine() const { return m_firstLine; }

    // Adds the line in one write: its UTF-8 bytes, or on a console as text; on a line of its own
    // where the log does not end with a line break. Raises a CError with the write's code; a write
    // that takes fewer bytes than the line is a full disk (ERROR_DISK_FULL).
    void Append(const std::wstring& line);

private:
    bool EndsMidLine(LONGLONG size) const;

    std::wstring m_fileName;
    UniqueKernelHandle m_file;
    bool m_device = false;
    bool m_console = false;
    std::optional<std::string> m_firstLine;
};

// Cuts the file back to `size` where what lies past it is the start of `bytes` and nothing else:
// the piece of a line that did not go out whole, `bytes` being what its write put out. Bytes
// that anyone else added stay, and so does everything when the file cannot be read or cut. True
// when it was cut.
bool TakeBackLine(const std::wstring& fileName, LONGLONG size, std::string_view bytes);

}  // namespace netpeek
