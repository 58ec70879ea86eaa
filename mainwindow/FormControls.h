#pragma once
// The main window's controls as designed: its font, the list of addresses and the toolbar, each
// made and set up as the window's load sequence asks; and where the list's context menu opens.

#include <windows.h>

#include <optional>

#include "support/Controls.h"
#include "support/Handles.h"

namespace netpeek {

// Twips to pixels at the system's DPI.
int TwipsToPixels(int twips);

// The main window, of that class, owned by `owner`, with its menu bar, as designed: its client
// area 9675 by 5055 twips; `form` goes to the window procedure with WM_NCCREATE. Null where it
// could not be made.
HWND CreateFormWindow(const wchar_t* windowClass, HWND owner, HMENU menu, void* form);

// The modifier keys held now, as the key preview takes them: Shift 1 | Ctrl 2 | Alt 4.
int CurrentShiftMask();

// The window's font: Tahoma, 9 points, Cyrillic. Throws when it cannot be made.
UniqueFont CreateFormFont();
// The list and the toolbar, children of `parent`, the list first in the tab order, both in `font`;
// the list is an owner-data list, whose texts `parent` gives. Throws when either cannot be made.
ListViewCtrl CreateListControl(HWND parent, HFONT font);
ToolbarCtrl CreateToolbarControl(HWND parent, HFONT font);

// The toolbar's pictures, drawn for the screen's DPI, and its buttons with their tooltips' ids.
// Answers the image list, which the toolbar uses and does not own.
UniqueImageList SetUpToolbar(const ToolbarCtrl& toolbar);
// The toolbar's buttons again, with the captions of the language now in use, each sized for its own.
void RelabelToolbar(const ToolbarCtrl& toolbar);
// No border, report view, one selection, no renaming in place; flat scroll bars off, full-row
// selection and grid lines on.
void SetUpListView(const ListViewCtrl& list);
// The column with that id at the list's right end, its width as on a first run.
void AddListColumn(const ListViewCtrl& list, int column);

// The layout rule: the list under the toolbar, at the toolbar's height now, edge to edge over the
// rest of `form`'s client area; nothing where the form is minimised or too small for it.
void LayOut(HWND form, const ToolbarCtrl& toolbar, const ListViewCtrl& list);

// The toolbar's tooltip asks for a button's text: it is given. Nothing for any other notice.
void AnswerToolbarTip(const ToolbarCtrl& toolbar, NMHDR& header);

// The point a context menu of the list opens at: where the click was, or for the keyboard's menu
// (Shift+F10, the menu key) under the selected row.
POINT ContextMenuPoint(const ListViewCtrl& list, LPARAM position);
// Whether a context menu asked for by `from` at that point is the header's: then the index of the
// column clicked, or -1 for the keyboard's or a click beside the columns; none where it is not.
std::optional<int> HeaderColumnAt(const ListViewCtrl& list, HWND from, LPARAM position);

}  // namespace netpeek
