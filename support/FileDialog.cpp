#include "support/FileDialog.h"

#include <commdlg.h>

#include <vector>

#include "support/Hooks.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// Long paths fit; the dialog reports FNERR_BUFFERTOOSMALL for longer ones.
constexpr DWORD kFileNameChars = 32768;
constexpr wchar_t kDefaultExtension[] = L"CSV";

// "a|b|c|d" becomes "a\0b\0c\0d\0\0", the form OPENFILENAME wants.
std::vector<wchar_t> FilterPairs(const std::wstring& filter) {
    std::vector<wchar_t> pairs(filter.begin(), filter.end());
    for (wchar_t& c : pairs)
        if (c == L'|')
            c = L'\0';
    pairs.push_back(L'\0');
    pairs.push_back(L'\0');
    return pairs;
}

}  // namespace

bool FileDialog::ShowSave() {
    std::vector<wchar_t> filter = FilterPairs(m_filter);
    std::vector<wchar_t> name(kFileNameChars, L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_owner;
    ofn.lpstrFilter = m_filter.empty() ? nullptr : filter.data();
    ofn.nFilterIndex = static_cast<DWORD>(m_filterIndex);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = kFileNameChars;
    ofn.lpstrInitialDir = m_initialDir.empty() ? nullptr : m_initialDir.c_str();
    ofn.lpstrDefExt = kDefaultExtension;
    ofn.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                (m_overwritePrompt ? OFN_OVERWRITEPROMPT : 0);

    if (!Hooks().getSaveFileName(&ofn)) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0)
            throw CError(error, TextWith(TextId::ErrSaveAsDialog, std::to_wstring(error)));
        return false;
    }
    m_fileName = name.data();
    return true;
}

}  // namespace netpeek
