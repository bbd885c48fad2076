#pragma once
// The lines both DLLs hand to their caller's print callback: one line per call, each ending
// in a newline, filtered by how much the caller asked to hear.

#include "zipcore/ZipArchive.h"

#include <functional>
#include <string>

namespace zipdll {

enum class Loudness {
    Silent,        // nothing at all
    ProblemsOnly,  // warnings and errors
    Normal,        // also what was done
    Verbose,       // also the closing details
};

class DllPrinter {
public:
    // Hands one finished line (newline included) to the caller's callback.
    using Emitter = std::function<void(const char* text, unsigned long length)>;
    // Tells whether the library's status on a line is only a warning for this operation.
    using WarningTest = bool (*)(zipcore::Status status);

    DllPrinter(Emitter emit, Loudness loudness) : emit_(std::move(emit)), loudness_(loudness) {}

    void Info(const std::string& line) const;
    void Detail(const std::string& line) const;
    void Problem(const std::string& line) const;
    // A line from the zip library, weighed by the status it came with, never by its words:
    // Ok is progress (indented), a warning status gets "warning: ", anything else "error: ".
    void FromLibrary(zipcore::Status status, const std::string& line, WarningTest isWarning) const;

private:
    void Emit(const std::string& line) const;
    Emitter emit_;
    Loudness loudness_;
};

}  // namespace zipdll
