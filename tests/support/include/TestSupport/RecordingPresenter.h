#pragma once
// A double for the engine's seam to the user: the message presenter.

#include <deque>
#include <string>
#include <vector>

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
