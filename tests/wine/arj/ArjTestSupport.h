#pragma once
// Doubles and scratch helpers for the tests of the arj handler, the command runner and the
// settings store.

#include <windows.h>

#include <string>
#include <vector>

#include "ArchiveView.h"
#include "UserMessages.h"

// Records the rows a handler writes and hands out a preset selection.
class RecordingView : public IArchiveView {
public:
    void ClearEntries() override;
    void AddEntry(const EntryRow& row) override;
    int GetSelectedNames(NameList& names) override;
    int GetAllNames(NameList& names) override;
    void SetStatusText(const std::string& text) override;

    std::vector<EntryRow> rows;
    NameList selection;
    NameList all;
    bool failNames = false;   // behave as if the name array could not be allocated
    int clearCount = 0;
    int statusCount = 0;
};

struct RecordedMessage {
    std::string text;
    unsigned int style;
};

// Records every message instead of showing it; installed for the length of its life.
class RecordingPresenter : public IMessagePresenter {
public:
    RecordingPresenter();
    ~RecordingPresenter();
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    int Show(const std::string& text, const std::string& caption, unsigned int style) override;
    void QuitRequested() override;

    std::vector<RecordedMessage> messages;
    int quitRequests = 0;
};

// Points the settings store at a company key of its own and deletes that key at the end,
// so no test reads or leaves a real user's settings.
class ScratchSettings {
public:
    ScratchSettings();
    ~ScratchSettings();
    ScratchSettings(const ScratchSettings&) = delete;
    ScratchSettings& operator=(const ScratchSettings&) = delete;

    const std::string& Company() const { return company; }
    std::string SectionPath(const std::string& section) const;

private:
    std::string company;
};

// A fresh folder under the temporary folder, removed with its contents at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix = "arj");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string operator/(const std::string& relative) const { return path + "\\" + relative; }

private:
    std::string path;
};

// Puts back the current directory and an environment variable as they were.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper();
    ~CurrentDirectoryKeeper();
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    std::string saved;
};

class EnvironmentSetting {
public:
    EnvironmentSetting(const std::string& name, const std::string& value);
    ~EnvironmentSetting();
    EnvironmentSetting(const EnvironmentSetting&) = delete;
    EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;

private:
    std::string name;
    std::string previous;
    bool hadPrevious;
};

std::string CurrentDirectory();
std::string TestProgramFolder();
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
std::string ShortUpperPath(const std::string& path);

// One run of the ARJ.EXE double as its log recorded it.
struct FakeArjCall {
    std::string commandLine;
    std::vector<std::string> arguments;   // without the program name
};
std::vector<FakeArjCall> ReadFakeArjLog(const std::string& logPath);
