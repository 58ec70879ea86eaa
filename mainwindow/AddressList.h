#pragma once
// The rows behind the address list and the list control that shows them: item i shows row i
// of the order the sort gives, and rows that came or changed are marked for a while.

#include <windows.h>
#include <commctrl.h>

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
    // Shows rows in `list`, a report-view list, in `font`, in the columns and the order that `choice`
    // (which must outlive the list) says; the marks' timer goes to `owner`.
    void Attach(HWND owner, HWND list, HFONT font, const ViewChoice& choice);
    void Detach();

    // The column id that the list's column shows, or -1.
    int ColumnId(int listColumn) const;
    // The sort's arrow in the header, where the choice's sort says, without touching the items.
    void ShowSortArrow();
    // The list's columns as the choice says: the six, then its extras, one that went taken away
    // and one that came added at the right end, as on a first run; and the sort's arrow.
    void ShowColumns();

    // Empties the list and fills it with `rows` (in the table's order) as the sort shows them;
    // every mark goes. Throws when the list takes no more items, keeping the rows it took.
    void Fill(ListRows rows);
    // The same, keeping the row the user had chosen selected, focused and in view.
    void Refill(ListRows rows);
    // Shows the same rows in the order the choice's sort now says, its arrow too: the row the user
    // had chosen stays selected and focused, and in view.
    void Resort();
    // Shows `rows` by touching only what changed: rows that came or changed are marked until
    // `until` (GetTickCount64; 0 marks nothing), the selection, the focus and the top row stay with
    // their rows.
    // Where the list refuses an edit, it is filled instead, with no marks. False when nothing
    // the list shows differs.
    bool Update(ListRows rows, ULONGLONG until);

    // The rows of the last fill or update, in the table's own order.
    const ListRows& Rows() const { return m_rows; }
    // The row that the item shows, or null.
    const ListRow* RowOf(int item) const;

    // The marks' timer: those whose time is up go, and their cells are drawn plain again.
    void ExpireMarks();
    // The list's custom draw: what changed in bold on the tooltip's colours.
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);

private:
    // A row the user chose or looks at, found again by its key; `nth` tells apart rows that
    // share one (an address the table lists twice on one interface).
    struct Spot {
        RowKey key;
        int nth = 0;
    };
    struct Place {
        std::optional<Spot> selected, focused, top;
    };
    struct Mark {
        CellSet cells = 0;
        ULONGLONG until = 0;
    };

    void FillAgain();
    void FillItems();
    void SetCells(int item, const CRowCells& cells, CellSet which) const;
    void ApplyEdits(const std::vector<ListEdit>& edits, ListRows wanted, ULONGLONG until);
    std::optional<Spot> SpotOf(int item) const;
    int ItemOf(const Spot& spot) const;
    Place RememberPlace() const;
    std::optional<Spot> TopRowThatStays(const std::vector<ListEdit>& edits) const;
    void SelectAgain(const Place& place) const;
    void ShowChosenRow() const;
    void KeepTopRow(const Place& place) const;
    CellSet MarkedCells(int item) const;
    void ScheduleMarkExpiry();
    void ChooseMarkColours();

    HWND m_owner = nullptr;
    ListViewCtrl m_list;
    HFONT m_font = nullptr;  // the window's
    UniqueFont m_markFont;   // the same in bold, for what changed
    COLORREF m_markText = 0, m_markBack = 0;  // chosen as each paint starts
    CellSet m_drawnItemMarks = 0;             // the marks of the item being painted
    ListRows m_rows;         // the last snapshot, in the table's own order, for sorting by value
    ListRows m_shown;        // what the list shows: item i is m_shown[i]
    const ViewChoice* m_choice = nullptr;  // the columns shown and the sort
    std::unordered_map<RowKey, Mark, RowKeyHash> m_marks;  // rows new or changed since the last fill
};

}  // namespace netpeek
