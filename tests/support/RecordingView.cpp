#include "TestSupport/RecordingView.h"

void RecordingView::ClearEntries() {
    ++clearCount;
    rows.clear();
}

void RecordingView::AddEntry(const EntryRow& row) { rows.push_back(row); }

int RecordingView::GetSelectedNames(NameList& names) {
    if (failNames) return 0;
    names = selection;
    return 1;
}

int RecordingView::GetAllNames(NameList& names) {
    if (failNames) return 0;
    names = all;
    return 1;
}

void RecordingView::SetStatusText(const std::string& text) {
    ++statusCount;
    statusText = text;
}
