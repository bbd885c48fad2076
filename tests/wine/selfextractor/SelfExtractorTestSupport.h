#pragma once
// Helpers of the self-extractor tests: a sample tree and its archive, and a program folder
// of the test's own in which a recording stand-in takes the interpreter's place.

#include <string>
#include <vector>

#include "TestSupport/Files.h"
#include "ArjTestSupport.h"
#include "TestSupport/Programs.h"

// A tree with nested folders, an empty file, a name with a blank and some data; the files'
// relative paths ('\' separated).
std::vector<std::string> MakeSampleTree(const std::string& folder);
// A zip of those files, made with the zip library.
void MakeArchive(const std::string& archive, const std::string& tree, const std::vector<std::string>& files);
// Every file of the list byte for byte the same under both folders; the first difference.
std::string FirstDifference(const std::string& expected, const std::string& actual,
                            const std::vector<std::string>& files);

// A program folder holding the stubs, ZIP386.EXE and UnZip32.dll copied from the build, and an interpreter
// in the system folder that records each run (see RecordingShell.cpp) and by default passes
// it to the real one.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& Path() const { return folder.Path(); }
    std::string operator/(const std::string& name) const { return folder / name; }
    // The interpreter runs recorded so far, each as its command line, folder and show state.
    struct Run {
        std::string line, folder;
        int show;
    };
    std::vector<Run> Runs() const;
    // From now on the stand-in runs nothing.
    void MakeShellIdle();

private:
    ScratchFolder folder{"sfxprog"};
    SystemFolderCopy shell{TestProgramFolder() + "\\sfx_recording_shell.exe"};
    EnvironmentSetting comSpec{"ComSpec", shell.Path()};
};
