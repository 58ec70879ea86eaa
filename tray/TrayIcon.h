#pragma once
// The program's icon in the notification area: its tip, its menu, and the one notice that a
// burst of changes gives while the window is hidden there.

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "rows/ChangeLines.h"
#include "support/Handles.h"
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

    TrayIcon() = default;
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The message Explorer broadcasts when the taskbar is made again (after it restarted).
    static UINT TaskbarCreatedMessage();

    // Puts the icon, with its tip, in the notification area (again, after Explorer restarted);
    // false where the shell refused it, as when no taskbar is there yet. Timers and messages go
    // to `owner`.
    bool Add(HWND owner);
    // Takes the icon away, and any notice still gathering.
    void Remove();
    bool Shown() const { return m_shown; }

    // The tip, sent only when it differs from what the icon shows.
    void SetTip(const std::wstring& text);
    // The tip of these rows: "Netpeek", then the addresses of the interfaces that are up, the
    // primary ones first.
    void ShowAddresses(const ListRows& rows, const AdapterMap& adapters, std::span<const RowKey> primary);
    // A read's changes, and where the traffic now leaves for each family whose primary address
    // moved, for the notice of the burst they belong to; the first starts its timer.
    void Gather(const std::vector<ChangeLine>& lines, const std::vector<PrimaryAddress>& primaryMoved = {});
    // The burst's changes are forgotten, unshown: the user sees the window.
    void DropBurst();
    // The owner as it was before it went to the notification area, in front; a notice still
    // gathering is of no use now.
    void RestoreOwner();
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

    HWND m_owner = nullptr;
    UniqueIcon m_icon;
    bool m_shown = false;
    bool m_version4 = false;  // the shell took NOTIFYICON_VERSION_4
    std::wstring m_tip = L"Netpeek";
    std::vector<ChangeLine> m_burst;
    std::vector<PrimaryAddress> m_burstPrimary;  // the last move of each family in the burst
    bool m_gathering = false;
};

}  // namespace netpeek
