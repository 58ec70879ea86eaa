#include "mainwindow/Commands.h"

#include "export/ListTexts.h"
#include "mainwindow/frmMain.h"
#include "settings/ProgramStore.h"
#include "settings/StoredLanguage.h"
#include "support/Application.h"
#include "support/Clipboard.h"
#include "texts/Texts.h"
#include "tray/LogonStart.h"

namespace netpeek {

void FormCommands::Export(frmMain& form, int) {
    form.m_services.exportList(form.m_hwnd, form.m_lvIPs.Handle());
}

void FormCommands::Exit(frmMain& form, int) {
    form.Exit();
}

void FormCommands::Refresh(frmMain& form, int) {
    form.RefreshList();
}

void FormCommands::OpenReadMe(frmMain& form, int) {
    form.m_services.openReadMeFile(form.m_hwnd, 0);
}

void FormCommands::ShowAbout(frmMain& form, int) {
    const std::wstring dedication(Text(TextId::AboutDedication));
    form.m_services.showAbout(form.m_hwnd, CApplication::Current(), L"", nullptr, dedication.c_str());
}

// The language is in use even where the store cannot keep it: the window says it at once either way.
void FormCommands::SwitchLanguage(frmMain& form, int) {
    try {
        StoreLanguage(NextLanguage(CurrentLanguage()));
    } catch (...) {
        form.Relabel();
        throw;
    }
    form.Relabel();
}

void FormCommands::Copy(frmMain& form, int) {
    asSetClipboardText(form.m_hwnd, CopiedText(form.m_lvIPs.Handle()));
}

void FormCommands::ToggleAutoRefresh(frmMain& form, int) {
    form.Choose([](ViewChoice& next) { next.autoRefresh = !next.autoRefresh; });
}

void FormCommands::ToggleIPv6(frmMain& form, int) {
    form.Choose([](ViewChoice& next) { next.ipv6 = !next.ipv6; });
}

void FormCommands::HideInterface(frmMain& form, int) {
    if (form.m_menuInterface)
        form.Choose([&](ViewChoice& next) { next.hidden.insert(UpperName(*form.m_menuInterface)); });
}

// Every interface back, unmarked, as after F5.
void FormCommands::ShowAllInterfaces(frmMain& form, int) {
    if (!form.m_choice.hidden.empty())
        form.Choose([](ViewChoice& next) { next.hidden.clear(); });
}

void FormCommands::ShowLog(frmMain& form, int) {
    form.ShowLog();
}

void FormCommands::ToggleMinimizeToTray(frmMain& form, int) {
    form.Choose([](ViewChoice& next) { next.minimizeToTray = !next.minimizeToTray; });
}

void FormCommands::ToggleNotifyChanges(frmMain& form, int) {
    if (form.m_choice.minimizeToTray)
        form.Choose([](ViewChoice& next) { next.notifyChanges = !next.notifyChanges; });
}

void FormCommands::ToggleConnectedOnly(frmMain& form, int) {
    form.Choose([](ViewChoice& next) { next.connectedOnly = !next.connectedOnly; });
}

void FormCommands::TogglePhysicalOnly(frmMain& form, int) {
    form.Choose([](ViewChoice& next) { next.physicalOnly = !next.physicalOnly; });
}

void FormCommands::ToggleStartAtLogon(frmMain& form, int) {
    if (form.m_choice.minimizeToTray)
        SetStartAtLogon(!StartsAtLogon());
}

void FormCommands::CopyColumn(frmMain& form, int) {
    asSetClipboardText(form.m_hwnd, ColumnText(form.m_lvIPs.Handle(), form.m_menuColumn));
}

void FormCommands::ToggleStoreBesideProgram(frmMain&, int) {
    StoreBesideProgram(!StoredBesideProgram());
}

void FormCommands::ShowWindow(frmMain& form, int) {
    form.m_tray.RestoreOwner();
}

// The primary address, IPv4's where there is one.
void FormCommands::CopyPrimary(frmMain& form, int) {
    if (!form.m_feed.Primary().empty())
        asSetClipboardText(form.m_hwnd, AddressText(form.m_feed.Primary().front().address));
}

}  // namespace netpeek
