// The notification area's icon and the log of changes, in-process, through the seam over
// Shell_NotifyIconW: the switches and their stored values, the tip, one notice per burst, the
// icon's menu and messages, Explorer's restart and the session's end; the one icon's mark as a
// start finds it, and the start at logon as the registry holds it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <sddl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mainwindow/frmMain.h"
#include "startup/modMain.h"
#include "support/Application.h"
#include "support/Handles.h"
#include "support/Hooks.h"
#include "support/WindowIds.h"
#include "tray/InstanceMark.h"
#include "tray/LogonStart.h"
#include "tests/FormRecorder.h"
#include "tests/TableBuilder.h"
#include "texts/Texts.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

void CALLBACK QuitLoop(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(0);
}

// A section of the session made as someone else would make it: under `name`, with `security` (SDDL;
// none for the default), holding `size` bytes of `record`.
struct ForeignSection {
    ForeignSection(const std::wstring& name, const wchar_t* security, const void* record, DWORD size) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (security && !ConvertStringSecurityDescriptorToSecurityDescriptorW(security, SDDL_REVISION_1, &descriptor, nullptr))
            return;
        const UniqueLocal held(descriptor);
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
        section.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, size, name.c_str()));
        made = section && GetLastError() != ERROR_ALREADY_EXISTS;
        view.reset(section ? MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, size) : nullptr);
        if (view)
            std::memcpy(view.get(), record, size);
    }
    UniqueKernelHandle section;
    UniqueView view;
    bool made = false;
};

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAW data;
};

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        Hooks().shellNotifyIcon = [this](DWORD message, NOTIFYICONDATAW* data) {
            shell.push_back({message, *data});
            return TRUE;
        };
        Hooks().trackPopupMenu = [this](HMENU menu, UINT, int, int, HWND) {
            menuItems.clear();
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[128] = {};
                GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
                menuItems.push_back(text);
            }
            defaultItem = GetMenuDefaultItem(menu, FALSE, 0);
            notifyState = GetMenuState(menu, MenuCommandId(kNotifyChangesItem.array, kNotifyChangesItem.index), MF_BYCOMMAND);
            copyState = GetMenuState(menu, MenuCommandId(kCopyPrimaryItem.array, kCopyPrimaryItem.index), MF_BYCOMMAND);
            logonState = GetMenuState(menu, MenuCommandId(kStartAtLogonItem.array, kStartAtLogonItem.index), MF_BYCOMMAND);
            return TRUE;
        };
        Hooks().messageBox = [this](HWND, const std::wstring& text, const std::wstring&, UINT) {
            boxes.push_back(text);
            return IDOK;
        };
        raw = NumberedRows(3);
        Use(raw);
        for (std::uint32_t index = 1; index <= 40; ++index) {
            AdapterInfo& adapter = recorder.adapters[index];
            adapter.friendlyName = L"Ethernet " + std::to_wstring(index);
            adapter.operStatus = 1;
            adapter.ifType = 6;
            // Each has the address its row has, which makes the network a connected one.
            AdapterUnicast unicast;
            unicast.address.bytes = {10, 0, static_cast<std::uint8_t>(index - 1), 1};
            adapter.unicast.push_back(unicast);
        }
    }
    void TearDown() override {
        form.reset();
        Hooks() = SystemHooks();
    }

    void Use(const std::vector<RawRow>& rows) { recorder.rows = DecodeAddrTable(TableBytes(rows)); }
    void Open(bool intoTray = false) {
        form = std::make_unique<frmMain>(recorder.Services());
        form->Create(nullptr);
        form->Show(SW_SHOWNORMAL, intoTray);
    }
    void Command(MenuRef item) { SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(item.array, item.index), 0); }
    // The icon tells its owner of an event, as NOTIFYICON_VERSION_4 does.
    void IconEvent(UINT event) {
        SendMessageW(form->Handle(), kTrayIconMessage, MAKEWPARAM(30, 40), MAKELPARAM(event, TrayIcon::kIconId));
    }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> messages;
        for (const ShellCall& call : shell)
            messages.push_back(call.message);
        return messages;
    }
    const ShellCall* LastWith(DWORD message, UINT flag) const {
        for (auto it = shell.rbegin(); it != shell.rend(); ++it)
            if (it->message == message && (it->data.uFlags & flag))
                return &*it;
        return nullptr;
    }
    int Notices() const {
        return static_cast<int>(std::count_if(shell.begin(), shell.end(), [](const ShellCall& call) {
            return call.message == NIM_MODIFY && (call.data.uFlags & NIF_INFO);
        }));
    }
    void Minimise() { ShowWindow(form->Handle(), SW_MINIMIZE); }
    // A start of the program as Netpeek.exe makes it: true where it went on with a window of its
    // own (which read the table, until the loop was ended), false where it ended at once.
    bool StartGoesOn() {
        recorder.Take();
        const UINT_PTR timer = SetTimer(nullptr, 0, 300, QuitLoop);
        modMain::Main(recorder.Services());
        KillTimer(nullptr, timer);
        const auto calls = recorder.Take();
        return std::count(calls.begin(), calls.end(), L"GetIPAddresses") > 0;
    }
    void Reread() { form->UpdateFromTable(); }

    FormRecorder recorder;
    std::vector<RawRow> raw;
    std::vector<ShellCall> shell;
    std::vector<std::wstring> menuItems, boxes;
    UINT defaultItem = 0, notifyState = 0, copyState = 0, logonState = 0;
    std::unique_ptr<frmMain> form;
};

}  // namespace

// Off, as at first: no icon, no adapter read, minimising keeps the window on the taskbar, and the
// notices' switch is greyed. Ticked: stored first, the icon with version 4, a fixed id and no GUID.
TEST_F(Tray, TheSwitchIsStoredAndOffThereIsNoIcon) {
    Open();
    EXPECT_TRUE(shell.empty());
    const auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"GetAdapters"), 0);
    EXPECT_EQ(recorder.values.count(L"Minimize To Tray"), 0u);
    SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->ListView()), MAKELPARAM(5, 5));
    EXPECT_NE(notifyState & MF_GRAYED, 0u);
    EXPECT_NE(logonState & MF_GRAYED, 0u);
    Minimise();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    ShowWindow(form->Handle(), SW_RESTORE);

    recorder.writeFailures = 1;
    Command(kMinimizeToTrayItem);
    EXPECT_TRUE(shell.empty()) << "a choice that cannot be stored changes nothing";
    EXPECT_EQ(boxes.size(), 1u);
    Command(kMinimizeToTrayItem);
    EXPECT_EQ(recorder.values[L"Minimize To Tray"], L"1");
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION}));
    EXPECT_EQ(shell[0].data.uID, TrayIcon::kIconId);
    EXPECT_EQ(shell[0].data.uFlags & NIF_GUID, 0u);
    EXPECT_NE(shell[0].data.hIcon, nullptr);
    EXPECT_EQ(shell[0].data.uCallbackMessage, kTrayIconMessage);
    EXPECT_EQ(shell[1].data.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));
    const auto after = recorder.Take();
    EXPECT_EQ(std::count(after.begin(), after.end(), L"GetAdapters"), 1) << "the tip's names";
    EXPECT_STREQ(shell[0].data.szTip, L"Netpeek\n10.0.0.1 — Ethernet 1\n10.0.1.1 — Ethernet 2\n10.0.2.1 — Ethernet 3");

    SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->ListView()), MAKELPARAM(5, 5));
    EXPECT_EQ(notifyState & MF_GRAYED, 0u);
    EXPECT_EQ(logonState & MF_GRAYED, 0u);
    Command(kMinimizeToTrayItem);
    EXPECT_EQ(recorder.values[L"Minimize To Tray"], L"0");
    EXPECT_EQ(Messages().back(), static_cast<DWORD>(NIM_DELETE));
}

// Stored on: minimising hides the window, a click or Enter on the icon brings it back, and the
// icon's menu has its four items with "Показать Netpeek" the default; its command shows the window.
TEST_F(Tray, MinimisingHidesTheWindowAndTheIconBringsItBack) {
    recorder.values[L"Minimize To Tray"] = L"1";
    Open();
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION}));
    for (UINT event : {static_cast<UINT>(NIN_SELECT), static_cast<UINT>(NIN_KEYSELECT)}) {
        Minimise();
        EXPECT_FALSE(IsWindowVisible(form->Handle()));
        IconEvent(event);
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        EXPECT_FALSE(IsIconic(form->Handle()));
    }
    IconEvent(WM_CONTEXTMENU);
    EXPECT_EQ(menuItems, (std::vector<std::wstring>{L"Показать Netpeek", L"Обновить", L"Журнал изменений",
                                                    L"Копировать IP-адрес", L"Запускать при входе в Windows", L"",
                                                    L"Выход"}));
    EXPECT_EQ(defaultItem, MenuCommandId(kShowWindowItem.array, kShowWindowItem.index));
    Minimise();
    Command(kShowWindowItem);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

// /tray: the window starts minimised and hidden beside its icon, and a second start's message
// brings it up; without the icon to come back from, it is an ordinary start.
TEST_F(Tray, StartedIntoTheTrayTheWindowWaitsBesideItsIcon) {
    Open(true);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    recorder.values[L"Minimize To Tray"] = L"1";
    Open(true);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(IsIconic(form->Handle()));
    SendMessageW(form->Handle(), InstanceMark::ShowMessage(), 0, 0);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsIconic(form->Handle()));
}

// A mark that someone else made is not obeyed: the start goes on with a window of its own, where
// it would otherwise end and leave the user nothing. An unprotected section of the name the mark
// once had, naming another process's window; the mark as the user's own process may write it,
// naming a window that is not the program's (the desktop's); and one another account made first
// (an owner other than the user, as Wine lets a test give), naming a holder still starting.
TEST_F(Tray, AMarkMadeBySomeoneElseIsNotObeyed) {
    recorder.values[L"Minimize To Tray"] = L"1";
    const HWND desktop = GetDesktopWindow();
    DWORD other = 0;
    ASSERT_NE(GetWindowThreadProcessId(desktop, &other), 0u);
    ASSERT_NE(other, GetCurrentProcessId());
    const std::wstring name = InstanceMark::SectionName();
    ASSERT_FALSE(name.empty());
    const std::wstring sid = name.substr(name.rfind(L'.') + 1);
    const auto desktopValue = static_cast<LONG>(reinterpret_cast<LONG_PTR>(desktop));
    {
        const struct {
            std::uint64_t window;
            std::uint32_t process;
        } old{static_cast<std::uint64_t>(desktopValue), other};
        const ForeignSection section(L"Local\\Netpeek.Icon." + sid, nullptr, &old, sizeof(old));
        ASSERT_TRUE(section.made);
        EXPECT_TRUE(StartGoesOn()) << "an unprotected section of the old name";
    }
    {
        InstanceMark made;
        ASSERT_EQ(made.Claim(false), InstanceMark::Found::Ours);
        const InstanceMark::Record record{desktopValue, static_cast<LONG>(other), 0};
        const ForeignSection section(name, nullptr, &record, sizeof(record));
        ASSERT_TRUE(section.view);
        EXPECT_TRUE(StartGoesOn()) << "a mark naming the desktop's window";
    }
    const InstanceMark::Record starting{0, static_cast<LONG>(other), 0};
    const ForeignSection squatted(name, L"O:SYD:(A;;GA;;;WD)", &starting, sizeof(starting));
    ASSERT_TRUE(squatted.made);
    EXPECT_TRUE(StartGoesOn()) << "another account's section";
    EXPECT_EQ(static_cast<const InstanceMark::Record*>(squatted.view.get())->wanted, 0) << "nothing asked of its holder";
}

// The icon shows the network: only link-local addresses are a limited one, none at all no network.
// The tip's first line says so, and the hidden window's notice tells each new look with its burst.
TEST_F(Tray, TheIconShowsTheNetworksLookAndTheNoticeTellsANewOne) {
    recorder.values[L"Minimize To Tray"] = L"1";
    Use(raw = NumberedRows(1));
    Open();
    const HICON connected = shell.at(0).data.hIcon;
    Minimise();
    const auto reread = [&](std::vector<RawRow> rows, const std::vector<AdapterUnicast>& unicast) {
        for (auto& [index, adapter] : recorder.adapters)
            adapter.unicast.clear();
        recorder.adapters[1].unicast = unicast;
        Use(raw = std::move(rows));
        Reread();
        SendMessageW(form->Handle(), WM_TIMER, kBurstTimer, 0);
    };
    RawRow automatic = NumberedRows(1)[0];
    automatic.addr = {169, 254, 12, 7};
    AdapterUnicast linkLocal;
    linkLocal.address.bytes = {169, 254, 12, 7};
    reread({automatic}, {linkLocal});
    const ShellCall* icon = LastWith(NIM_MODIFY, NIF_ICON);
    ASSERT_NE(icon, nullptr);
    const HICON limitedIcon = icon->data.hIcon;
    EXPECT_NE(limitedIcon, connected);
    const std::wstring limited = L"Только локальный адрес 169.254.12.7 — Ethernet 1";
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_TIP)->data.szTip, (limited + L"\n169.254.12.7 — Ethernet 1").c_str());
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_INFO)->data.szInfo, (limited + L"\n10.0.0.1 → 169.254.12.7 (Ethernet 1)").c_str());

    reread({}, {});
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_TIP)->data.szTip, L"Нет подключения к сети");
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_INFO)->data.szInfo, L"Нет подключения к сети\n− 169.254.12.7 (Ethernet 1)");
    // The language switched meanwhile: the tip says the look in that language at once.
    SetCurrentLanguage(LanguageOfCode(L"en"));
    form->Relabel();
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_TIP)->data.szTip, L"No network connection");
    SetCurrentLanguage(LanguageOfCode(L"ru"));
    form->Relabel();
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_TIP)->data.szTip, L"Нет подключения к сети");
    const HICON none = LastWith(NIM_MODIFY, NIF_ICON)->data.hIcon;
    EXPECT_NE(none, limitedIcon);

    AdapterUnicast global;
    global.address.bytes = {10, 0, 0, 1};
    reread(NumberedRows(1), {global});
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_INFO)->data.szInfo, L"Подключение к сети восстановлено\n+ 10.0.0.1 (Ethernet 1)");
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_TIP)->data.szTip, L"Netpeek\n10.0.0.1 — Ethernet 1");
}

// Many addresses: the tip is 127 characters at most, whole lines and the count of the others,
// and follows the table at the next re-read.
TEST_F(Tray, TheTipFitsManyAddressesAndFollowsTheTable) {
    recorder.values[L"Minimize To Tray"] = L"1";
    raw = NumberedRows(40);
    Use(raw);
    Open();
    std::wstring tip = shell.at(0).data.szTip;
    EXPECT_LE(tip.size(), 127u);
    EXPECT_EQ(tip.substr(0, 30), L"Netpeek\n10.0.0.1 — Ethernet 1\n");
    const auto shownLines = static_cast<std::size_t>(std::count(tip.begin(), tip.end(), L'\n')) - 1;
    EXPECT_EQ(tip.substr(tip.rfind(L'\n') + 1), L"…и ещё " + std::to_wstring(40 - shownLines));

    raw.resize(2);
    Use(raw);
    Reread();
    const ShellCall* modified = LastWith(NIM_MODIFY, NIF_TIP);
    ASSERT_NE(modified, nullptr);
    EXPECT_STREQ(modified->data.szTip, L"Netpeek\n10.0.0.1 — Ethernet 1\n10.0.1.1 — Ethernet 2");
}

// Six events in three re-reads while hidden give one notice once the burst's timer fires: its
// title, three lines and the count of the others, quiet hours respected. Not while the window is
// shown, nor with the notices' switch off; a click on the notice shows the window and the log.
TEST_F(Tray, ABurstOfSixEventsGivesOneNotice) {
    recorder.values[L"Minimize To Tray"] = L"1";
    Open();
    Minimise();
    for (int step = 0; step < 3; ++step) {
        raw.push_back(NumberedRows(10 + step * 2 + 1).back());
        raw.push_back(NumberedRows(10 + step * 2 + 2).back());
        Use(raw);
        Reread();
    }
    EXPECT_EQ(Notices(), 0) << "gathering";
    SendMessageW(form->Handle(), WM_TIMER, kBurstTimer, 0);
    ASSERT_EQ(Notices(), 1);
    const ShellCall* notice = LastWith(NIM_MODIFY, NIF_INFO);
    EXPECT_STREQ(notice->data.szInfoTitle, L"Адреса изменились");
    EXPECT_STREQ(notice->data.szInfo, L"+ 10.0.10.1 (Ethernet 11)\n+ 10.0.11.1 (Ethernet 12)\n+ 10.0.12.1 (Ethernet 13)\n…и ещё 3");
    EXPECT_EQ(notice->data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_RESPECT_QUIET_TIME));
    EXPECT_EQ(form->Log().Lines().Kept(), 6u) << "the log has them all";
    SendMessageW(form->Handle(), WM_TIMER, kBurstTimer, 0);
    EXPECT_EQ(Notices(), 1) << "one burst, one notice";

    IconEvent(NIN_BALLOONUSERCLICK);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    ASSERT_NE(form->Log().Handle(), nullptr);
    EXPECT_TRUE(IsWindowVisible(form->Log().Handle()));
    EXPECT_EQ(ListViewCtrl(form->Log().List()).GetItemCount(), 6);

    raw.pop_back();
    Use(raw);
    Reread();
    SendMessageW(form->Handle(), WM_TIMER, kBurstTimer, 0);
    EXPECT_EQ(Notices(), 1) << "the window is shown";

    Command(kNotifyChangesItem);
    EXPECT_EQ(recorder.values[L"Notify Changes"], L"0");
    Minimise();
    raw.pop_back();
    Use(raw);
    Reread();
    SendMessageW(form->Handle(), WM_TIMER, kBurstTimer, 0);
    EXPECT_EQ(Notices(), 1) << "notices off";
    EXPECT_EQ(form->Log().Lines().Kept(), 8u);
}

// Explorer restarted: the icon comes again. The session's end, and the window's, take it away.
TEST_F(Tray, TheIconComesBackAfterExplorerAndGoesWithTheSession) {
    recorder.values[L"Minimize To Tray"] = L"1";
    Open();
    shell.clear();
    SendMessageW(form->Handle(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION}));
    SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(Messages().back(), static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(recorder.values.count(L"Log Window placement"), 0u) << "no log window, no placement";

    SendMessageW(form->Handle(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
    shell.clear();
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(MenuArray::File, 100), 0);
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
}

// Explorer says TaskbarCreated also while it holds the icon (a change of DPI, a remote session),
// and then refuses to add it again: the icon stays, its tip follows the table, a notice comes,
// every change keeps the standard tip on, and the window's end leaves no icon. Elevated, the
// message is let through from Explorer's lower integrity level.
TEST_F(Tray, ATaskbarCreatedWhileTheIconIsThereKeepsIt) {
    std::set<UINT> held;
    Hooks().shellNotifyIcon = [&](DWORD message, NOTIFYICONDATAW* data) {
        shell.push_back({message, *data});
        if (message == NIM_ADD)
            return held.insert(data->uID).second ? TRUE : FALSE;
        if (message == NIM_DELETE)
            return held.erase(data->uID) != 0 ? TRUE : FALSE;
        return held.count(data->uID) != 0 ? TRUE : FALSE;
    };
    std::vector<UINT> allowed;
    Hooks().changeWindowMessageFilter = [&](HWND, UINT message, DWORD action) {
        if (action == MSGFLT_ALLOW)
            allowed.push_back(message);
        return TRUE;
    };
    recorder.values[L"Minimize To Tray"] = L"1";
    Open();
    // Explorer's message and a second start's both reach an elevated program.
    EXPECT_EQ(allowed, (std::vector<UINT>{TrayIcon::TaskbarCreatedMessage(), InstanceMark::ShowMessage()}));
    SendMessageW(form->Handle(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
    raw.resize(2);
    Use(raw);
    Reread();
    const ShellCall* modified = LastWith(NIM_MODIFY, NIF_TIP);
    ASSERT_NE(modified, nullptr);
    EXPECT_STREQ(modified->data.szTip, L"Netpeek\n10.0.0.1 — Ethernet 1\n10.0.1.1 — Ethernet 2");
    Minimise();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    raw.pop_back();
    Use(raw);
    Reread();
    SendMessageW(form->Handle(), WM_TIMER, kBurstTimer, 0);
    EXPECT_EQ(Notices(), 1);
    for (const ShellCall& call : shell) {
        if (call.message == NIM_MODIFY) {
            EXPECT_NE(call.data.uFlags & NIF_SHOWTIP, 0u) << "flags " << call.data.uFlags;
        }
    }
    form.reset();
    EXPECT_TRUE(held.empty());
}

// Where the shell refuses version 4, the icon's plain mouse messages still show the window and
// open its menu.
TEST_F(Tray, WithoutVersion4TheIconsMouseMessagesStillWork) {
    Hooks().shellNotifyIcon = [this](DWORD message, NOTIFYICONDATAW* data) {
        shell.push_back({message, *data});
        return message == NIM_SETVERSION ? FALSE : TRUE;
    };
    recorder.values[L"Minimize To Tray"] = L"1";
    Open();
    Minimise();
    SendMessageW(form->Handle(), kTrayIconMessage, TrayIcon::kIconId, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    SendMessageW(form->Handle(), kTrayIconMessage, TrayIcon::kIconId, WM_RBUTTONUP);
    EXPECT_EQ(menuItems.size(), 7u);
}

// A hidden window whose icon the shell refuses comes back, rather than being lost.
TEST_F(Tray, AnIconTheShellRefusesLeavesTheWindowShown) {
    recorder.values[L"Minimize To Tray"] = L"1";
    Hooks().shellNotifyIcon = [](DWORD, NOTIFYICONDATAW*) { return FALSE; };
    Open();
    Minimise();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

// The log, with the tray switch off: what changed since the start, as /wcomma's lines under the
// list's columns; Ctrl+L opens it, Esc hides it, its placement is kept, and changes keep coming.
TEST_F(Tray, TheLogRecordsEveryChangeAndCopiesAsCsv) {
    Open();
    raw[1].type = 9;
    raw.push_back(NumberedRows(5).back());
    Use(raw);
    Reread();
    SendMessageW(form->Handle(), WM_COMMAND, MenuCommandId(kChangeLogItem.array, kChangeLogItem.index), 0);
    ASSERT_NE(form->Log().Handle(), nullptr);
    EXPECT_EQ(recorder.calls.back(), L"RestoreWindowPlacement [] Log Window placement Netpeek 0 0 0 true");
    const std::wstring text = form->Log().CopyText();
    const std::wstring header = L"\"Time\",\"Event\",\"Interface\",\"IP\",\"Mask\",\"Broadcast\",\"Realm size\",\"Type\"\r\n";
    EXPECT_EQ(text, header +
                        L"\"2025-12-09T14:03:20+00:00\",\"was\",\"2\",\"10.0.1.1\",\"255.255.255.0\",\"1.0.0.0\",\"1501\",\"Primary\"\r\n"
                        L"\"2025-12-09T14:03:20+00:00\",\"now\",\"2\",\"10.0.1.1\",\"255.255.255.0\",\"1.0.0.0\",\"1501\",\"Primary, Disconnected\"\r\n"
                        L"\"2025-12-09T14:03:20+00:00\",\"added\",\"5\",\"10.0.4.1\",\"255.255.255.0\",\"1.0.0.0\",\"1504\",\"Primary\"\r\n")
        << "the log's text";
    ListViewCtrl(form->Log().List()).SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(form->Log().CopyText(), header + text.substr(text.rfind(L"\"2025")));

    SendMessageW(form->Log().Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(form->Log().Handle()));
    EXPECT_EQ(recorder.calls.back(), L"SaveWindowPlacement [] Log Window placement Netpeek true");
    EXPECT_TRUE(IsWindowVisible(form->Handle())) << "the program goes on";
    raw.pop_back();
    Use(raw);
    form->RefreshList();  // F5's read is compared too
    EXPECT_EQ(form->Log().Lines().Kept(), 4u);
    EXPECT_EQ(form->Log().Lines().LineAt(3)->event, ChangeEvent::Removed);
}

// A key typed in the log's list goes to the next line whose time starts so; a key that starts no
// line leaves the focus where it was.
TEST_F(Tray, TypingInTheLogMovesOnlyToALineThatStartsSo) {
    Open();
    raw[1].type = 9;
    raw.push_back(NumberedRows(5).back());
    Use(raw);
    Reread();
    Command(kChangeLogItem);
    const ListViewCtrl log(form->Log().List());
    ASSERT_EQ(log.GetItemCount(), 3);
    log.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(log.Handle(), WM_CHAR, 'x', 1);
    EXPECT_EQ(log.GetFocused(), 1);
    Sleep(600);  // a new text, not the last one's continuation
    SendMessageW(log.Handle(), WM_CHAR, '2', 1);
    EXPECT_EQ(log.GetFocused(), 2);
}

// A switch of the view compares the table with the last read first: with following off, what
// changed since that read still reaches the log.
TEST_F(Tray, ASwitchOfTheViewLogsWhatChangedSinceTheLastRead) {
    recorder.values[L"Auto Refresh"] = L"0";
    Open();
    raw.push_back(NumberedRows(5).back());
    Use(raw);
    Command(kShowIPv6Item);
    ASSERT_EQ(form->Log().Lines().Kept(), 1u);
    EXPECT_EQ(form->Log().Lines().LineAt(0)->event, ChangeEvent::Added);
}

// The address the traffic leaves by: "Default" in the Route column, first in the icon's tip, copied
// from the icon's menu (greyed without one), and said in the notice when it moves; the connected
// interfaces alone, on request.
TEST_F(Tray, ThePrimaryAddressIsMarkedFirstInTheTipCopiedAndToldWhenItMoves) {
    recorder.values[L"Minimize To Tray"] = L"1";
    recorder.values[L"IPs List Columns"] = L"Route";
    recorder.routes.routes = {{4, 1, V4(10, 0, 0, 254), 20}, {4, 2, V4(10, 0, 1, 254), 10}};
    Open();
    const ListViewCtrl list(form->ListView());
    const auto route = [&](int item) {
        wchar_t text[32] = {};
        list.GetItemText(item, 6, text, 32);
        return std::wstring(text);
    };
    EXPECT_EQ(route(1), L"Default");
    EXPECT_EQ(route(0), L"");
    EXPECT_STREQ(shell.at(0).data.szTip, L"Netpeek\n10.0.1.1 — Ethernet 2\n10.0.0.1 — Ethernet 1\n10.0.2.1 — Ethernet 3");
    IconEvent(WM_CONTEXTMENU);
    EXPECT_EQ(copyState & MF_GRAYED, 0u);
    Command(kCopyPrimaryItem);
    ASSERT_TRUE(OpenClipboard(form->Handle()));
    const HANDLE copied = GetClipboardData(CF_UNICODETEXT);
    EXPECT_STREQ(static_cast<const wchar_t*>(GlobalLock(copied)), L"10.0.1.1");
    GlobalUnlock(copied);
    CloseClipboard();

    Minimise();
    recorder.routes.routes.pop_back();  // the lower metric's route goes: interface 1's takes over
    Reread();
    EXPECT_EQ(route(0), L"Default");
    EXPECT_EQ(route(1), L"");
    SendMessageW(form->Handle(), WM_TIMER, kBurstTimer, 0);
    const ShellCall* notice = LastWith(NIM_MODIFY, NIF_INFO);
    ASSERT_NE(notice, nullptr);
    EXPECT_STREQ(notice->data.szInfo, L"Основной адрес: 10.0.0.1 (Ethernet 1)");

    recorder.adapters[3].operStatus = 2;
    Command(kConnectedOnlyItem);
    EXPECT_EQ(recorder.values[L"Connected Only"], L"1");
    EXPECT_EQ(list.GetItemCount(), 2) << "interface 3 is down";
    recorder.routes.routes.clear();
    Reread();
    IconEvent(WM_CONTEXTMENU);
    EXPECT_NE(copyState & MF_GRAYED, 0u) << "no primary address";
}

// A laptop docked at home: the icon's tip names the primary address's network. A new category of the
// same network tells nothing; the dock's network becoming the office's does, once.
TEST_F(Tray, ThePrimaryAddressNamesItsNetworkAndANoticeSaysWhenItMovesToAnother) {
    recorder.values[L"Minimize To Tray"] = L"1";
    recorder.routes.routes = {{4, 1, V4(10, 0, 0, 254), 20}};
    recorder.adapters[1].adapterName = L"{1}";
    recorder.networks = {{L"{1}", L"Home", kCategoryPrivate, 0, kConnectivityIPv4Internet}};
    Open();
    EXPECT_STREQ(shell.at(0).data.szTip, L"Netpeek\nСеть «Home» — 10.0.0.1\n10.0.1.1 — Ethernet 2\n10.0.2.1 — Ethernet 3");
    Minimise();
    const auto notice = [&] {
        shell.clear();
        SendMessageW(form->Handle(), WM_TIMER, kBurstTimer, 0);
        const ShellCall* shown = LastWith(NIM_MODIFY, NIF_INFO);
        return shown ? std::wstring(shown->data.szInfo) : std::wstring();
    };
    recorder.networks[0].category = kCategoryPublic;
    Reread();
    EXPECT_EQ(notice(), L"");
    recorder.networks[0].name = L"Office";
    Reread();
    Reread();
    EXPECT_EQ(notice(), L"Основной адрес теперь в сети «Office»: 10.0.0.1");
    EXPECT_STREQ(LastWith(NIM_MODIFY, NIF_TIP)->data.szTip,
                 L"Netpeek\nСеть «Office» — 10.0.0.1\n10.0.1.1 — Ethernet 2\n10.0.2.1 — Ethernet 3");
}

// The start at logon as the Run and StartupApproved values hold it: ticked only for this very exe
// (quoted or not, whatever the case in any alphabet, any arguments, its variables expanded where
// the value is expandable) that Windows' list has not turned off.
TEST(LogonStart, OnlyThisExeAndNotTurnedOff) {
    const std::wstring exe = L"C:\\Program Files\\Netpeek\\Netpeek.exe";
    const std::vector<std::uint8_t> on = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, off = {3, 0, 0, 0, 0, 0, 0, 0, 0x50, 0x1d, 0, 0};
    const auto value = [](std::wstring_view command, bool expandable = false) {
        return std::optional(RunValue{TextBytes(command), expandable});
    };
    EXPECT_TRUE(ValuesStart(value(LogonCommandFor(exe)), std::nullopt, exe));
    EXPECT_TRUE(ValuesStart(value(L"\"c:\\program files\\netpeek\\NETPEEK.EXE\""), on, exe));
    EXPECT_TRUE(ValuesStart(value(L"C:\\Tools\\Netpeek.exe /tray"), std::vector<std::uint8_t>{6}, L"C:\\Tools\\Netpeek.exe"));
    EXPECT_TRUE(ValuesStart(value(LogonCommandFor(exe)), std::vector<std::uint8_t>{}, exe)) << "an empty approval lets it run";
    EXPECT_FALSE(ValuesStart(std::nullopt, on, exe)) << "absent";
    EXPECT_FALSE(ValuesStart(value(LogonCommandFor(exe)), off, exe)) << "turned off in Task Manager";
    EXPECT_FALSE(ValuesStart(value(LogonCommandFor(L"D:\\Old\\Netpeek.exe")), std::nullopt, exe)) << "moved";
    EXPECT_FALSE(ValuesStart(value(exe), std::nullopt, exe)) << "unquoted, the path ends at its first blank";
    EXPECT_FALSE(ValuesStart(value(L"\"C:\\Program Files\\Netpeek\\Netpeek.exe2\""), std::nullopt, exe));
    EXPECT_FALSE(ValuesStart(value(L"\"C:\\Program Files\\Netpeek\\Netpeek.exe /tray"), std::nullopt, exe)) << "a quote never closed";

    // A user's folder in Cyrillic, the value written in capitals.
    const std::wstring ivan = L"C:\\Users\\Иван\\AppData\\Local\\Programs\\Netpeek\\Netpeek.exe";
    EXPECT_TRUE(ValuesStart(value(L"\"C:\\USERS\\ИВАН\\APPDATA\\LOCAL\\PROGRAMS\\NETPEEK\\NETPEEK.EXE\" /tray"), on, ivan));
    EXPECT_FALSE(ValuesStart(value(LogonCommandFor(L"C:\\Users\\Иванов\\AppData\\Local\\Programs\\Netpeek\\Netpeek.exe")),
                             on, ivan));
    // As a per-user installer writes it: expanded, it names the exe; taken as it stands, it does not.
    wchar_t local[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
    const std::wstring installed = std::wstring(local) + L"\\Programs\\Netpeek\\Netpeek.exe";
    const std::wstring expandable = L"\"%LOCALAPPDATA%\\Programs\\Netpeek\\Netpeek.exe\" /tray";
    EXPECT_TRUE(ValuesStart(value(expandable, true), on, installed));
    EXPECT_FALSE(ValuesStart(value(expandable), on, installed)) << "a REG_SZ is not expanded";
}

// An expandable Run value in the user's key that names this exe through a variable ticks the item,
// as Windows starts it; unticked, it is deleted.
TEST(LogonStart, AnExpandableValueInTheRegistryIsOurs) {
    const std::wstring exe = ModuleFileName(nullptr);
    const std::size_t slash = exe.rfind(L'\\');
    ASSERT_NE(slash, std::wstring::npos);
    ASSERT_TRUE(SetEnvironmentVariableW(L"NETPEEK_TEST_FOLDER", exe.substr(0, slash).c_str()));
    const std::wstring command = L"\"%NETPEEK_TEST_FOLDER%" + exe.substr(slash) + L"\" /tray";
    constexpr wchar_t run[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    SetStartAtLogon(false);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, run, kLogonValueName, REG_EXPAND_SZ, command.c_str(),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_TRUE(StartsAtLogon());
    SetStartAtLogon(false);
    EXPECT_FALSE(StartsAtLogon());
    SetEnvironmentVariableW(L"NETPEEK_TEST_FOLDER", nullptr);
}
