#include "texts/Texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace netpeek {
namespace {

std::set<wchar_t> Placeholders(std::wstring_view text) {
    std::set<wchar_t> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'%' && text[i + 1] >= L'1' && text[i + 1] <= L'9') found.insert(text[i + 1]);
    }
    return found;
}

// A translation that drops or adds a placeholder would show a raw "%2" or lose the file's name.
TEST(TextsTest, EveryLanguageSaysEveryTextWithTheSameBlanks) {
    const Language& russian = *Languages().front();
    for (const Language* language : Languages()) {
        for (std::size_t i = 0; i < kTextCount; ++i) {
            const auto id = static_cast<TextId>(i);
            const std::wstring_view text = TextIn(*language, id);
            // Russian leaves the Save As dialog its system's own title, as it always did.
            if (id != TextId::SaveAsTitle) {
                EXPECT_FALSE(text.empty()) << "text " << i << " in " << std::string(language->code.begin(), language->code.end());
            }
            EXPECT_EQ(Placeholders(text), Placeholders(TextIn(russian, id))) << "text " << i;
        }
    }
}

// A text copied into the English table and left untranslated would show a reader of English
// Cyrillic he cannot read: the usage, an error line, the HTML page's heading.
TEST(TextsTest, EnglishHasNoCyrillicLetter) {
    const Language& english = LanguageOfCode(L"en");
    for (std::size_t i = 0; i < kTextCount; ++i) {
        const std::wstring_view text = TextIn(english, static_cast<TextId>(i));
        EXPECT_EQ(std::find_if(text.begin(), text.end(), [](wchar_t c) { return c >= 0x0400 && c <= 0x04FF; }),
                  text.end())
            << "text " << i;
    }
}

TEST(TextsTest, AStoredChoiceOtherThanEnglishIsRussianAndTheSwitchOffersTheOther) {
    EXPECT_EQ(LanguageOfCode(L"en").code, L"en");
    for (const wchar_t* stored : {L"", L"ru", L"de", L"EN "}) EXPECT_EQ(LanguageOfCode(stored).code, L"ru") << stored;
    EXPECT_EQ(NextLanguage(LanguageOfCode(L"ru")).ownName, L"English");
    EXPECT_EQ(NextLanguage(LanguageOfCode(L"en")).ownName, L"Русский");
}

// English puts a file's name and its error's number where its own word order wants them.
TEST(TextsTest, ArgumentsGoWhereEachLanguageNamesThem) {
    EXPECT_EQ(FillText(L"«%2»: %1 (100%%)", {L"5", L"C:\\a%1.csv"}), L"«C:\\a%1.csv»: 5 (100%)");
    EXPECT_EQ(FillText(L"%1 %3", {L"x"}), L"x %3");
    SetCurrentLanguage(LanguageOfCode(L"en"));
    EXPECT_EQ(TextWith(TextId::ErrorNumber, L"5"), L"Error 5: ");
    SetCurrentLanguage(LanguageOfCode(L"ru"));
    EXPECT_EQ(TextWith(TextId::ErrorNumber, L"5"), L"Ошибка 5: ");
}

}  // namespace
}  // namespace netpeek
