// The entry point of Netpeek.com, the console twin beside Netpeek.exe. A command prompt picks
// it for a plain `Netpeek` (.COM comes before .EXE in PATHEXT) and, since it is a console
// program, waits for it and hands its output and exit code to the script. It saves as
// Netpeek.exe does, its messages on standard error only; without a save it starts the window
// program beside it and ends at once.
#include <optional>

#include "commandline/CommandLineSave.h"
#include "settings/ProgramStore.h"
#include "settings/StoredLanguage.h"
#include "support/ComApartment.h"
#include "support/SystemDlls.h"

int main() {
    // Before anything can load a DLL: none may come from the folder the program was run from.
    netpeek::LoadDllsFromSystemFolderOnly();
    // Where the window's choices are read from; it stores nothing, so it never has a word to say.
    netpeek::ChooseProgramStore(netpeek::CApplication::Current());
    netpeek::UseStoredLanguage();
    // The Network List Manager's columns of a save or a watch want the thread's apartment.
    netpeek::ComApartment com;
    if (const std::optional<int> saved = netpeek::RunCommandLine(netpeek::Messages::ErrorOnly))
        return *saved;
    return netpeek::StartWindowProgram();
}
