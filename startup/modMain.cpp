#include "startup/modMain.h"

#include <windows.h>
#include <commctrl.h>

#include "mainwindow/frmMain.h"
#include "support/AppServices.h"
#include "support/Application.h"
#include "support/SystemError.h"

namespace netpeek::modMain {

namespace {

// Runs until the main window is gone; the window sees every key first.
int RunMessageLoop(frmMain& form) {
    MSG msg{};
    while (form.Handle()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            ThrowLastError(L"The message loop failed.");
        if (form.PreTranslateMessage(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace

int Main() {
    asRegisterAppPath();

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    if (!InitCommonControlsEx(&controls))
        throw CError(ERROR_DLL_INIT_FAILED, L"The common controls could not be initialised.");

    if (!asIsInIDE())
        asSetWindowResIconAll(asGetThunderMainHandle(), kAppIconName);

    frmMain form;
    form.Create(asGetThunderMainHandle());
    form.Show(SW_SHOWNORMAL);
    return RunMessageLoop(form);
}

}  // namespace netpeek::modMain
