#include "TestSupport/RecordingPresenter.h"

#include <windows.h>

#include <gtest/gtest.h>

RecordingPresenter::RecordingPresenter() { SetMessagePresenter(this); }

RecordingPresenter::~RecordingPresenter() { SetMessagePresenter(nullptr); }

int RecordingPresenter::Show(const std::string& text, const std::string& caption, unsigned int style) {
    messages.push_back({text, caption, style});
    const unsigned int buttons = style & MB_TYPEMASK;
    if (buttons == MB_OK) return IDOK;
    if (!answers.empty()) {
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
}

void RecordingPresenter::QuitRequested() { ++quitRequests; }

std::vector<RecordedMessage> RecordingPresenter::Take() {
    std::vector<RecordedMessage> taken;
    taken.swap(messages);
    return taken;
}

std::vector<std::string> RecordingPresenter::TakeTexts() {
    std::vector<std::string> texts;
    for (const RecordedMessage& message : Take()) texts.push_back(message.text);
    return texts;
}

RecordedMessage OnlyMessage(const std::vector<RecordedMessage>& messages) {
    std::string said;
    for (const RecordedMessage& message : messages) said += " \"" + message.text + "\"";
    EXPECT_EQ(messages.size(), 1u) << "messages:" << said;
    return messages.size() == 1 ? messages[0] : RecordedMessage{"", "", 0};
}

unsigned int IconOf(const RecordedMessage& message) { return message.style & MB_ICONMASK; }
