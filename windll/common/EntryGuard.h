#pragma once
// The guard around each exported entry point of both DLLs: the caller is C, or C++ built by
// another compiler, so no exception may leave. Whatever escapes the work becomes one line
// through the caller's print callback and the entry point's failure code.

#include "DllPrinter.h"

#include <exception>
#include <new>

namespace zipdll {

// What the guard says for failures that bring no words of their own.
struct FailureWords {
    const char* outOfMemory;
    const char* unexpected;
};

// Prints "error: <what>" without allocating: it may be running because memory ran out.
void ReportFailure(const CallerPrint& print, const char* what) noexcept;

// Runs work() and returns its result; a failure it throws is reported and gives failureCode.
template <typename Work>
int GuardEntry(const CallerPrint& print, const FailureWords& words, int failureCode, const Work& work) noexcept {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        ReportFailure(print, words.outOfMemory);
    } catch (const std::exception& failure) {
        ReportFailure(print, failure.what());
    } catch (...) {
        ReportFailure(print, words.unexpected);
    }
    return failureCode;
}

}  // namespace zipdll
