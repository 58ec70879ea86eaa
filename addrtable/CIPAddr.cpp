#include "addrtable/CIPAddr.h"

namespace netpeek {

void CIPAddr::Init(const std::uint8_t* Ptr) {
    Part1 = Ptr[0];
    Part2 = Ptr[1];
    Part3 = Ptr[2];
    Part4 = Ptr[3];
}

std::wstring CIPAddr::toString() const {
    std::wstring text;
    text.reserve(15);
    for (std::uint8_t part : {Part1, Part2, Part3, Part4}) {
        if (!text.empty())
            text += L'.';
        text += std::to_wstring(part);
    }
    return text;
}

}  // namespace netpeek
