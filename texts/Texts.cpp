#include "texts/Texts.h"

#include <atomic>

namespace netpeek {

namespace {

// Read by the watch's threads as well as set by the window's, hence atomic.
std::atomic<const Language*> g_current{nullptr};

}  // namespace

const Language& LanguageOfCode(std::wstring_view code) {
    for (const Language* language : Languages()) {
        if (language->code == code) return *language;
    }
    return *Languages().front();
}

const Language& CurrentLanguage() {
    const Language* language = g_current.load(std::memory_order_relaxed);
    return language ? *language : *Languages().front();
}

void SetCurrentLanguage(const Language& language) {
    g_current.store(&language, std::memory_order_relaxed);
}

const Language& NextLanguage(const Language& language) {
    const auto all = Languages();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i] == &language) return *all[(i + 1) % all.size()];
    }
    return *all.front();
}

std::wstring_view TextIn(const Language& language, TextId id) {
    const auto index = static_cast<std::size_t>(id);
    return index < kTextCount ? language.texts[index].text : std::wstring_view();
}

std::wstring_view Text(TextId id) { return TextIn(CurrentLanguage(), id); }

std::wstring FillText(std::wstring_view pattern, std::initializer_list<std::wstring_view> args) {
    std::wstring result;
    result.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        if (c != L'%' || i + 1 == pattern.size()) {
            result += c;
            continue;
        }
        const wchar_t next = pattern[i + 1];
        if (next == L'%') {
            result += L'%';
            ++i;
        } else if (next >= L'1' && next <= L'9' && static_cast<std::size_t>(next - L'1') < args.size()) {
            result += args.begin()[next - L'1'];
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

}  // namespace netpeek
