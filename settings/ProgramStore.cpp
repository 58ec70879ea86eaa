#include "settings/ProgramStore.h"

#include <memory>
#include <optional>

#include "settings/RegistryStore.h"
#include "support/Error.h"
#include "settings/SettingsFile.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

struct Chosen {
    std::unique_ptr<ValueStore> store;
    bool beside = false;
    std::wstring path;     // the settings file's
    std::wstring product;  // the file's section and the registry key's name
    SettingsUnwritable unwritable;
};

Chosen& Current() {
    static Chosen chosen;
    return chosen;
}

// The file's text as the program starts, none where there is no file.
std::optional<IniText> TextAtStart(SettingsFile& file) {
    try {
        std::optional<std::wstring> text = file.Read();
        // Another Netpeek replacing it this very moment: it is there again once that is done.
        if (!text && file.Locked()) {
            const std::shared_ptr<void> held = file.Lock();
            text = file.Read();
        }
        return text ? std::optional<IniText>(IniText(*text)) : std::nullopt;
    } catch (...) {
        // There, but not to be read now: the store all the same, never the registry; a write
        // reads it again before it changes anything.
        return IniText();
    }
}

std::unique_ptr<ValueStore> FileStoreOf(const Chosen& chosen, const IniText& text) {
    return std::make_unique<FileStore>(std::make_unique<SettingsFile>(chosen.path), chosen.product, text,
                                       chosen.unwritable);
}

}  // namespace

std::wstring SettingsFilePath(const CApplication& app) {
    return app.Path + L"\\" + app.Title + L".ini";
}

void ChooseProgramStore(const CApplication& app, SettingsUnwritable unwritable) {
    Chosen& chosen = Current();
    chosen.path = SettingsFilePath(app);
    chosen.product = app.Title;
    chosen.unwritable = std::move(unwritable);
    SettingsFile file(chosen.path);
    const std::optional<IniText> text = TextAtStart(file);
    chosen.beside = text.has_value();
    chosen.store = text ? FileStoreOf(chosen, *text) : std::make_unique<RegistryStore>(chosen.product);
}

ValueStore& ProgramStore() {
    if (!Current().store)
        ChooseProgramStore(CApplication::Current());
    return *Current().store;
}

bool StoredBesideProgram() {
    ProgramStore();
    return Current().beside;
}

void StoreBesideProgram(bool beside) {
    ValueStore& from = ProgramStore();
    Chosen& chosen = Current();
    if (chosen.beside == beside)
        return;
    std::unique_ptr<ValueStore> to = beside ? FileStoreOf(chosen, IniText()) : std::make_unique<RegistryStore>(chosen.product);
    try {
        MoveValues(from, *to);
    } catch (const CError& error) {
        throw CError(error.Number(), TextWith(TextId::SettingsNotMoved, to->Where(), from.Where(), error.Description()));
    }
    chosen.store = std::move(to);
    chosen.beside = beside;
}

}  // namespace netpeek
