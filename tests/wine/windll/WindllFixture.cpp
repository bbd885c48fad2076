#include "WindllFixture.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace windll_test {

void Recorder::Reset() {
    printed.clear();
    printCalls = 0;
    entries.clear();
    replaceQuestions.clear();
    callingThread = GetCurrentThreadId();
    foreignThreadCalls = 0;
}

Recorder& Recorded() {
    static Recorder recorder;
    return recorder;
}

namespace {

void NoteThread() {
    if (GetCurrentThreadId() != Recorded().callingThread) ++Recorded().foreignThreadCalls;
}

int WINAPI RecordUnzipPrint(const char* text, unsigned long length) {
    NoteThread();
    Recorded().printed.append(text, length);
    ++Recorded().printCalls;
    return static_cast<int>(length);
}

void WINAPI IgnoreSound() {}

int WINAPI RecordReplace(const char* fileName) {
    NoteThread();
    Recorder& recorder = Recorded();
    recorder.replaceQuestions.emplace_back(fileName);
    const std::string name = fileName;
    for (const auto& [suffix, answer] : recorder.replaceAnswers)
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            return answer;
    return recorder.defaultAnswer;
}

int WINAPI NoPassword(char*, int, const char*, const char*) { return 1; }

void WINAPI RecordEntry(unsigned long uncompressedSize, unsigned long compressedSize, unsigned short factor,
                        unsigned short month, unsigned short day, unsigned short year, unsigned short hour,
                        unsigned short minute, char flag, const char* name, const char* method, unsigned long crc,
                        char encrypted) {
    NoteThread();
    ListedEntry entry;
    entry.uncompressedSize = uncompressedSize;
    entry.compressedSize = compressedSize;
    entry.factor = factor;
    entry.month = month;
    entry.day = day;
    entry.year = year;
    entry.hour = hour;
    entry.minute = minute;
    entry.flag = flag;
    entry.name = name;
    entry.method = method;
    entry.crc = crc;
    entry.encrypted = encrypted;
    Recorded().entries.push_back(entry);
}

int WINAPI RecordZipPrint(void*, unsigned long length, const char* text) {
    NoteThread();
    Recorded().printed.append(text, length);
    ++Recorded().printCalls;
    return static_cast<int>(length);
}

char* WINAPI IgnoreComment(char* comment) { return comment; }

HMODULE LoadBesideProgram(const char* dll) {
    HMODULE module = LoadLibraryA((TestProgramFolder() + "\\" + dll).c_str());
    if (!module) ADD_FAILURE() << "cannot load " << dll << " from " << TestProgramFolder();
    return module;
}

}  // namespace

UnzipCallbacks MakeCallbacks() {
    UnzipCallbacks callbacks{};
    callbacks.print = RecordUnzipPrint;
    callbacks.sound = IgnoreSound;
    callbacks.replace = RecordReplace;
    callbacks.password = NoPassword;
    callbacks.entry = RecordEntry;
    // Stale totals must be overwritten by every listing.
    callbacks.totalCompressed = callbacks.totalUncompressed = 0xDEAD;
    callbacks.compressionFactor = callbacks.entryCount = 0xDEAD;
    return callbacks;
}

UnzipCommand ListingCommand(const std::string& archive) {
    static std::string path;   // the record holds a pointer; keep the text alive past the return
    path = archive;
    UnzipCommand command{};
    command.listOnly = 1;
    command.binaryMode = 1;
    command.reportEntries = 1;
    command.archivePath = path.c_str();
    return command;
}

UnzipCommand ExtractCommand(const std::string& archive, bool overwrite, bool keepFolderNames) {
    static std::string path;
    path = archive;
    UnzipCommand command{};
    command.overwriteAll = overwrite ? 1 : 0;
    command.promptOverwrite = overwrite ? 0 : 1;
    command.binaryMode = 1;
    command.keepFolderNames = keepFolderNames ? 1 : 0;
    command.replaceReadOnly = overwrite ? 1 : 0;
    command.archivePath = path.c_str();
    return command;
}

WindllUnzipFunction Unzip() {
    static HMODULE module = LoadBesideProgram("UnZip32.dll");
    return module ? reinterpret_cast<WindllUnzipFunction>(reinterpret_cast<void*>(GetProcAddress(module, "windll_unzip"))) : nullptr;
}

DllZipUpFilesFunction ZipUp() {
    static HMODULE module = LoadBesideProgram("Zip32.dll");
    return module ? reinterpret_cast<DllZipUpFilesFunction>(reinterpret_cast<void*>(GetProcAddress(module, "DllZipUpFiles"))) : nullptr;
}

UnzipOutcome CallUnzip(UnzipCommand command, const std::vector<std::string>& names) {
    UnzipOutcome outcome;
    outcome.callbacks = MakeCallbacks();
    Recorded().Reset();
    WindllUnzipFunction unzip = Unzip();
    if (!unzip) {
        ADD_FAILURE() << "windll_unzip is not exported";
        return outcome;
    }
    std::vector<char*> array;
    for (const std::string& name : names) array.push_back(const_cast<char*>(name.c_str()));
    array.push_back(nullptr);
    outcome.result = unzip(static_cast<int>(names.size()), names.empty() ? nullptr : array.data(), &command,
                           &outcome.callbacks);
    return outcome;
}

ZipPrintCallback RecordingZipPrint() { return RecordZipPrint; }

ZipRequest DefaultZipRequest() {
    ZipRequest request{};
    request.print = RecordZipPrint;
    request.comment = IgnoreComment;
    request.outputStream = stdout;
    request.level[0] = '9';
    return request;
}

ZipCall Deleting(const std::string& archive, std::vector<std::string> names) {
    ZipCall call{archive, std::move(names)};
    call.deleteEntries = true;
    return call;
}

int CallZip(const ZipCall& call) {
    Recorded().Reset();
    DllZipUpFilesFunction zipUp = ZipUp();
    if (!zipUp) {
        ADD_FAILURE() << "DllZipUpFiles is not exported";
        return -1;
    }
    ZipRequest request = DefaultZipRequest();
    request.level[0] = call.level;
    request.dropFolderNames = call.dropFolderNames ? 1 : 0;
    request.deleteEntries = call.deleteEntries ? 1 : 0;
    request.quiet = call.quiet ? 1 : 0;
    std::vector<char*> array;
    for (const std::string& name : call.names) array.push_back(const_cast<char*>(name.c_str()));
    array.push_back(nullptr);
    request.nameCount = static_cast<int>(call.names.size());
    request.archivePath = call.archive.c_str();
    request.names = array.data();
    return zipUp(&request);
}

namespace {

void CollectTree(const std::string& root, const std::string& relative, std::vector<std::string>& names) {
    WIN32_FIND_DATAA found;
    const std::string here = relative.empty() ? root : root + "\\" + relative;
    HANDLE search = FindFirstFileA((here + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = relative.empty() ? name : relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            names.push_back(child + "\\");
            CollectTree(root, child, names);
        } else {
            names.push_back(child);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::string DataFile(const std::string& name) { return TestProgramFolder() + "\\windll-data\\" + name; }

std::vector<std::string> FolderTree(const std::string& folder) {
    std::vector<std::string> names;
    CollectTree(folder, "", names);
    std::sort(names.begin(), names.end());
    return names;
}

std::string HelloText() {
    std::string text;
    for (int i = 1; i <= 40; ++i) text += "line " + std::to_string(i) + " of the hello file\n";
    return text;
}

}  // namespace windll_test
