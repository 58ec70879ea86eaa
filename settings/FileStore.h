#pragma once
// The program's values in a settings file beside it: read once as the store is chosen, and on
// every write read again, changed only in the values written and replaced whole, while no other
// program writes it. A value that cannot be written stays in memory, where the program reads
// it, and goes with the next write that succeeds; the first failure is told, once.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "settings/IniText.h"
#include "settings/ValueStore.h"

namespace netpeek {

// What the store asks of the file itself. Each throws a CError where it cannot do it.
class SettingsFileAccess {
public:
    virtual ~SettingsFileAccess() = default;
    // The file's text, or none where there is no file.
    virtual std::optional<std::wstring> Read() = 0;
    // The text as the whole file, in place of what was there.
    virtual void Write(const std::wstring& text) = 0;
    // The file gone; one that is not there is no error.
    virtual void Remove() = 0;
    // Held while the result lives: no other program writes the file meanwhile.
    virtual std::shared_ptr<void> Lock() = 0;
    // The file's full name.
    virtual std::wstring Name() const = 0;
};

// Told, inside the catch block of the failure, that the file named could not be written.
using SettingsUnwritable = std::function<void(const std::wstring& fileName)>;

class FileStore : public ValueStore {
public:
    // `text` is the file as read when the store was chosen; the empty section's values are kept
    // under `programSection`, the product's name.
    FileStore(std::unique_ptr<SettingsFileAccess> file, std::wstring programSection, const IniText& text,
              SettingsUnwritable unwritable = {});

    std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& name) override;
    void Write(const std::wstring& section, const std::wstring& name, const std::wstring& value) override;
    std::vector<StoredValue> Values() override;
    void WriteValues(const std::vector<StoredValue>& values) override;
    void Erase(const std::vector<StoredValue>& values) override;
    std::wstring Where() const override { return m_file->Name(); }

private:
    using Key = std::pair<std::wstring, std::wstring>;
    Key KeyOf(const std::wstring& section, const std::wstring& name) const;
    const std::wstring& FileSection(const std::wstring& section) const;
    // The file read again with the values not yet written set in it, and written; throws.
    void Save();

    std::unique_ptr<SettingsFileAccess> m_file;
    std::wstring m_programSection;
    IniText m_text;                        // as last read or written
    std::map<Key, StoredValue> m_unsaved;  // written since, by section and name in upper case
    SettingsUnwritable m_unwritable;
    bool m_told = false;
};

}  // namespace netpeek
