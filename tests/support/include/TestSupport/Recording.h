#pragma once
// Doubles for the engine's seams to the user: the message presenter and the archive view.

#include <deque>
#include <string>
#include <vector>

#include "ArchiveView.h"
#include "UserMessages.h"

struct RecordedMessage {
    std::string text;
    std::string caption;
    unsigned int style;
};

// Records every message instead of showing it, and installs itself as the presenter for the
// length of its life. A plain message (MB_OK) is answered IDOK; a question takes the next
// scripted answer, and once the script has run out the affirmative button (IDYES for a
// yes/no box, IDOK otherwise), as a user who reads no further would.
class RecordingPresenter : public IMessagePresenter {
public:
    RecordingPresenter();
    ~RecordingPresenter();
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    int Show(const std::string& text, const std::string& caption, unsigned int style) override;
    void QuitRequested() override;

    std::vector<RecordedMessage> messages;
    std::deque<int> answers;
    int quitRequests = 0;
};

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
