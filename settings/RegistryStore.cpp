#include "settings/RegistryStore.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "support/Handles.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// The longest value name and key name the registry allows, with their NULs.
constexpr DWORD kValueNameChars = 16384;
constexpr DWORD kKeyNameChars = 256;

std::optional<std::wstring> QueryString(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow between asking its size and reading it; a few rounds settle that.
    for (int attempt = 0; attempt < 4 && status == ERROR_SUCCESS; ++attempt) {
        if (type != REG_SZ)
            return std::nullopt;
        std::vector<BYTE> bytes(static_cast<std::size_t>(size) + sizeof(wchar_t), 0);
        DWORD got = size;
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, bytes.data(), &got);
        if (status == ERROR_MORE_DATA) {
            size = got;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ)
            return std::nullopt;
        std::wstring text(std::min<std::size_t>(got, size) / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
        const std::size_t end = text.find(L'\0');
        if (end != std::wstring::npos)
            text.resize(end);
        return text;
    }
    return std::nullopt;
}

// The key opened for reading, or null where it is not there.
UniqueKey OpenKey(const std::wstring& path) {
    HKEY raw = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &raw);
    if (status == ERROR_FILE_NOT_FOUND)
        return nullptr;
    if (status != ERROR_SUCCESS)
        throw SystemError(static_cast<DWORD>(status), TextWith(TextId::KeyUnreadable, L"HKEY_CURRENT_USER\\" + path));
    return UniqueKey(raw);
}

// The string values of a key, each under `section`.
void AddStrings(HKEY key, const std::wstring& section, std::vector<StoredValue>& values) {
    std::vector<wchar_t> name(kValueNameChars);
    for (DWORD index = 0;; ++index) {
        DWORD length = kValueNameChars;
        DWORD type = 0;
        const LSTATUS status =
            RegEnumValueW(key, index, name.data(), &length, nullptr, &type, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return;
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            throw SystemError(static_cast<DWORD>(status));
        const std::wstring valueName(name.data(), length);
        if (type != REG_SZ)
            continue;
        if (const std::optional<std::wstring> text = QueryString(key, valueName))
            values.push_back({section, valueName, *text});
    }
}

// Deletes the key where it holds nothing any more.
void DeleteIfEmpty(const std::wstring& path) {
    const UniqueKey key = OpenKey(path);
    if (!key)
        return;
    DWORD subkeys = 0;
    DWORD valueCount = 0;
    LSTATUS status = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &valueCount,
                                      nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS && (subkeys != 0 || valueCount != 0))
        return;
    if (status == ERROR_SUCCESS)
        status = RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        throw SystemError(static_cast<DWORD>(status), TextWith(TextId::KeyUndeletable, L"HKEY_CURRENT_USER\\" + path));
}

}  // namespace

// The program's key is named by the product, not the file: a copy saved as "Netpeek (1).exe"
// keeps the same settings.
std::wstring RegistryStore::KeyPath(const std::wstring& section) const {
    std::wstring path = std::wstring(kRegistryStoreRoot) + L"\\" + m_product;
    if (!section.empty())
        path += L"\\" + section;
    return path;
}

std::wstring RegistryStore::Where() const {
    return L"HKEY_CURRENT_USER\\" + KeyPath(L"");
}

std::optional<std::wstring> RegistryStore::Read(const std::wstring& section, const std::wstring& name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueKey key(raw);
    return QueryString(key.get(), name);
}

void RegistryStore::Write(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
    const std::wstring path = KeyPath(section);
    const std::wstring where = TextWith(TextId::SettingUnstorable, name, L"HKEY_CURRENT_USER\\" + path);
    const std::size_t bytes = (value.size() + 1) * sizeof(wchar_t);
    if (bytes > MAXDWORD)
        throw SystemError(ERROR_INVALID_PARAMETER, where);
    HKEY raw = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS)
        throw SystemError(static_cast<DWORD>(status), where);
    const UniqueKey key(raw);
    status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(bytes));
    if (status != ERROR_SUCCESS)
        throw SystemError(static_cast<DWORD>(status), where);
}

std::vector<StoredValue> RegistryStore::Values() {
    std::vector<StoredValue> values;
    const UniqueKey key = OpenKey(KeyPath(L""));
    if (!key)
        return values;
    AddStrings(key.get(), L"", values);
    std::vector<wchar_t> name(kKeyNameChars);
    for (DWORD index = 0;; ++index) {
        DWORD length = kKeyNameChars;
        const LSTATUS status = RegEnumKeyExW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            throw SystemError(static_cast<DWORD>(status), TextWith(TextId::KeyUnreadable, Where()));
        const std::wstring section(name.data(), length);
        if (const UniqueKey subkey = OpenKey(KeyPath(section)))
            AddStrings(subkey.get(), section, values);
    }
    return values;
}

void RegistryStore::WriteValues(const std::vector<StoredValue>& values) {
    for (const StoredValue& value : values)
        Write(value.section, value.name, value.value);
}

void RegistryStore::Erase(const std::vector<StoredValue>& values) {
    std::set<std::wstring> sections;
    for (const StoredValue& value : values) {
        const std::wstring path = KeyPath(value.section);
        const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, path.c_str(), value.name.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            throw SystemError(static_cast<DWORD>(status), TextWith(TextId::SettingUndeletable, value.name,
                                                                   L"HKEY_CURRENT_USER\\" + path));
        if (!value.section.empty())
            sections.insert(value.section);
    }
    for (const std::wstring& section : sections)
        DeleteIfEmpty(KeyPath(section));
    DeleteIfEmpty(KeyPath(L""));
}

}  // namespace netpeek
