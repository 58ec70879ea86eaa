#include "addrtable/CIPAddr.h"

namespace netpeek {

void CIPAddr::Init(const std::uint8_t* Ptr) {
    Part1 = Ptr[0];
    Part2 = Ptr[1];
    Part3 = Ptr[2];
    Part4 = Ptr[3];
}

std::wstring CIPAddr::toString() const {
    // Written digit by digit: std::to_wstring goes through swprintf, which made a fill of ten
    // thousand rows spend most of its time here.
    wchar_t text[15];
    std::size_t length = 0;
    for (std::uint8_t part : {Part1, Part2, Part3, Part4}) {
        if (length != 0)
            text[length++] = L'.';
        if (part >= 100)
            text[length++] = static_cast<wchar_t>(L'0' + part / 100);
        if (part >= 10)
            text[length++] = static_cast<wchar_t>(L'0' + part / 10 % 10);
        text[length++] = static_cast<wchar_t>(L'0' + part % 10);
    }
    return std::wstring(text, length);
}

}  // namespace netpeek
