#include "DllPrinter.h"

namespace zipdll {

void CallerPrint::operator()(const char* text, unsigned long length) const noexcept {
    if (unzipPrint_) unzipPrint_(text, length);
    if (zipPrint_) zipPrint_(stream_, length, text);
}

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
    if (!print_) return;
    const std::string text = zipcore::AnsiFromUtf8(line + "\n");
    print_(text.c_str(), static_cast<unsigned long>(text.size()));
}

}  // namespace zipdll
