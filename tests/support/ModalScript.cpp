#include "TestSupport/ModalScript.h"

#include <stdexcept>

#include "TestSupport/Windows.h"

namespace {

ModalScript* running = nullptr;

}  // namespace

ModalScript::ModalScript() {
    if (running != nullptr) throw std::logic_error("one modal script at a time");
    running = this;
    waitingSince = GetTickCount();
    timer = SetTimer(nullptr, 0, 50, &RunDueStep);
}

ModalScript::~ModalScript() {
    Stop();
    running = nullptr;
}

void ModalScript::When(const std::string& caption, std::function<void(HWND)> act, const char* className) {
    if (steps.empty()) waitingSince = GetTickCount();
    steps.push_back({caption, className, std::move(act)});
}

void ModalScript::Stop() {
    if (timer != 0) KillTimer(nullptr, timer);
    timer = 0;
    steps.clear();
}

void CALLBACK ModalScript::RunDueStep(HWND, UINT, UINT_PTR, DWORD now) {
    ModalScript* script = running;
    if (script == nullptr || script->steps.empty()) return;
    const Step& due = script->steps.front();
    HWND window = FindThreadWindow(due.className.c_str(), due.caption.empty() ? nullptr : due.caption.c_str());
    if (window == nullptr || !IsWindowVisible(window)) {
        if (now - script->waitingSince > 60000) {
            script->missed.push_back(due.caption);
            script->steps.clear();
            if (HWND active = GetActiveWindow()) PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
        }
        return;
    }
    Step step = std::move(script->steps.front());
    script->steps.pop_front();
    step.act(window);
    // A step may take long (a large selection); the next window's wait starts after it.
    script->waitingSince = GetTickCount();
}
