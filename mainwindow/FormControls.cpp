#include "mainwindow/FormControls.h"

#include <windowsx.h>

#include <string>
#include <vector>

#include "mainwindow/MenuBar.h"
#include "rows/Columns.h"
#include "support/Application.h"
#include "support/ScreenDpi.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

constexpr int kTwipsPerInch = 1440;

// The keyboard's context menu comes with both coordinates -1; on the 64-bit build the whole
// LPARAM is then 0xFFFFFFFF, not -1.
bool FromKeyboard(LPARAM position) {
    return GET_X_LPARAM(position) == -1 && GET_Y_LPARAM(position) == -1;
}

void UseFont(HWND control, HFONT font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

int TwipsToPixels(int twips) {
    return MulDiv(twips, ScreenDpi(), kTwipsPerInch);
}

HWND CreateFormWindow(const wchar_t* windowClass, HWND owner, HMENU menu, void* form) {
    constexpr int kClientWidthTwips = 9675, kClientHeightTwips = 5055;
    constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_APPWINDOW;  // owned by the hidden window, yet on the taskbar
    RECT frame = {0, 0, TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, style, TRUE, exStyle);
    return CreateWindowExW(exStyle, windowClass, kProductName, style, CW_USEDEFAULT, CW_USEDEFAULT,
                           frame.right - frame.left, frame.bottom - frame.top, owner, menu,
                           CApplication::Current().Instance, form);
}

int CurrentShiftMask() {
    enum Shift { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };
    return (GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) | (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
           (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

UniqueFont CreateFormFont() {
    UniqueFont font(CreateFontW(-MulDiv(kUiFontPoints, TwipsToPixels(kTwipsPerInch), 72), 0, 0, 0, FW_NORMAL, FALSE,
                                FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, kUiFontFace));
    if (!font)
        ThrowLastError(std::wstring(Text(TextId::ErrFont)));
    return font;
}

// The list keeps no texts of its own (LVS_OWNERDATA, which only its creation can give): it asks
// the window for those of the rows it draws, so that the feed's rows are their one copy.
ListViewCtrl CreateListControl(HWND parent, HFONT font) {
    const ListViewCtrl list(CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_OWNERDATA,
                                            0, 0, 0, 0, parent, nullptr, CApplication::Current().Instance, nullptr));
    if (!list.Handle())
        ThrowLastError(std::wstring(Text(TextId::ErrControls)));
    UseFont(list.Handle(), font);
    return list;
}

ToolbarCtrl CreateToolbarControl(HWND parent, HFONT font) {
    const ToolbarCtrl toolbar(CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                                  CCS_TOP,
                                              0, 0, 0, 0, parent, nullptr, CApplication::Current().Instance, nullptr));
    if (!toolbar.Handle())
        ThrowLastError(std::wstring(Text(TextId::ErrControls)));
    UseFont(toolbar.Handle(), font);
    return toolbar;
}

UniqueImageList SetUpToolbar(const ToolbarCtrl& toolbar) {
    // The pictures drawn for the screen's DPI, so that they stay crisp where a 16-pixel one would be stretched.
    UniqueImageList images = BuildToolbarImages(CApplication::Current().Instance, PictureScaleFor(ScreenDpi()));
    toolbar.ButtonStructSize();
    toolbar.SetImageList(images.get());
    const std::vector<TBBUTTON> buttons = BuildToolbarButtons();
    if (!toolbar.AddButtons(static_cast<int>(buttons.size()), buttons.data()))
        throw CError(ERROR_INVALID_DATA, std::wstring(Text(TextId::ErrToolbarButtons)));
    toolbar.AutoSize();
    return images;
}

void RelabelToolbar(const ToolbarCtrl& toolbar) {
    while (SendMessageW(toolbar.Handle(), TB_DELETEBUTTON, 0, 0)) {
    }
    const std::vector<TBBUTTON> buttons = BuildToolbarButtons();
    if (!toolbar.AddButtons(static_cast<int>(buttons.size()), buttons.data()))
        throw CError(ERROR_INVALID_DATA, std::wstring(Text(TextId::ErrToolbarButtons)));
    toolbar.AutoSize();
}

void SetUpListView(const ListViewCtrl& list) {
    const HWND window = list.Handle();
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(WS_BORDER | LVS_TYPEMASK | LVS_EDITLABELS)) | LVS_REPORT | LVS_SINGLESEL;
    SetWindowLongPtrW(window, GWL_STYLE, style);
    SetWindowLongPtrW(window, GWL_EXSTYLE,
                      GetWindowLongPtrW(window, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    list.SetExtendedStyle(LVS_EX_FLATSB | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                          LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (std::size_t id = 0; id < kBaseColumnCount; ++id)
        AddListColumn(list, static_cast<int>(id));
}

void AddListColumn(const ListViewCtrl& list, int column) {
    const ListColumn& c = ListColumns()[static_cast<std::size_t>(column)];
    const std::wstring header(c.header);
    if (list.InsertColumn(list.ColumnCount(), header.c_str(), TwipsToPixels(c.widthTwips)) < 0)
        throw CError(ERROR_INVALID_DATA, TextWith(TextId::ErrListColumn, header));
}

void LayOut(HWND form, const ToolbarCtrl& toolbar, const ListViewCtrl& list) {
    if (!list.Handle() || !toolbar.Handle() || IsIconic(form))
        return;
    toolbar.AutoSize();
    RECT bar{}, client{};
    if (!GetWindowRect(toolbar.Handle(), &bar) || !GetClientRect(form, &client))
        return;
    const int top = bar.bottom - bar.top;
    const int height = client.bottom - top;
    if (height >= 0)
        MoveWindow(list.Handle(), 0, top, client.right, height, TRUE);
}

void AnswerToolbarTip(const ToolbarCtrl& toolbar, NMHDR& header) {
    // Only the toolbar's own tooltip asks by a button's command id.
    const ToolbarButton* button = ButtonOfCommand(header.idFrom);
    if (header.code == TTN_GETDISPINFOW && button != nullptr && header.hwndFrom == toolbar.GetTooltips()) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        info.lpszText = const_cast<wchar_t*>(Text(button->tooltip).data());
        info.hinst = nullptr;
    }
}

POINT ContextMenuPoint(const ListViewCtrl& list, LPARAM position) {
    if (!FromKeyboard(position))
        return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    RECT row{};
    const int selected = list.GetSelected();
    POINT at = selected >= 0 && list.GetItemRect(selected, row) ? POINT{row.left, row.bottom} : POINT{0, 0};
    ClientToScreen(list.Handle(), &at);
    return at;
}

std::optional<int> HeaderColumnAt(const ListViewCtrl& list, HWND from, LPARAM position) {
    const HWND header = list.Header().Handle();
    const POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    RECT headerRect{};
    if (from != header && !(from == list.Handle() && !FromKeyboard(position) && GetWindowRect(header, &headerRect) &&
                            PtInRect(&headerRect, at)))
        return std::nullopt;
    if (FromKeyboard(position))
        return -1;
    HDHITTESTINFO hit{};
    hit.pt = at;
    ScreenToClient(header, &hit.pt);
    const int column = static_cast<int>(SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & HHT_ONHEADER) != 0 ? column : -1;
}

}  // namespace netpeek
