// The list's row tooltip in-process: what it asks of the services, and when.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "mainwindow/frmMain.h"
#include "support/Hooks.h"
#include "tests/FormRecorder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

CIPAddrList ThreeRows() {
    CIPAddrList rows(3);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].dwIndex = static_cast<std::int32_t>(i + 1);
    return rows;
}

struct TooltipSearch {
    HWND list, tip;
};

BOOL CALLBACK FindTooltip(HWND w, LPARAM p) {
    auto& search = *reinterpret_cast<TooltipSearch*>(p);
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && SendMessageW(w, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)) &&
        tool.uId == reinterpret_cast<UINT_PTR>(search.list))
        search.tip = w;
    return search.tip == nullptr;
}

// The tooltip whose tool is the list.
HWND TooltipOf(HWND list) {
    TooltipSearch search{list, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&search));
    return search.tip;
}

AdapterInfo Adapter(const wchar_t* name, std::vector<std::uint8_t> mac = {}) {
    AdapterInfo adapter;
    adapter.friendlyName = name;
    adapter.physicalAddress = std::move(mac);
    adapter.operStatus = 1;
    adapter.mtu = 1500;
    return adapter;
}

RECT RowRect(HWND list, int row) {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    return bounds;
}

// What the tooltip is told to show with the pointer at that point of the list: the move goes
// through the window's message loop, as a real one does, and the tooltip asks the window.
std::wstring TipAt(frmMain& form, int x, int y) {
    const HWND list = form.ListView();
    MSG move{list, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), 0, {}};
    form.PreTranslateMessage(move);
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = TooltipOf(list);
    info.hdr.idFrom = reinterpret_cast<UINT_PTR>(list);
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(form.Handle(), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    return info.lpszText ? info.lpszText : L"";
}

std::wstring TipOnRow(frmMain& form, int row) {
    const RECT bounds = RowRect(form.ListView(), row);
    return TipAt(form, bounds.left + 5, (bounds.top + bounds.bottom) / 2);
}

}  // namespace

TEST(RowTooltip, ReadsTheAdaptersAtTheFirstTipAfterEachRefreshAndNeverRaisesAnError) {
    int boxes = 0;
    Hooks().messageBox = [&](HWND, const std::wstring&, const std::wstring&, UINT) {
        ++boxes;
        return IDOK;
    };
    FormRecorder recorder;
    recorder.rows = ThreeRows();
    recorder.adaptersFail = true;
    auto form = std::make_unique<frmMain>(recorder.Services());
    form->Create(nullptr);
    const HWND list = form->ListView();
    ASSERT_NE(TooltipOf(list), nullptr);
    recorder.Take();

    EXPECT_EQ(TipOnRow(*form, 0), L"Сведения об интерфейсах недоступны: The network adapters could not be read.");
    EXPECT_EQ(TipOnRow(*form, 1), L"Сведения об интерфейсах недоступны: The network adapters could not be read.");
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetAdapters"});

    recorder.adaptersFail = false;
    recorder.adapters[3] = Adapter(L"v0", {0x02, 0x00, 0x0a, 0x09, 0x00, 0x01});
    form->SortBy(0);
    form->SortBy(0);  // descending: the row of interface 3 comes first
    EXPECT_TRUE(recorder.Take().empty()) << "sorting reads no adapters";
    form->RefreshList();
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetIPAddresses"});
    EXPECT_EQ(TipOnRow(*form, 0),
              L"Интерфейс: v0\r\nОписание: \r\nФизический адрес: 02-00-0A-09-00-01\r\n"
              L"Состояние: работает\r\nMTU: 1500\r\nОсновной шлюз: нет\r\nDNS-серверы: нет");
    EXPECT_EQ(TipOnRow(*form, 2), L"Нет сведений об интерфейсе 1.");
    // The networks behind the rows are read with them, once for every tip until the next change.
    EXPECT_EQ(recorder.Take(), (std::vector<std::wstring>{L"GetAdapters", L"GetNetworkConnections", L"WlanEnumInterfaces"}));
    // Below the last row there is nothing to name.
    EXPECT_EQ(TipAt(*form, 5, RowRect(list, 2).bottom + 40), L"");
    EXPECT_EQ(boxes, 0);
    form.reset();
    Hooks() = SystemHooks();
}

// A header click keeps the row the user chose selected, focused and in view (Ctrl+C then copies
// that row), and a tip left showing goes, so that the next names the row then under the pointer.
TEST(RowTooltip, SortingKeepsTheChosenRowAndDropsAStaleTip) {
    FormRecorder recorder;
    recorder.rows = ThreeRows();
    recorder.adapters[1] = Adapter(L"one");
    recorder.adapters[3] = Adapter(L"three");
    auto form = std::make_unique<frmMain>(recorder.Services());
    form->Create(nullptr);
    const ListViewCtrl list(form->ListView());
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    form->Show(SW_SHOWNORMAL);
    const HWND tip = TooltipOf(form->ListView());
    // The tooltip looks where the real pointer is.
    const RECT row = RowRect(form->ListView(), 0);
    POINT pointer{row.left + 5, (row.top + row.bottom) / 2};
    ClientToScreen(form->ListView(), &pointer);
    SetCursorPos(pointer.x, pointer.y);
    EXPECT_NE(TipOnRow(*form, 0).find(L"one"), std::wstring::npos);
    // It shows after its delay, as it does for a user.
    for (int wait = 0; wait < 100 && !IsWindowVisible(tip); ++wait) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(20);
    }
    ASSERT_TRUE(IsWindowVisible(tip));

    form->SortBy(0);
    form->SortBy(0);  // descending: interfaces 3, 2, 1
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_EQ(list.GetSelected(), 2);
    EXPECT_EQ(list.GetFocused(), 2);
    EXPECT_EQ(form->RowOf(2)->key.index, 1u);
    EXPECT_NE(TipOnRow(*form, 0).find(L"three"), std::wstring::npos);
    form.reset();
}
