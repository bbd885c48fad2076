#pragma once
// The archive handler: one polymorphic object per archive kind. The base class keeps the
// archive path, the view the entries go to and the message log, and implements the
// user-level commands once for every kind; the zip and arj handlers fill in the rest.

#include <string>
#include <vector>

#include "ArchiveView.h"

// One entry as the archive on disk holds it: what a moved file is checked against before it
// is removed.
struct StoredEntry {
    std::string name;
    unsigned long long size = 0;
    unsigned long crc = 0;
};

class CArchiveHandler {
public:
    explicit CArchiveHandler(IArchiveView* view);
    CArchiveHandler(const CArchiveHandler&) = delete;
    CArchiveHandler& operator=(const CArchiveHandler&) = delete;

    // Virtual operations, in their slot order. Non-zero is success; an operation that fails
    // has shown its own message. A cancelled dialog counts as success.
    virtual int ExtractCommand();
    virtual int Extract(const std::string& targetFolder, int overwrite, int junkPaths, int extractAll) = 0;
    virtual int AddFile(const std::string& name, int storePath, int recurse, int level) = 0;
    virtual int DeleteCommand();
    virtual int DeleteEntries(const NameList& names) = 0;
    virtual int MakeExeCommand();
    virtual int MakeExe(const std::string& targetPath);
    virtual int MakeWin95ExeCommand();
    virtual int MakeWin95Exe(const std::string& targetPath);
    // Runs commandLine with its output redirected into a list file and returns the text.
    virtual int RunCaptured(const std::string& commandLine, std::string& output);
    virtual int IsArchiveEmpty();
    virtual int Init();
    virtual int Open(const std::string& archivePath);
    virtual int Close();
    // The base part every concrete Refresh runs first: empties the log, clears the view,
    // and returns 1 when there is an archive to list, 0 when it is missing or empty.
    virtual int Refresh();
    virtual int AddFiles(NameList names);
    virtual int AddCommand();
    virtual int ViewCommand();
    virtual std::string& GetErrorLog();
    virtual ~CArchiveHandler();
    // Not one of the operations above: stores several names in one step where an archiver can
    // do so with exactly the outcome of one AddFile per name, which for thousands of files
    // saves rewriting the archive thousands of times. Returns 1 when every name was stored;
    // 0 when it does not apply or nothing was changed, and the caller goes name by name.
    virtual int AddAllAtOnce(const NameList& names, int storePath, int recurse, int level);
    // Where Extract, keeping folder names, writes the file of an entry: its path below the
    // target folder, '\' separated. False when it writes no file of that name or the place
    // cannot be told; View opens only files named here. This base version, for an outside
    // archiver, takes a plain relative name as it is and answers false for any other (a drive,
    // a leading separator, "." or ".."), whose place only the archiver knows.
    virtual bool ExtractedRelativePath(const std::string& entryName, std::string& relative);
    // Not one of the operations above either: every entry's name, size and CRC, read from the
    // archive as it is on disk now. 0 when it cannot be read (or the kind cannot tell), and
    // Move Files then removes no source.
    virtual int ReadStoredEntries(std::vector<StoredEntry>& entries);

    const std::string& GetArchivePath() const { return archivePath; }
    int IsOpened() const { return opened; }

protected:
    // Library print callbacks append to the current log; an operation that calls a library
    // makes its own handler's log current first.
    void MakeLogCurrent() { SetCurrentLog(&messageLog); }
    static void SetCurrentLog(std::string* log);

    IArchiveView* view;          // not owned; null in Zipper
    std::string archivePath;     // short, upper-cased form as the document passes it
    int opened = 0;
    std::string messageLog;

    friend void AppendToCurrentLog(const char* text, std::size_t length);
};

// The add level of AddFile held to 0 .. 9, the range every archiver here takes: a level from
// outside that range becomes its nearest end rather than a digit the archiver does not know.
inline int HeldToLevelRange(int level) { return level < 0 ? 0 : level > 9 ? 9 : level; }

// Appends library output to the message log of the handler whose operation is running.
void AppendToCurrentLog(const char* text, std::size_t length);
