#pragma once
// The program's values in the registry, per user: each a REG_SZ in the key
// HKEY_CURRENT_USER\Software\Brindle\<product>, or in a subkey of it named by its section.

#include <string>

#include "settings/ValueStore.h"

namespace netpeek {

// The root key, below HKEY_CURRENT_USER; the product's name is appended.
inline constexpr wchar_t kRegistryStoreRoot[] = L"Software\\Brindle";

class RegistryStore : public ValueStore {
public:
    explicit RegistryStore(std::wstring product) : m_product(std::move(product)) {}

    // Reads a REG_SZ whatever its stored length: the data need not end in a NUL, may hold an odd
    // number of bytes (the stray byte is dropped) and ends at its first NUL.
    std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& name) override;
    // A CError naming the key where the value cannot be stored.
    void Write(const std::wstring& section, const std::wstring& name, const std::wstring& value) override;
    // The REG_SZ values of the key and of its subkeys.
    std::vector<StoredValue> Values() override;
    void WriteValues(const std::vector<StoredValue>& values) override;
    // The values deleted, then each key left empty.
    void Erase(const std::vector<StoredValue>& values) override;
    std::wstring Where() const override;

private:
    std::wstring KeyPath(const std::wstring& section) const;

    std::wstring m_product;
};

}  // namespace netpeek
