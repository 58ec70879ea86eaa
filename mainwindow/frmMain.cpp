#include "mainwindow/frmMain.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>

#include "mainwindow/CellTexts.h"
#include "support/Application.h"
#include "support/ErrorBox.h"
#include "support/LayoutStore.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

constexpr wchar_t kWindowClass[] = L"NetpeekMain";
constexpr wchar_t kFontFace[] = L"Tahoma";
constexpr int kFontPoints = 9;
constexpr COLORREF kImageMaskColour = RGB(192, 192, 192);
constexpr UINT kToolbarIdBase = 5000;
constexpr int kTwipsPerInch = 1440;
constexpr int kHelpTitlePosition = 2;

// Names under which the layout is stored.
constexpr wchar_t kPlacementSection[] = L"";
constexpr wchar_t kPlacementName[] = L"Window placement";
constexpr wchar_t kListLayoutName[] = L"IPs List";

enum Shift { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

// Shows the wait cursor for as long as it lives, and the default one afterwards,
// whichever way the work ends.
class BusyCursor {
public:
    explicit BusyCursor(int& busy) : m_busy(busy) {
        ++m_busy;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    }
    ~BusyCursor() {
        --m_busy;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    int& m_busy;
};

// Stops a control from repainting while it is filled, so thousands of rows fill quickly.
class RedrawOff {
public:
    explicit RedrawOff(HWND control) : m_control(control) { SendMessageW(m_control, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff() {
        SendMessageW(m_control, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_control, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    HWND m_control;
};

int CurrentShiftMask() {
    return (GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) | (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
           (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

// "F2", "Shift+F1", "Ctrl+A", "Del" as an accelerator entry; false for none.
bool ParseShortcut(const std::wstring& text, ACCEL& accel) {
    std::wstring key = text;
    accel.fVirt = FVIRTKEY;
    for (auto [prefix, flag] : {std::pair{L"Shift+", FSHIFT}, std::pair{L"Ctrl+", FCONTROL}}) {
        const std::wstring p = prefix;
        if (key.rfind(p, 0) == 0) {
            accel.fVirt = static_cast<BYTE>(accel.fVirt | flag);
            key = key.substr(p.size());
        }
    }
    if (key.size() >= 2 && key[0] == L'F' && key.size() <= 3)
        accel.key = static_cast<WORD>(VK_F1 + std::stoi(key.substr(1)) - 1);
    else if (key == L"Del")
        accel.key = VK_DELETE;
    else if (key.size() == 1)
        accel.key = static_cast<WORD>(key[0]);
    else
        return false;
    return true;
}

MenuArray TitleArray(int titleIndex) {
    return static_cast<MenuArray>(titleIndex + 1);
}

std::wstring MenuText(const MenuItem& item) {
    return item.shortcut.empty() ? item.caption : item.caption + L"\t" + item.shortcut;
}

UniqueMenu BuildMenuBar() {
    UniqueMenu bar(CreateMenu());
    if (!bar)
        ThrowLastError(L"The menu bar could not be created.");
    for (const MenuItem& title : MenuTitles()) {
        UniqueMenu popup(CreatePopupMenu());
        if (!popup)
            ThrowLastError(L"A menu could not be created.");
        for (const MenuItem& item : MenuItems()) {
            if (item.array != TitleArray(title.index) || !item.visible)
                continue;
            const BOOL added = item.caption == L"-"
                                   ? AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr)
                                   : AppendMenuW(popup.get(), MF_STRING, MenuCommandId(item.array, item.index),
                                                 MenuText(item).c_str());
            if (!added)
                ThrowLastError(L"A menu item could not be added.");
        }
        if (!AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), title.caption.c_str()))
            ThrowLastError(L"A menu could not be added to the menu bar.");
        popup.release();  // the menu bar owns it now
    }
    return bar;
}

UniqueAccel BuildAccelerators() {
    std::vector<ACCEL> table;
    for (const MenuItem& item : MenuItems()) {
        ACCEL accel{};
        if (item.visible && ParseShortcut(item.shortcut, accel)) {
            accel.cmd = static_cast<WORD>(MenuCommandId(item.array, item.index));
            table.push_back(accel);
        }
    }
    UniqueAccel accelerators(CreateAcceleratorTableW(table.data(), static_cast<int>(table.size())));
    if (!accelerators)
        ThrowLastError(L"The keyboard shortcuts could not be set up.");
    return accelerators;
}

void RegisterWindowClass(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = CApplication::Current().Instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(L"The main window class could not be registered.");
}

}  // namespace

// "Друзьям": to friends.
const wchar_t* const frmMain::kDedication = L"\u0414\u0440\u0443\u0437\u044C\u044F\u043C";

const std::vector<ToolbarButton>& ToolbarButtons() {
    static const std::vector<ToolbarButton> buttons = {
        // Экспорт / Экспортировать в файл (F2)
        {L"Export", L"\u042D\u043A\u0441\u043F\u043E\u0440\u0442", L"Export",
         L"\u042D\u043A\u0441\u043F\u043E\u0440\u0442\u0438\u0440\u043E\u0432\u0430\u0442\u044C \u0432 "
         L"\u0444\u0430\u0439\u043B (F2)"},
        {L"", L"", L"", L""},
        // Обновить / Обновить список (F5)
        {L"Refresh", L"\u041E\u0431\u043D\u043E\u0432\u0438\u0442\u044C", L"Refresh",
         L"\u041E\u0431\u043D\u043E\u0432\u0438\u0442\u044C \u0441\u043F\u0438\u0441\u043E\u043A (F5)"},
        {L"", L"", L"", L""},
        // О программе / Показать сведения о программе (Shift+F1)
        {L"About", L"\u041E \u043F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0435", L"About",
         L"\u041F\u043E\u043A\u0430\u0437\u0430\u0442\u044C \u0441\u0432\u0435\u0434\u0435\u043D\u0438\u044F "
         L"\u043E \u043F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0435 (Shift+F1)"},
    };
    return buttons;
}

const std::vector<ListColumn>& ListColumns() {
    static const std::vector<ListColumn> columns = {
        {L"Interface", 780}, {L"IP", 1650},         {L"Mask", 1680},
        {L"Broadcast", 1470}, {L"Realm size", 1320}, {L"Type", 2295},
    };
    return columns;
}

const std::vector<std::pair<std::wstring, std::wstring>>& ToolbarImages() {
    static const std::vector<std::pair<std::wstring, std::wstring>> images = {
        {L"Refresh", L"IDB_REFRESH"}, {L"About", L"IDB_ABOUT"}, {L"Export", L"IDB_EXPORT"}, {L"Help", L"IDB_HELP"},
    };
    return images;
}

int TwipsToPixels(int twips) {
    const WindowDc screen(nullptr);
    const int dpi = screen.dc ? GetDeviceCaps(screen.dc, LOGPIXELSX) : 96;
    return MulDiv(twips, dpi, kTwipsPerInch);
}

frmMain::frmMain(FormServices services) : m_services(std::move(services)) {}

frmMain::~frmMain() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

void frmMain::Create(HWND owner) {
    RegisterWindowClass(WindowProc);
    m_menu = BuildMenuBar();
    m_accelerators = BuildAccelerators();

    constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_APPWINDOW;  // owned by the hidden window, yet on the taskbar
    RECT frame = {0, 0, TwipsToPixels(kFormClientWidthTwips), TwipsToPixels(kFormClientHeightTwips)};
    AdjustWindowRectEx(&frame, style, TRUE, exStyle);

    m_loadError = nullptr;
    HWND hwnd = CreateWindowExW(exStyle, kWindowClass, kProductName, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, owner, m_menu.get(),
                                CApplication::Current().Instance, this);
    if (m_loadError)
        std::rethrow_exception(m_loadError);
    if (!hwnd)
        ThrowLastError(L"The main window could not be created.");
}

void frmMain::Show(int showCommand) {
    // A window that was maximised when it closed comes back maximised.
    ShowWindow(m_hwnd, LayoutStore::ShowCommandAfterRestore(m_hwnd, showCommand));
    UpdateWindow(m_hwnd);
    SetFocus(m_lvIPs);
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->m_hwnd = hwnd;
        // The window has its menu bar now and destroys it with itself, even when loading fails.
        form->m_menu.release();
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // No error leaves the window procedure: it is shown here and the program goes on.
    try {
        return form->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        form->ShowEventError();
        return 0;
    }
}

void frmMain::ShowEventError() {
    try {
        ErrorBox::Instance().ShowError(CurrentError(), MB_ICONERROR | MB_OK, L"", L"", true);
    } catch (...) {
        // Nothing more can be reported when the message box itself fails.
    }
}

LRESULT frmMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(m_hwnd) ? 0 : -1;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SETFOCUS:
        SetFocus(m_lvIPs);
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor())
            return TRUE;
        break;
    case WM_ENDSESSION:
        // Windows ends the session without destroying the window: keep the layout now.
        if (wParam)
            SaveLayout();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        return OnNcDestroy(wParam, lParam);
    }
    return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

bool frmMain::OnCreate(HWND hwnd) {
    try {
        ErrorBox::Instance().SetOwner(hwnd);
        const HINSTANCE instance = CApplication::Current().Instance;
        m_font.reset(CreateFontW(-MulDiv(kFontPoints, TwipsToPixels(kTwipsPerInch), 72), 0, 0, 0, FW_NORMAL, FALSE,
                                 FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace));
        if (!m_font)
            ThrowLastError(L"The window's font could not be created.");
        // The list comes first in the tab order, so it holds the focus when the window shows.
        m_lvIPs = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, hwnd,
                                  nullptr, instance, nullptr);
        m_tbMain = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP,
                                   0, 0, 0, 0, hwnd, nullptr, instance, nullptr);
        if (!m_lvIPs || !m_tbMain)
            ThrowLastError(L"The window's controls could not be created.");
        SendMessageW(m_lvIPs, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
        SendMessageW(m_tbMain, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);

        m_services.centerForm(hwnd);
        if (!m_services.isInIDE())
            m_services.setWindowResIconAll(hwnd, kAppIconName);
        m_services.setMenuJustify(hwnd, kHelpTitlePosition, true);
        ExtendExitCaption();
        InitToolbar();
        InitListView();
        LoadLayout();
        m_loaded = true;
    } catch (...) {
        // Without its controls, icons or pictures the window is of no use: the program ends.
        m_loadError = std::current_exception();
        return false;
    }
    // An unreadable address table still leaves a working window: report it and go on.
    try {
        RefreshList();
    } catch (...) {
        ShowEventError();
    }
    return true;
}

void frmMain::ExtendExitCaption() {
    const UINT id = MenuCommandId(MenuArray::File, 100);
    wchar_t caption[256] = {};
    if (!GetMenuStringW(GetMenu(m_hwnd), id, caption, 256, MF_BYCOMMAND))
        ThrowLastError(L"The Exit menu item could not be read.");
    const std::wstring extended = std::wstring(caption) + L"\tEsc";
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING;
    item.dwTypeData = const_cast<wchar_t*>(extended.c_str());
    if (!SetMenuItemInfoW(GetMenu(m_hwnd), id, FALSE, &item))
        ThrowLastError(L"The Exit menu item could not be changed.");
}

void frmMain::InitToolbar() {
    const HINSTANCE instance = CApplication::Current().Instance;
    for (const auto& [key, resource] : ToolbarImages()) {
        UniqueBitmap bitmap(static_cast<HBITMAP>(LoadImageW(instance, resource.c_str(), IMAGE_BITMAP, 0, 0, 0)));
        if (!bitmap)
            ThrowLastError(L"The picture " + resource + L" could not be loaded.");
        if (!m_ilToolbar) {
            // The image list takes its image size from the first picture.
            BITMAP info{};
            GetObjectW(bitmap.get(), sizeof(info), &info);
            m_ilToolbar.reset(ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR4 | ILC_MASK, 4, 0));
            if (!m_ilToolbar)
                ThrowLastError(L"The toolbar's image list could not be created.");
        }
        if (ImageList_AddMasked(m_ilToolbar.get(), bitmap.get(), kImageMaskColour) < 0)
            throw CError(ERROR_INVALID_DATA, L"The picture " + resource + L" could not be added to the toolbar.");
        m_imageKeys.push_back(key);
    }
    SendMessageW(m_tbMain, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(m_tbMain, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_ilToolbar.get()));

    const auto& buttons = ToolbarButtons();
    std::vector<TBBUTTON> added;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const ToolbarButton& b = buttons[i];
        TBBUTTON tb{};
        tb.idCommand = static_cast<int>(kToolbarIdBase + i);
        tb.fsState = TBSTATE_ENABLED;
        if (b.key.empty()) {
            tb.fsStyle = BTNS_SEP;
        } else {
            tb.fsStyle = BTNS_BUTTON;
            tb.iBitmap = I_IMAGENONE;
            for (std::size_t image = 0; image < m_imageKeys.size(); ++image)
                if (m_imageKeys[image] == b.imageKey)
                    tb.iBitmap = static_cast<int>(image);
            tb.iString = reinterpret_cast<INT_PTR>(b.caption.c_str());
        }
        tb.dwData = static_cast<DWORD_PTR>(i);
        added.push_back(tb);
    }
    if (!SendMessageW(m_tbMain, TB_ADDBUTTONSW, added.size(), reinterpret_cast<LPARAM>(added.data())))
        throw CError(ERROR_INVALID_DATA, L"The toolbar's buttons could not be added.");
    SendMessageW(m_tbMain, TB_AUTOSIZE, 0, 0);
    OnSize();
}

void frmMain::InitListView() {
    // No border, report view, one selection, no renaming in place.
    LONG_PTR style = GetWindowLongPtrW(m_lvIPs, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(WS_BORDER | LVS_TYPEMASK | LVS_EDITLABELS)) | LVS_REPORT | LVS_SINGLESEL;
    SetWindowLongPtrW(m_lvIPs, GWL_STYLE, style);
    LONG_PTR exStyle = GetWindowLongPtrW(m_lvIPs, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
    SetWindowLongPtrW(m_lvIPs, GWL_EXSTYLE, exStyle);
    SetWindowPos(m_lvIPs, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    // Flat scroll bars off; full-row selection and grid lines on.
    constexpr DWORD options = LVS_EX_FLATSB | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    SendMessageW(m_lvIPs, LVM_SETEXTENDEDLISTVIEWSTYLE, options, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);

    int index = 0;
    for (const ListColumn& c : ListColumns()) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = TwipsToPixels(c.widthTwips);
        column.pszText = const_cast<wchar_t*>(c.header.c_str());
        if (SendMessageW(m_lvIPs, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)) < 0)
            throw CError(ERROR_INVALID_DATA, L"The list's column \"" + c.header + L"\" could not be added.");
        ++index;
    }
}

void frmMain::LoadLayout() {
    const CApplication& app = CApplication::Current();
    m_services.restoreWindowPlacement(m_hwnd, kPlacementSection, kPlacementName, app, kLayoutNoMinimum,
                                      kLayoutNoMinimum, kLayoutShowAsStored, kLayoutPerUser);
    m_services.restoreListLayout(m_lvIPs, kListLayoutName, app, kLayoutPerUser);
}

void frmMain::SaveLayout() {
    const CApplication& app = CApplication::Current();
    m_services.saveWindowPlacement(m_hwnd, kPlacementSection, kPlacementName, app, kLayoutPerUser);
    m_services.saveListLayout(m_lvIPs, kListLayoutName, app, kLayoutPerUser);
}

void frmMain::OnSize() {
    // Resizing never reports anything: whatever fails, the list keeps its place.
    try {
        if (!m_lvIPs || !m_tbMain || IsIconic(m_hwnd))
            return;
        SendMessageW(m_tbMain, TB_AUTOSIZE, 0, 0);
        RECT toolbar{}, client{};
        if (!GetWindowRect(m_tbMain, &toolbar) || !GetClientRect(m_hwnd, &client))
            return;
        const int top = toolbar.bottom - toolbar.top;
        const int height = client.bottom - top;
        if (height < 0)
            return;
        MoveWindow(m_lvIPs, 0, top, client.right, height, TRUE);
    } catch (...) {
    }
}

void frmMain::OnCommand(UINT id) {
    if (id >= kToolbarIdBase && id < kToolbarIdBase + ToolbarButtons().size()) {
        tbMain_ButtonClick(ToolbarButtons()[id - kToolbarIdBase].key);
        return;
    }
    const int index = static_cast<int>(id % kMenuIdBase);
    switch (static_cast<MenuArray>(id / kMenuIdBase)) {
    case MenuArray::File:
        mnuFile_Click(index);
        break;
    case MenuArray::Edit:
        mnuEdit_Click(index);
        break;
    case MenuArray::Help:
        mnuHelp_Click(index);
        break;
    default:
        break;
    }
}

LRESULT frmMain::OnNotify(const NMHDR& header) {
    if (header.code == TTN_GETDISPINFOW && header.idFrom >= kToolbarIdBase &&
        header.idFrom < kToolbarIdBase + ToolbarButtons().size()) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(const_cast<NMHDR&>(header));
        info.lpszText = const_cast<wchar_t*>(ToolbarButtons()[header.idFrom - kToolbarIdBase].tooltip.c_str());
        info.hinst = nullptr;
    }
    return 0;
}

bool frmMain::OnSetCursor() {
    if (m_busy == 0)
        return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void frmMain::OnDestroy() {
    if (ErrorBox::Instance().Owner() == m_hwnd)
        ErrorBox::Instance().SetOwner(nullptr);
    if (m_loaded)
        SaveLayout();
}

LRESULT frmMain::OnNcDestroy(WPARAM wParam, LPARAM lParam) {
    // The last message the window gets: Windows' own clean-up runs with its handle, then the
    // form lets go of it.
    const HWND hwnd = m_hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    m_hwnd = m_lvIPs = m_tbMain = nullptr;
    return DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
}

bool frmMain::PreTranslateMessage(MSG& msg) {
    if (!m_hwnd)
        return false;
    const bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    if (keyDown && (msg.hwnd == m_hwnd || IsChild(m_hwnd, msg.hwnd))) {
        Form_KeyDown(static_cast<int>(msg.wParam), CurrentShiftMask());
        if (!m_hwnd)
            return true;  // the key closed the window; there is no control left to receive it
    }
    return TranslateAcceleratorW(m_hwnd, m_accelerators.get(), &msg) != 0;
}

void frmMain::Form_KeyDown(int keyCode, int shift) {
    if (keyCode == VK_ESCAPE && shift == 0)
        Exit();
}

void frmMain::mnuFile_Click(int index) {
    switch (index) {
    case 0:
        ExportList();
        break;
    case 100:
        Exit();
        break;
    }
}

void frmMain::mnuEdit_Click(int index) {
    if (index == 0)
        RefreshList();
}

void frmMain::mnuHelp_Click(int index) {
    switch (index) {
    case 0:
        m_services.openReadMeFile(0);
        break;
    case 2:
        m_services.showAbout(m_hwnd, CApplication::Current(), L"", nullptr, kDedication);
        break;
    }
}

void frmMain::tbMain_ButtonClick(const std::wstring& key) {
    if (key == L"Export")
        mnuFile_Click(0);
    else if (key == L"Refresh")
        mnuEdit_Click(0);
    else if (key == L"About")
        mnuHelp_Click(2);
    else if (key == L"Help")
        mnuHelp_Click(0);
}

void frmMain::RefreshList() {
    BusyCursor busy(m_busy);
    RedrawOff redraw(m_lvIPs);
    SendMessageW(m_lvIPs, LVM_DELETEALLITEMS, 0, 0);
    const CIPAddrList rows = m_services.getIPAddresses();
    SendMessageW(m_lvIPs, LVM_SETITEMCOUNT, rows.size(), 0);
    int at = 0;
    for (const CIPAddrRow& row : rows) {
        CRowCells cells = RowCells(row);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = at;
        item.pszText = cells[0].data();
        const auto inserted = static_cast<int>(SendMessageW(m_lvIPs, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (inserted < 0)
            throw CError(ERROR_NOT_ENOUGH_MEMORY, L"The list could not take row " + std::to_wstring(at + 1) + L".");
        for (int column = 1; column < static_cast<int>(kCellCount); ++column) {
            LVITEMW sub{};
            sub.iSubItem = column;
            sub.pszText = cells[static_cast<std::size_t>(column)].data();
            SendMessageW(m_lvIPs, LVM_SETITEMTEXTW, static_cast<WPARAM>(inserted), reinterpret_cast<LPARAM>(&sub));
        }
        ++at;
    }
}

void frmMain::ExportList() {
    m_services.exportList(m_hwnd, m_lvIPs);
}

void frmMain::Exit() {
    DestroyWindow(m_hwnd);
}

}  // namespace netpeek
