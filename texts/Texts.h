#pragma once
// The texts a person reads, in the language the user chose. The program has one language at a time,
// chosen at start from the stored value and changed by the language switch.

#include "texts/Language.h"

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace netpeek {

// Every language the program speaks, Russian first: it is the language of a program with no choice.
std::span<const Language* const> Languages();

// "en" is English; absent, "ru" or anything else is Russian, as a stored value may be anything.
const Language& LanguageOfCode(std::wstring_view code);

const Language& CurrentLanguage();
void SetCurrentLanguage(const Language& language);

// The language the switch offers from `language`: the next in the list.
const Language& NextLanguage(const Language& language);

std::wstring_view Text(TextId id);
std::wstring_view TextIn(const Language& language, TextId id);

// The pattern with %1, %2, ... replaced by the arguments in that order ("%%" is a percent sign); a
// placeholder with no argument stays as it is, so that a fault shows rather than hides.
std::wstring FillText(std::wstring_view pattern, std::initializer_list<std::wstring_view> args);

template <class... Args>
std::wstring TextWith(TextId id, const Args&... args) {
    return FillText(Text(id), {std::wstring_view(args)...});
}

}  // namespace netpeek
