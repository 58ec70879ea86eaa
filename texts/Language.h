#pragma once
// A language's table of texts: its code, its own name written in itself, and one text for each
// identifier, in the identifiers' order.

#include "texts/TextId.h"

#include <cstddef>
#include <string_view>

namespace netpeek {

struct TextEntry {
    TextId id;
    std::wstring_view text;
};

inline constexpr std::size_t kTextCount = static_cast<std::size_t>(TextId::Count);

struct Language {
    std::wstring_view code;     // as stored in the value "Language": "ru", "en"
    std::wstring_view ownName;  // as the language switch shows it: "Русский", "English"
    std::wstring_view readMe;   // the read-me F1 opens, beside the program
    const TextEntry* texts;     // kTextCount entries
};

// True when a table holds every identifier once, in order: each language's file asserts it, so that
// a text missing in one language stops the build.
template <std::size_t N>
constexpr bool HoldsEveryText(const TextEntry (&table)[N]) {
    if (N != kTextCount) return false;
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(table[i].id) != i) return false;
    }
    return true;
}

}  // namespace netpeek
