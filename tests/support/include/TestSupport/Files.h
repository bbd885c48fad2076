#pragma once
// Files and folders for the tests: scratch folders removed afterwards, the current directory
// kept, whole files read and written. Files.cpp serves the Windows test programs, and
// FilesPortable.cpp the natively built library tests.

#include <string>
#include <vector>

// A fresh folder under the temporary folder, removed with everything in it at the end. Made
// current on request (the DLLs resolve relative names against the current directory), and
// then the previous current directory is restored before the folder is removed.
class ScratchFolder {
public:
    enum Placement { LeaveCurrentDirectory, MakeCurrent };

    explicit ScratchFolder(const std::string& prefix = "brindle", Placement placement = LeaveCurrentDirectory);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string operator/(const std::string& relative) const { return path + kSeparator + relative; }

private:
#ifdef _WIN32
    static constexpr char kSeparator = '\\';
#else
    static constexpr char kSeparator = '/';
#endif
    std::string path;
    std::string previousCurrent;   // empty unless made current
};

// Puts the current directory back as it was, whatever the test did to it.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper();
    ~CurrentDirectoryKeeper();
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    std::string saved;
};

std::string CurrentDirectory();
// The folder of the running test program, where the DLLs and programs are built.
std::string TestProgramFolder();

// Makes missing parent folders; throws when the file cannot be written, so that a test never
// goes on without its input.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Empty when the file cannot be read.
std::string ReadFileBytes(const std::string& path);

bool PathExists(const std::string& path);     // a file or a folder
bool FileExists(const std::string& path);     // a file, not a folder
bool FolderExists(const std::string& path);
// Makes one folder; one that is already there is fine, any other failure throws.
void MakeFolder(const std::string& path);
// Makes a folder and any missing parents ('\\' or '/' between them).
void MakeFolders(const std::string& path);
// Removes a folder and everything in it, read-only files too; links to folders are removed,
// not followed.
void RemoveFolderTree(const std::string& folder);
// The full paths of the folders directly inside folder, sorted.
std::vector<std::string> SubFolders(const std::string& folder);
