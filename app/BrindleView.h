#pragma once
// The entry list: one row per archive entry in six columns. The handlers fill it through
// IArchiveView; it keeps the status-bar totals of all and of the selected rows, decides
// which commands are enabled, and saves the column widths and window placement at exit.
//
// The list is virtual (LVS_OWNERDATA): the rows live here, in arrival order, so adding an
// entry "at the top" and clearing the list cost O(1) however large the archive is. What the
// list shows is a mapping of its positions to those rows: archive order (last-first), or
// sorted by a column, and only the rows the filter box lets through. The selection's totals
// follow the control's change notifications, so no status update walks the rows.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "ArchiveView.h"
#include "Handles.h"
#include "ListOrder.h"
#include "framework/View.h"

class CBrindleDoc;
class CBrindleView;

// The filter box at the right of the toolbar. It tells the view whenever its text changes;
// Escape empties it, Enter goes back to the list.
class CFilterBox : public CWindow {
public:
    explicit CFilterBox(CBrindleView& view) : view(view) {}
    bool Create(HWND parent);
    std::string GetText() const;
    void SetText(const std::string& text);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void NoticeChange();

    CBrindleView& view;
    std::string lastText;
};

class CBrindleView : public CCommandTableTarget<CBrindleView, CListViewBase>, public IArchiveView {
public:
    CBrindleView();
    ~CBrindleView() override;
    CBrindleView(const CBrindleView&) = delete;
    CBrindleView& operator=(const CBrindleView&) = delete;

    // IArchiveView
    void ClearEntries() override;
    void AddEntry(const EntryRow& row) override;
    int GetSelectedNames(NameList& names) override;
    int GetAllNames(NameList& names) override;
    void SetStatusText(const std::string& text) override;
    int GetSelectedCount() override;
    int GetEntryCount() override { return static_cast<int>(rows.size()); }

    // Pane 0: totals of all rows, or of the rows the filter shows; pane 1: totals of the
    // selected rows.
    void UpdateSelectionStatus();

    // Puts the filter box into the toolbar control; false when it cannot be made.
    bool CreateFilterBox(HWND toolBarControl);
    HWND GetFilterBox() const { return filterBox.GetHandle(); }
    void OnFilterChanged(const std::string& text);

    // Column 0..5, or -1 for archive order; a click on a header takes the next step.
    int GetSortColumn() const { return sortColumn; }
    bool IsSortDescending() const { return sortDescending; }
    void SortBy(int column, bool descending);
    void OnHeaderClick(int column);

    // Help Topics, and when the document's archive commands make sense.
    static const CommandTable<CBrindleView>& Commands();
    void OnDropFiles(HDROP drop) override;
    bool OnReflectedNotify(NMHDR& header, LRESULT& result) override;

    CBrindleDoc* GetArchiveDocument() const;

    // Command handlers and state deciders of the view's command table.
    void OnHelpTopics();
    void UpdateSelectionState(CommandState& state);
    void UpdateOpenArchiveState(CommandState& state);
    void UpdateRowsShownState(CommandState& state);
    void OnSelectAll();
    void OnSelectByPattern();
    void OnInvertSelection();
    void OnFindInList();
    // Adds the shown rows whose name matches the wildcard to the selection.
    void SelectMatching(const std::string& pattern);

    // Index into the file-type image list for an entry name, by its extension.
    static int IconIndexForName(const std::string& name);

    // Rows as shown, index 0 at the top.
    int GetRowCount() const { return static_cast<int>(shown.size()); }
    const EntryRow& GetDisplayedRow(int displayIndex) const;
    HIMAGELIST GetIconList() const { return iconList.get(); }

protected:
    DWORD GetListStyle() const override;
    bool OnViewCreated() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Row {
        EntryRow texts;
        long long sizeK = 0;     // whole kilobytes at the start of the Size text
        long long packedK = 0;   // the same for Packed
        int image = 0;
    };

    bool CreateColumns();
    bool CreateIcons();
    // Tells the control how many rows there are; deferred while a listing adds rows.
    void SyncItemCount();
    // Shows these rows (indexes into rows) in this order; the selection stays on the same
    // entries as far as they are still shown.
    void ReplaceShownRows(std::vector<int> next);
    // Every known row again, through the filter and in the chosen order.
    void ShowRowsAfresh();
    std::vector<int> FilteredRows(std::size_t from, std::size_t to) const;
    void OrderRows(std::vector<int>& rowIndexes);
    bool ShowsBefore(int rowA, int rowB) const;
    int CompareNameKeys(int rowA, int rowB) const;
    void PrepareSortKeys();
    void ShowSortArrow();
    // The selection tree over the shown rows, built at the first selection change.
    SelectionTree& Selection();
    void OnSelectionNotice(int first, int last, UINT oldState, UINT newState);
    std::vector<int> SelectedPositions() const;
    // Selects (or deselects) exactly these shown positions in the control.
    void SetControlSelection(const std::vector<int>& positions, bool selected);
    void PlaceFilterBox();
    template <typename Change>
    void WithoutRepaintOfLargeList(Change change);
    void SetPaneText(int pane, const std::string& text);
    std::vector<std::pair<std::string, int>> ReadColumnWidths() const;
    void SaveLayout(const std::vector<std::pair<std::string, int>>& columnWidths);
    void ShowContextMenu(POINT screenPoint);
    void FillDisplayInfo(NMLVDISPINFOA& info) const;

    std::vector<Row> rows;                 // arrival order
    std::size_t rowsKnownToControl = 0;    // rows already offered to the mapping; never more than rows.size()
    bool countUpdatePosted = false;
    std::vector<int> shown;                // list position -> index into rows; its size is the control's count
    long long allSizeK = 0, allPackedK = 0;       // over the known rows
    long long shownSizeK = 0, shownPackedK = 0;   // over the shown rows
    SelectionTree selection;
    bool selectionBuilt = false;           // while false, nothing is selected
    int sortColumn = -1;
    bool sortDescending = false;
    std::string filterText;
    std::string lastSelectPattern = "*";   // the Select dialog proposes it again
    // Sort keys by row, made when a column first needs them and extended as rows arrive.
    // The name keys lie end to end, so that a sort reads them from one block.
    std::string nameKeys;
    std::vector<std::size_t> nameKeyStarts{0};   // row i's key is [starts[i], starts[i + 1])
    std::vector<long long> dateKeys;
    std::vector<long long> ratioKeys;
    CFilterBox filterBox{*this};
    // Owned here, not by the control (LVS_SHAREIMAGELISTS); none when icons are switched off.
    ImageListHandle iconList;
};
