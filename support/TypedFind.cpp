#include "support/TypedFind.h"

#include <string_view>

namespace netpeek {

namespace {

// A search for a typed text by its part, as Windows has it since Vista (LVFI_SUBSTRING).
constexpr UINT kFindSubstring = 0x0004;

}  // namespace

int FindTypedItem(const NMLVFINDITEMW& find, int count, const std::function<std::wstring(int)>& textOf) {
    const LVFINDINFOW& info = find.lvfi;
    if ((info.flags & (LVFI_STRING | LVFI_PARTIAL | kFindSubstring)) == 0 || info.psz == nullptr || count <= 0)
        return -1;
    const bool partial = (info.flags & (LVFI_PARTIAL | kFindSubstring)) != 0;
    const std::wstring_view wanted(info.psz);
    const int start = find.iStart > 0 && find.iStart < count ? find.iStart : 0;
    for (int step = 0; step < count; ++step) {
        int item = start + step;
        if (item >= count) {
            if ((info.flags & LVFI_WRAP) == 0)
                break;
            item -= count;
        }
        const std::wstring text = textOf(item);
        if (text.size() < wanted.size() || (!partial && text.size() != wanted.size()))
            continue;
        const int length = static_cast<int>(wanted.size());
        if (CompareStringOrdinal(text.data(), length, wanted.data(), length, TRUE) == CSTR_EQUAL)
            return item;
    }
    return -1;
}

}  // namespace netpeek
