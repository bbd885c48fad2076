#pragma once
// A double for the engine's seam to the archive window: the archive view.

#include <string>
#include <vector>

#include "ArchiveView.h"

// Records the rows a handler writes and hands out preset names.
class RecordingView : public IArchiveView {
public:
    void ClearEntries() override;
    void AddEntry(const EntryRow& row) override;
    int GetSelectedNames(NameList& names) override;
    int GetAllNames(NameList& names) override;
    void SetStatusText(const std::string& text) override;

    std::vector<EntryRow> rows;
    NameList selection;   // handed out as the selected names
    NameList all;         // handed out as all names
    bool failNames = false;   // behave as if the name array could not be allocated
    int clearCount = 0;
    int statusCount = 0;
    std::string statusText;   // the last status text set
};
