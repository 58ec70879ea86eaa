#pragma once
// The system's Save As dialog, set up property by property.

#include <windows.h>

#include <string>

namespace netpeek {

class FileDialog {
public:
    // Description and pattern pairs separated by "|": "Tables (*.CSV)|*.CSV|All files|*.*".
    void Filter(const std::wstring& filter) { m_filter = filter; }
    // The filter chosen at first, counted from 1; 0 chooses the first one too.
    void FilterIndex(int index) { m_filterIndex = index; }
    void OwnerWindow(HWND owner) { m_owner = owner; }
    void InitialDir(const std::wstring& folder) { m_initialDir = folder; }
    // Ask before an existing file is replaced.
    void OverwritePrompt(bool ask) { m_overwritePrompt = ask; }
    // The dialog's title; empty leaves the system's own.
    void Title(const std::wstring& title) { m_title = title; }

    // Shows the modal dialog; true when the user confirmed a name, which FileName() then holds.
    // False when cancelled or closed; a CError when the dialog itself fails.
    bool ShowSave();

    const std::wstring& FileName() const { return m_fileName; }

private:
    std::wstring m_filter;
    int m_filterIndex = 0;
    HWND m_owner = nullptr;
    std::wstring m_initialDir;
    bool m_overwritePrompt = false;
    std::wstring m_title;
    std::wstring m_fileName;
};

}  // namespace netpeek
