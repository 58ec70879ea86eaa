#include "settings/SettingsFile.h"

#include <windows.h>

#include <cstring>

#include "support/Handles.h"
#include "support/SystemError.h"
#include "support/TextFileWriter.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

constexpr DWORD kReadChunk = 64u << 10;
// How long a lock another program holds is waited for: its write takes milliseconds.
constexpr ULONGLONG kLockWaitMs = 3000;
// How long a lock file that refuses us is taken for one its holder is just deleting.
constexpr ULONGLONG kLockGoingMs = 200;
constexpr DWORD kLockRetryMs = 10;

// Bytes as text in a code page, or none where they are not text in it (with `strict`).
std::optional<std::wstring> Decoded(UINT codePage, const char* bytes, std::size_t size, bool strict) {
    if (size == 0)
        return std::wstring();
    const int length = static_cast<int>(size);
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int chars = MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
    if (chars <= 0)
        return std::nullopt;
    std::wstring text(static_cast<std::size_t>(chars), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes, length, text.data(), chars) != chars)
        return std::nullopt;
    return text;
}

std::wstring Utf16(const std::string& bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        throw CError(kErrorInvalidData, TextWith(TextId::SettingsCutShort));
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 + 2 * i]);
        const auto second = static_cast<unsigned char>(bytes[3 + 2 * i]);
        text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

bool StartsWith(const std::string& bytes, const char* mark) {
    return bytes.compare(0, std::strlen(mark), mark) == 0;
}

}  // namespace

std::wstring SettingsFileText(const std::string& bytes) {
    if (bytes.size() > kSettingsFileLimit)
        throw SystemError(ERROR_FILE_TOO_LARGE);
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        if (std::optional<std::wstring> text = Decoded(CP_UTF8, bytes.data() + 3, bytes.size() - 3, true))
            return *text;
        throw CError(kErrorInvalidData, TextWith(TextId::SettingsNotUtf8));
    }
    if (StartsWith(bytes, "\xFF\xFE"))
        return Utf16(bytes, false);
    if (StartsWith(bytes, "\xFE\xFF"))
        return Utf16(bytes, true);
    if (std::optional<std::wstring> text = Decoded(CP_UTF8, bytes.data(), bytes.size(), true))
        return *text;
    if (std::optional<std::wstring> text = Decoded(CP_ACP, bytes.data(), bytes.size(), false))
        return *text;
    throw SystemError(GetLastError());
}

std::optional<std::wstring> SettingsFile::Read() {
    const HANDLE raw = CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        const DWORD attributes = GetFileAttributesW(m_path.c_str());
        // A folder of that name is no settings file.
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
            (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0))
            return std::nullopt;
        throw SystemError(code);
    }
    const UniqueKernelHandle file(raw);
    std::string bytes;
    for (;;) {
        const std::size_t had = bytes.size();
        // One byte past the limit tells a file that is too large.
        if (had > kSettingsFileLimit)
            throw SystemError(ERROR_FILE_TOO_LARGE);
        bytes.resize(had + kReadChunk);
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + had, kReadChunk, &got, nullptr))
            throw SystemError(GetLastError());
        bytes.resize(had + got);
        if (got == 0)
            break;
    }
    return SettingsFileText(bytes);
}

// Scoop keeps the file as a hard link to the copy in its persist folder, which outlives updates:
// a replace would cut that link, and the next update would bring the old settings back. A file
// with another name is therefore written in place, in one write, then flushed; the file is small,
// so that a crash has the least time to leave part of it.
void SettingsFile::Write(const std::wstring& text) {
    const std::wstring marked = L"\xFEFF" + text;
    if (NameCount() < 2) {
        TextFileWriter::Instance().WriteTextFile(m_path, marked, kWriteReplaceExisting);
        return;
    }
    const HANDLE raw =
        CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE)
        throw SystemError(GetLastError());
    const UniqueKernelHandle file(raw);
    WriteAllBytes(file.get(), ToUtf8(marked));
    if (!SetEndOfFile(file.get()) || !FlushFileBuffers(file.get()))
        throw SystemError(GetLastError());
}

DWORD SettingsFile::NameCount() const {
    const HANDLE raw = CreateFileW(m_path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE)
        return 1;
    const UniqueKernelHandle file(raw);
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(file.get(), &info) ? info.nNumberOfLinks : 1;
}

void SettingsFile::Remove() {
    if (DeleteFileW(m_path.c_str()))
        return;
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
        throw SystemError(code);
}

std::shared_ptr<void> SettingsFile::Lock() {
    const std::wstring path = LockPath();
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        // Not shared: a second opener is refused until we close it, and closing it deletes it,
        // also when the program ends without closing it.
        const HANDLE raw = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (raw != INVALID_HANDLE_VALUE)
            return std::make_shared<UniqueKernelHandle>(raw);
        const DWORD code = GetLastError();
        const ULONGLONG waited = GetTickCount64() - start;
        // A lock that its holder is deleting refuses access for a moment; a folder we may not
        // write refuses it with no lock file in it, and for good.
        const bool held = code == ERROR_SHARING_VIOLATION && waited < kLockWaitMs;
        const bool going = code == ERROR_ACCESS_DENIED && waited < kLockGoingMs && Locked();
        if (!held && !going)
            throw SystemError(code);
        Sleep(kLockRetryMs);
    }
}

bool SettingsFile::Locked() const {
    return GetFileAttributesW(LockPath().c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace netpeek
