#include "startup/modMain.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "mainwindow/frmMain.h"
#include "settings/ProgramStore.h"
#include "settings/Settings.h"
#include "support/AppServices.h"
#include "support/Application.h"
#include "support/ErrorBox.h"
#include "support/SystemError.h"
#include "texts/Texts.h"
#include "tray/InstanceMark.h"

namespace netpeek::modMain {

void ChooseStore() {
    ChooseProgramStore(CApplication::Current(), [](const std::wstring& fileName) {
        try {
            // Said once a run, where the settings file cannot be written.
            const std::wstring text = TextWith(TextId::SettingsNotWritten, fileName);
            ErrorBox::Instance().ShowError(CurrentError(), MB_ICONWARNING | MB_OK, text, L"", false);
        } catch (...) {
            // The program runs on with its values in memory whether or not this could be said.
        }
    });
}

int RunMessageLoop(frmMain& form) {
    while (form.Handle()) {
        if (!form.WaitForMessages())
            continue;
        MSG msg{};
        while (form.Handle() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            if (form.PreTranslateMessage(msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}

int Main(const FormServices& services, bool intoTray) {
    // With its icon in the notification area the program runs once in the user's session: a
    // second start (a shortcut clicked while the window is hidden) brings up the first; one into
    // the notification area finds it there already. The mark is taken before the window exists,
    // so that of two starts at one moment (a start at logon and a click) one goes on.
    InstanceMark mark;
    if (LoadChoice(SettingsOf(services)).minimizeToTray && mark.Claim(!intoTray) == InstanceMark::Found::Another)
        return 0;
    asRegisterAppPath();

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    if (!InitCommonControlsEx(&controls))
        throw CError(ERROR_DLL_INIT_FAILED, std::wstring(Text(TextId::ErrCommonControls)));

    if (!asIsInIDE())
        asSetWindowResIconAll(asGetThunderMainHandle(), kAppIconName);

    frmMain form(services, std::move(mark));
    form.Create(asGetThunderMainHandle());
    form.Show(SW_SHOWNORMAL, intoTray);
    return RunMessageLoop(form);
}

int Run(const FormServices& services, bool intoTray) {
    try {
        return Main(services, intoTray);
    } catch (...) {
        // A window that could not load is of no use: say why and end.
        const CError error = CurrentError();
        try {
            ErrorBox::Instance().ShowError(error, MB_ICONERROR | MB_OK, L"", L"", true);
        } catch (...) {
            // The exit code still tells what happened when not even the box can be shown.
        }
        return error.Number() != 0 ? static_cast<int>(error.Number()) : 1;
    }
}

}  // namespace netpeek::modMain
