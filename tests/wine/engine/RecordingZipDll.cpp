// A stand-in for both zip DLLs that writes every record it receives into "calls.txt" beside
// itself, so the tests can see exactly what the handler sends. Its listing reports two
// fixed entries (three when "huge-entry.txt" is there, the third past 4 GiB) and ends with the
// result named in "unzip-result.txt" (0 when absent).

#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "zipdll/ZipDllInterface.h"

namespace {

HMODULE self = nullptr;

std::string Beside(const char* name) {
    char buffer[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(self, buffer, sizeof buffer);
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

void Record(const std::string& line) {
    std::ofstream out(Beside("calls.txt"), std::ios::binary | std::ios::app);
    out << line << "\n";
}

std::string Names(int count, char** names) {
    std::string joined;
    for (int i = 0; names && i < count && names[i]; ++i) joined += std::string(i ? "|" : "") + names[i];
    return joined;
}

int ScriptedUnzipResult() {
    std::ifstream in(Beside("unzip-result.txt"));
    int result = 0;
    in >> result;
    return result;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) int WINAPI windll_unzip(int count, char** names, UnzipCommand* command,
                                                         UnzipCallbacks* callbacks) {
    std::ostringstream line;
    const int* words = &command->onlyNewer;
    line << "unzip words";
    for (int i = 0; i < 16; ++i) line << (i ? "," : " ") << words[i];
    line << " path=" << command->archivePath << " count=" << count << " names=" << Names(count, names);
    Record(line.str());
    if (command->listOnly) {
        callbacks->entry(2000, 1000, 50, 3, 4, 99, 10, 5, ' ', "first.txt", "Defl:N", 0, 0);
        callbacks->entry(100, 120, 20, 12, 31, 5, 23, 59, ' ', "dir/second.bin", "Defl:N", 0, 0);
        const bool huge = GetFileAttributesA(Beside("huge-entry.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
        if (huge) callbacks->entry(0xFFFFFFFF, 0xFFFFFFFF, 50, 3, 4, 99, 10, 5, ' ', "huge.bin", "Defl:N", 0, 0);
        callbacks->print("listed\n", 7);
        callbacks->totalUncompressed = huge ? 0xFFFFFFFF : 2100;
        callbacks->totalCompressed = huge ? 0xFFFFFFFF : 1120;
        callbacks->entryCount = huge ? 3 : 2;
    }
    return ScriptedUnzipResult();
}

// Each call is written down; the sizes given are those of the huge entry and of all three.
extern "C" __declspec(dllexport) int WINAPI windll_unzip_sizes64(UnzipSizes64* entry, UnzipSizes64* totals) {
    Record(std::string("sizes64") + (entry ? " entry" : "") + (totals ? " totals" : ""));
    if (entry) *entry = UnzipSizes64{5000000000ull, 2500000000ull};
    if (totals) *totals = UnzipSizes64{5000002100ull, 2500001120ull};
    return 1;
}

extern "C" __declspec(dllexport) int WINAPI DllZipUpFiles(ZipRequest* request) {
    std::ostringstream line;
    char current[MAX_PATH + 1];
    GetCurrentDirectoryA(sizeof current, current);
    line << "zip level=" << request->level[0] << " drop=" << request->dropFolderNames
         << " delete=" << request->deleteEntries << " path=" << request->archivePath
         << " names=" << Names(request->nameCount, request->names) << " cwd=" << current;
    // Any other word the handler set would show here.
    const int others[] = {request->encrypt,      request->systemFiles,   request->volumeLabel,
                          request->extraAttributes, request->noDirEntries, request->excludeBeforeDate,
                          request->includeAfterDate, request->verbose,   request->quiet,
                          request->convertCrLf,  request->convertLf,     request->compress8bit,
                          request->junkSfxPrefix, request->recurse,      request->grow,
                          request->forceDos,     request->moveFiles,     request->update,
                          request->freshen,      request->junkComment,   request->offsetsToZero,
                          request->privileges,   request->reserved28};
    for (int value : others)
        if (value) line << " other=" << value;
    if (request->level[1] || request->level[2] || request->level[3]) line << " level-tail";
    Record(line.str());
    return ZIP_OK;
}
