#pragma once
// The lines both DLLs hand to their caller's print callback: one line per call, each ending
// in a newline, in the caller's ANSI code page, filtered by how much the caller asked to hear.

#include "zipcore/ZipArchive.h"
#include "zipdll/ZipDllInterface.h"

#include <string>

namespace zipdll {

// The caller's print callback, whichever DLL's form it has: UnZip32's takes the text first,
// Zip32's a stream first. Calling it allocates nothing, so that a failure can still be told
// when memory has run out.
class CallerPrint {
public:
    CallerPrint() = default;
    explicit CallerPrint(UnzipPrintCallback print) : unzipPrint_(print) {}
    CallerPrint(ZipPrintCallback print, void* stream) : zipPrint_(print), stream_(stream) {}

    explicit operator bool() const { return unzipPrint_ || zipPrint_; }
    // Hands over text already in the caller's code page; without a callback it goes nowhere.
    void operator()(const char* text, unsigned long length) const noexcept;

private:
    UnzipPrintCallback unzipPrint_ = nullptr;
    ZipPrintCallback zipPrint_ = nullptr;
    void* stream_ = nullptr;
};

enum class Loudness {
    Silent,        // nothing at all
    ProblemsOnly,  // warnings and errors
    Normal,        // also what was done
    Verbose,       // also the closing details
};

class DllPrinter {
public:
    // Tells whether the library's status on a line is only a warning for this operation.
    using WarningTest = bool (*)(zipcore::Status status);

    DllPrinter(CallerPrint print, Loudness loudness) : print_(print), loudness_(loudness) {}

    void Info(const std::string& line) const;
    void Detail(const std::string& line) const;
    void Problem(const std::string& line) const;
    // A line from the zip library, weighed by the status it came with, never by its words:
    // Ok is progress (indented), a warning status gets "warning: ", anything else "error: ".
    void FromLibrary(zipcore::Status status, const std::string& line, WarningTest isWarning) const;

private:
    // Lines are UTF-8 inside, as the library works; the caller reads its ANSI code page.
    void Emit(const std::string& line) const;
    CallerPrint print_;
    Loudness loudness_;
};

}  // namespace zipdll
