// UnZip32.dll: windll_unzip lists, tests or extracts one zip archive for the engine, which
// talks to it only through the command record and the callback block. Every problem becomes
// one readable line through the print callback and a result code; no exception leaves here.

#include "CallerProgress.h"
#include "DllPrinter.h"
#include "EntryGuard.h"
#include "zipdll/ZipDllInterface.h"
#include "zipcore/ExtractedNames.h"
#include "zipcore/ProgressMeter.h"
#include "zipcore/ZipArchive.h"
#include "AnsiNames.h"

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// For windll_unzip_sizes64: the entry being reported and the totals of the last listing.
struct ListingSizes {
    bool inEntry = false;
    UnzipSizes64 entry{};
    bool haveTotals = false;
    UnzipSizes64 totals{};
};
thread_local ListingSizes listingSizes;

using Printer = zipdll::DllPrinter;

// The quiet level of the command record: 0 every line, 1 only problems, 2 nothing at all.
Printer MakePrinter(UnzipPrintCallback print, int quietLevel) {
    const zipdll::Loudness loudness = quietLevel >= 2   ? zipdll::Loudness::Silent
                                      : quietLevel == 1 ? zipdll::Loudness::ProblemsOnly
                                                        : zipdll::Loudness::Normal;
    return Printer(zipdll::CallerPrint(print), loudness);
}

std::string Describe(const zipcore::Error& error) {
    return error.message.empty() ? std::string(zipcore::StatusText(error.status)) : error.message;
}

// The records carry 32-bit counters; anything larger is reported as the largest value they hold.
unsigned long Clamp32(uint64_t value) {
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFul : static_cast<unsigned long>(value);
}

// Percent saved, rounded half up as zip listings customarily show it, except that an entry
// that still takes space never shows 100%. An entry that grew gets the magnitude of its
// growth: the caller adds the sign by comparing the two sizes, which it has anyway.
unsigned long FactorPercent(uint64_t uncompressed, uint64_t compressed) {
    if (uncompressed == 0) return 0;
    const uint64_t difference = compressed <= uncompressed ? uncompressed - compressed : compressed - uncompressed;
    double percent = std::floor(100.0 * static_cast<double>(difference) / static_cast<double>(uncompressed) + 0.5);
    if (compressed > 0 && compressed < uncompressed && percent > 99.0) percent = 99.0;
    return percent > 65535.0 ? 65535ul : static_cast<unsigned long>(percent);
}

// Method texts in the customary short form: "Stored", "Defl:N" with the speed the writer
// recorded in flag bits 1-2 (N normal, X maximum, F fast, S super fast), else "Unk:NNN".
std::string MethodText(const zipcore::Entry& entry) {
    if (entry.method == 0) return "Stored";
    if (entry.method == 8) {
        static const char speeds[] = {'N', 'X', 'F', 'S'};
        return std::string("Defl:") + speeds[(entry.flags >> 1) & 3];
    }
    char text[16];
    std::snprintf(text, sizeof text, "Unk:%03u", static_cast<unsigned>(entry.method));
    return text;
}

// The names the caller asked for, read up to the count or the first null, whichever is first.
std::vector<std::string> RequestedNames(int count, char** names) {
    std::vector<std::string> requested;
    for (int i = 0; i < count && names[i]; ++i) requested.emplace_back(names[i]);
    return requested;
}

// Entry indexes selected by the requested names (all when none were asked for); names that
// match nothing are collected so that they can be reported.
std::vector<std::size_t> SelectEntries(const std::vector<zipcore::Entry>& entries,
                                       const std::vector<std::string>& requested,
                                       std::vector<std::string>& notFound) {
    std::vector<std::size_t> selected;
    if (requested.empty()) {
        for (std::size_t i = 0; i < entries.size(); ++i) selected.push_back(i);
        return selected;
    }
    // Matched in the ANSI form the listing showed, by the one rule of every operation: a name
    // as listed means its own entry, never a case twin. Indexed once, so that a long list of
    // selected names against a large archive stays linear.
    std::vector<std::string> ansiNames;
    ansiNames.reserve(entries.size());
    for (const zipcore::Entry& entry : entries) ansiNames.push_back(zipcore::AnsiFromUtf8(entry.name));
    const zipcore::EntryNameIndex index(ansiNames);
    std::vector<bool> chosen(entries.size(), false);
    for (const std::string& name : requested) {
        const std::vector<std::size_t> found = index.find(name);
        if (found.empty()) notFound.push_back(zipcore::Utf8FromAnsi(name));
        for (std::size_t i : found) chosen[i] = true;
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (chosen[i]) selected.push_back(i);
    return selected;
}

int ResultForOpenFailure(zipcore::Status status) {
    return status == zipcore::Status::IoError || status == zipcore::Status::NotFound ? UNZIP_ERROR
                                                                                      : UNZIP_BAD_ARCHIVE;
}

std::string CheckArguments(int count, char** names, const UnzipCommand* command, const UnzipCallbacks* callbacks) {
    if (!command) return "no command record";
    if (!callbacks) return "no callback block";
    if (!command->archivePath || !*command->archivePath) return "no archive path";
    if (count < 0) return "negative name count";
    if (count > 0 && !names) return "a name count without a name array";
    // Without this, a list that ends before its first name would read as "every entry".
    if (count > 0 && !names[0]) return "a name count with an empty name array";
    if (command->onlyNewer) return "onlyNewer is not supported";
    if (command->convertLineEnds) return "convertLineEnds is not supported";
    if (command->commentOnly) return "commentOnly is not supported";
    if (command->upperCaseNames) return "upperCaseNames is not supported";
    if (command->reserved13 || command->reserved14 || command->reserved15) return "a reserved word is set";
    if (command->quietLevel < 0 || command->quietLevel > 2) return "quietLevel must be 0, 1 or 2";
    if (command->listOnly && command->testOnly) return "listOnly and testOnly together";
    if (command->listOnly && command->reportEntries && !callbacks->entry) return "no entry callback for the listing";
    const bool willAsk = !command->listOnly && !command->testOnly && command->promptOverwrite &&
                         !command->overwriteAll && !command->replaceReadOnly;
    if (willAsk && !callbacks->replace) return "no replace callback to ask with";
    return {};
}

// Listing is measured by the archive's bytes: as far into the file as the entries listed reach.
uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(zipcore::WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void SetListingTotals(UnzipCallbacks& callbacks, uint64_t totalUncompressed, uint64_t totalCompressed,
                      unsigned long count) {
    listingSizes.totals = UnzipSizes64{totalUncompressed, totalCompressed};
    listingSizes.haveTotals = true;
    callbacks.totalCompressed = Clamp32(totalCompressed);
    callbacks.totalUncompressed = Clamp32(totalUncompressed);
    callbacks.compressionFactor = FactorPercent(totalUncompressed, totalCompressed);
    callbacks.entryCount = count;
}

int List(const std::vector<std::string>& requested, const UnzipCommand& command, UnzipCallbacks& callbacks,
         const Printer& printer) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(command.archivePath, error);
    if (!reader) {
        printer.Problem("error: cannot list " + std::string(command.archivePath) + ": " + Describe(error));
        return ResultForOpenFailure(error.status);
    }
    const std::vector<zipcore::Entry>& entries = reader->entries();
    std::vector<std::string> notFound;
    uint64_t totalCompressed = 0, totalUncompressed = 0;
    unsigned long count = 0;
    const std::vector<std::size_t> selected = SelectEntries(entries, requested, notFound);
    zipcore::ProgressMeter meter(zipdll::CallerProgress());
    meter.setTotals(FileSize(command.archivePath), selected.size());
    for (std::size_t index : selected) {
        const zipcore::Entry& entry = entries[index];
        // The rows listed so far stay with the caller, and so do their totals.
        if (!meter.startEntry(entry.name, entry.localHeaderOffset)) {
            SetListingTotals(callbacks, totalUncompressed, totalCompressed, count);
            return UNZIP_CANCELLED;
        }
        totalCompressed += entry.compressedSize;
        totalUncompressed += entry.uncompressedSize;
        ++count;
        if (!command.reportEntries) continue;
        const unsigned short month = static_cast<unsigned short>((entry.dosDate >> 5) & 15);
        const unsigned short day = static_cast<unsigned short>(entry.dosDate & 31);
        const unsigned short year = static_cast<unsigned short>((1980 + (entry.dosDate >> 9)) % 100);
        const unsigned short hour = static_cast<unsigned short>(entry.dosTime >> 11);
        const unsigned short minute = static_cast<unsigned short>((entry.dosTime >> 5) & 63);
        const std::string method = MethodText(entry);
        const std::string ansiName = zipcore::AnsiFromUtf8(entry.name);
        listingSizes.entry = UnzipSizes64{entry.uncompressedSize, entry.compressedSize};
        listingSizes.inEntry = true;
        callbacks.entry(Clamp32(entry.uncompressedSize), Clamp32(entry.compressedSize),
                        static_cast<unsigned short>(FactorPercent(entry.uncompressedSize, entry.compressedSize)),
                        month, day, year, hour, minute, entry.isEncrypted() ? 'E' : ' ', ansiName.c_str(),
                        method.c_str(), entry.crc32, entry.isEncrypted() ? 1 : 0);
        listingSizes.inEntry = false;
    }
    meter.finish();
    SetListingTotals(callbacks, totalUncompressed, totalCompressed, count);
    for (const std::string& name : notFound) printer.Problem("warning: " + name + " not found in the archive");
    return notFound.empty() ? UNZIP_OK : UNZIP_WARNING;
}

int Test(const std::vector<std::string>& requested, const UnzipCommand& command, const Printer& printer) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(command.archivePath, error);
    if (!reader) {
        printer.Problem("error: cannot test " + std::string(command.archivePath) + ": " + Describe(error));
        return ResultForOpenFailure(error.status);
    }
    std::vector<std::string> notFound;
    int damaged = 0, skipped = 0;
    const std::vector<std::size_t> selected = SelectEntries(reader->entries(), requested, notFound);
    zipcore::ProgressMeter meter(zipdll::CallerProgress());
    uint64_t selectedBytes = 0;
    for (std::size_t index : selected) selectedBytes += reader->entries()[index].uncompressedSize;
    meter.setTotals(selectedBytes, selected.size());
    uint64_t bytesBefore = 0;
    std::size_t tested = 0;
    for (std::size_t index : selected) {
        const std::string& name = reader->entries()[index].name;
        if (!meter.startEntry(name, bytesBefore)) break;
        const zipcore::Error result =
            reader->ReadEntry(index, [&](const uint8_t*, std::size_t size) { return meter.advance(size); });
        if (meter.stopped()) break;
        bytesBefore += reader->entries()[index].uncompressedSize;
        ++tested;
        if (!result) {
            printer.Info("    testing: " + name + "   OK");
        } else if (result.status == zipcore::Status::Encrypted) {
            ++skipped;
            printer.Problem("warning: skipped encrypted entry " + name);
        } else {
            ++damaged;
            printer.Problem("error: " + Describe(result));
        }
    }
    if (meter.stopped()) {
        printer.Info("cancelled after " + std::to_string(tested) + " of " + std::to_string(selected.size()) +
                     " entries tested");
        return UNZIP_CANCELLED;
    }
    meter.finish();
    for (const std::string& name : notFound) printer.Problem("warning: " + name + " not found in the archive");
    if (damaged) {
        printer.Problem("error: " + std::to_string(damaged) + " of " + std::to_string(selected.size()) +
                        " entries failed the test in " + command.archivePath);
        return UNZIP_ERROR;
    }
    printer.Info("No errors detected in compressed data of " + std::string(command.archivePath) + ".");
    return notFound.empty() && skipped == 0 ? UNZIP_OK : UNZIP_WARNING;
}

// The library reports only what went wrong or was changed while extracting; its lines get the
// customary "warning: " or "error: " in front, by the status each came with, so that a person
// scanning the log sees the weight. Passed over or refused entries are warnings: the others
// were still dealt with.
bool IsExtractionWarning(zipcore::Status status) {
    using zipcore::Status;
    return status == Status::Skipped || status == Status::NothingToDo || status == Status::NotFound ||
           status == Status::UnsafeName || status == Status::Encrypted;
}

// Decides about one existing file: the overwrite words replace without asking (read-only files
// only when replaceReadOnly is set), promptOverwrite asks the caller, and anything but an explicit
// "replace" answer keeps the file, because a lost file cannot be brought back.
bool DecideReplace(const std::string& path, const UnzipCommand& command, const UnzipCallbacks& callbacks,
                   const Printer& printer) {
    const std::wstring widePath = zipcore::WideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    bool replace;
    if (command.overwriteAll || command.replaceReadOnly)
        replace = !readOnly || command.replaceReadOnly;
    else if (command.promptOverwrite)
        replace = callbacks.replace(zipcore::AnsiFromUtf8(path).c_str()) == UNZIP_REPLACE;
    else
        replace = false;
    if (replace && readOnly && !SetFileAttributesW(widePath.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        printer.Problem("warning: cannot make read-only " + path + " writable; kept it");
        return false;
    }
    if (!replace && readOnly && (command.overwriteAll || command.replaceReadOnly))
        printer.Problem("warning: kept read-only " + path);
    return replace;
}

int ResultForExtraction(const zipcore::ExtractResult& result) {
    using zipcore::Status;
    switch (result.status) {
    case Status::Ok:
        return result.namesNotFound.empty() ? UNZIP_OK : UNZIP_WARNING;
    case Status::Skipped:
    case Status::NothingToDo:
        return UNZIP_WARNING;
    // Names missing from the archive are a warning; a missing archive is not.
    case Status::NotFound:
        return result.namesNotFound.empty() ? UNZIP_ERROR : UNZIP_WARNING;
    // A refused entry spoils nothing else: a warning while the other entries were dealt with
    // (extracted, or kept at the user's word), an error when the refused ones were all there was.
    case Status::UnsafeName:
    case Status::Encrypted:
        return result.extracted + result.skipped > 0 ? UNZIP_WARNING : UNZIP_ERROR;
    case Status::NotZip:
        return UNZIP_BAD_ARCHIVE;
    case Status::Cancelled:
        return UNZIP_CANCELLED;
    default:
        return UNZIP_ERROR;
    }
}

int Extract(const std::vector<std::string>& requested, const UnzipCommand& command, const UnzipCallbacks& callbacks,
            const Printer& printer) {
    zipcore::ExtractOptions options;
    options.junkPaths = !command.keepFolderNames;
    if (!requested.empty()) {
        // The names come in the ANSI form the listing gave; the library wants the entries' own.
        zipcore::Error error;
        std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(command.archivePath, error);
        if (reader) {
            options.names = zipdll::EntryNamesForAnsi(reader->entries(), requested);
        } else {
            for (const std::string& name : requested) options.names.push_back(zipcore::Utf8FromAnsi(name));
        }
    }
    const bool mayReplace = command.overwriteAll || command.replaceReadOnly || command.promptOverwrite;
    options.overwrite = mayReplace ? zipcore::Overwrite::Ask : zipcore::Overwrite::Never;
    options.askOverwrite = [&](const std::string& path) { return DecideReplace(path, command, callbacks, printer); };
    options.report = [&](zipcore::Status status, const std::string& line) {
        printer.FromLibrary(status, line, IsExtractionWarning);
    };
    options.progress = zipdll::CallerProgress();
    const zipcore::ExtractResult result = zipcore::Extract(command.archivePath, options);
    const int code = ResultForExtraction(result);
    std::string summary = std::to_string(result.extracted) + " file(s) extracted";
    if (result.skipped) summary += ", " + std::to_string(result.skipped) + " kept";
    if (result.failed) summary += ", " + std::to_string(result.failed) + " failed";
    if (code == UNZIP_CANCELLED)
        printer.Info(summary + ", then cancelled");
    else if (code > UNZIP_WARNING)
        printer.Problem("error: " + std::string(command.archivePath) + ": " + zipcore::StatusText(result.status) +
                        " (" + summary + ")");
    else
        printer.Info(summary);
    return code;
}

int Run(int count, char** names, UnzipCommand* command, UnzipCallbacks* callbacks) {
    const std::string problem = CheckArguments(count, names, command, callbacks);
    if (!problem.empty()) {
        if (callbacks) MakePrinter(callbacks->print, 0).Problem("error: bad request: " + problem);
        return UNZIP_BAD_ARGUMENT;
    }
    // Inside, everything is UTF-8, as the library works; the printer turns lines back to ANSI.
    const std::string archive = zipcore::Utf8FromAnsi(command->archivePath);
    UnzipCommand request = *command;
    request.archivePath = archive.c_str();
    command = &request;
    const Printer printer = MakePrinter(callbacks->print, command->quietLevel);
    const std::vector<std::string> requested = count > 0 ? RequestedNames(count, names) : std::vector<std::string>();
    if (command->listOnly) {
        listingSizes = ListingSizes{};
        callbacks->totalCompressed = callbacks->totalUncompressed = 0;
        callbacks->compressionFactor = callbacks->entryCount = 0;
        return List(requested, *command, *callbacks, printer);
    }
    if (command->testOnly) return Test(requested, *command, printer);
    return Extract(requested, *command, *callbacks, printer);
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI windll_unzip(int count, char** names, UnzipCommand* command,
                                                         UnzipCallbacks* callbacks) {
    const zipdll::CallerPrint print(callbacks ? callbacks->print : nullptr);
    return zipdll::GuardEntry(print, {"out of memory", "unexpected failure"}, UNZIP_ERROR,
                              [&] { return Run(count, names, command, callbacks); });
}

extern "C" __declspec(dllexport) int WINAPI windll_unzip_set_progress(const WindllProgress* progress) {
    return zipdll::SetCallerProgress(progress);
}

extern "C" __declspec(dllexport) int WINAPI windll_unzip_sizes64(UnzipSizes64* entry, UnzipSizes64* totals) {
    if (entry && !listingSizes.inEntry) return 0;
    if (totals && !listingSizes.haveTotals) return 0;
    if (entry) *entry = listingSizes.entry;
    if (totals) *totals = listingSizes.totals;
    return 1;
}

extern "C" __declspec(dllexport) int WINAPI windll_unzip_extracted_path(const char* entryName, char* path, int size) {
    if (!entryName) return 0;
    try {
        std::string relative;
        if (!zipcore::ExtractedRelativePath(zipcore::Utf8FromAnsi(entryName), '\\', relative)) return 0;
        const std::string ansi = zipcore::AnsiFromUtf8(relative);
        if (ansi.size() >= 0x7FFFFFFF) return 0;
        const int length = static_cast<int>(ansi.size());
        if (path && length < size) std::memcpy(path, ansi.c_str(), ansi.size() + 1);
        return length;
    } catch (...) {
        return 0;
    }
}

extern "C" __declspec(dllexport) int WINAPI windll_unzip_offsets_from_start(const char* archivePath) {
    if (!archivePath || !*archivePath) return 0;
    try {
        zipcore::Error error;
        const std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(zipcore::Utf8FromAnsi(archivePath), error);
        return reader && reader->offsetShift() == 0 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
