#pragma once
// Programs a Windows test starts and waits for: its own helper programs, and Unix programs
// under Wine (Debian's arj in place of ARJ.EXE, Info-ZIP's unzip judging an archive).

#include <string>
#include <vector>

// Runs a Windows command line in folder (empty: the current one) and waits; returns the
// exit code, or -1 when it could not start.
int RunAndWait(const std::string& commandLine, const std::string& folder = std::string());

// The Unix path Wine maps an absolute Windows path to, found through its long form (a file
// not made yet takes its folder's). The path itself when Wine offers no such mapping.
std::string UnixPath(const std::string& windowsPath);

struct UnixRun {
    bool started = false;   // false where Wine cannot start Unix programs
    int exitCode = -1;
    std::string output;     // standard output and error, when captured
};

// Runs arguments[0] (a Unix program) with the rest as its arguments and waits until it has
// ended. Without captureOutput the program writes to this program's own standard handles.
UnixRun RunUnixProgram(const std::vector<std::string>& arguments, bool captureOutput);

// An archive as Info-ZIP's unzip, run outside Wine, sees it: the names unzip -Z1 lists
// (sorted), and whether unzip -t finds every entry intact.
struct InfoZipVerdict {
    bool ran = false;             // both runs started and the listing succeeded
    std::vector<std::string> names;
    bool intact = false;          // unzip -t ended without error and said so
    std::string output;           // both runs' output, for the failure message
};
InfoZipVerdict JudgeWithInfoZip(const std::string& windowsArchivePath);

// A copy of program (any file) in the system folder under a name of this process's own,
// removed at the end: the only place a stand-in for the interpreter (named by ComSpec) or
// for a viewer named without a folder is looked for. Throws when it cannot be made.
class SystemFolderCopy {
public:
    explicit SystemFolderCopy(const std::string& program);
    ~SystemFolderCopy();
    SystemFolderCopy(const SystemFolderCopy&) = delete;
    SystemFolderCopy& operator=(const SystemFolderCopy&) = delete;

    const std::string& Path() const { return path; }
    std::string FileName() const { return path.substr(path.find_last_of('\\') + 1); }

private:
    std::string path;
};
