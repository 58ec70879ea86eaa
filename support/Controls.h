#pragma once
// The wait cursor, and small typed views of the common controls the program drives: one short
// method per message, no state beyond the handle. They own nothing; the window that made a
// control destroys it.

#include <windows.h>
#include <commctrl.h>

namespace netpeek {

// Shows the wait cursor for as long as it lives, and the default one afterwards,
// whichever way the work ends.
class BusyCursor {
public:
    BusyCursor() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
    ~BusyCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

class HeaderCtrl {
public:
    explicit HeaderCtrl(HWND hwnd = nullptr) : m_hwnd(hwnd) {}
    HWND Handle() const { return m_hwnd; }

    int GetItemCount() const {
        return m_hwnd ? static_cast<int>(SendMessageW(m_hwnd, HDM_GETITEMCOUNT, 0, 0)) : 0;
    }
    // The item's format flags (HDF_…), or 0 when there is no such item.
    int GetFormat(int index) const {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        return SendMessageW(m_hwnd, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))
                   ? item.fmt
                   : 0;
    }
    bool SetFormat(int index, int format) const {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        item.fmt = format;
        return SendMessageW(m_hwnd, HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
               FALSE;
    }

private:
    HWND m_hwnd;
};

class ListViewCtrl {
public:
    explicit ListViewCtrl(HWND hwnd = nullptr) : m_hwnd(hwnd) {}
    HWND Handle() const { return m_hwnd; }

    HeaderCtrl Header() const { return HeaderCtrl(reinterpret_cast<HWND>(SendMessageW(m_hwnd, LVM_GETHEADER, 0, 0))); }
    int ColumnCount() const { return Header().GetItemCount(); }
    DWORD SetExtendedStyle(DWORD mask, DWORD style) const {
        return static_cast<DWORD>(SendMessageW(m_hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style));
    }

    // The new column's index, or -1.
    int InsertColumn(int index, const wchar_t* header, int width) const {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = width;
        column.pszText = const_cast<wchar_t*>(header);
        return static_cast<int>(SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                                             reinterpret_cast<LPARAM>(&column)));
    }
    // The header's text into buffer (size characters, NUL included); false when there is no such column.
    bool GetColumnText(int index, wchar_t* buffer, int size) const {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = buffer;
        column.cchTextMax = size;
        return SendMessageW(m_hwnd, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)) !=
               FALSE;
    }
    int GetColumnWidth(int index) const {
        return static_cast<int>(SendMessageW(m_hwnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
    }
    bool SetColumnWidth(int index, int width) const {
        return SendMessageW(m_hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0)) != FALSE;
    }
    // The columns' display order: order[i] is the index of the column shown at position i.
    bool GetColumnOrder(int count, int* order) const {
        return SendMessageW(m_hwnd, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                            reinterpret_cast<LPARAM>(order)) != FALSE;
    }
    bool SetColumnOrder(int count, const int* order) const {
        return SendMessageW(m_hwnd, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                            reinterpret_cast<LPARAM>(order)) != FALSE;
    }

    int GetItemCount() const { return static_cast<int>(SendMessageW(m_hwnd, LVM_GETITEMCOUNT, 0, 0)); }
    void SetItemCount(int count) const { SendMessageW(m_hwnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0); }
    bool DeleteAllItems() const { return SendMessageW(m_hwnd, LVM_DELETEALLITEMS, 0, 0) != FALSE; }
    // The new item's index, or -1.
    int InsertItem(int index, const wchar_t* text) const {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(text);
        return static_cast<int>(SendMessageW(m_hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool SetItemText(int item, int subItem, const wchar_t* text) const {
        LVITEMW cell{};
        cell.iSubItem = subItem;
        cell.pszText = const_cast<wchar_t*>(text);
        return SendMessageW(m_hwnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)) !=
               FALSE;
    }
    // The cell's text into buffer (size characters, NUL included, cut to fit); its length.
    int GetItemText(int item, int subItem, wchar_t* buffer, int size) const {
        LVITEMW cell{};
        cell.iSubItem = subItem;
        cell.pszText = buffer;
        cell.cchTextMax = size;
        return static_cast<int>(
            SendMessageW(m_hwnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)));
    }
    bool DeleteItem(int item) const { return SendMessageW(m_hwnd, LVM_DELETEITEM, static_cast<WPARAM>(item), 0) != FALSE; }
    // The first selected item, or -1. The count is asked first: the search for a selected item
    // goes through every item (Wine's does), and mostly none is selected.
    int GetSelected() const { return GetSelectedCount() > 0 ? GetNext(LVNI_SELECTED) : -1; }
    int GetSelectedCount() const { return static_cast<int>(SendMessageW(m_hwnd, LVM_GETSELECTEDCOUNT, 0, 0)); }
    // The item with the focus, or -1.
    int GetFocused() const { return GetNext(LVNI_FOCUSED); }
    // The first item with these states (LVNI_…), or -1.
    int GetNext(UINT flags) const {
        return static_cast<int>(SendMessageW(m_hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flags));
    }
    // Sets the bits of `mask` in the item's state (LVIS_…) to those of `state`.
    bool SetItemState(int item, UINT state, UINT mask) const {
        LVITEMW change{};
        change.state = state;
        change.stateMask = mask;
        return SendMessageW(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change)) !=
               FALSE;
    }
    UINT GetItemState(int item, UINT mask) const {
        return static_cast<UINT>(SendMessageW(m_hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
    }
    bool EnsureVisible(int item) const {
        return SendMessageW(m_hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE) != FALSE;
    }
    // The first row in view, and how many rows the view shows whole.
    int GetTopIndex() const { return static_cast<int>(SendMessageW(m_hwnd, LVM_GETTOPINDEX, 0, 0)); }
    int GetCountPerPage() const { return static_cast<int>(SendMessageW(m_hwnd, LVM_GETCOUNTPERPAGE, 0, 0)); }
    // Scrolls by pixels, a row's height to a row in report view.
    bool Scroll(int dx, int dy) const { return SendMessageW(m_hwnd, LVM_SCROLL, static_cast<WPARAM>(dx), dy) != FALSE; }
    // The item's whole row, in the list's client coordinates.
    bool GetItemRect(int item, RECT& rect) const {
        rect.left = LVIR_BOUNDS;
        return SendMessageW(m_hwnd, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect)) !=
               FALSE;
    }
    COLORREF GetBkColor() const { return static_cast<COLORREF>(SendMessageW(m_hwnd, LVM_GETBKCOLOR, 0, 0)); }
    COLORREF GetTextColor() const { return static_cast<COLORREF>(SendMessageW(m_hwnd, LVM_GETTEXTCOLOR, 0, 0)); }
    COLORREF GetTextBkColor() const { return static_cast<COLORREF>(SendMessageW(m_hwnd, LVM_GETTEXTBKCOLOR, 0, 0)); }
    void SetRedraw(bool redraw) const { SendMessageW(m_hwnd, WM_SETREDRAW, redraw ? TRUE : FALSE, 0); }

private:
    HWND m_hwnd;
};

class ToolbarCtrl {
public:
    explicit ToolbarCtrl(HWND hwnd = nullptr) : m_hwnd(hwnd) {}
    HWND Handle() const { return m_hwnd; }

    void ButtonStructSize() const { SendMessageW(m_hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0); }
    void SetImageList(HIMAGELIST images) const {
        SendMessageW(m_hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    }
    bool AddButtons(int count, const TBBUTTON* buttons) const {
        return SendMessageW(m_hwnd, TB_ADDBUTTONSW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(buttons)) !=
               FALSE;
    }
    void AutoSize() const { SendMessageW(m_hwnd, TB_AUTOSIZE, 0, 0); }
    // The tooltip that shows the buttons' tips, or null.
    HWND GetTooltips() const { return reinterpret_cast<HWND>(SendMessageW(m_hwnd, TB_GETTOOLTIPS, 0, 0)); }

private:
    HWND m_hwnd;
};

}  // namespace netpeek
