#include "DllPrinter.h"

namespace zipdll {

void DllPrinter::Info(const std::string& line) const {
    if (loudness_ >= Loudness::Normal) Emit(line);
}

void DllPrinter::Detail(const std::string& line) const {
    if (loudness_ >= Loudness::Verbose) Emit(line);
}

void DllPrinter::Problem(const std::string& line) const {
    if (loudness_ >= Loudness::ProblemsOnly) Emit(line);
}

void DllPrinter::FromLibrary(zipcore::Status status, const std::string& line, WarningTest isWarning) const {
    if (status == zipcore::Status::Ok)
        Info("  " + line);
    else
        Problem((isWarning(status) ? "warning: " : "error: ") + line);
}

void DllPrinter::Emit(const std::string& line) const {
    if (!emit_) return;
    const std::string text = line + "\n";
    emit_(text.c_str(), static_cast<unsigned long>(text.size()));
}

}  // namespace zipdll
