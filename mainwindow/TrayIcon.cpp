#include "mainwindow/TrayIcon.h"

#include <windowsx.h>

#include <algorithm>

#include "mainwindow/MenuBar.h"
#include "support/Application.h"
#include "support/Hooks.h"

namespace netpeek {

namespace {

// Copies text into a fixed field of the icon's data, cut to fit with its NUL.
template <std::size_t N>
void CopyField(wchar_t (&field)[N], const std::wstring& text) {
    const std::size_t count = std::min(text.size(), N - 1);
    std::copy_n(text.data(), count, field);
    field[count] = L'\0';
}

}  // namespace

TrayIcon::~TrayIcon() {
    Remove();
}

UINT TrayIcon::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_owner;
    data.uID = kIconId;
    data.uFlags = flags;
    return data;
}

bool TrayIcon::Add(HWND owner) {
    m_owner = owner;
    if (!m_icon) {
        // The size the taskbar asks for at the system's DPI: 16, 24 or 32 pixels.
        const int size = GetSystemMetrics(SM_CXSMICON);
        m_icon.reset(static_cast<HICON>(
            LoadImageW(CApplication::Current().Instance, kAppIconName, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    }
    // A restarted Explorer knows none of the icons it had: each is added again.
    NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = m_icon.get();
    CopyField(data.szTip, m_tip);
    m_shown = Hooks().shellNotifyIcon(NIM_ADD, &data) != FALSE;
    if (m_shown) {
        // Version 4 brings the keyboard to the icon (NIN_KEYSELECT, the menu key's WM_CONTEXTMENU).
        data.uVersion = NOTIFYICON_VERSION_4;
        Hooks().shellNotifyIcon(NIM_SETVERSION, &data);
    }
    return m_shown;
}

void TrayIcon::Remove() {
    DropBurst();
    if (!m_shown)
        return;
    m_shown = false;
    NOTIFYICONDATAW data = Data(0);
    Hooks().shellNotifyIcon(NIM_DELETE, &data);
}

void TrayIcon::SetTip(const std::wstring& text) {
    if (text == m_tip)
        return;
    m_tip = text;
    if (!m_shown)
        return;
    NOTIFYICONDATAW data = Data(NIF_TIP | NIF_SHOWTIP);
    CopyField(data.szTip, m_tip);
    Hooks().shellNotifyIcon(NIM_MODIFY, &data);
}

void TrayIcon::Gather(const std::vector<ChangeLine>& lines) {
    if (lines.empty() || !m_shown)
        return;
    m_burst.insert(m_burst.end(), lines.begin(), lines.end());
    if (!m_gathering && SetTimer(m_owner, kBurstTimer, kBurstMilliseconds, nullptr) != 0)
        m_gathering = true;
}

void TrayIcon::DropBurst() {
    if (m_gathering)
        KillTimer(m_owner, kBurstTimer);
    m_gathering = false;
    m_burst.clear();
}

bool TrayIcon::OnTimer(UINT_PTR id) {
    if (id != kBurstTimer)
        return false;
    const std::wstring text = NoticeText(NoticeLines(m_burst, m_names));
    DropBurst();
    // Rows that changed but kept their addresses tell nothing worth a notice.
    if (!text.empty())
        ShowNotice(text);
    return true;
}

void TrayIcon::ShowNotice(const std::wstring& text) {
    if (!m_shown)
        return;
    NOTIFYICONDATAW data = Data(NIF_INFO);
    CopyField(data.szInfoTitle, kNoticeTitle);
    CopyField(data.szInfo, text);
    // Windows' quiet hours and focus assist keep it quiet as they do every program's notices.
    data.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
    Hooks().shellNotifyIcon(NIM_MODIFY, &data);
}

TrayIcon::Request TrayIcon::OnMessage(WPARAM wParam, LPARAM lParam, POINT& at) {
    at = {GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
    switch (LOWORD(lParam)) {
    case NIN_SELECT:
    case NIN_KEYSELECT:
        return Request::ShowWindow;
    case WM_CONTEXTMENU:
        return Request::OpenMenu;
    case NIN_BALLOONUSERCLICK:
        return Request::ShowLog;
    default:
        return Request::None;
    }
}

void TrayIcon::ShowMenu(POINT at) const {
    const UniqueMenu menu = BuildTrayMenu();
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(m_owner);
    const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    Hooks().trackPopupMenu(menu.get(), align | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_owner);
    PostMessageW(m_owner, WM_NULL, 0, 0);
}

}  // namespace netpeek
