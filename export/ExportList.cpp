#include "export/ExportList.h"

#include <string>

#include "export/CsvText.h"
#include "export/ListTexts.h"
#include "settings/LayoutStore.h"
#include "support/Application.h"
#include "support/ErrorBox.h"
#include "support/FileDialog.h"
#include "support/FilePath.h"
#include "support/SystemError.h"
#include "support/TextFileWriter.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// The dialog starts on the first filter, and asks before a file is replaced.
constexpr int kFirstFilter = 0;
constexpr bool kAskBeforeReplacing = true;
// Error icon with only an OK button.
constexpr UINT kErrorStyle = MB_ICONERROR | MB_OK;

}  // namespace

void WriteWithTextFileWriter(const std::wstring& fileName, const std::wstring& text) {
    TextFileWriter::Instance().WriteTextFile(fileName, text, kWriteReplaceExisting);
}

void ExportList(HWND owner, HWND list, const WriteTextFileFn& write) {
    SaveTextAs(owner, [list] { return ListCsvText(list); }, write);
}

void SaveTextAs(HWND owner, const std::function<std::wstring()>& makeText, const WriteTextFileFn& write) {
    const CApplication& app = CApplication::Current();
    FileDialog dialog;
    dialog.Title(std::wstring(Text(TextId::SaveAsTitle)));
    dialog.Filter(std::wstring(Text(TextId::ExportFilter)));
    dialog.FilterIndex(kFirstFilter);
    dialog.OwnerWindow(owner);
    LayoutStore store;
    dialog.InitialDir(store.ReadValue(kExportSection, kExportFolderName, kLayoutNoFlags, app, L"", kLayoutPerUser));
    dialog.OverwritePrompt(kAskBeforeReplacing);
    if (!dialog.ShowSave())
        return;

    // Remembered before the write, so that the next export starts here even if this one fails.
    store.WriteValue(kExportSection, kExportFolderName, kLayoutNoFlags, asGetFilePath(dialog.FileName()), app,
                     kLayoutPerUser);
    const std::wstring text = makeText();

    // Whatever fails while writing, running out of memory included, is this box, never the
    // program's general one: the user learns which file was not saved.
    try {
        write(dialog.FileName(), text);
    } catch (...) {
        try {
            ErrorBox::Instance().ShowError(CurrentError(), kErrorStyle, dialog.FileName() + L"\r\n\r\n" + std::wstring(Text(TextId::ExportFailed)),
                                           L"", false);
        } catch (...) {
            // The export ends quietly when even the error box cannot be shown.
        }
    }
}

}  // namespace netpeek
