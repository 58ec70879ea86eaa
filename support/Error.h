#pragma once
// The one error type of the program: a number and a description, raised where a call
// fails and caught at the window's event boundary.

#include <cstdint>
#include <exception>
#include <string>

namespace netpeek {

// Error numbers for faults found by our own code rather than reported by Windows.
// They reuse the system's codes so that every number has a system meaning.
inline constexpr std::uint32_t kErrorInvalidData = 13;       // ERROR_INVALID_DATA
inline constexpr std::uint32_t kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER

class CError : public std::exception {
public:
    CError(std::uint32_t number, std::wstring description);

    std::uint32_t Number() const noexcept { return m_number; }
    const std::wstring& Description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    std::uint32_t m_number;
    std::wstring m_description;
    std::string m_what;  // the description with non-ASCII characters replaced, for logs and tests
};

}  // namespace netpeek
