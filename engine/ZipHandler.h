#pragma once
// The handler for zip archives (and self-extracting zip archives named .EXE), working
// through UnZip32.dll and Zip32.dll loaded from the program's folder.

#include <string>
#include <vector>

#include "ArchiveHandler.h"
#include "Handles.h"
#include "zipdll/ZipDllInterface.h"

class CZipHandler : public CArchiveHandler {
public:
    explicit CZipHandler(IArchiveView* view);
    ~CZipHandler() override;

    int Init() override;
    int Refresh() override;
    int Extract(const std::string& targetFolder, int overwrite, int junkPaths, int extractAll) override;
    // Adds a file or a wildcard pattern, relative to the current directory, walking every
    // sub-folder first when recurse is 1. Returns 0 (after a message) when a file the caller
    // named was not stored; a pattern that matches nothing anywhere is not a failure.
    int AddFile(const std::string& name, int storePath, int recurse, int level) override;
    // One library call for a run of plain names, taken only where it stores what one AddFile
    // per name would (see there); otherwise 0, with the archive and the log as they were.
    int AddAllAtOnce(const NameList& names, int storePath, int recurse, int level) override;
    // Every entry through the library's listing, with the CRC its records carry.
    int ReadStoredEntries(std::vector<StoredEntry>& entries) override;
    // Returns 0 (after a message) when the library could not rewrite the archive.
    int DeleteEntries(const NameList& names) override;
    // Build the self-extractor beside the archive from UNZIPSFX.EXE (a console program) or
    // KESTREL.EXE (a dialog) in the program's folder; see BuildSelfExtractor.
    int MakeExe(const std::string& targetPath) override;
    int MakeWin95Exe(const std::string& targetPath) override;

    // As UnZip32.dll, which does the extracting, names the place.
    bool ExtractedRelativePath(const std::string& entryName, std::string& relative) override;

    // Asks "Overwrite <name> ?"; UNZIP_REPLACE for Yes, UNZIP_KEEP for No.
    int ConfirmOverwrite(const std::string& fileName);

private:
    struct AddRequest;
    struct AddOutcome;
    // false only when memory ran out (the message is shown and the quit requested).
    bool AddInFolderTree(const AddRequest& request, AddOutcome& outcome);
    // One DllZipUpFiles call over names; throws std::bad_alloc when the array cannot be had.
    int CallZipUpFiles(const NameList& names, char levelDigit, bool dropFolderNames, bool deleteEntries);
    // One windll_unzip call off the window's thread, reporting progress where the library can.
    int CallUnzip(int nameCount, char** names, UnzipCommand& command);
    // Rows of a listing go to the view in batches, on the window's thread.
    void AddEntryToView(EntryRow&& row);
    void SendPendingRows();

    WindllUnzipFunction windllUnzip = nullptr;
    // Optional: a library without it gives the 32-bit sizes of the records.
    WindllUnzipSizes64Function unzipSizes64 = nullptr;
    // Optional: without it, View opens nothing it extracted.
    WindllUnzipExtractedPathFunction extractedPath = nullptr;
    DllZipUpFilesFunction dllZipUpFiles = nullptr;
    // Optional: without them, long work shows no progress and cannot be cancelled.
    WindllUnzipSetProgressFunction unzipSetProgress = nullptr;
    WindllZipSetProgressFunction zipSetProgress = nullptr;
    std::vector<EntryRow> pendingRows;
    DWORD rowsSentAt = 0;
    // What a listing has shown so far, for the totals line of a cancelled one.
    unsigned long rowsListed = 0;
    unsigned long long listedUncompressed = 0;
    unsigned long long listedCompressed = 0;
    UnzipCallbacks callbacks{};
    std::vector<StoredEntry>* collecting = nullptr;   // set while ReadStoredEntries lists
    ModuleHandle unzipLibrary;
    ModuleHandle zipLibrary;

    friend struct ZipLibraryCallbacks;
};
