#include "settings/StoredLanguage.h"

#include "settings/ProgramStore.h"
#include "settings/StoredNames.h"

namespace netpeek {

void UseStoredLanguage() {
    const std::optional<std::wstring> code = ProgramStore().Read(kProgramSection, kLanguageName);
    SetCurrentLanguage(LanguageOfCode(code.value_or(L"")));
}

void StoreLanguage(const Language& language) {
    SetCurrentLanguage(language);
    ProgramStore().Write(kProgramSection, kLanguageName, std::wstring(language.code));
}

}  // namespace netpeek
