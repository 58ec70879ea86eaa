#include "tray/TrayIcon.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "support/Application.h"
#include "support/Hooks.h"
#include "texts/Texts.h"
#include "support/WindowIds.h"

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

bool TrayIcon::OnRegisteredMessage(UINT message, HWND owner) {
    if (message == 0)
        return false;
    if (message == TaskbarCreatedMessage())
        AddOrRestore(owner);
    else if (message == InstanceMark::ShowMessage())
        RestoreOwner();
    else
        return false;
    return true;
}

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_owner;
    data.uID = kIconId;
    data.uFlags = flags == 0 ? 0 : flags | NIF_TIP | NIF_SHOWTIP;
    CopyField(data.szTip, m_tip);
    return data;
}

namespace {

// The icon of each look: the program's own while connected.
constexpr const wchar_t* kLookIcons[] = {kAppIconName, L"A_LIMITED", L"A_NONET"};
static_assert(std::size(kLookIcons) == static_cast<std::size_t>(NetworkState::None) + 1, "a look without its icon");

// The icon at the size the taskbar asks for; a size between those drawn (20 pixels at 125 %, 28 at
// 175 %) is made from the next larger drawing, scaled down, which stays sharp where one scaled up blurs.
UniqueIcon LoadTrayIcon(const wchar_t* name, int size) {
    using LoadScaledDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    const HINSTANCE instance = CApplication::Current().Instance;
    if (const HMODULE controls = GetModuleHandleW(L"comctl32.dll"))
        if (const auto load = reinterpret_cast<LoadScaledDown>(
                reinterpret_cast<void (*)()>(GetProcAddress(controls, "LoadIconWithScaleDown")))) {
            HICON icon = nullptr;
            if (SUCCEEDED(load(instance, name, size, size, &icon)) && icon)
                return UniqueIcon(icon);
        }
    return UniqueIcon(static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

}  // namespace

void TrayIcon::LoadLook(NetworkState state) {
    if (m_icon && m_iconState == state)
        return;
    // A look that cannot be drawn keeps the last one rather than none.
    if (UniqueIcon icon = LoadTrayIcon(kLookIcons[static_cast<std::size_t>(state)], GetSystemMetrics(SM_CXSMICON))) {
        m_icon = std::move(icon);
        m_iconState = state;
    }
}

bool TrayIcon::Add(HWND owner) {
    m_owner = owner;
    // Elevated, the program would never hear Explorer's TaskbarCreated, which comes from a lower
    // integrity level: the icon would be gone for good after Explorer restarts.
    Hooks().changeWindowMessageFilter(owner, TaskbarCreatedMessage(), MSGFLT_ALLOW);
    Hooks().changeWindowMessageFilter(owner, InstanceMark::ShowMessage(), MSGFLT_ALLOW);
    LoadLook(m_look ? m_look->state : NetworkState::Connected);
    NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON);
    data.uCallbackMessage = kTrayIconMessage;
    data.hIcon = m_icon.get();
    // A restarted Explorer knows none of the icons it had, and each is added again; but Explorer
    // also says TaskbarCreated when the DPI changes or a remote session connects, while it still
    // holds the icon, which it then refuses to add: it is changed instead.
    m_shown = Hooks().shellNotifyIcon(NIM_ADD, &data) != FALSE || Hooks().shellNotifyIcon(NIM_MODIFY, &data) != FALSE;
    if (m_shown) {
        // Version 4 brings the keyboard to the icon (NIN_KEYSELECT, the menu key's WM_CONTEXTMENU);
        // where the shell refuses it, the icon speaks in plain mouse messages.
        data.uVersion = NOTIFYICON_VERSION_4;
        m_version4 = Hooks().shellNotifyIcon(NIM_SETVERSION, &data) != FALSE;
    }
    // Without the icon the window stays shown, and a second start still brings it up.
    m_mark.Name(owner);
    return m_shown;
}

void TrayIcon::Remove() {
    DropBurst();
    m_mark.Release();
    m_look.reset();
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
    NOTIFYICONDATAW data = Data(NIF_TIP);
    Hooks().shellNotifyIcon(NIM_MODIFY, &data);
}

void TrayIcon::ShowRead(const TableFeed& feed, const TableUpdate& update, bool gather) {
    const AdapterMap& adapters = feed.ReadInterfaces();
    NetworkLook look = LookOf(adapters);
    const std::optional<NetworkState> before = m_look ? std::optional(m_look->state) : std::nullopt;
    const std::vector<RowKey> primary = feed.PrimaryKeys();
    SetTip(TipText(AddressLines(feed.Rows(), adapters, primary), look));
    m_look = std::move(look);
    // A move is told from one network to another: the last one known stays while there is none.
    std::optional<PrimaryNetwork> network = PrimaryNetworkOf(feed.Rows(), adapters, primary);
    std::optional<PrimaryNetwork> networkMoved;
    if (network) {
        if (m_primaryNetwork && (network->name != m_primaryNetwork->name || network->wifi != m_primaryNetwork->wifi))
            networkMoved = network;
        m_primaryNetwork = std::move(network);
    }
    if (!before || *before != m_look->state) {
        LoadLook(m_look->state);
        NOTIFYICONDATAW data = Data(NIF_ICON);
        data.hIcon = m_icon.get();
        if (m_shown)
            Hooks().shellNotifyIcon(NIM_MODIFY, &data);
    }
    if (gather)
        Gather(update.lines, update.primaryMoved, before != m_look->state ? before : std::nullopt, networkMoved);
}

void TrayIcon::RestoreOwner() {
    DropBurst();
    if (!m_owner)
        return;
    ShowWindow(m_owner, IsIconic(m_owner) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(m_owner);
}

bool TrayIcon::StartInTray(bool maximized) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!m_shown || !GetWindowPlacement(m_owner, &placement))
        return false;
    // Minimised first, so that restoring it brings back its placement, then hidden from the taskbar.
    placement.showCmd = SW_SHOWMINNOACTIVE;
    if (maximized)
        placement.flags |= WPF_RESTORETOMAXIMIZED;
    if (!SetWindowPlacement(m_owner, &placement))
        return false;
    ShowWindow(m_owner, SW_HIDE);
    return true;
}

void TrayIcon::AddOrRestore(HWND owner) {
    if (!Add(owner) && !IsWindowVisible(owner))
        RestoreOwner();
}

void TrayIcon::Gather(const std::vector<ChangeLine>& lines, const std::vector<PrimaryAddress>& primaryMoved,
                      std::optional<NetworkState> lookBefore, const std::optional<PrimaryNetwork>& networkMoved) {
    if ((lines.empty() && primaryMoved.empty() && !lookBefore && !networkMoved) || !m_shown)
        return;
    if (networkMoved)
        m_burstNetwork = networkMoved;
    if (!m_gathering)
        m_burstLookFrom = lookBefore ? lookBefore : m_look ? std::optional(m_look->state) : std::nullopt;
    m_burst.insert(m_burst.end(), lines.begin(), lines.end());
    for (const PrimaryAddress& moved : primaryMoved) {
        std::erase_if(m_burstPrimary, [&](const PrimaryAddress& was) { return was.family == moved.family; });
        m_burstPrimary.push_back(moved);
    }
    std::sort(m_burstPrimary.begin(), m_burstPrimary.end(),
              [](const PrimaryAddress& a, const PrimaryAddress& b) { return a.family < b.family; });
    if (!m_gathering && SetTimer(m_owner, kBurstTimer, kBurstMilliseconds, nullptr) != 0)
        m_gathering = true;
}

void TrayIcon::DropBurst() {
    if (m_gathering)
        KillTimer(m_owner, kBurstTimer);
    m_gathering = false;
    m_burst.clear();
    m_burstPrimary.clear();
    m_burstLookFrom.reset();
    m_burstNetwork.reset();
}

bool TrayIcon::OnTimer(UINT_PTR id, const InterfaceNames& names) {
    if (id != kBurstTimer)
        return false;
    // The look is told where it ended other than it began.
    const bool newLook = m_look && m_burstLookFrom && *m_burstLookFrom != m_look->state;
    const std::wstring text =
        NoticeText(NoticeLines(m_burst, names, m_burstPrimary, newLook ? m_look : std::nullopt, m_burstNetwork));
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
    CopyField(data.szInfoTitle, std::wstring(Text(TextId::NoticeTitle)));
    CopyField(data.szInfo, text);
    // Windows' quiet hours and focus assist keep it quiet as they do every program's notices.
    data.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
    Hooks().shellNotifyIcon(NIM_MODIFY, &data);
}

UINT TrayIcon::EventOf(WPARAM wParam, LPARAM lParam, POINT& at) const {
    if (m_version4) {
        at = {GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
        return LOWORD(lParam);
    }
    GetCursorPos(&at);
    switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
        return NIN_SELECT;
    case WM_RBUTTONUP:
        return WM_CONTEXTMENU;
    default:
        return LOWORD(lParam);
    }
}

TrayIcon::Request TrayIcon::OnMessage(WPARAM wParam, LPARAM lParam, const std::function<UniqueMenu()>& menu) {
    POINT at{};
    switch (EventOf(wParam, lParam, at)) {
    case NIN_SELECT:
    case NIN_KEYSELECT:
        RestoreOwner();
        return Request::None;
    case WM_CONTEXTMENU:
        ShowMenu(menu().get(), at);
        return Request::None;
    case NIN_BALLOONUSERCLICK:
        RestoreOwner();
        return Request::ShowLog;
    default:
        return Request::None;
    }
}

void TrayIcon::ShowMenu(HMENU menu, POINT at) const {
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(m_owner);
    const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    Hooks().trackPopupMenu(menu, align | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_owner);
    PostMessageW(m_owner, WM_NULL, 0, 0);
}

}  // namespace netpeek
