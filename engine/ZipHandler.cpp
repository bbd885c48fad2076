#include "ZipHandler.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <unordered_set>

#include "DllExports.h"
#include "EntryRows.h"
#include "LongWork.h"
#include "PathHelpers.h"
#include "UserMessages.h"

namespace {

// The library callbacks receive no handler pointer, so the handler whose library call is
// running is remembered here for exactly the length of that call.
CZipHandler* activeHandler = nullptr;

class ActiveHandlerScope {
public:
    explicit ActiveHandlerScope(CZipHandler* handler) : previous(activeHandler) { activeHandler = handler; }
    ~ActiveHandlerScope() { activeHandler = previous; }
    ActiveHandlerScope(const ActiveHandlerScope&) = delete;
    ActiveHandlerScope& operator=(const ActiveHandlerScope&) = delete;

private:
    CZipHandler* previous;
};

// The 32-bit size fields of the records hold larger sizes as this.
constexpr unsigned long kLargest32 = 0xFFFFFFFFul;

// A listing hands its rows to the window this often: often enough that the list fills as it
// is read, seldom enough that the list's repainting costs a long listing next to nothing.
constexpr DWORD kRowBatchMs = 250;

bool IsPattern(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

bool HasSeparator(const std::string& name) { return name.find_first_of("\\/") != std::string::npos; }

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

// SetCurrentDirectoryA refuses a path that leaves no room for a trailing backslash and the
// terminator within MAX_PATH.
bool FitsCurrentDirectory(const std::string& folder) { return folder.size() <= MAX_PATH - 2; }

void AppendLogLine(const std::string& line) {
    std::string text = line + "\r\n";
    AppendToCurrentLog(text.data(), text.size());
}

// What the library said during one operation, for the failure message: the log is emptied
// by the listing that follows every add or delete, so "see the log" would point at nothing.
std::string FailureDetails(const std::string& log, std::size_t start) {
    const std::size_t limit = 1500;
    std::string details = start < log.size() ? log.substr(start) : std::string();
    if (details.size() > limit) details = "..." + details.substr(details.size() - limit);
    while (!details.empty() && (details.back() == '\n' || details.back() == '\r')) details.pop_back();
    return details.empty() ? std::string() : "\n\n" + details;
}

}  // namespace

struct CZipHandler::AddRequest {
    std::string name;
    bool storePath;
    bool recurse;
    char levelDigit;
};

struct CZipHandler::AddOutcome {
    bool stored = false;   // at least one library call stored something
    bool failed = false;   // a library error, or a folder left out that the caller asked for
    bool cancelled = false;   // the user stopped the add: the walk ends where it is
};

// The five unzip callbacks and the zip print and comment callbacks. No exception may leave
// them: they return into the library's C frames.
struct ZipLibraryCallbacks {
    static int WINAPI UnzipPrint(const char* text, unsigned long length) {
        AppendToCurrentLog(text, length);
        return static_cast<int>(length);
    }
    static void WINAPI UnzipSound() {}
    static int WINAPI UnzipReplace(const char* fileName) {
        try {
            if (activeHandler) return activeHandler->ConfirmOverwrite(fileName ? fileName : "");
        } catch (...) {
        }
        return UNZIP_KEEP;   // when in doubt, the existing file stays
    }
    static int WINAPI UnzipPassword(char*, int, const char*, const char*) { return 1; }
    static void WINAPI UnzipEntry(unsigned long uncompressedSize, unsigned long compressedSize,
                                  unsigned short factor, unsigned short month, unsigned short day,
                                  unsigned short year, unsigned short hour, unsigned short minute, char,
                                  const char* name, const char*, unsigned long crc, char) {
        try {
            if (!activeHandler) return;
            if (activeHandler->collecting) {
                StoredEntry entry;
                entry.name = name ? name : "";
                entry.size = uncompressedSize;
                UnzipSizes64 sizes{};
                if (activeHandler->unzipSizes64 && activeHandler->unzipSizes64(&sizes, nullptr))
                    entry.size = sizes.uncompressed;
                entry.crc = crc;
                activeHandler->collecting->push_back(std::move(entry));
                return;
            }
            ZipEntryValues values;
            values.name = name ? name : "";
            values.uncompressedSize = uncompressedSize;
            values.compressedSize = compressedSize;
            // Only a size that reads as the 32-bit field's largest value can be larger: asking
            // for every entry would cost a library call per row of a long listing.
            UnzipSizes64 sizes{};
            const bool mayBeLarger = uncompressedSize == kLargest32 || compressedSize == kLargest32;
            if (mayBeLarger && activeHandler->unzipSizes64 && activeHandler->unzipSizes64(&sizes, nullptr)) {
                values.uncompressedSize = sizes.uncompressed;
                values.compressedSize = sizes.compressed;
            }
            values.factor = factor;
            values.day = day;
            values.month = month;
            values.year = year;
            values.hour = hour;
            values.minute = minute;
            activeHandler->rowsListed++;
            activeHandler->listedUncompressed += values.uncompressedSize;
            activeHandler->listedCompressed += values.compressedSize;
            activeHandler->AddEntryToView(MakeZipEntryRow(values));
        } catch (...) {
            // An entry missing from a collection makes its source stay: the safe side.
        }
    }
    static int WINAPI ZipPrint(void*, unsigned long length, const char* text) {
        AppendToCurrentLog(text, length);
        return static_cast<int>(length);
    }
    static char* WINAPI ZipComment(char* comment) { return comment; }
};

CZipHandler::CZipHandler(IArchiveView* view) : CArchiveHandler(view) {}

CZipHandler::~CZipHandler() {
    if (activeHandler == this) activeHandler = nullptr;
}

int CZipHandler::Init() {
    try {
        std::string folder;
        GetProgramDir(folder);
        unzipLibrary.reset(LoadLibraryA((folder + "\\UnZip32.dll").c_str()));
        if (!unzipLibrary) {
            ShowMessage("Cannot load DLL: UnZip32.DLL", MB_ICONERROR);
            return 0;
        }
        windllUnzip = ExportOf<WindllUnzipFunction>(unzipLibrary.get(), "windll_unzip");
        if (!windllUnzip) {
            ShowMessage("Cannot get proc address: windll_unzip", MB_ICONERROR);
            return 0;
        }
        unzipSizes64 = ExportOf<WindllUnzipSizes64Function>(unzipLibrary.get(), "windll_unzip_sizes64");
        extractedPath = ExportOf<WindllUnzipExtractedPathFunction>(unzipLibrary.get(), "windll_unzip_extracted_path");
        zipLibrary.reset(LoadLibraryA((folder + "\\Zip32.dll").c_str()));
        if (!zipLibrary) {
            ShowMessage("Cannot load DLL: Zip32.DLL", MB_ICONERROR);
            return 0;
        }
        unzipSetProgress = ExportOf<WindllUnzipSetProgressFunction>(unzipLibrary.get(), "windll_unzip_set_progress");
        dllZipUpFiles = ExportOf<DllZipUpFilesFunction>(zipLibrary.get(), "DllZipUpFiles");
        zipSetProgress = ExportOf<WindllZipSetProgressFunction>(zipLibrary.get(), "windll_zip_set_progress");
        if (!dllZipUpFiles) {
            ShowMessage("Cannot get proc address: DllZipUpFiles", MB_ICONERROR);
            return 0;
        }
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Buffer);
    }
    callbacks.print = &ZipLibraryCallbacks::UnzipPrint;
    callbacks.sound = &ZipLibraryCallbacks::UnzipSound;
    callbacks.replace = &ZipLibraryCallbacks::UnzipReplace;
    callbacks.password = &ZipLibraryCallbacks::UnzipPassword;
    callbacks.entry = &ZipLibraryCallbacks::UnzipEntry;
    return 1;
}

void CZipHandler::AddEntryToView(EntryRow&& row) {
    if (!view) return;
    pendingRows.push_back(std::move(row));
    if (GetTickCount() - rowsSentAt >= kRowBatchMs) SendPendingRows();
}

void CZipHandler::SendPendingRows() {
    rowsSentAt = GetTickCount();
    if (pendingRows.empty()) return;
    // The listing goes on while the window takes the batch in.
    auto batch = std::make_shared<std::vector<EntryRow>>(std::move(pendingRows));
    pendingRows.clear();
    IArchiveView* const target = view;
    PostToWindowThread([target, batch] {
        for (const EntryRow& row : *batch) target->AddEntry(row);
    });
}

int CZipHandler::CallUnzip(int nameCount, char** names, UnzipCommand& command) {
    if (!windllUnzip) return UNZIP_ERROR;
    int result = UNZIP_ERROR;
    pendingRows.clear();
    rowsSentAt = GetTickCount();
    RunOffWindowThread([&] {
        ActiveHandlerScope scope(this);
        // The record holds for the thread that sets it, which is the one the work runs on.
        if (unzipSetProgress) unzipSetProgress(&LibraryProgress());
        result = windllUnzip(nameCount, names, &command, &callbacks);
        if (unzipSetProgress) unzipSetProgress(nullptr);
        try {
            SendPendingRows();
        } catch (const std::bad_alloc&) {
            // The rows not shown are lost, as a row that could not be made always was.
        }
    });
    return result;
}

int CZipHandler::Refresh() {
    if (!CArchiveHandler::Refresh()) return 1;   // a missing or empty archive: nothing to list
    const char* const failure = "Cannot list ZIP's contents. The file is probably not a valid ZIP Archive.";
    if (!windllUnzip) {
        ShowMessage(failure, MB_ICONERROR);
        return 0;
    }
    UnzipCommand command{};
    command.listOnly = 1;
    command.binaryMode = 1;
    command.reportEntries = 1;
    command.archivePath = archivePath.c_str();
    // Totals of an earlier listing must not stand in for a library that wrote none.
    callbacks.totalCompressed = callbacks.totalUncompressed = 0;
    callbacks.compressionFactor = callbacks.entryCount = 0;
    rowsListed = 0;
    listedUncompressed = listedCompressed = 0;

    MakeLogCurrent();
    LongOperation operation("Reading", archivePath);
    const int result = CallUnzip(0, nullptr, command);
    if (result == UNZIP_CANCELLED) {
        // The rows read so far stay, and the totals line says they are not all there is.
        try {
            if (view) view->SetStatusText("Listing cancelled: " + MakeZipTotalsLine(rowsListed, listedUncompressed, listedCompressed));
        } catch (const std::bad_alloc&) {
        }
        return 1;
    }
    if (result > UNZIP_WARNING || result < 0) {
        ShowMessage(failure, MB_ICONERROR);
        return 0;
    }
    try {
        UnzipSizes64 totals{callbacks.totalUncompressed, callbacks.totalCompressed};
        const bool mayBeLarger = totals.uncompressed == kLargest32 || totals.compressed == kLargest32;
        if (mayBeLarger && unzipSizes64) unzipSizes64(nullptr, &totals);
        if (view) view->SetStatusText(MakeZipTotalsLine(callbacks.entryCount, totals.uncompressed, totals.compressed));
    } catch (const std::bad_alloc&) {
        // The rows are shown; only the totals line is missing.
    }
    return 1;
}

int CZipHandler::ReadStoredEntries(std::vector<StoredEntry>& entries) {
    entries.clear();
    if (!windllUnzip || IsArchiveEmpty()) return 0;
    UnzipCommand command{};
    command.listOnly = 1;
    command.binaryMode = 1;
    command.reportEntries = 1;
    command.archivePath = archivePath.c_str();
    std::string log;   // the listing's printing is nobody's business here
    std::string* const previousLog = &messageLog;
    SetCurrentLog(&log);
    LongOperation operation("Reading", archivePath);
    collecting = &entries;
    const int result = CallUnzip(0, nullptr, command);
    collecting = nullptr;
    SetCurrentLog(previousLog);
    // A cancelled read tells nothing about the entries: no moved file goes.
    return result >= 0 && result <= UNZIP_WARNING ? 1 : 0;
}

int CZipHandler::Extract(const std::string& targetFolder, int overwrite, int junkPaths, int extractAll) {
    UnzipCommand command{};
    command.overwriteAll = overwrite ? 1 : 0;
    command.promptOverwrite = overwrite ? 0 : 1;
    command.binaryMode = 1;
    command.keepFolderNames = junkPaths ? 0 : 1;
    command.replaceReadOnly = overwrite ? 1 : 0;
    command.archivePath = archivePath.c_str();

    // Only the last level is made; an existing folder makes this fail harmlessly.
    CreateDirectoryA(targetFolder.c_str(), nullptr);
    if (!SetCurrentDirectoryA(targetFolder.c_str())) {
        ShowMessage("Cannot create the specified directory!", MB_ICONERROR);
        return 0;
    }

    LongOperation operation("Extracting", archivePath);
    int result;
    if (extractAll) {
        MakeLogCurrent();
        result = CallUnzip(0, nullptr, command);
    } else {
        try {
            NameList selected;
            if (view && !view->GetSelectedNames(selected)) return ReportOutOfMemory(OutOfMemory::Selection);
            if (selected.empty()) return 1;
            std::vector<char*> array;
            array.reserve(selected.size() + 1);
            for (std::string& name : selected) array.push_back(&name[0]);
            array.push_back(nullptr);
            MakeLogCurrent();
            result = CallUnzip(static_cast<int>(selected.size()), array.data(), command);
        } catch (const std::bad_alloc&) {
            return ReportOutOfMemory(OutOfMemory::Selection);
        }
    }
    if (result == UNZIP_CANCELLED) {
        // The library has removed the file it was writing; the ones before it are whole.
        AppendLogLine("Cancelled: " + std::to_string(operation.EntriesDone()) + " of " +
                      std::to_string(operation.EntriesTotal()) + " entries were extracted.");
        return 1;
    }
    // A warning is what the library returns for a file the user chose to keep, or for a
    // selected name it did not find; only an error means the extraction went wrong.
    if (result > UNZIP_WARNING || result < 0) {
        ShowMessage("Error unzipping!", MB_ICONERROR);
        return 0;
    }
    return 1;
}

int CZipHandler::ConfirmOverwrite(const std::string& fileName) {
    int answer = IDNO;
    // Asked by the library on the worker; the question is the window's.
    OnWindowThread([&] { answer = ShowMessage("Overwrite " + fileName + " ?", MB_YESNO | MB_ICONQUESTION); });
    return answer == IDYES ? UNZIP_REPLACE : UNZIP_KEEP;
}

int CZipHandler::CallZipUpFiles(const NameList& names, char levelDigit, bool dropFolderNames, bool deleteEntries) {
    if (!dllZipUpFiles) {
        AppendLogLine("Zip32.dll is not loaded.");
        return ZIP_ERROR;
    }
    NameList copies(names);   // the library takes char**, and must not write into the caller's
    std::vector<char*> array;
    array.reserve(copies.size() + 1);
    for (std::string& name : copies) array.push_back(&name[0]);
    array.push_back(nullptr);

    ZipRequest request{};
    request.print = &ZipLibraryCallbacks::ZipPrint;
    request.comment = &ZipLibraryCallbacks::ZipComment;
    request.outputStream = stdout;
    request.level[0] = levelDigit;
    request.dropFolderNames = dropFolderNames ? 1 : 0;
    request.deleteEntries = deleteEntries ? 1 : 0;
    request.nameCount = static_cast<int>(copies.size());
    request.archivePath = archivePath.c_str();
    request.names = array.data();

    MakeLogCurrent();
    int result = ZIP_ERROR;
    RunOffWindowThread([&] {
        ActiveHandlerScope scope(this);
        if (zipSetProgress) zipSetProgress(&LibraryProgress());
        result = dllZipUpFiles(&request);
        if (zipSetProgress) zipSetProgress(nullptr);
    });
    return result;
}

// How an add reports its outcome. The walk always visits every folder: a pattern that
// matches nothing in one of them ("nothing to do", result 12) is ordinary. AddFile fails
// (returns 0 after one message naming what the library said) when
//   - any library call returned an error other than "nothing to do", or
//   - a sub-folder had to be left out because its path is too long for Windows, or
//   - a plain file name (no '*' or '?') was stored nowhere, since nothing was added then.
// A pattern that matched nothing anywhere succeeds, with a line in the log. A sub-folder
// that cannot be entered (no access) or is a link to another folder is skipped with a line
// in the log; links are never followed, so the walk cannot come back to where it is.
int CZipHandler::AddFile(const std::string& name, int storePath, int recurse, int level) {
    const char levelDigit = static_cast<char>('0' + HeldToLevelRange(level));
    try {
        MakeLogCurrent();
        const std::size_t logStart = messageLog.size();
        AddRequest request{name, storePath != 0, recurse != 0, levelDigit};
        AddOutcome outcome;
        if (!AddInFolderTree(request, outcome)) return outcome.cancelled ? 1 : 0;
        if (!outcome.failed && outcome.stored) return 1;
        if (!outcome.failed && IsPattern(name)) {
            AppendLogLine("No file matches " + name + ".");
            return 1;
        }
        if (!outcome.failed && name.empty()) AppendLogLine("No file name was given.");
        else if (!outcome.failed) AppendLogLine("Nothing was stored for " + name + ".");
        ShowMessage("Cannot add " + name + " to the archive." + FailureDetails(messageLog, logStart), MB_ICONERROR);
        return 0;
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Operation);
    }
}

// One AddFile per name stores, for a plain name without recursion, what one library call for
// that name stores; a single call for all of them stores the same, provided that
//   - no name is a pattern, nor ends in a separator, ".", or ".." (nothing would be stored),
//   - no two names end in the same file name: one after the other, the second would replace
//     the first, while within one call the first wins,
//   - no name ends in the archive's own file name (the library passes over the archive).
// A name that is missing makes the library refuse the whole call, leaving the archive as it
// was: the caller then goes name by name and stops where AddFile would have.
int CZipHandler::AddAllAtOnce(const NameList& names, int storePath, int recurse, int level) {
    if (names.size() < 2 || recurse || !dllZipUpFiles) return 0;
    try {
        std::unordered_set<std::string> fileNames;
        fileNames.reserve(names.size());
        std::string archiveLongPath(MAX_PATH * 4, '\0');
        const DWORD length = GetLongPathNameA(archivePath.c_str(), &archiveLongPath[0],
                                              static_cast<DWORD>(archiveLongPath.size()));
        archiveLongPath.resize(length < archiveLongPath.size() ? length : 0);
        const std::string archiveNames[] = {UpperFileName(archivePath), UpperFileName(archiveLongPath)};
        for (const std::string& name : names) {
            const std::string fileName = UpperFileName(name);
            if (IsPattern(name) || fileName.empty() || fileName == "." || fileName == ".." ||
                fileName == archiveNames[0] || fileName == archiveNames[1] || !fileNames.insert(fileName).second)
                return 0;
        }
        const char levelDigit = static_cast<char>('0' + HeldToLevelRange(level));
        MakeLogCurrent();
        const std::size_t logStart = messageLog.size();
        const int result = CallZipUpFiles(names, levelDigit, !storePath, false);
        // Cancelled, the archive is as it was, and name by name must not start it again.
        if (result == ZIP_OK || result == ZIP_CANCELLED) return 1;
        messageLog.resize(logStart);   // name by name, the same lines come again where they belong
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;   // name by name needs far less at once
    }
}

bool CZipHandler::AddInFolderTree(const AddRequest& request, AddOutcome& outcome) {
    if (WorkCancelled()) {
        outcome.cancelled = true;
        return false;
    }
    const std::string here = CurrentFolder();
    if (here.empty()) {
        AppendLogLine("Cannot read the current folder.");
        outcome.failed = true;
        return true;
    }
    if (request.recurse) {
        WIN32_FIND_DATAA found;
        FindHandle search(FindFirstFileA(JoinPath(here, "*").c_str(), &found));
        if (search) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
                const std::string subName = found.cFileName;
                if (subName == "." || subName == "..") continue;
                const std::string subFolder = JoinPath(here, subName);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    AppendLogLine("Skipped " + subFolder + ": links to other folders are not followed.");
                    continue;
                }
                if (!FitsCurrentDirectory(subFolder)) {
                    AppendLogLine("Skipped " + subFolder + ": the path is longer than Windows allows.");
                    outcome.failed = true;
                    continue;
                }
                if (!SetCurrentDirectoryA(subFolder.c_str())) {
                    AppendLogLine("Skipped " + subFolder + ": the folder cannot be opened.");
                    continue;
                }
                const bool goOn = AddInFolderTree(request, outcome);
                if (!SetCurrentDirectoryA(here.c_str())) {
                    // Going on would add in the wrong folder.
                    AppendLogLine("Cannot return to " + here + "; the add stopped there.");
                    outcome.failed = true;
                    return goOn;
                }
                if (!goOn) return false;
            } while (FindNextFileA(search.get(), &found));
        }
    }

    std::string nameToSend = request.name;
    // A bare pattern carries the folder it is matched in, so that the entries keep their path.
    if (request.storePath && IsPattern(nameToSend) && !HasSeparator(nameToSend)) nameToSend = JoinPath(here, nameToSend);

    int result;
    try {
        result = CallZipUpFiles(NameList{nameToSend}, request.levelDigit, !request.storePath, false);
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Operation) != 0;
    }
    if (result == ZIP_CANCELLED) {
        outcome.cancelled = true;
        return false;
    }
    if (result == ZIP_OK) {
        outcome.stored = true;
    } else if (result != ZIP_NOTHING_TO_DO) {
        AppendLogLine("Adding " + nameToSend + " in " + here + " failed (Zip32.dll result " +
                      std::to_string(result) + ").");
        outcome.failed = true;
    }
    return true;
}

int CZipHandler::DeleteEntries(const NameList& names) {
    if (names.empty()) return 1;
    try {
        MakeLogCurrent();
        const std::size_t logStart = messageLog.size();
        const int result = CallZipUpFiles(names, '9', false, true);
        // "Nothing to do": none of the names is in the archive, which is then as asked.
        // Cancelled, the library has left the archive as it was.
        if (result == ZIP_OK || result == ZIP_NOTHING_TO_DO || result == ZIP_CANCELLED) return 1;
        ShowMessage("Cannot delete the entries from the archive." + FailureDetails(messageLog, logStart),
                    MB_ICONERROR);
        return 0;
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Operation);
    }
}

bool CZipHandler::ExtractedRelativePath(const std::string& entryName, std::string& relative) {
    if (!extractedPath) return false;
    relative = ReadSystemText([&](unsigned long size, char* path) {
        return static_cast<unsigned long>(std::max(0, extractedPath(entryName.c_str(), path, static_cast<int>(size))));
    });
    return !relative.empty();
}
