// Lists that hold no rows of their own (LVS_OWNERDATA): the program keeps each row's
// cells and item data here, and the list asks for the cells it is about to show.
// The functions of list_view.h work on both kinds of list. UI thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

struct VirtualRow {
    int item = 0;                     // the item data: what the row stands for
    std::vector<std::wstring> cells;  // by column; a missing cell is empty
};

// The path column's texts as shown, shortened in the middle to the column's width
// of the moment the list asks for them; the rows keep the whole paths.
struct FittedPaths {
    int margin = -1;  // -1: the list shows its path cells as they are kept
    int width = -1;   // the width and font the texts below were fitted for
    HFONT font = nullptr;
    std::unordered_map<std::wstring, std::wstring> fittedOf;  // by whole path: many rows share one
};

struct VirtualList {
    std::vector<VirtualRow> rows;  // in the order shown
    // The whole list is invalidated and has not asked for a cell since.
    bool repaintDue = false;
    // The selection is being put back on the rows its items moved to: no new selection.
    bool movingMarks = false;
    FittedPaths paths;
};

// Where a list's selection, focus and selection mark stand, by the item data of their
// rows: an owner-data list ties them to row numbers, which a sort changes.
struct RowMarks {
    std::vector<int> selected;  // in the order of their rows
    int focused = -1;           // -1: none
    int anchor = -1;            // the selection mark, where Shift extends from
    bool operator==(const RowMarks&) const = default;
};
// Per owner-data list. A list made by ListViewCreate with its rows kept here starts
// empty; an entry is never removed.
extern std::map<HWND, VirtualList> VirtualLists;

bool ListViewIsVirtual(HWND list);
// The rows of an owner-data list; null for any other list.
std::vector<VirtualRow>* ListViewRowsOf(HWND list);
// Has an owner-data list repaint its rows: a message per changed row costs more than
// the change itself, so the list is invalidated once until it asks for cells again.
void ListViewRepaintRows(HWND list);
// Has it repaint one changed row, and only when the row is in view: a paint of the
// whole list takes a round trip per cell, and answers for rows out of view come by
// the thousand. Two messages to the list: once per row, never once per cell.
void ListViewRepaintRow(HWND list, int row);
// Empties any list, and an owner-data list's rows with it.
void ListViewDeleteAllRows(HWND list);
// Moves an owner-data list's cells along with a column inserted at (or deleted from)
// `column`, as a list that keeps its rows moves them: an inserted column starts empty.
void ListViewCellsFollowColumn(HWND list, int column, bool inserted);
RowMarks ListViewMarksOf(HWND list);
// Puts the marks back on the rows their items stand in now, as a list that keeps its rows
// carries them through a sort: quietly, the list's change notifications are no new
// selection (ListViewMovingMarks), for the items selected are the same.
void ListViewPutMarks(HWND list, const RowMarks& marks);
bool ListViewMovingMarks(HWND list);
// Has an owner-data list show its PathColumn cells shortened in the middle to the
// column width less `margin`, fitted when shown; repaints it when the width changed.
void ListViewFitPaths(HWND list, int margin);
// The text an owner-data list shows in a cell: the one answer to the list and to all
// that read its cells.
std::wstring ListViewShownCell(HWND list, int row, int column);
// Tells an owner-data list how many rows its model holds now; other lists show theirs already.
void ListViewShowRows(HWND list);
// Answers the list's requests for cells (LVN_GETDISPINFOW) and its type-ahead
// (LVN_ODFINDITEMW) from the rows kept here; false for other notifications and lists.
bool ListViewAnswerRows(const NMHDR* header, LRESULT& result);
