#include "TestSupport/RecordingPresenter.h"

#include <windows.h>

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
