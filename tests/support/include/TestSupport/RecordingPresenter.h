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
    // The messages recorded so far, or their texts, which are then forgotten.
    std::vector<RecordedMessage> Take();
    std::vector<std::string> TakeTexts();

    std::vector<RecordedMessage> messages;
    std::deque<int> answers;
    int quitRequests = 0;
};

// The one message among messages: a test failure, naming what was said, when there is not
// exactly one, and then an empty message.
RecordedMessage OnlyMessage(const std::vector<RecordedMessage>& messages);
// The icon part of a message's style.
unsigned int IconOf(const RecordedMessage& message);
