#pragma once
// Where the program keeps its values, chosen once as it starts, the window and its console twin
// alike: in the settings file beside the program where there is one (named after the product, as
// the registry key is, so that a renamed copy keeps it), else in the registry, as ever. Nothing
// under the program's registry key is read or written while the file is the store.

#include <string>

#include "settings/FileStore.h"
#include "settings/ValueStore.h"
#include "support/Application.h"

namespace netpeek {

// "<the exe's folder>\<product>.ini".
std::wstring SettingsFilePath(const CApplication& app);

// Chooses the store for `app`: the file where it is there as the program starts (read once, here),
// else the registry. `unwritable` is told once where the file cannot be written.
void ChooseProgramStore(const CApplication& app, SettingsUnwritable unwritable = {});
// The store chosen; where no start chose one, the running program's, chosen now without a word.
ValueStore& ProgramStore();

// Whether the program's values are in the file beside it.
bool StoredBesideProgram();
// Moves every value into the file beside the program (made there) and takes the program's
// registry key away, or back into the registry and deletes the file. Where the move fails, the
// values stay whole where they were, and a CError says so.
void StoreBesideProgram(bool beside);

}  // namespace netpeek
