#pragma once
// The settings file itself, on Windows: read whole and bounded, written through the program's
// one safe writer as UTF-8 with a byte-order mark, and guarded by a lock file beside it.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "settings/FileStore.h"

namespace netpeek {

// The largest settings file read: a few kilobytes are plenty, and a file far past this is no
// settings file.
inline constexpr std::size_t kSettingsFileLimit = 4u << 20;

// The text of a settings file's bytes: UTF-8 with or without a byte-order mark, UTF-16 with its
// mark (Notepad's "Unicode"), or, for bytes that are no UTF-8 and have no mark, the ANSI code
// page's (an older Notepad's default), so that nothing a person wrote is lost. A CError for a
// marked file that its mark does not describe.
std::wstring SettingsFileText(const std::string& bytes);

class SettingsFile : public SettingsFileAccess {
public:
    explicit SettingsFile(std::wstring path) : m_path(std::move(path)) {}

    std::optional<std::wstring> Read() override;
    // With a byte-order mark, which Notepad before Windows 10 needs to read UTF-8 as such.
    void Write(const std::wstring& text) override;
    void Remove() override;
    // The lock file "<name>.lock" beside it, opened for us alone and gone once closed; a lock
    // another program holds is waited for a few seconds. On a network share or a stick too.
    std::shared_ptr<void> Lock() override;
    std::wstring Name() const override { return m_path; }

    // Whether another program holds the lock now.
    bool Locked() const;

private:
    std::wstring LockPath() const { return m_path + L".lock"; }
    // How many names the file has (1 where it cannot be told, or is not there).
    DWORD NameCount() const;

    std::wstring m_path;
};

}  // namespace netpeek
