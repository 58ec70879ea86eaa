#pragma once
// The handlers of the window's commands, which the command table names: each a short function that
// asks the object owning the concern.

namespace netpeek {

class frmMain;

struct FormCommands {
    static void Export(frmMain& form, int index);
    static void Exit(frmMain& form, int index);
    static void Refresh(frmMain& form, int index);
    static void OpenReadMe(frmMain& form, int index);
    static void ShowAbout(frmMain& form, int index);
    static void SwitchLanguage(frmMain& form, int index);
    static void Copy(frmMain& form, int index);
    static void ToggleAutoRefresh(frmMain& form, int index);
    static void ToggleIPv6(frmMain& form, int index);
    static void HideInterface(frmMain& form, int index);
    static void ShowAllInterfaces(frmMain& form, int index);
    static void ShowLog(frmMain& form, int index);
    static void ToggleMinimizeToTray(frmMain& form, int index);
    static void ToggleNotifyChanges(frmMain& form, int index);
    static void ToggleConnectedOnly(frmMain& form, int index);
    static void TogglePhysicalOnly(frmMain& form, int index);
    static void ToggleStartAtLogon(frmMain& form, int index);
    static void CopyColumn(frmMain& form, int index);
    static void ToggleStoreBesideProgram(frmMain& form, int index);
    static void ShowWindow(frmMain& form, int index);
    static void CopyPrimary(frmMain& form, int index);
};

}  // namespace netpeek
