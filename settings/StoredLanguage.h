#pragma once
// The language the user chose for the program's texts, kept in the program's store.

#include "texts/Texts.h"

namespace netpeek {

// Makes the stored choice the language in use: the window's and the console twin's alike, as they
// start.
void UseStoredLanguage();

// Makes `language` the one in use and keeps it for later runs. Throws a CError where the store
// cannot keep it (the language is in use all the same).
void StoreLanguage(const Language& language);

}  // namespace netpeek
