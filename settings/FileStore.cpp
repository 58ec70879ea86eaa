#include "settings/FileStore.h"

#include <algorithm>

#include "support/LayoutText.h"

namespace netpeek {

FileStore::FileStore(std::unique_ptr<SettingsFileAccess> file, std::wstring programSection, const IniText& text,
                     SettingsUnwritable unwritable)
    : m_file(std::move(file)), m_programSection(std::move(programSection)), m_text(text),
      m_unwritable(std::move(unwritable)) {}

const std::wstring& FileStore::FileSection(const std::wstring& section) const {
    return section.empty() ? m_programSection : section;
}

FileStore::Key FileStore::KeyOf(const std::wstring& section, const std::wstring& name) const {
    return {UpperName(FileSection(section)), UpperName(name)};
}

std::optional<std::wstring> FileStore::Read(const std::wstring& section, const std::wstring& name) {
    const auto unsaved = m_unsaved.find(KeyOf(section, name));
    if (unsaved != m_unsaved.end())
        return unsaved->second.value;
    return m_text.Find(FileSection(section), name);
}

void FileStore::Write(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
    m_unsaved[KeyOf(section, name)] = {section, name, value};
    try {
        Save();
    } catch (...) {
        // The program runs on with the value in memory; the user learns it once, not at every
        // choice.
        if (!m_told) {
            m_told = true;
            if (m_unwritable)
                m_unwritable(m_file->Name());
        }
    }
}

void FileStore::Save() {
    const std::shared_ptr<void> held = m_file->Lock();
    // What another program or a person wrote meanwhile stays: only our values change.
    IniText text(m_file->Read().value_or(L""));
    for (const auto& [key, stored] : m_unsaved)
        text.Set(FileSection(stored.section), stored.name, stored.value);
    m_file->Write(text.Text());
    m_text = std::move(text);
    m_unsaved.clear();
}

std::vector<StoredValue> FileStore::Values() {
    {
        const std::shared_ptr<void> held = m_file->Lock();
        m_text = IniText(m_file->Read().value_or(L""));
    }
    std::vector<StoredValue> values;
    for (StoredValue& value : m_text.Values()) {
        if (UpperName(value.section) == UpperName(m_programSection))
            value.section.clear();
        // Those in memory only are the newer.
        if (m_unsaved.count(KeyOf(value.section, value.name)) == 0)
            values.push_back(std::move(value));
    }
    for (const auto& [key, stored] : m_unsaved)
        values.push_back(stored);
    return values;
}

void FileStore::WriteValues(const std::vector<StoredValue>& values) {
    for (const StoredValue& value : values)
        m_unsaved[KeyOf(value.section, value.name)] = value;
    Save();
}

void FileStore::Erase(const std::vector<StoredValue>& /*values*/) {
    const std::shared_ptr<void> held = m_file->Lock();
    m_file->Remove();
}

}  // namespace netpeek
