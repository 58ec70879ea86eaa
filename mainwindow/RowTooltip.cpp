#include "mainwindow/RowTooltip.h"

#include <commctrl.h>
#include <windowsx.h>

#include "mainwindow/RowTipText.h"
#include "support/Application.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// Wide enough for a long adapter description on two lines at most.
constexpr int kMaxTipWidth = 480;
// Five lines take longer to read than the tooltip's default five seconds.
constexpr int kShowMilliseconds = 30000;

}  // namespace

void RowTooltip::Create(HWND owner, HWND list, const AddressList& rows, TableFeed& feed) {
    m_rows = &rows;
    m_feed = &feed;
    m_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            CApplication::Current().Instance, nullptr);
    if (!m_tip)
        ThrowLastError(std::wstring(Text(TextId::ErrListTooltip)));
    // The tool is the list's whole window; the owner is asked for its text.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(list);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    if (!SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
        throw CError(ERROR_INVALID_DATA, std::wstring(Text(TextId::ErrTooltipTool)));
    SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SendMessageW(m_tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kShowMilliseconds, 0));
    m_list = ListViewCtrl(list);
    m_owner = owner;
}

void RowTooltip::Hide() {
    m_row = -1;
    Pop();
}

void RowTooltip::Pop() const {
    if (m_tip)
        SendMessageW(m_tip, TTM_POP, 0, 0);
}

void RowTooltip::Relay(const MSG& msg) {
    if (!m_tip || msg.hwnd != m_list.Handle())
        return;
    // The wheel and the keys scroll the rows under the pointer: the tip waits for the next move.
    if (msg.message == WM_MOUSEWHEEL || msg.message == WM_KEYDOWN) {
        Hide();
        return;
    }
    if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST)
        return;
    if (msg.message == WM_MOUSEMOVE) {
        const int row = RowAt({GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
        // One tool covers every row, so the tooltip would keep the first row's text: it goes
        // when the pointer reaches another row, and comes back with that row's.
        if (row != m_row) {
            m_row = row;
            Pop();
        }
    }
    MSG relayed = msg;
    SendMessageW(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

bool RowTooltip::Notify(NMHDR& header) {
    if (!m_tip || header.hwndFrom != m_tip)
        return false;
    if (header.code == TTN_POP) {
        StopTracking();
        return true;
    }
    if (header.code != TTN_GETDISPINFOW)
        return false;
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    // No error leaves a tooltip: at worst it shows nothing.
    try {
        m_text = TextForRow(m_row);
    } catch (...) {
        m_text.clear();
    }
    info.lpszText = m_text.data();
    info.hinst = nullptr;
    return true;
}

// Once its tip has gone, a tooltip goes on asking where the pointer is ten times a second for
// as long as the pointer rests on its tool (Wine's does, and the tool is the whole list): a move
// over a window that is no tool ends that, and the next real move over the list starts it again.
void RowTooltip::StopTracking() {
    if (m_stopping)
        return;
    m_stopping = true;
    MSG away{m_owner, WM_MOUSEMOVE, 0, 0, 0, {}};
    SendMessageW(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&away));
    m_stopping = false;
}

int RowTooltip::RowAt(POINT point) const {
    LVHITTESTINFO hit{};
    hit.pt = point;
    return static_cast<int>(SendMessageW(m_list.Handle(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

std::wstring RowTooltip::TextForRow(int row) {
    // Over the list's empty part there is no tip.
    if (row < 0)
        return {};
    // The row's own interface, whatever order the list shows the rows in and however it writes them.
    const ListRow* shown = m_rows->RowOf(row);
    if (!shown)
        return {};
    const RowKey& key = shown->key;
    const AdapterMap* adapters = nullptr;
    try {
        adapters = &m_feed->Interfaces();
    } catch (...) {
        return AdaptersUnavailableText(CurrentError().Description());
    }
    const auto adapter = adapters->find(key.index);
    const AdapterUnicast* unicast = adapter == adapters->end() ? nullptr : UnicastOf(key, adapter->second);
    const PrimaryAddress* primary = m_feed->PrimaryOf(key);
    if (!unicast || !unicast->FromDhcp())
        return InterfaceTipText(key, *adapters, nullptr, primary);
    const TipLease lease = m_feed->TipLeaseOf(key, adapter->second, *unicast);
    return InterfaceTipText(key, *adapters, &lease, primary);
}

}  // namespace netpeek
