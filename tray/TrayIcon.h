#pragma once
// The program's icon in the notification area: its tip, its menu, and the one notice that a
// burst of changes gives while the window is hidden there.

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "feed/TableFeed.h"
#include "rows/ChangeLines.h"
#include "support/Handles.h"
#include "tray/InstanceMark.h"
#include "tray/TrayTexts.h"

namespace netpeek {

class TrayIcon {
public:
    // The icon's id among the owner's icons (one, and no GUID: the program is unsigned and may
    // move, and Windows ties a GUID to the executable's path); it tells the owner of its events
    // with kTrayIconMessage (support/WindowIds).
    static constexpr UINT kIconId = 1;
    // The changes of one burst are gathered for this long after the first, then shown as one.
    static constexpr UINT kBurstMilliseconds = 2000;

    // What a message from the icon asks of the owner, beyond what the icon does itself.
    enum class Request { None, ShowLog };

    // `mark`, where the start took it already, is the one the icon's window is named in.
    explicit TrayIcon(InstanceMark mark = {}) : m_mark(std::move(mark)) {}
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The message Explorer broadcasts when the taskbar is made again (after it restarted).
    static UINT TaskbarCreatedMessage();
    // A message registered by name that concerns the icon of `owner`: Explorer's TaskbarCreated
    // puts the icon there again (or the window back, where the shell refuses it), and a second
    // start of the program brings the window forward. False for any other message.
    bool OnRegisteredMessage(UINT message, HWND owner);

    // Puts the icon, with its look and tip, in the notification area (again, after Explorer
    // restarted), and names `owner` in the mark as the window a second start brings up, also where
    // the shell refused the icon; false where it did, as when no taskbar is there yet. Timers and
    // messages go to `owner`.
    bool Add(HWND owner);
    // Takes the icon away, its mark, and any notice still gathering.
    void Remove();
    bool Shown() const { return m_shown; }

    // The tip, sent only when it differs from what the icon shows.
    void SetTip(const std::wstring& text);
    // A read as the icon shows it: its look (connected, limited or no network) by the interfaces,
    // and its tip, the look's words or "Netpeek" and then the addresses of the interfaces that
    // are up, the primary ones first. With `gather` (the owner hidden, the notices on), the read's
    // changes go to the notice of their burst, a new look among them.
    void ShowRead(const TableFeed& feed, const TableUpdate& update, bool gather);
    // A read's changes, and where the traffic now leaves for each family whose primary address
    // moved, for the notice of the burst they belong to; the first starts its timer. A new look
    // gives `lookBefore`, the state the icon showed until this read; a move of the primary address
    // to another network gives that network.
    void Gather(const std::vector<ChangeLine>& lines, const std::vector<PrimaryAddress>& primaryMoved = {},
                std::optional<NetworkState> lookBefore = std::nullopt,
                const std::optional<PrimaryNetwork>& networkMoved = std::nullopt);
    // The burst's changes are forgotten, unshown: the user sees the window.
    void DropBurst();
    // The owner as it was before it went to the notification area, in front; a notice still
    // gathering is of no use now.
    void RestoreOwner();
    // The owner, not yet shown, minimised and hidden beside the icon, as if the user had just
    // minimised it there; restored, it is maximised where `maximized`. False where there is no
    // icon to restore it from, and the owner is left as it was.
    bool StartInTray(bool maximized);
    // The icon put there with its tip; where the shell refuses it, a hidden owner comes back rather
    // than be lost.
    void AddOrRestore(HWND owner);
    // The owner's timer: true when it was the burst's, whose notice is then shown, each interface
    // named as `names` name it (one that went by the name it had).
    bool OnTimer(UINT_PTR id, const InterfaceNames& names);

    // A message from the icon (NOTIFYICON_VERSION_4's: the event in the low word of lParam, the
    // point in wParam; where the shell refused that version, the mouse message in lParam, the
    // point where the cursor is). A click or Enter shows the owner; a right click or the menu key
    // opens the owner's menu that `menu` builds, at that point; a click on the notice shows the
    // owner, and asks it for the log.
    Request OnMessage(WPARAM wParam, LPARAM lParam, const std::function<UniqueMenu()>& menu);

private:
    // The icon's data for a change: the tip goes with every one, since under version 4 a change
    // without NIF_SHOWTIP may turn the standard tip off.
    NOTIFYICONDATAW Data(UINT flags) const;
    // The event of a message from the icon, in version 4's terms, and the point it happened at.
    UINT EventOf(WPARAM wParam, LPARAM lParam, POINT& at) const;
    void ShowMenu(HMENU menu, POINT at) const;
    void ShowNotice(const std::wstring& text);
    // The icon of the look, loaded at the size the taskbar asks for where it is not yet.
    void LoadLook(NetworkState state);

    HWND m_owner = nullptr;
    UniqueIcon m_icon;
    NetworkState m_iconState = NetworkState::Connected;  // the look m_icon draws
    std::optional<NetworkLook> m_look;  // what the last read looked like, none before the first
    InstanceMark m_mark;
    bool m_shown = false;
    bool m_version4 = false;  // the shell took NOTIFYICON_VERSION_4
    std::wstring m_tip = L"Netpeek";
    std::vector<ChangeLine> m_burst;
    std::vector<PrimaryAddress> m_burstPrimary;  // the last move of each family in the burst
    std::optional<NetworkState> m_burstLookFrom;  // the look as the burst began
    std::optional<PrimaryNetwork> m_primaryNetwork;  // the network the primary address was last seen on
    std::optional<PrimaryNetwork> m_burstNetwork;    // the last network it moved to in the burst
    bool m_gathering = false;
};

}  // namespace netpeek
