// Netpeek's entry point.
#include <windows.h>

#include "commandline/CommandLineSave.h"
#include "settings/StoredLanguage.h"
#include "startup/modMain.h"
#include "support/ComApartment.h"
#include "support/SystemDlls.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL: none may come from the folder the program was run from.
    netpeek::LoadDllsFromSystemFolderOnly();
    // Where the values are kept, for the window and a save's choices alike.
    netpeek::modMain::ChooseStore();
    netpeek::UseStoredLanguage();
    // For the shell's dialogs and the Network List Manager, saves included; released after every
    // COM object the program made.
    netpeek::ComApartment com;
    // Arguments save the table and end: no window, nothing registered or stored.
    bool tray = false;
    if (const std::optional<int> saved = netpeek::RunCommandLine(netpeek::Messages::ErrorOrBox, &tray))
        return *saved;
    return netpeek::modMain::Run(netpeek::FormServices::Real(), tray);
}
