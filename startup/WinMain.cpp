// Netpeek's entry point.
#include <windows.h>
#include <objbase.h>

#include "commandline/CommandLineSave.h"
#include "settings/StoredLanguage.h"
#include "startup/modMain.h"
#include "support/SystemDlls.h"

namespace {

// The shell's file opening wants a single-threaded apartment on the program's one thread.
class ComApartment {
public:
    ComApartment() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (m_ok)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_ok;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL: none may come from the folder the program was run from.
    netpeek::LoadDllsFromSystemFolderOnly();
    // Where the values are kept, for the window and a save's choices alike.
    netpeek::modMain::ChooseStore();
    netpeek::UseStoredLanguage();
    // Arguments save the table and end: no window, nothing registered or stored.
    bool tray = false;
    if (const std::optional<int> saved = netpeek::RunCommandLine(netpeek::Messages::ErrorOrBox, &tray))
        return *saved;
    ComApartment com;
    return netpeek::modMain::Run(netpeek::FormServices::Real(), tray);
}
