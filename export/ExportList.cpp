#include "export/ExportList.h"

#include <string>

#include "export/CsvText.h"
#include "export/ListTexts.h"
#include "support/Application.h"
#include "support/ErrorBox.h"
#include "support/FileDialog.h"
#include "support/FilePath.h"
#include "support/LayoutStore.h"
#include "support/TextFileWriter.h"

namespace netpeek {

namespace {

// "Таблицы (*.CSV)|*.CSV|Все файлы|*.*"
constexpr wchar_t kExportFilter[] =
    L"\u0422\u0430\u0431\u043B\u0438\u0446\u044B (*.CSV)|*.CSV|\u0412\u0441\u0435 \u0444\u0430\u0439\u043B\u044B|*.*";
// "Не удалось сохранить файл."
constexpr wchar_t kWriteFailed[] =
    L"\u041D\u0435 \u0443\u0434\u0430\u043B\u043E\u0441\u044C \u0441\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C "
    L"\u0444\u0430\u0439\u043B.";
// The dialog starts on the first filter, and asks before a file is replaced.
constexpr int kFirstFilter = 0;
constexpr bool kAskBeforeReplacing = true;
// Error icon with only an OK button.
constexpr UINT kErrorStyle = MB_ICONERROR | MB_OK;

}  // namespace

void ExportList(HWND owner, HWND list) {
    const CApplication& app = CApplication::Current();
    FileDialog dialog;
    dialog.Filter(kExportFilter);
    dialog.FilterIndex(kFirstFilter);
    dialog.OwnerWindow(owner);
    LayoutStore store;
    bool stored = false;
    dialog.InitialDir(store.ReadValue(kExportSection, kExportFolderValue, kLayoutNoFlags, app, L"", kLayoutPerUser,
                                      &stored));
    dialog.OverwritePrompt(kAskBeforeReplacing);
    if (!dialog.ShowSave())
        return;

    // Remembered before the write, so that the next export starts here even if this one fails.
    store.WriteValue(kExportSection, kExportFolderValue, kLayoutNoFlags, asGetFilePath(dialog.FileName()), app,
                     kLayoutPerUser);
    const std::wstring text = ListCsvText(list);

    try {
        TextFileWriter::Instance().WriteTextFile(dialog.FileName(), text, kWriteReplaceExisting);
    } catch (const CError& e) {
        try {
            ErrorBox::Instance().ShowError(e, kErrorStyle, dialog.FileName() + L"\r\n\r\n" + kWriteFailed, L"", false);
        } catch (...) {
            // The export ends quietly when even the error box cannot be shown.
        }
    }
}

}  // namespace netpeek
