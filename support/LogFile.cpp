#include "support/LogFile.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "support/ConsoleOutput.h"
#include "support/FilePath.h"
#include "support/Hooks.h"
#include "support/SystemError.h"
#include "support/TextFileWriter.h"

namespace netpeek {

namespace {

// "\\.\" (devices, pipes) or "\\?\" (long paths, which may name a device too).
bool InDeviceNamespace(const std::wstring& name) {
    return name.size() >= 4 && name[0] == L'\\' && name[1] == L'\\' && (name[2] == L'.' || name[2] == L'?') &&
           name[3] == L'\\';
}

// A handle CreateFileW gave, null where it gave none, so that an owner never closes the invalid one.
HANDLE Opened(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// The device the name stands for, opened for writing; null for a name that is a file after all (a
// long-path name, or a file a newer Windows lets have a device's name).
HANDLE OpenDevice(const std::wstring& fileName) {
    if (!IsReservedDeviceName(fileName) && !InDeviceNamespace(fileName))
        return nullptr;
    // Opened as given, since Windows treats some names (CON) by their own spelling.
    UniqueKernelHandle device(Opened(CreateFileW(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!device || GetFileType(device.get()) == FILE_TYPE_DISK)
        return nullptr;
    return device.release();
}

}  // namespace

LogFile::LogFile(const std::wstring& fileName) : m_fileName(fileName) {
    if (const HANDLE device = OpenDevice(fileName)) {
        m_file.reset(device);
        m_device = true;
        m_console = IsConsole(device);
        return;
    }
    // Appending only, without the right to write elsewhere in it: each write goes to the end as
    // it is then, also while someone else adds to the file too.
    m_file.reset(Opened(CreateFileW(fileName.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!m_file)
        ThrowLastError();

    std::string head;
    char chunk[4096];
    while (head.size() < kLogFirstLineLimit && head.find('\n') == std::string::npos) {
        DWORD got = 0;
        if (!ReadFile(m_file.get(), chunk, sizeof(chunk), &got, nullptr))
            ThrowLastError();
        if (got == 0)
            break;
        head.append(chunk, got);
    }
    if (head.empty())
        return;
    head.resize(std::min(head.find('\n'), std::min(head.size(), kLogFirstLineLimit)));
    m_firstLine = std::move(head);
}

void LogFile::Append(const std::wstring& line) {
    if (m_console) {
        WriteConsoleText(m_file.get(), line);
        return;
    }
    LARGE_INTEGER before{};
    const bool sized = !m_device && GetFileSizeEx(m_file.get(), &before);
    // A log edited by hand, or left with a piece of a line that could not be taken back, does not
    // end on a line break: the line starts one of its own rather than run on from that piece.
    const std::string bytes = (sized && EndsMidLine(before.QuadPart) ? "\r\n" : "") + ToUtf8(line);
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        throw SystemError(ERROR_NOT_ENOUGH_MEMORY);
    const auto size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    const bool wrote = Hooks().writeFile(m_file.get(), bytes.data(), size, &written) != FALSE;
    if (wrote && written == size)
        return;
    // A full disk can be reported as success with fewer bytes written.
    const DWORD code = wrote ? ERROR_DISK_FULL : GetLastError();
    // Only a line cut short leaves a piece of ours, and only the bytes this write put out are ours
    // to take back: after a write that wrote nothing, what lies past the old end is another
    // writer's, even a line the same as ours.
    if (sized && written > 0 && written < size)
        TakeBackLine(m_fileName, before.QuadPart, std::string_view(bytes).substr(0, written));
    throw SystemError(code);
}

bool LogFile::EndsMidLine(LONGLONG size) const {
    if (size <= 0)
        return false;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<ULONGLONG>(size - 1));
    at.OffsetHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size - 1) >> 32);
    char last = '\n';
    DWORD got = 0;
    return ReadFile(m_file.get(), &last, 1, &got, &at) && got == 1 && last != '\n';
}

// The write's own error is what the caller reports, so this does its best and says nothing.
bool TakeBackLine(const std::wstring& fileName, LONGLONG size, std::string_view bytes) {
    const UniqueKernelHandle file(Opened(CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr)));
    LARGE_INTEGER now{};
    if (!file || size < 0 || !GetFileSizeEx(file.get(), &now) || now.QuadPart <= size ||
        now.QuadPart - size > static_cast<LONGLONG>(bytes.size()))
        return false;
    // Only bytes that are provably ours: another writer's line, even one shorter than ours, stays.
    const auto grown = static_cast<std::size_t>(now.QuadPart - size);
    std::string past(grown, '\0');
    LARGE_INTEGER at{};
    at.QuadPart = size;
    DWORD got = 0;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), past.data(), static_cast<DWORD>(grown), &got, nullptr) || got != grown ||
        past != bytes.substr(0, grown))
        return false;
    return SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

}  // namespace netpeek
