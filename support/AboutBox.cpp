#include "support/AboutBox.h"
#include "support/Handles.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "support/Hooks.h"
#include "support/SystemDlls.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// In front of the version number.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;
// Margins and sizes in dialog units, turned into pixels with the dialog's font.
constexpr int kMargin = 7;
constexpr int kGap = 4;
constexpr int kTextWidth = 170;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
// At 96 DPI the window's large icon, as it always was; above it the larger drawings.
constexpr AboutIcon kIcons[kPictureScaleCount] = {
    {kAppIconName, 32}, {kAboutLargeIconName, 48}, {kAboutLargeIconName, 64}};

// The version calls, looked up when the About window first reads a version.
struct VersionCalls {
    decltype(&GetFileVersionInfoSizeW) infoSize;
    decltype(&GetFileVersionInfoW) info;
    decltype(&VerQueryValueW) query;
};

const VersionCalls& Version() {
    static const VersionCalls calls{
        SystemFunction<decltype(&GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW"),
        SystemFunction<decltype(&GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW"),
        SystemFunction<decltype(&VerQueryValueW)>(L"version.dll", "VerQueryValueW")};
    return calls;
}

// Builds a DLGTEMPLATE in memory: WORDs throughout, with the header and each item starting on
// a DWORD boundary. std::vector's storage is aligned well enough for that.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, const std::wstring& caption) {
        AddDword(style);
        AddDword(0);  // extended style
        m_countAt = m_words.size();
        AddWord(0);  // item count, filled in as items are added
        AddWord(0);  // x, y, cx, cy: the window is laid out once its font is known
        AddWord(0);
        AddWord(0);
        AddWord(0);
        AddWord(0);  // no menu
        AddWord(0);  // the standard dialog class
        AddString(caption);
        AddWord(static_cast<WORD>(kUiFontPoints));
        AddString(kUiFontFace);
    }

    void AddItem(DWORD style, WORD id, WORD windowClass, const std::wstring& text) {
        if (m_words.size() % 2 != 0)
            AddWord(0);
        AddDword(style | WS_CHILD | WS_VISIBLE);
        AddDword(0);
        for (int i = 0; i < 4; ++i)
            AddWord(0);
        AddWord(id);
        AddWord(0xFFFF);
        AddWord(windowClass);
        AddString(text);
        AddWord(0);  // no creation data
        ++m_words[m_countAt];
    }

    LPCDLGTEMPLATEW Get() const { return reinterpret_cast<LPCDLGTEMPLATEW>(m_words.data()); }

private:
    void AddWord(WORD w) { m_words.push_back(w); }
    void AddDword(DWORD d) {
        AddWord(LOWORD(d));
        AddWord(HIWORD(d));
    }
    void AddString(const std::wstring& text) {
        for (wchar_t c : text)
            AddWord(static_cast<WORD>(c));
        AddWord(0);
    }

    std::vector<WORD> m_words;
    std::size_t m_countAt = 0;
};

struct AboutState {
    const AboutTexts* texts;
    HICON icon;
    int iconSize;
    HBITMAP picture;
};

// An icon loaded for the window, destroyed after it unless it is a shared system icon.
struct OwnedIcon {
    HICON icon = nullptr;
    bool owned = false;
    ~OwnedIcon() {
        if (owned && icon != nullptr)
            DestroyIcon(icon);
    }
};

RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy) {
    RECT r{x, y, x + cx, y + cy};
    MapDialogRect(dialog, &r);
    return r;
}

// The height a wrapped static text needs at the given width, in pixels.
int TextHeight(HWND control, int width) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    WindowDc screen(control);
    if (screen.dc == nullptr)
        return 0;
    const HGDIOBJ oldFont = SelectObject(screen.dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextW(screen.dc, text.empty() ? L" " : text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(screen.dc, oldFont);
    return r.bottom - r.top;
}

SIZE ImageSize(const AboutState& state) {
    BITMAP bitmap{};
    if (state.picture != nullptr && GetObjectW(state.picture, sizeof(bitmap), &bitmap) != 0)
        return {bitmap.bmWidth, std::abs(bitmap.bmHeight)};
    return {state.iconSize, state.iconSize};
}

// Centres the window on its owner (on the owner's monitor when the owner is hidden or
// minimised) and keeps it on that monitor's work area.
void CentreOnOwner(HWND dialog) {
    const HWND owner = GetWindow(dialog, GW_OWNER);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    const HMONITOR monitor = MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTONEAREST);
    if (!GetMonitorInfoW(monitor, &info))
        return;
    RECT around = info.rcWork;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &around);
    RECT self{};
    GetWindowRect(dialog, &self);
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    int x = around.left + ((around.right - around.left) - width) / 2;
    int y = around.top + ((around.bottom - around.top) - height) / 2;
    x = std::max<int>(info.rcWork.left, std::min<int>(x, info.rcWork.right - width));
    y = std::max<int>(info.rcWork.top, std::min<int>(y, info.rcWork.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Places the image top left, the text lines in a column beside it, each as tall as its
// wrapped text, and the OK button centred below; then sizes and centres the window.
void LayOut(HWND dialog, const AboutState& state) {
    const RECT margin = DialogUnits(dialog, 0, 0, kMargin, kGap);
    const int m = margin.right;
    const int gap = margin.bottom;
    const RECT column = DialogUnits(dialog, 0, 0, kTextWidth, 0);
    const RECT button = DialogUnits(dialog, 0, 0, kButtonWidth, kButtonHeight);

    const SIZE image = ImageSize(state);
    if (const HWND control = GetDlgItem(dialog, kAboutImageId))
        SetWindowPos(control, nullptr, m, m, image.cx, image.cy, SWP_NOZORDER | SWP_NOACTIVATE);

    const int textLeft = m + image.cx + 2 * gap;
    const int textWidth = column.right;
    int y = m;
    for (int id : {kAboutTitleId, kAboutVersionId, kAboutDescriptionId, kAboutExtraId, kAboutDedicationId}) {
        const HWND control = GetDlgItem(dialog, id);
        if (control == nullptr)
            continue;
        const int height = TextHeight(control, textWidth);
        SetWindowPos(control, nullptr, textLeft, y, textWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
        y += height + gap;
    }
    const int clientWidth = textLeft + textWidth + m;
    const int buttonTop = std::max<int>(y, m + image.cy + gap) + gap;
    if (const HWND ok = GetDlgItem(dialog, IDOK))
        SetWindowPos(ok, nullptr, (clientWidth - button.right) / 2, buttonTop, button.right, button.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);

    RECT frame{0, 0, clientWidth, buttonTop + button.bottom + m};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CentreOnOwner(dialog);
}

void SetImage(HWND dialog, const AboutState& state) {
    const HWND control = GetDlgItem(dialog, kAboutImageId);
    if (control == nullptr)
        return;
    if (state.picture != nullptr)
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(state.picture));
    else if (state.icon != nullptr)
        SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(state.icon), 0);
}

// A static control may have kept a copy of a bitmap with alpha; that copy is ours to free,
// the caller's picture is not.
void ReleaseImage(HWND dialog, HBITMAP picture) {
    const HWND control = GetDlgItem(dialog, kAboutImageId);
    if (control == nullptr || picture == nullptr)
        return;
    const HBITMAP kept = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (kept != nullptr && kept != picture)
        DeleteObject(kept);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_INITDIALOG: {
            const auto* state = reinterpret_cast<const AboutState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            if (state != nullptr) {
                SetImage(dialog, *state);
                LayOut(dialog, *state);
            }
            return TRUE;  // the focus goes to the OK button, the first tab stop
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        case WM_DESTROY: {
            const auto* state = reinterpret_cast<const AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
            if (state != nullptr)
                ReleaseImage(dialog, state->picture);
            break;
        }
        default:
            break;
        }
    } catch (...) {
        // Nothing may cross into the dialog manager; the window simply stays as it is.
    }
    return FALSE;
}

}  // namespace

AboutIcon AboutIconFor(PictureScale scale) {
    return kIcons[static_cast<std::size_t>(scale)];
}

std::wstring ReadVersionString(const std::wstring& moduleFile, const std::wstring& key) {
    const VersionCalls& version = Version();
    DWORD ignored = 0;
    const DWORD size = version.infoSize(moduleFile.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size, 0);
    if (!version.info(moduleFile.c_str(), 0, size, block.data()))
        return {};
    const std::wstring query = L"\\StringFileInfo\\040904B0\\" + key;
    void* value = nullptr;
    UINT length = 0;
    if (!version.query(block.data(), query.c_str(), &value, &length) || value == nullptr || length == 0)
        return {};
    // The length counts characters and may or may not include the terminating NUL.
    const auto* text = static_cast<const wchar_t*>(value);
    return std::wstring(text, wcsnlen(text, length));
}

AboutTexts AboutLines(const CApplication& app, const std::wstring& extra, const std::wstring& dedication) {
    AboutTexts texts;
    texts.title = app.Title;
    const std::wstring file = ModuleFileName(app.Instance);
    if (!file.empty()) {
        const std::wstring version = ReadVersionString(file, L"FileVersion");
        if (!version.empty())
            texts.version = TextWith(TextId::AboutVersion, version);
        texts.description = ReadVersionString(file, L"FileDescription");
    }
    texts.extra = extra;
    texts.dedication = dedication;
    return texts;
}

AboutBox& AboutBox::Instance() {
    static AboutBox box;
    return box;
}

void AboutBox::ShowAbout(HWND owner, const CApplication& app, const std::wstring& extra, HBITMAP picture,
                         const std::wstring& dedication) {
    const AboutTexts texts = AboutLines(app, extra, dedication);

    const AboutIcon choice = AboutIconFor(PictureScaleFor(ScreenDpi()));
    OwnedIcon icon;
    if (picture == nullptr) {
        icon.icon = static_cast<HICON>(
            LoadImageW(app.Instance, choice.name, IMAGE_ICON, choice.size, choice.size, LR_DEFAULTCOLOR));
        icon.owned = icon.icon != nullptr;
        if (icon.icon == nullptr)
            icon.icon = LoadIconW(nullptr, IDI_APPLICATION);
    }

    const std::wstring caption(Text(TextId::AboutCaption));
    DialogTemplate dialog(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, caption.c_str());
    // The button comes first so that it is the first tab stop and takes the focus.
    dialog.AddItem(BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kButtonClass, L"OK");
    dialog.AddItem(picture != nullptr ? SS_BITMAP : SS_ICON, kAboutImageId, kStaticClass, L"");
    const std::pair<int, const std::wstring*> lines[] = {{kAboutTitleId, &texts.title},
                                                         {kAboutVersionId, &texts.version},
                                                         {kAboutDescriptionId, &texts.description},
                                                         {kAboutExtraId, &texts.extra},
                                                         {kAboutDedicationId, &texts.dedication}};
    for (const auto& [id, text] : lines) {
        if (!text->empty())
            dialog.AddItem(SS_LEFT | SS_NOPREFIX, static_cast<WORD>(id), kStaticClass, *text);
    }

    AboutState state{&texts, icon.icon, choice.size, picture};
    const HINSTANCE instance = app.Instance != nullptr ? app.Instance : GetModuleHandleW(nullptr);
    const INT_PTR result = Hooks().dialogBoxIndirect(instance, dialog.Get(), owner, AboutProc,
                                                     reinterpret_cast<LPARAM>(&state));
    if (result == -1)
        ThrowLastError(std::wstring(Text(TextId::ErrAboutWindow)));
}

}  // namespace netpeek
