#include "LongWork.h"

#include <atomic>
#include <deque>
#include <exception>
#include <mutex>

#include "Handles.h"

struct OperationState {
    std::string caption;
    DWORD started = 0;
    std::atomic<bool> cancelled{false};
    std::mutex lock;   // guards latest: the worker writes it, the window's thread shows it
    WorkProgress latest;
};

namespace {

IProgressDisplay* display = nullptr;
OperationState* innermost = nullptr;   // changed on the window's thread only, never during a step
bool displayShown = false;
DWORD lastShownAt = 0;
HWND focusBefore = nullptr;   // where the keyboard goes back to when the outermost work ends

// The one step running, and the call it has handed to the window's thread.
struct StepSlot {
    DWORD workerThread = 0;
    KernelHandle callPending{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    KernelHandle callDone{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    const std::function<void()>* call = nullptr;
    std::exception_ptr callFailure;
    KernelHandle posted{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    std::mutex postedLock;   // guards postedCalls
    std::deque<std::function<void()>> postedCalls;
};
StepSlot* runningStep = nullptr;

constexpr DWORD kShowAfterMs = 500;
constexpr DWORD kUpdateEveryMs = 100;

struct StepThreadData {
    const std::function<void()>* step;
    std::exception_ptr failure;
};

DWORD WINAPI RunStepThread(void* parameter) {
    auto* data = static_cast<StepThreadData*>(parameter);
    try {
        (*data->step)();
    } catch (...) {
        data->failure = std::current_exception();   // handed back on the window's thread
    }
    return 0;
}

WorkProgress Snapshot(OperationState& state) {
    std::lock_guard<std::mutex> guard(state.lock);
    WorkProgress progress = state.latest;
    progress.caption = state.caption;
    progress.elapsedMs = GetTickCount() - state.started;
    return progress;
}

void RefreshDisplay() {
    if (!display || !innermost) return;
    const DWORD now = GetTickCount();
    if (!displayShown) {
        if (now - innermost->started < kShowAfterMs) return;
        display->Show(Snapshot(*innermost));
        displayShown = true;
    } else if (now - lastShownAt >= kUpdateEveryMs) {
        display->Update(Snapshot(*innermost));
    } else {
        return;
    }
    lastShownAt = now;
}

// What the worker has posted, in order. A call that fails loses only what it would have
// shown: the work itself has gone on without it.
void RunPostedCalls(StepSlot& slot) {
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> guard(slot.postedLock);
            if (slot.postedCalls.empty()) return;
            call = std::move(slot.postedCalls.front());
            slot.postedCalls.pop_front();
        }
        try {
            call();
        } catch (...) {
        }
    }
}

// A question or rows from the worker: asked with the main window enabled, as it is outside
// long work, so that a message box is modal over it exactly as before.
void RunPendingCall(StepSlot& slot, HWND owner) {
    RunPostedCalls(slot);
    if (owner) EnableWindow(owner, TRUE);
    try {
        (*slot.call)();
    } catch (...) {
        slot.callFailure = std::current_exception();
    }
    if (owner) EnableWindow(owner, FALSE);
    SetEvent(slot.callDone.get());
}

// The window's message loop until the step's thread has ended. A quit request is kept and
// posted again once the step is over, for the application's own loop.
void PumpUntilEnded(HANDLE thread, StepSlot& slot, HWND owner) {
    bool quit = false;
    WPARAM quitCode = 0;
    const HANDLE handles[] = {thread, slot.callPending.get(), slot.posted.get()};
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(3, handles, kUpdateEveryMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_OBJECT_0 + 1) RunPendingCall(slot, owner);
        if (woke == WAIT_OBJECT_0 + 2) RunPostedCalls(slot);
        MSG message;
        while (!quit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
                break;
            }
            if (display && display->TakeMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        RefreshDisplay();
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

int WINAPI ReportToOperation(void*, const WindllProgressReport* report) {
    OperationState* state = innermost;
    if (!state) return 0;
    if (report) {
        try {
            std::lock_guard<std::mutex> guard(state->lock);
            if (report->entryName) state->latest.entry = report->entryName;
            state->latest.bytesDone = report->bytesDone;
            state->latest.bytesTotal = report->bytesTotal;
            state->latest.entriesDone = report->entriesDone;
            state->latest.entriesTotal = report->entriesTotal;
        } catch (...) {
            // A name that cannot be copied only leaves the window showing the one before.
        }
    }
    return state->cancelled ? 1 : 0;
}

}  // namespace

void SetProgressDisplay(IProgressDisplay* newDisplay) { display = newDisplay; }

LongOperation::LongOperation(const char* verb, const std::string& archivePath)
    : state(nullptr), outer(innermost), joined(false) {
    std::string name = archivePath;
    const std::size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::string caption = std::string(verb) + " " + name;
    if (outer && outer->caption == caption) {
        state = outer;
        joined = true;
        return;
    }
    if (!outer) focusBefore = GetFocus();
    state = new OperationState;
    state->caption = caption;
    state->started = GetTickCount();
    innermost = state;
}

LongOperation::~LongOperation() {
    if (joined) return;
    innermost = outer;
    delete state;
    if (outer) return;
    if (displayShown && display) display->Hide();
    displayShown = false;
    // Disabling the main window took the keyboard focus from the list.
    if (focusBefore && IsWindow(focusBefore) && IsWindowEnabled(focusBefore) && GetFocus() != focusBefore)
        SetFocus(focusBefore);
    focusBefore = nullptr;
}

bool LongOperation::Cancelled() const { return state->cancelled; }

unsigned long LongOperation::EntriesDone() const { return Snapshot(*state).entriesDone; }

unsigned long LongOperation::EntriesTotal() const { return Snapshot(*state).entriesTotal; }

void RunOffWindowThread(const std::function<void()>& step) {
    if (!display || !innermost || runningStep) {
        step();
        return;
    }
    StepSlot slot;
    StepThreadData data{&step, nullptr};
    KernelHandle thread(slot.callPending && slot.callDone && slot.posted
                            ? CreateThread(nullptr, 0, &RunStepThread, &data, CREATE_SUSPENDED, &slot.workerThread)
                            : nullptr);
    if (!thread) {
        step();   // no thread to be had: the work still gets done, as it always was
        return;
    }
    HWND owner = display->Owner();
    if (owner && !IsWindowEnabled(owner)) owner = nullptr;   // someone else's to enable again
    if (owner) EnableWindow(owner, FALSE);
    runningStep = &slot;
    ResumeThread(thread.get());
    PumpUntilEnded(thread.get(), slot, owner);
    RunPostedCalls(slot);
    runningStep = nullptr;
    if (owner) EnableWindow(owner, TRUE);
    if (data.failure) std::rethrow_exception(data.failure);
}

void OnWindowThread(const std::function<void()>& call) {
    StepSlot* slot = runningStep;
    if (!slot || GetCurrentThreadId() != slot->workerThread) {
        call();
        return;
    }
    slot->call = &call;
    slot->callFailure = nullptr;
    SetEvent(slot->callPending.get());
    WaitForSingleObject(slot->callDone.get(), INFINITE);
    slot->call = nullptr;
    if (slot->callFailure) std::rethrow_exception(slot->callFailure);
}

void PostToWindowThread(std::function<void()> call) {
    StepSlot* slot = runningStep;
    if (!slot || GetCurrentThreadId() != slot->workerThread) {
        call();
        return;
    }
    {
        std::lock_guard<std::mutex> guard(slot->postedLock);
        slot->postedCalls.push_back(std::move(call));
    }
    SetEvent(slot->posted.get());
}

bool WorkCancelled() {
    OperationState* state = innermost;
    return state && state->cancelled;
}

void RequestCancel() {
    if (innermost) innermost->cancelled = true;
}

const WindllProgress& LibraryProgress() {
    static const WindllProgress record{sizeof(WindllProgress), &ReportToOperation, nullptr};
    return record;
}
