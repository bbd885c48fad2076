// Zip32.dll: DllZipUpFiles adds files (names or wildcard patterns) to a zip archive or deletes
// named entries from it, as the request record asks. The archive is only ever replaced by a
// complete, verified new file (the library's update guarantees that); every problem becomes one
// readable line through the print callback and a result code; no exception leaves here.

#include "CallerProgress.h"
#include "DllPrinter.h"
#include "EntryGuard.h"
#include "zipdll/ZipDllInterface.h"
#include "zipdll/FileContent.h"
#include "zipcore/ZipArchive.h"
#include "AnsiNames.h"

#include <windows.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

using Printer = zipdll::DllPrinter;

// quiet: only problems; verbose: also a closing line with the counts of what was written.
Printer MakePrinter(ZipPrintCallback print, void* stream, bool quiet, bool verbose) {
    const zipdll::Loudness loudness = quiet     ? zipdll::Loudness::ProblemsOnly
                                      : verbose ? zipdll::Loudness::Verbose
                                                : zipdll::Loudness::Normal;
    return Printer(zipdll::CallerPrint(print, stream), loudness);
}

std::string CheckRequest(const ZipRequest& request) {
    if (!request.archivePath || !*request.archivePath) return "no archive path";
    if (request.nameCount < 0) return "negative name count";
    if (request.nameCount > 0 && !request.names) return "a name count without a name array";
    struct Word {
        int value;
        const char* name;
    };
    const Word mustBeZero[] = {
        {request.encrypt, "encrypt"},           {request.systemFiles, "systemFiles"},
        {request.volumeLabel, "volumeLabel"},   {request.extraAttributes, "extraAttributes"},
        {request.excludeBeforeDate, "excludeBeforeDate"}, {request.includeAfterDate, "includeAfterDate"},
        {request.convertCrLf, "convertCrLf"},   {request.convertLf, "convertLf"},
        {request.compress8bit, "compress8bit"}, {request.junkSfxPrefix, "junkSfxPrefix"},
        {request.recurse, "recurse"},           {request.grow, "grow"},
        {request.forceDos, "forceDos"},         {request.moveFiles, "moveFiles"},
        {request.update, "update"},             {request.freshen, "freshen"},
        {request.junkComment, "junkComment"},   {request.offsetsToZero, "offsetsToZero"},
        {request.privileges, "privileges"},     {request.reserved28, "reserved28"},
    };
    for (const Word& word : mustBeZero)
        if (word.value != 0) return std::string(word.name) + " is not supported and must be 0";
    if (!request.deleteEntries && (request.level[0] < '0' || request.level[0] > '9'))
        return "the level must start with a digit 0 to 9";
    return {};
}

std::vector<std::string> RequestedNames(const ZipRequest& request) {
    std::vector<std::string> names;
    for (int i = 0; i < request.nameCount && request.names[i]; ++i)
        if (*request.names[i]) names.emplace_back(request.names[i]);
    return names;
}

// The library's progress lines ("adding: x (deflated 61%)", "deleting: x") are shown indented
// as zip logs customarily are; everything else it says gets its weight in front, taken from the
// status it came with: what was passed over is a warning, what stopped the update an error.
bool IsUpdateWarning(zipcore::Status status) {
    return status == zipcore::Status::Skipped || status == zipcore::Status::NothingToDo;
}

std::function<void(zipcore::Status, const std::string&)> Forwarder(const Printer& printer) {
    return [&printer](zipcore::Status status, const std::string& line) {
        printer.FromLibrary(status, line, IsUpdateWarning);
    };
}

bool IsExistingFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A zero-length file is what a freshly made "new archive" is; the library wants either a real
// archive or no file, so the empty file stands aside during the update and comes back if the
// update fails, leaving everything as it was.
class EmptyArchiveStandIn {
public:
    explicit EmptyArchiveStandIn(const std::string& path) : path(path) {
        if (ExamineFileContent(path.c_str()) == FileContent::Empty) removed = DeleteFileA(path.c_str()) != 0;
    }
    void Restore() {
        if (!removed) return;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        removed = false;
    }

private:
    std::string path;
    bool removed = false;
};

int ResultForUpdate(const zipcore::UpdateResult& result) {
    switch (result.status) {
    case zipcore::Status::Ok:
        return ZIP_OK;
    case zipcore::Status::NothingToDo:
    case zipcore::Status::NotFound:
        return ZIP_NOTHING_TO_DO;
    case zipcore::Status::Cancelled:
        return ZIP_CANCELLED;
    default:
        return ZIP_ERROR;
    }
}

void ReportCounts(const Printer& printer, const std::string& archive, const zipcore::UpdateResult& result) {
    printer.Detail(archive + ": " + std::to_string(result.added) + " added, " + std::to_string(result.replaced) +
                   " replaced, " + std::to_string(result.deleted) + " deleted, " + std::to_string(result.copied) +
                   " unchanged");
}

// On Windows "*.*" means every file, also those without a dot in the name (README); the
// library matches patterns literally, where "*.*" wants a dot, so it gets the plain "*".
std::string WithWindowsWildcards(const std::string& name) {
    const std::size_t separator = name.find_last_of("\\/:");
    const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
    if (name.compare(start, std::string::npos, "*.*") == 0) return name.substr(0, start) + "*";
    return name;
}

int Add(const ZipRequest& request, const std::vector<std::string>& requested, const Printer& printer) {
    const std::string archive = zipcore::Utf8FromAnsi(request.archivePath);
    zipcore::UpdateOptions options;
    for (const std::string& name : requested) {
        if (request.noDirEntries && IsExistingFolder(name)) {
            printer.Info("skipping folder " + zipcore::Utf8FromAnsi(name));
            continue;
        }
        // The library finds the files through the wide API, so a pattern also adds files whose
        // names the ANSI code page cannot hold, under their true names.
        options.add.push_back(WithWindowsWildcards(zipcore::Utf8FromAnsi(name)));
    }
    if (options.add.empty()) {
        printer.Problem("warning: nothing to do for " + archive);
        return ZIP_NOTHING_TO_DO;
    }
    options.storePaths = !request.dropFolderNames;
    options.level = request.level[0] - '0';
    options.report = Forwarder(printer);
    options.progress = zipdll::CallerProgress();

    EmptyArchiveStandIn emptyArchive(request.archivePath);
    const zipcore::UpdateResult result = zipcore::Update(archive, options);
    const int code = ResultForUpdate(result);
    if (code == ZIP_OK) {
        ReportCounts(printer, archive, result);
        return ZIP_OK;
    }
    emptyArchive.Restore();
    if (code == ZIP_CANCELLED) {
        printer.Info("cancelled; " + archive + " is unchanged");
    } else if (code != ZIP_NOTHING_TO_DO) {   // the library has said which names matched nothing
        printer.Problem("error: cannot update " + archive + ": " + zipcore::StatusText(result.status) +
                        "; the archive is unchanged");
    }
    return code;
}

// Entry names as stored for each requested name, by the one name rule of both DLLs
// (zipcore::EntryNameIndex) applied to the ANSI form the listing showed, since that is what
// the engine hands back.
std::vector<std::string> ResolveEntries(const std::vector<zipcore::Entry>& entries,
                                        const std::vector<std::string>& requested, std::vector<std::string>& notFound,
                                        std::vector<std::string>& ambiguous) {
    // Indexed once, so that deleting many selected entries from a large archive stays linear.
    std::vector<std::string> ansiNames;
    ansiNames.reserve(entries.size());
    for (const zipcore::Entry& entry : entries) ansiNames.push_back(zipcore::AnsiFromUtf8(entry.name));
    const zipcore::EntryNameIndex index(ansiNames);
    std::unordered_map<std::string, std::size_t> timesRequested;
    for (const std::string& name : requested) ++timesRequested[name];
    std::vector<std::string> resolved;
    std::unordered_set<std::string> taken;   // a name selected twice is still deleted once
    for (const std::string& name : requested) {
        const std::vector<std::size_t> found = index.find(name);
        if (found.empty()) {
            notFound.push_back(name);
            continue;
        }
        // Names the code page cannot hold may list alike ("??.txt"), and an archive may hold one
        // name twice. Deleting one row must not take the others with it: all go only when every
        // one of those rows was chosen.
        if (found.size() > 1 && timesRequested[name] < found.size()) {
            if (timesRequested[name] != 0) ambiguous.push_back(name);
            timesRequested[name] = 0;   // reported once
            continue;
        }
        for (std::size_t i : found)
            if (taken.insert(entries[i].name).second) resolved.push_back(entries[i].name);
    }
    return resolved;
}

int Delete(const ZipRequest& request, const std::vector<std::string>& requested, const Printer& printer) {
    const std::string archive = zipcore::Utf8FromAnsi(request.archivePath);
    std::vector<std::string> notFound;
    std::vector<std::string> ambiguous;
    std::vector<std::string> resolved;
    {
        zipcore::Error error;
        std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(archive, error);
        if (!reader) {
            printer.Problem("error: cannot delete from " + archive + ": " +
                            (error.message.empty() ? zipcore::StatusText(error.status) : error.message));
            return ZIP_ERROR;
        }
        resolved = ResolveEntries(reader->entries(), requested, notFound, ambiguous);
    }   // the reader lets go of the archive before the update replaces it
    for (const std::string& name : notFound)
        printer.Problem("warning: " + zipcore::Utf8FromAnsi(name) + " not found in " + archive);
    // Zip32.dll is given names, not rows: when a name stands for several rows but fewer were
    // chosen, which ones is lost, so nothing is deleted rather than the wrong row.
    for (const std::string& name : ambiguous)
        printer.Problem("error: " + zipcore::Utf8FromAnsi(name) + " names several entries in " + archive +
                        ", which cannot be told apart by name; none of them deleted");
    if (!ambiguous.empty()) {
        printer.Problem("error: cannot delete from " + archive + "; the archive is unchanged");
        return ZIP_ERROR;
    }
    if (resolved.empty()) {
        printer.Problem("warning: nothing to delete; " + archive + " unchanged");
        return ZIP_NOTHING_TO_DO;
    }
    zipcore::UpdateOptions options;
    options.remove = resolved;
    options.report = Forwarder(printer);
    options.progress = zipdll::CallerProgress();
    const zipcore::UpdateResult result = zipcore::Update(archive, options);
    const int code = ResultForUpdate(result);
    if (code == ZIP_OK) {
        ReportCounts(printer, archive, result);
    } else if (code == ZIP_CANCELLED) {
        printer.Info("cancelled; " + archive + " is unchanged");
    } else {
        printer.Problem("error: cannot delete from " + archive + ": " + zipcore::StatusText(result.status) +
                        "; the archive is unchanged");
    }
    return code;
}

int Run(ZipRequest* request) {
    if (!request) return ZIP_BAD_ARGUMENT;
    const std::string problem = CheckRequest(*request);
    if (!problem.empty()) {
        MakePrinter(request->print, request->outputStream, false, false).Problem("error: bad request: " + problem);
        return ZIP_BAD_ARGUMENT;
    }
    const Printer printer = MakePrinter(request->print, request->outputStream, request->quiet != 0, request->verbose != 0);
    const std::vector<std::string> requested = RequestedNames(*request);
    if (requested.empty()) {
        printer.Problem("warning: no names given; " + std::string(request->archivePath) + " unchanged");
        return ZIP_NOTHING_TO_DO;
    }
    return request->deleteEntries ? Delete(*request, requested, printer) : Add(*request, requested, printer);
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI DllZipUpFiles(ZipRequest* request) {
    const zipdll::CallerPrint print =
        request ? zipdll::CallerPrint(request->print, request->outputStream) : zipdll::CallerPrint();
    return zipdll::GuardEntry(print,
                              {"out of memory; the archive is unchanged", "unexpected failure; the archive is unchanged"},
                              ZIP_ERROR, [&] { return Run(request); });
}

extern "C" __declspec(dllexport) int WINAPI windll_zip_set_progress(const WindllProgress* progress) {
    return zipdll::SetCallerProgress(progress);
}
