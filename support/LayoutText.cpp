#include "support/LayoutText.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace netpeek {

namespace {

std::optional<int> ParseInt(std::wstring_view field) {
    bool negative = false;
    if (!field.empty() && field.front() == L'-') {
        negative = true;
        field.remove_prefix(1);
    }
    if (field.empty())
        return std::nullopt;
    // Accumulate as a negative number so that INT_MIN, whose magnitude has no positive
    // counterpart, parses too.
    std::int64_t value = 0;
    for (wchar_t c : field) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 - (c - L'0');
        if (value < INT_MIN)
            return std::nullopt;
    }
    if (!negative)
        value = -value;
    if (value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::wstring JoinInts(const std::vector<int>& values) {
    std::wstring text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            text += L',';
        text += std::to_wstring(values[i]);
    }
    return text;
}

std::int64_t Width(const IntRect& r) { return static_cast<std::int64_t>(r.right) - r.left; }
std::int64_t Height(const IntRect& r) { return static_cast<std::int64_t>(r.bottom) - r.top; }

}  // namespace

std::optional<std::vector<int>> ParseIntList(std::wstring_view text, wchar_t separator) {
    std::vector<int> values;
    for (;;) {
        const std::size_t end = text.find(separator);
        const std::optional<int> value = ParseInt(text.substr(0, end));
        if (!value)
            return std::nullopt;
        values.push_back(*value);
        if (end == std::wstring_view::npos)
            return values;
        text.remove_prefix(end + 1);
    }
}

std::wstring FormatPlacement(const StoredPlacement& placement) {
    const IntRect& r = placement.rect;
    return JoinInts({r.left, r.top, r.right, r.bottom, placement.maximized ? 1 : 0});
}

std::optional<StoredPlacement> ParsePlacement(std::wstring_view text) {
    const auto fields = ParseIntList(text, L',');
    if (!fields || fields->size() != 5)
        return std::nullopt;
    const std::vector<int>& f = *fields;
    if (f[4] != 0 && f[4] != 1)
        return std::nullopt;
    StoredPlacement placement{{f[0], f[1], f[2], f[3]}, f[4] == 1};
    if (Width(placement.rect) <= 0 || Height(placement.rect) <= 0)
        return std::nullopt;
    return placement;
}

bool MostlyWithin(const IntRect& rect, const IntRect& area) {
    const std::int64_t width = Width(rect);
    const std::int64_t height = Height(rect);
    if (width <= 0 || height <= 0)
        return false;
    const std::int64_t overlapWidth = std::min<std::int64_t>(rect.right, area.right) -
                                      std::max<std::int64_t>(rect.left, area.left);
    const std::int64_t overlapHeight = std::min<std::int64_t>(rect.bottom, area.bottom) -
                                       std::max<std::int64_t>(rect.top, area.top);
    if (overlapWidth <= 0 || overlapHeight <= 0)
        return false;
    // Each side is below 2^32, so the areas fit in 64 unsigned bits but twice the overlap may
    // not; overlap > floor(area / 2) is the same test as 2 * overlap > area.
    const std::uint64_t whole = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const std::uint64_t overlap =
        static_cast<std::uint64_t>(overlapWidth) * static_cast<std::uint64_t>(overlapHeight);
    return overlap > whole / 2;
}

std::wstring FormatListLayout(const StoredListLayout& layout) {
    return std::to_wstring(layout.dpi) + L';' + JoinInts(layout.widths) + L';' + JoinInts(layout.order);
}

std::optional<StoredListLayout> ParseListLayout(std::wstring_view text) {
    const std::size_t first = text.find(L';');
    if (first == std::wstring_view::npos)
        return std::nullopt;
    const std::size_t second = text.find(L';', first + 1);
    if (second == std::wstring_view::npos)
        return std::nullopt;
    const auto dpi = ParseIntList(text.substr(0, first), L',');
    const auto widths = ParseIntList(text.substr(first + 1, second - first - 1), L',');
    // A third ';' lands in the order part and fails it there.
    const auto order = ParseIntList(text.substr(second + 1), L',');
    if (!dpi || dpi->size() != 1 || !widths || !order)
        return std::nullopt;
    StoredListLayout layout{(*dpi)[0], *widths, *order};
    if (layout.dpi < kMinStoredDpi || layout.dpi > kMaxStoredDpi)
        return std::nullopt;
    if (layout.widths.size() != layout.order.size() || !IsPermutation(layout.order))
        return std::nullopt;
    for (int width : layout.widths) {
        if (width < 0 || width > kMaxStoredColumnWidth)
            return std::nullopt;
    }
    return layout;
}

std::wstring FormatListSort(const StoredListSort& sort) {
    return JoinInts({sort.column, sort.descending ? 1 : 0});
}

std::optional<StoredListSort> ParseListSort(std::wstring_view text, int columnCount) {
    const auto fields = ParseIntList(text, L',');
    if (!fields || fields->size() != 2)
        return std::nullopt;
    const int column = (*fields)[0];
    const int direction = (*fields)[1];
    if (column < kNoSort || column >= columnCount || direction < 0 || direction > 1 ||
        (column == kNoSort && direction != 0))
        return std::nullopt;
    return StoredListSort{column, direction == 1};
}

std::wstring UpperName(std::wstring_view name) {
    std::wstring upper(name);
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return upper;
}

std::set<std::wstring> ParseNameSet(std::wstring_view text) {
    std::set<std::wstring> names;
    while (!text.empty()) {
        const std::size_t comma = std::min(text.find(L','), text.size());
        if (comma != 0)
            names.insert(UpperName(text.substr(0, comma)));
        text.remove_prefix(std::min(comma + 1, text.size()));
    }
    return names;
}

std::wstring FormatNameSet(const std::set<std::wstring>& names) {
    std::wstring text;
    for (const std::wstring& name : names) {
        if (!text.empty())
            text += L',';
        text += name;
    }
    return text;
}

bool IsPermutation(const std::vector<int>& values) {
    std::vector<bool> seen(values.size(), false);
    for (int value : values) {
        if (value < 0 || static_cast<std::size_t>(value) >= values.size() || seen[static_cast<std::size_t>(value)])
            return false;
        seen[static_cast<std::size_t>(value)] = true;
    }
    return true;
}

std::vector<int> ScaledWidths(const StoredListLayout& layout, int dpi) {
    std::vector<int> widths;
    widths.reserve(layout.widths.size());
    for (int width : layout.widths) {
        std::int64_t scaled = width;
        // A DPI we could not learn (0) leaves the widths as stored.
        if (dpi > 0 && dpi != layout.dpi && layout.dpi > 0)
            scaled = (static_cast<std::int64_t>(width) * dpi + layout.dpi / 2) / layout.dpi;
        widths.push_back(static_cast<int>(std::clamp<std::int64_t>(scaled, 0, kMaxStoredColumnWidth)));
    }
    return widths;
}

}  // namespace netpeek
