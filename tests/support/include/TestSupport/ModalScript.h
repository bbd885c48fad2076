#pragma once
// Modal windows answered by the test: a thread timer, which every modal loop dispatches (a
// dialog's, a message box's, a menu's), finds each awaited window of this thread by class and
// caption and hands it to the step the test put in, in order. One script runs at a time.

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // The next window of the class with this caption (any caption when empty) is handed to
    // act once it is visible.
    void When(const std::string& caption, std::function<void(HWND)> act, const char* className = "#32770");
    // Stops answering and forgets the steps still waiting.
    void Stop();

    bool Running() const { return timer != 0; }   // false when no timer could be made
    std::size_t Pending() const { return steps.size(); }
    // Captions of windows that never showed: after a minute of waiting the active window is
    // cancelled, so that a missing window does not hang the test, and the rest is dropped.
    std::vector<std::string> missed;

private:
    struct Step {
        std::string caption;
        std::string className;
        std::function<void(HWND)> act;
    };
    static void CALLBACK RunDueStep(HWND, UINT, UINT_PTR, DWORD now);

    std::deque<Step> steps;
    DWORD waitingSince = 0;
    UINT_PTR timer = 0;
};
