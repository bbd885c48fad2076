#pragma once
// Doubles and scratch-folder helpers shared by the engine tests.

#include <windows.h>

#include <string>
#include <vector>

#include "ArchiveView.h"
#include "UserMessages.h"

// Records what a handler writes into its view; hands out a preset selection.
class RecordingView : public IArchiveView {
public:
    void ClearEntries() override;
    void AddEntry(const EntryRow& row) override;
    int GetSelectedNames(NameList& names) override;
    int GetAllNames(NameList& names) override;
    void SetStatusText(const std::string& text) override;

    std::vector<EntryRow> rows;
    NameList selection;
    bool failSelection = false;     // behave as if the name array could not be allocated
    int clearCount = 0;
    bool statusSet = false;
    std::string statusText;
};

struct RecordedMessage {
    std::string text;
    std::string caption;
    unsigned int style;
};

// Records every message and answers questions from a script (IDYES when it runs out).
// Installs itself for the length of its life.
class RecordingPresenter : public IMessagePresenter {
public:
    RecordingPresenter();
    ~RecordingPresenter();
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    int Show(const std::string& text, const std::string& caption, unsigned int style) override;
    void QuitRequested() override;

    std::vector<RecordedMessage> messages;
    std::vector<int> answers;
    int quitRequests = 0;
};

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string operator/(const std::string& relative) const { return path + "\\" + relative; }

private:
    std::string path;
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
void MakeFolder(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// Text that deflates well, and bytes that do not deflate at all.
std::string CompressibleText(std::size_t size);
std::string IncompressibleBytes(std::size_t size);
// Sets a file's modification time to a local date and time.
void SetLocalFileTime(const std::string& path, int year, int month, int day, int hour, int minute);

// The folder of the running test program, where the DLLs and Zipper.exe are built.
std::string TestProgramFolder();

// Entry names of an archive as the zip library's own reader sees them; empty when unreadable.
std::vector<std::string> EntryNames(const std::string& archive);
bool EndsWith(const std::string& text, const std::string& tail);

// Runs a command line and waits; returns the exit code, or -1 when it could not start.
int RunAndWait(const std::string& commandLine, const std::string& folder = std::string());
