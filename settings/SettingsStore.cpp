#include "settings/Settings.h"

#include "settings/LayoutStore.h"
#include "support/Application.h"

namespace netpeek {

SettingsStore SettingsStore::Real() {
    SettingsStore store;
    store.read = [](const std::wstring& name, const std::wstring& defaultValue) {
        return LayoutStore().ReadValue(kProgramSection, name, kLayoutNoFlags, CApplication::Current(), defaultValue,
                                       kLayoutPerUser);
    };
    store.write = [](const std::wstring& name, const std::wstring& value) {
        LayoutStore().WriteValue(kProgramSection, name, kLayoutNoFlags, value, CApplication::Current(), kLayoutPerUser);
    };
    return store;
}

}  // namespace netpeek
