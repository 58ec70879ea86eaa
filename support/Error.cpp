#include "support/Error.h"

#include <utility>

namespace netpeek {

CError::CError(std::uint32_t number, std::wstring description)
    : m_number(number), m_description(std::move(description)) {
    m_what = "error " + std::to_string(m_number) + ": ";
    for (wchar_t c : m_description)
        m_what += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
}

}  // namespace netpeek
