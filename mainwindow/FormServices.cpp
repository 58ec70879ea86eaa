#include "mainwindow/FormServices.h"

#include "export/ExportList.h"
#include "settings/LayoutStore.h"
#include "support/AboutBox.h"
#include "support/AppServices.h"

namespace netpeek {

FormServices FormServices::Real() {
    FormServices s;
    static_cast<TableSources&>(s) = TableSources::Real();
    s.centerForm = asCenterFormEx;
    s.isInIDE = asIsInIDE;
    s.setWindowResIconAll = asSetWindowResIconAll;
    s.setMenuJustify = asSetMenuJustify;
    s.restoreWindowPlacement = [](HWND w, const std::wstring& section, const std::wstring& name,
                                  const CApplication& app, int minW, int minH, int show, bool perUser) {
        return LayoutStore().RestoreWindowPlacement(w, section, name, app, minW, minH, show, perUser);
    };
    s.restoreListLayout = [](HWND list, const std::wstring& name, const CApplication& app, bool perUser) {
        return LayoutStore().RestoreListLayout(list, name, app, perUser);
    };
    s.saveWindowPlacement = [](HWND w, const std::wstring& section, const std::wstring& name,
                               const CApplication& app, bool perUser) {
        return LayoutStore().SaveWindowPlacement(w, section, name, app, perUser);
    };
    s.saveListLayout = [](HWND list, const std::wstring& name, const CApplication& app, bool perUser) {
        return LayoutStore().SaveListLayout(list, name, app, perUser);
    };
    s.readValue = [](const std::wstring& section, const std::wstring& name, long flags, const CApplication& app,
                     const std::wstring& defaultValue, bool perUser) {
        return LayoutStore().ReadValue(section, name, flags, app, defaultValue, perUser);
    };
    s.writeValue = [](const std::wstring& section, const std::wstring& name, long flags, const std::wstring& value,
                      const CApplication& app, bool perUser) {
        return LayoutStore().WriteValue(section, name, flags, value, app, perUser);
    };
    s.openReadMeFile = asOpenReadMeFile;
    s.showAbout = [](HWND owner, const CApplication& app, const std::wstring& extra, HBITMAP picture,
                     const std::wstring& dedication) {
        AboutBox::Instance().ShowAbout(owner, app, extra, picture, dedication);
    };
    s.exportList = [](HWND owner, HWND list) { ExportList(owner, list); };
    return s;
}

SettingsStore SettingsOf(const FormServices& services) {
    return {[&services](const std::wstring& name, const std::wstring& defaultValue) {
                return services.readValue(kProgramSection, name, kLayoutNoFlags, CApplication::Current(), defaultValue,
                                          kLayoutPerUser);
            },
            [&services](const std::wstring& name, const std::wstring& value) {
                services.writeValue(kProgramSection, name, kLayoutNoFlags, value, CApplication::Current(),
                                    kLayoutPerUser);
            }};
}

ChangeLog::Placement LogPlacementOf(const FormServices& services) {
    return {[&services](HWND log) {
                services.restoreWindowPlacement(log, kProgramSection, kLogPlacementName, CApplication::Current(),
                                                kLayoutNoMinimum, kLayoutNoMinimum, kLayoutShowAsStored,
                                                kLayoutPerUser);
            },
            [&services](HWND log) {
                services.saveWindowPlacement(log, kProgramSection, kLogPlacementName, CApplication::Current(),
                                             kLayoutPerUser);
            }};
}

}  // namespace netpeek
