#pragma once
// Long work off the window's thread. A command stays sequential code on the window's thread;
// each step that can take long (a library call, a child program) runs on a worker thread while
// the window's thread keeps the message loop going, the main window disabled, and shows the
// progress window once the work has lasted half a second. Whatever a step needs of the window
// (a question, rows for the list) it asks through OnWindowThread, which waits for the answer.
//
// With no progress display installed (Zipper, the engine's tests) every step runs in place.

#include <windows.h>

#include <functional>
#include <string>

#include "zipdll/ZipDllInterface.h"

// What the progress window shows, as the work last reported it.
struct WorkProgress {
    std::string caption;   // "Extracting FOO.ZIP"
    std::string entry;
    unsigned long long bytesDone = 0;
    unsigned long long bytesTotal = 0;
    unsigned long entriesDone = 0;
    unsigned long entriesTotal = 0;
    DWORD elapsedMs = 0;
};

// The archive window's progress window, called on the window's thread only.
class IProgressDisplay {
public:
    // The window the work belongs to; it is disabled while a step runs.
    virtual HWND Owner() = 0;
    virtual void Show(const WorkProgress& progress) = 0;
    virtual void Update(const WorkProgress& progress) = 0;
    virtual void Hide() = 0;
    // A queued message meant for the display (Esc, its button): true when it took it.
    virtual bool TakeMessage(MSG& message) = 0;

protected:
    ~IProgressDisplay() = default;
};

// nullptr: every step runs in place again. Not owned.
void SetProgressDisplay(IProgressDisplay* display);

struct OperationState;

// One operation the user sees and can stop, for the life of this object on the window's
// thread. Operations nest (an Add lists the archive again when it ends): an inner one of
// another caption shows its own and has its own Cancel, and the outer one's come back when it
// ends; an inner one of the same caption (View's extraction) is part of the outer one.
class LongOperation {
public:
    // verb: "Extracting", "Adding", "Deleting", "Reading", "Making EXE".
    LongOperation(const char* verb, const std::string& archivePath);
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    bool Cancelled() const;
    // Entries the work reported as done, for the log of a cancelled extraction.
    unsigned long EntriesDone() const;
    unsigned long EntriesTotal() const;

private:
    OperationState* state;
    OperationState* outer;
    bool joined;   // the same work as the operation around it, which keeps it
};

// Runs step to its end off the window's thread (in place when nothing is installed or no
// operation is running). An exception the step lets out comes back out of this call.
void RunOffWindowThread(const std::function<void()>& step);
// Runs call on the window's thread and waits for it; in place when already there. Calls
// posted before it run first.
void OnWindowThread(const std::function<void()>& call);
// Hands call to the window's thread without waiting (in place when already there): the work
// goes on while the window takes in what it was given. Posted calls run in order, all of them
// before the step's RunOffWindowThread returns.
void PostToWindowThread(std::function<void()> call);
// True once the user has cancelled the innermost operation; any thread.
bool WorkCancelled();
// The user's Cancel, from the progress window.
void RequestCancel();

// The progress record both DLLs take, reporting to the innermost operation.
const WindllProgress& LibraryProgress();
