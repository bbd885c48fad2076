#pragma once
// Shared scaffolding of the DLL tests: the DLLs bound the way the engine binds them, callbacks
// that record what the DLLs report, and fixture files. Scratch folders (made current for each
// test) and whole-file helpers come from TestSupport.

#include "zipdll/ZipDllInterface.h"

#include <gtest/gtest.h>

#include "TestSupport/Files.h"
#include "TestSupport/ZipEntries.h"

#include <string>
#include <vector>

namespace windll_test {

struct ListedEntry {
    unsigned long uncompressedSize = 0;
    unsigned long compressedSize = 0;
    unsigned short factor = 0;
    unsigned short month = 0, day = 0, year = 0, hour = 0, minute = 0;
    char flag = 0;
    std::string name;
    std::string method;
    unsigned long crc = 0;
    char encrypted = 0;
};

// What the callbacks saw during the last call. The callbacks get no context pointer, so this
// is process-wide; Reset() runs before every DLL call the helpers make.
struct Recorder {
    std::string printed;                  // everything both print callbacks received
    int printCalls = 0;
    std::vector<ListedEntry> entries;
    std::vector<std::string> replaceQuestions;
    // Answer of the replace callback, chosen per file name; anything not listed gets defaultAnswer.
    std::vector<std::pair<std::string, int>> replaceAnswers;
    int defaultAnswer = UNZIP_KEEP;
    // The engine's callbacks touch its window and log, so they must run on the calling thread.
    unsigned long callingThread = 0;
    int foreignThreadCalls = 0;
    void Reset();
};
Recorder& Recorded();

UnzipCallbacks MakeCallbacks();
UnzipCommand ListingCommand(const std::string& archive);
// The record the engine fills for extraction: overwrite, or ask when overwrite is 0.
UnzipCommand ExtractCommand(const std::string& archive, bool overwrite, bool keepFolderNames);

WindllUnzipFunction Unzip();
// Another export of UnZip32.dll by its bare name, as the declared function type; null when missing.
template <typename Function>
Function UnzipExport(const char* name) {
    if (!Unzip()) return nullptr;   // loads the DLL
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("UnZip32.dll"), name)));
}
DllZipUpFilesFunction ZipUp();

struct UnzipOutcome {
    int result = -1;
    UnzipCallbacks callbacks{};
};
// Calls windll_unzip after clearing the recorder; names empty means every entry.
UnzipOutcome CallUnzip(UnzipCommand command, const std::vector<std::string>& names = {});

// A request as the engine fills it: the level digit at byte 0, everything else 0.
struct ZipCall {
    std::string archive;
    std::vector<std::string> names;
    char level = '9';
    bool dropFolderNames = false;
    bool deleteEntries = false;
    bool quiet = false;
};
int CallZip(const ZipCall& call);
// The request that deletes these entries from the archive.
ZipCall Deleting(const std::string& archive, std::vector<std::string> names);
// For tests that set words themselves; print callback and names filled by the caller.
ZipRequest DefaultZipRequest();
ZipPrintCallback RecordingZipPrint();

std::string DataFile(const std::string& name);   // a committed fixture archive
// Names in a folder, recursively, relative to it, '\' separated, sorted; folders end in '\'.
std::vector<std::string> FolderTree(const std::string& folder);
std::string HelloText();   // the 1031-byte hello.txt inside the Info-ZIP fixtures


}  // namespace windll_test
