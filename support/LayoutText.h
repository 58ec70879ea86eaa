#pragma once
// The text forms in which the layout store keeps a window's placement and a list's column
// layout. Stored text may have been edited by hand or cut short, so every parser here accepts
// only a complete, well-formed value and says "nothing" for anything else.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace netpeek {

// A rectangle in screen pixels, as Windows' RECT but free of Win32.
struct IntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const IntRect&) const = default;
};

// A window's normal-state rectangle (screen coordinates) and whether it was maximised.
// Text form: "left,top,right,bottom,maximized" with maximized 0 or 1.
struct StoredPlacement {
    IntRect rect;
    bool maximized = false;

    bool operator==(const StoredPlacement&) const = default;
};

// A report list's column widths in pixels at `dpi`, and the columns' display order.
// Text form: "dpi;w1,w2,...,wn;o1,o2,...,on".
struct StoredListLayout {
    int dpi = 96;
    std::vector<int> widths;
    std::vector<int> order;

    bool operator==(const StoredListLayout&) const = default;
};

// The column a list is sorted by, and which way; a column of kNoSort is the table's own order.
// Text form: "column,descending" with descending 0 or 1, or "-1,0" for no sort.
inline constexpr int kNoSort = -1;
struct StoredListSort {
    int column = kNoSort;
    bool descending = false;

    bool operator==(const StoredListSort&) const = default;
};

// The widest column we take back from storage; anything wider is a damaged value.
inline constexpr int kMaxStoredColumnWidth = 10000;
// The range of screen resolutions a stored layout may claim to come from.
inline constexpr int kMinStoredDpi = 48;
inline constexpr int kMaxStoredDpi = 1920;

// Decimal integers separated by `separator`: an optional '-' and one or more digits each, no
// spaces, no empty field, no value outside int. Nothing when any of that fails.
std::optional<std::vector<int>> ParseIntList(std::wstring_view text, wchar_t separator);

std::wstring FormatPlacement(const StoredPlacement& placement);

// Nothing unless the text has exactly five fields, the last 0 or 1, and the rectangle has a
// positive width and height.
std::optional<StoredPlacement> ParsePlacement(std::wstring_view text);

// Whether more than half of rect's area lies inside area. Empty rectangles lie nowhere.
bool MostlyWithin(const IntRect& rect, const IntRect& area);

std::wstring FormatListLayout(const StoredListLayout& layout);

// Nothing unless the text has the three parts, the DPI is within range, there are as many
// widths as order entries (at least one), every width is within 0..kMaxStoredColumnWidth and
// the order is a permutation of 0..n-1.
std::optional<StoredListLayout> ParseListLayout(std::wstring_view text);

std::wstring FormatListSort(const StoredListSort& sort);

// Nothing unless the text has two fields, the column is kNoSort or below columnCount, and the
// direction is 0 or 1 (0 for no sort).
std::optional<StoredListSort> ParseListSort(std::wstring_view text, int columnCount);

// A name as a set of names keeps it: its ASCII letters in upper case, so that "{ab}" and "{AB}"
// (an interface's GUID as two tools write it) are one.
std::wstring UpperName(std::wstring_view name);
// Names joined by ",": each as UpperName gives it; empty fields and repeats are skipped, so any
// text gives a set.
std::set<std::wstring> ParseNameSet(std::wstring_view text);
std::wstring FormatNameSet(const std::set<std::wstring>& names);

// Whether values holds each of 0..size-1 exactly once.
bool IsPermutation(const std::vector<int>& values);

// The layout's widths brought to another DPI, rounded to the nearest pixel and kept within
// 0..kMaxStoredColumnWidth. A dpi of 0 or less (not known) leaves them as stored.
std::vector<int> ScaledWidths(const StoredListLayout& layout, int dpi);

}  // namespace netpeek
