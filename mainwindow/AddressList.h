#pragma once
// The feed's rows in the address list: the list is an owner-data list, which keeps no text of its
// own and asks for the texts of the rows it draws, so that the rows are held once, by the feed.
// Item i shows the row at the i-th position of the order the sort gives; rows that came or changed
// are marked for a while.

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

#include "rows/ListRow.h"
#include "rows/ListUpdate.h"
#include "settings/Settings.h"
#include "support/Controls.h"
#include "support/Handles.h"
#include "support/LayoutText.h"

namespace netpeek {

class AddressList {
public:
    // Shows rows in `list`, a report-view list made with LVS_OWNERDATA, in `font`, in the columns
    // and the order that `choice` (which must outlive the list) says; the marks' timer goes to `owner`.
    void Attach(HWND owner, HWND list, HFONT font, const ViewChoice& choice);
    void Detach();

    // The column id that the list's column shows, or -1.
    int ColumnId(int listColumn) const;
    // The sort's arrow in the header, where the choice's sort says, without touching the items.
    void ShowSortArrow();
    // The list's columns as the choice says: the six, then its extras, one that went taken away
    // and one that came added at the right end, as on a first run; and the sort's arrow.
    void ShowColumns();

    // Each of these shows `rows` (in the table's order), the feed's own, which must stay where they
    // are until the next of them: the list keeps its order of their positions, never a copy. Where
    // the rows changed since the last, `replaced` says how.
    //
    // Empties the list and shows `rows` as the sort orders them; every mark goes. Throws when the
    // list cannot take so many rows, and then shows none.
    void Fill(const ListRows& rows);
    // The same, keeping the row the user had chosen selected, focused and in view.
    void Refill(const ListRows& rows, const RowsReplaced& replaced);
    // Shows the same rows in the order the choice's sort now says, its arrow too: the row the user
    // had chosen stays selected and focused, and in view.
    void Resort();
    // Shows `rows` by redrawing only what changed in view (where rows came or went above the view,
    // which then moves, as much as the list redraws of itself): rows that came or changed are marked
    // until `until` (GetTickCount64; 0 marks nothing), the selection, the focus and the top row stay
    // with their rows. False when nothing the list shows differs.
    bool Update(const ListRows& rows, const RowsReplaced& replaced, ULONGLONG until);

    // The row that the item shows, or null.
    const ListRow* RowOf(int item) const;

    // What the list tells or asks its parent, answered: its drawing and its questions below.
    LRESULT OnNotify(NMHDR& header);
    // The list's questions, which an owner-data list asks its parent: the text of a cell (into the
    // list's own buffer, cut to fit), and the item at or after `iStart` whose first cell starts
    // with, or is, the text typed (-1 for none).
    void GetDisplayInfo(NMLVDISPINFOW& info) const;
    int FindItem(const NMLVFINDITEMW& find) const;

    // The marks' timer: those whose time is up go, and their cells are drawn plain again.
    void ExpireMarks();
    // The list's custom draw: what changed in bold on the tooltip's colours.
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);

private:
    struct Mark {
        CellSet cells = 0;
        ULONGLONG until = 0;
    };
    class RowMap;

    void SetCount(DWORD flags);
    void MarkChanges(const RowsReplaced& replaced, const RowMap& map, ULONGLONG until);
    std::size_t TopRowAfter(const RowMap& map, int oldTop) const;
    void Redraw(const std::vector<int>& items, bool blanked) const;
    std::vector<std::size_t> OrderAfter(const ListRows& rows, const RowsReplaced& replaced, const RowMap& map) const;
    const ListRows& Rows() const;
    std::size_t PositionOf(int item) const;
    int ItemOfPosition(std::size_t position) const;
    void MoveState(int from, int to, UINT state) const;
    void ShowChosenRow() const;
    void KeepTopRow(std::size_t position) const;
    CellSet MarkedCells(int item) const;
    void ScheduleMarkExpiry();
    void ChooseMarkColours();

    HWND m_owner = nullptr;
    ListViewCtrl m_list;
    HFONT m_font = nullptr;  // the window's
    UniqueFont m_markFont;   // the same in bold, for what changed
    COLORREF m_markText = 0, m_markBack = 0;  // chosen as each paint starts
    CellSet m_drawnItemMarks = 0;             // the marks of the item being painted
    const ListRows* m_rows = nullptr;         // the feed's rows, in the table's own order
    std::vector<std::size_t> m_order;         // item i shows (*m_rows)[m_order[i]]
    const ViewChoice* m_choice = nullptr;     // the columns shown and the sort
    std::unordered_map<RowKey, Mark, RowKeyHash> m_marks;  // rows new or changed since the last fill
};

}  // namespace netpeek
