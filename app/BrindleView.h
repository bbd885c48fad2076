#pragma once
// The entry list: one row per archive entry in six columns. The handlers fill it through
// IArchiveView; it keeps the status-bar totals of all and of the selected rows, decides
// which commands are enabled, and saves the column widths and window placement at exit.
//
// The list is virtual (LVS_OWNERDATA): the rows live here, in arrival order, so adding an
// entry "at the top" and clearing the list cost O(1) however large the archive is.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "ArchiveView.h"
#include "Handles.h"
#include "framework/View.h"

class CBrindleDoc;

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
    int GetEntryCount() override { return GetRowCount(); }

    // Pane 0: totals of all rows; pane 1: totals of the selected rows.
    void UpdateSelectionStatus();

    // Help Topics, and when the document's archive commands make sense.
    static const CommandTable<CBrindleView>& Commands();
    void OnDropFiles(HDROP drop) override;
    bool OnReflectedNotify(NMHDR& header, LRESULT& result) override;

    CBrindleDoc* GetArchiveDocument() const;

    // Command handlers and state deciders of the view's command table.
    void OnHelpTopics();
    void UpdateSelectionState(CommandState& state);
    void UpdateOpenArchiveState(CommandState& state);

    // Index into the file-type image list for an entry name, by its extension.
    static int IconIndexForName(const std::string& name);

    // Rows as shown, index 0 at the top.
    int GetRowCount() const { return static_cast<int>(rows.size()); }
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
    void SetPaneText(int pane, const std::string& text);
    std::vector<std::pair<std::string, int>> ReadColumnWidths() const;
    void SaveLayout(const std::vector<std::pair<std::string, int>>& columnWidths);
    void ShowContextMenu(POINT screenPoint);
    void FillDisplayInfo(NMLVDISPINFOA& info) const;
    int RowIndexForDisplay(int displayIndex) const { return static_cast<int>(rows.size()) - 1 - displayIndex; }

    std::vector<Row> rows;                 // arrival order; shown last-first
    std::size_t rowsKnownToControl = 0;    // the control's item count; never more than rows.size()
    bool countUpdatePosted = false;
    // Owned here, not by the control (LVS_SHAREIMAGELISTS); none when icons are switched off.
    ImageListHandle iconList;
};
