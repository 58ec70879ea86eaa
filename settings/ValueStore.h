#pragma once
// Where the program's values are kept: the registry, or the settings file beside the program.
// Each value is a string under a name in a section; the empty section is the program's own.

#include <optional>
#include <string>
#include <vector>

namespace netpeek {

struct StoredValue {
    std::wstring section;
    std::wstring name;
    std::wstring value;

    bool operator==(const StoredValue&) const = default;
};

class ValueStore {
public:
    virtual ~ValueStore() = default;

    // The stored string, or none where there is none (or it is no string).
    virtual std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& name) = 0;
    // Keeps the value for later runs. The registry throws a CError where it cannot; the file
    // keeps it in memory then, and says so once.
    virtual void Write(const std::wstring& section, const std::wstring& name, const std::wstring& value) = 0;

    // Every value it holds, for a move. Throws a CError where they cannot all be read.
    virtual std::vector<StoredValue> Values() = 0;
    // Stores every one of them, or throws a CError.
    virtual void WriteValues(const std::vector<StoredValue>& values) = 0;
    // Takes those values away, and the store itself where nothing else is left in it (the file
    // goes whatever else it holds). Throws a CError where it cannot.
    virtual void Erase(const std::vector<StoredValue>& values) = 0;

    // Where the values are, as a person finds it: the registry key or the file's full name.
    virtual std::wstring Where() const = 0;
};

// Moves every value of `from` into `to`, then takes them out of `from`. Where any step fails,
// `from` is left holding every value it held, `to` loses what the move put there as far as it
// can, and the step's error is thrown.
void MoveValues(ValueStore& from, ValueStore& to);

}  // namespace netpeek
