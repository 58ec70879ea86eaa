#include "support/TextFileWriter.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "support/ConsoleOutput.h"
#include "support/FilePath.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

// The error for anything that goes wrong with the file is the system's own message
// ("Access is denied."): whoever reports it names the file in its own words.
namespace {

// WriteFile takes a DWORD count; writing in pieces also keeps each call's size modest.
constexpr DWORD kChunkSize = 1u << 20;
// "~np" + 8 hex digits + ".tmp": short, so that a target that fits within MAX_PATH leaves room
// for its temporary file beside it.
constexpr std::size_t kTempNameLength = 15;
constexpr int kTempNameAttempts = 100;


// An open file handle that is closed once, either explicitly (to see the result) or at the end.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    bool Close() {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE m_handle;
};

// Deletes the temporary file unless it has become the target.
class TempFileGuard {
public:
    explicit TempFileGuard(std::wstring path) : m_path(std::move(path)) {}
    ~TempFileGuard() {
        if (!m_path.empty())
            DeleteFileW(m_path.c_str());
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Keeps the file; shown to the user, so no longer hidden.
    void Keep() {
        SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        m_path.clear();
    }
    void Release() { m_path.clear(); }

private:
    std::wstring m_path;
};

std::wstring FullPath(const std::wstring& fileName) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(fileName.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0)
            throw SystemError(GetLastError());
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}


// A number no other writer is likely to pick, different on every call. The mix (splitmix64's
// finaliser) spreads process, time and call over every digit, so even its first few differ.
std::uint32_t TempNumber() {
    static std::atomic<unsigned> sequence{0};
    std::uint64_t x = ((static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) | ++sequence) ^
                      (GetTickCount64() * 0x9E3779B97F4A7C15ull);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(x ^ (x >> 31));
}

// "~np" + a number + ".tmp", in the target's folder so that the final move is a rename on the
// same volume. Where that would push a path that fits within MAX_PATH past it, the name is cut
// to the target's own length ("~" and fewer digits), which the retries on a taken name cover.
std::wstring TempName(const std::wstring& folder, const std::wstring& name) {
    wchar_t digits[9];
    std::swprintf(digits, sizeof(digits) / sizeof(digits[0]), L"%08x", static_cast<unsigned>(TempNumber()));
    constexpr std::size_t kLongestPath = MAX_PATH - 1;
    const std::size_t room = std::max(name.size(), folder.size() < kLongestPath ? kLongestPath - folder.size() : 0);
    if (room >= kTempNameLength)
        return folder + L"~np" + digits + L".tmp";
    if (room == 1)
        return folder + std::wstring(digits, 1);
    return folder + L"~" + std::wstring(digits, std::min<std::size_t>(room - 1, 8));
}

// Creates a file of ours beside the target under a name nobody uses (CREATE_NEW), open for
// writing by us alone; returns its handle, for the caller to own at once, and its name in `path`.
HANDLE CreateFileBeside(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                        std::wstring& path) {
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        path = TempName(folder, name);
        // A short name may happen to be the target's own, which must not be written directly.
        if (CompareStringOrdinal(path.c_str(), -1, target.c_str(), -1, TRUE) == CSTR_EQUAL)
            continue;
        const HANDLE handle =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return handle;
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            throw SystemError(code);
    }
    throw SystemError(ERROR_FILE_EXISTS);
}

// The old file, moved aside under our name by a replace, once the new one is in place: it is
// what the user asked to replace. If it cannot go, the error names it, so it is not left unseen.
void RemoveOldFile(TempFileGuard& aside) {
    if (DeleteFileW(aside.Path().c_str())) {
        aside.Release();
        return;
    }
    const DWORD code = GetLastError();
    const std::wstring path = aside.Path();
    aside.Keep();
    throw SystemError(code, TextWith(TextId::OldFileNotRemoved, path));
}

// What the user may have set on a file and expects a new version of it to keep.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Makes the finished temporary file the target. An existing target is replaced in place, so
// that it keeps its security, owner and hard links; its attributes are carried over here,
// since the replace does not promise them. On failure the target is as it was, and the guard
// deletes the temporary file, except where the replace has already taken the old file away
// and the new one cannot be moved in either: then the temporary file, the text's only copy,
// is kept and the error names it, and so is the old file if it lives on beside it. Where
// `renames`, the temporary file is renamed over the target instead, in one step (ForReaders).
void PutInPlace(TempFileGuard& temp, const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                bool replaceExisting, const ReplaceFileFn& replace, bool renames) {
    const DWORD existing = GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && replaceExisting) {
        // Asking first for what the replace needs gives a plain answer for a file in use or a
        // folder, and spares a replace that fails half-way (Wine's leaves a stray file then).
        {
            const FileHandle probe(CreateFileW(target.c_str(), GENERIC_READ | DELETE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (probe.Get() == INVALID_HANDLE_VALUE)
                throw SystemError(GetLastError());
        }
        // A read-only file is one the user meant not to change. The replace below only renames
        // it aside, which read-only allows, so it is refused here, as a delete of it would be.
        if ((existing & FILE_ATTRIBUTE_READONLY) != 0)
            throw SystemError(ERROR_ACCESS_DENIED);
        const DWORD kept = existing & kKeptAttributes;
        if (kept != 0 && !SetFileAttributesW(temp.Path().c_str(), kept))
            throw SystemError(GetLastError());
        if (renames) {
            if (!MoveFileExW(temp.Path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
                throw SystemError(GetLastError());
            return;
        }
        // The replace moves the old file to a name of ours rather than one the system would
        // pick, so that it is known and can be removed. The name is taken by an empty file
        // first, so that whatever lies there is ours or the old file, never someone else's.
        std::wstring asidePath;
        {
            const FileHandle reserved(CreateFileBeside(folder, name, target, asidePath));
        }
        TempFileGuard aside(asidePath);
        const DWORD code = replace(target, temp.Path(), aside.Path());
        if (code == ERROR_SUCCESS) {
            RemoveOldFile(aside);
            return;
        }
        // The new file is still under the temporary name and must get there some other way;
        // with 1177 the old one has already gone aside.
        if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT || code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            if (!MoveFileExW(temp.Path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH | MOVEFILE_REPLACE_EXISTING)) {
                const DWORD moveCode = GetLastError();
                std::wstring left = TextWith(TextId::NewTextKept, temp.Path());
                temp.Keep();
                if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
                    left += TextWith(TextId::OldFileKept, aside.Path());
                    aside.Keep();
                }
                throw SystemError(moveCode, left);
            }
            if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
                RemoveOldFile(aside);
            return;
        }
        // Gone since we looked: then there is nothing to keep, and the move below puts it there.
        if (code != ERROR_FILE_NOT_FOUND)
            throw SystemError(code);
    }
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(temp.Path().c_str(), target.c_str(), flags)) {
        const DWORD code = GetLastError();
        // Someone created the target since we looked.
        throw SystemError(code == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : code);
    }
}

// "\\.\" (devices, pipes) or "\\?\" (long paths, which may name a device too).
bool InDeviceNamespace(const std::wstring& path) {
    return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' && (path[2] == L'.' || path[2] == L'?') &&
           path[3] == L'\\';
}

// A device (NUL, CON, a port, a pipe) is no folder to make a temporary file in and holds
// nothing to replace: it gets the text directly. Returns false for what is a file after all
// (a long-path name, or a file a newer Windows lets have a device's name), which is written
// the safe way.
bool WriteToDevice(const std::wstring& fileName, const std::wstring& target, const std::wstring& folder,
                   const std::wstring& text) {
    if (!IsReservedDeviceName(fileName) && !InDeviceNamespace(target))
        return false;
    // Opened as given, since Windows treats some names (CON) by their own spelling.
    FileHandle device(CreateFileW(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (device.Get() == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // Right under the namespace's root there is no folder for anything but a device, and
        // this one is not there ("\\.\COM7"); elsewhere a new file may still be made.
        if (folder.size() == 4 && InDeviceNamespace(folder))
            throw SystemError(code);
        return false;
    }
    SetLastError(NO_ERROR);
    const DWORD type = GetFileType(device.Get());
    if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR)
        throw SystemError(GetLastError());
    if (type == FILE_TYPE_DISK)
        return false;
    WriteTextTo(device.Get(), text);
    if (!device.Close())
        throw SystemError(GetLastError());
    return true;
}

}  // namespace

std::uint32_t ReplaceWithReplaceFileW(const std::wstring& target, const std::wstring& temp, const std::wstring& backup) {
    if (ReplaceFileW(target.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return ERROR_SUCCESS;
    return GetLastError();
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        throw SystemError(ERROR_NOT_ENOUGH_MEMORY);
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0, nullptr,
                                         nullptr);
    if (size <= 0)
        throw SystemError(GetLastError());
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, bytes.data(), size, nullptr,
                            nullptr) != size)
        throw SystemError(GetLastError());
    return bytes;
}

void WriteAllBytes(HANDLE file, const std::string& bytes) {
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - offset, kChunkSize));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + offset, ask, &written, nullptr))
            throw SystemError(GetLastError());
        // A full disk can be reported as success with fewer bytes written; a file cut short
        // must not replace a whole one.
        if (written != ask)
            throw SystemError(ERROR_DISK_FULL);
        offset += written;
    }
}

void WriteTextTo(HANDLE handle, const std::wstring& text) {
    const std::string bytes = ToUtf8(text);
    if (IsConsole(handle))
        WriteConsoleText(handle, text);
    else
        WriteAllBytes(handle, bytes);
}

TextFileWriter& TextFileWriter::Instance() {
    static TextFileWriter writer;
    return writer;
}

TextFileWriter& TextFileWriter::ForReaders() {
    static TextFileWriter writer{Renaming{}};
    return writer;
}

bool TextFileWriter::WriteTextFile(const std::wstring& fileName, const std::wstring& text, bool replaceExisting) {
    const std::wstring target = FullPath(fileName);
    const std::size_t slash = target.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 1 == target.size())
        throw SystemError(ERROR_INVALID_NAME);
    const std::wstring folder = target.substr(0, slash + 1);
    const std::wstring name = target.substr(slash + 1);

    if (WriteToDevice(fileName, target, folder, text))
        return true;
    const std::string bytes = ToUtf8(text);
    if (!replaceExisting && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
        throw SystemError(ERROR_FILE_EXISTS);

    std::wstring tempPath;
    const HANDLE raw = CreateFileBeside(folder, name, target, tempPath);
    // Declared first so that it runs last: the handle is closed before the file is deleted.
    TempFileGuard temp(tempPath);
    FileHandle file(raw);

    WriteAllBytes(file.Get(), bytes);
    if (!m_renames && !FlushFileBuffers(file.Get()))
        throw SystemError(GetLastError());
    if (!file.Close())
        throw SystemError(GetLastError());

    PutInPlace(temp, folder, name, target, replaceExisting, m_replace, m_renames);
    temp.Release();
    return true;
}

}  // namespace netpeek
