#pragma once
// A test's texts in one language, Russian again after it, whatever the test asserted.

#include "texts/Texts.h"

namespace netpeek {

class InLanguage {
public:
    explicit InLanguage(std::wstring_view code) { SetCurrentLanguage(LanguageOfCode(code)); }
    ~InLanguage() { SetCurrentLanguage(LanguageOfCode(L"ru")); }
    InLanguage(const InLanguage&) = delete;
    InLanguage& operator=(const InLanguage&) = delete;
};

}  // namespace netpeek
