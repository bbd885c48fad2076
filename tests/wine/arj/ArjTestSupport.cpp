#include "ArjTestSupport.h"

#include <fstream>
#include <sstream>

#include "PathHelpers.h"
#include "Settings.h"

void RecordingView::ClearEntries() {
    ++clearCount;
    rows.clear();
}
void RecordingView::AddEntry(const EntryRow& row) { rows.push_back(row); }
int RecordingView::GetSelectedNames(NameList& names) {
    if (failNames) return 0;
    names = selection;
    return 1;
}
int RecordingView::GetAllNames(NameList& names) {
    if (failNames) return 0;
    names = all;
    return 1;
}
void RecordingView::SetStatusText(const std::string&) { ++statusCount; }

RecordingPresenter::RecordingPresenter() { SetMessagePresenter(this); }
RecordingPresenter::~RecordingPresenter() { SetMessagePresenter(nullptr); }
int RecordingPresenter::Show(const std::string& text, const std::string&, unsigned int style) {
    messages.push_back({text, style});
    return IDOK;
}
void RecordingPresenter::QuitRequested() { ++quitRequests; }

namespace {
int scratchCounter = 0;
}

ScratchSettings::ScratchSettings()
    : company("BrindleTest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++scratchCounter)) {
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + company).c_str());
    SetSettingsCompany(company);
}
ScratchSettings::~ScratchSettings() {
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + company).c_str());
    SetSettingsCompany("Quillmark");
}
std::string ScratchSettings::SectionPath(const std::string& section) const {
    return "Software\\" + company + "\\Brindle\\" + section;
}

ScratchFolder::ScratchFolder(const std::string& prefix) {
    char temp[MAX_PATH + 1];
    GetTempPathA(sizeof temp, temp);
    path = std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(++scratchCounter);
    CreateDirectoryA(path.c_str(), nullptr);
}

namespace {
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}
}  // namespace

ScratchFolder::~ScratchFolder() { RemoveTree(path); }

CurrentDirectoryKeeper::CurrentDirectoryKeeper() : saved(CurrentDirectory()) {}
CurrentDirectoryKeeper::~CurrentDirectoryKeeper() { SetCurrentDirectoryA(saved.c_str()); }

EnvironmentSetting::EnvironmentSetting(const std::string& name, const std::string& value) : name(name) {
    char buffer[32768];
    DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    hadPrevious = length > 0 && length < sizeof buffer;
    if (hadPrevious) previous.assign(buffer, length);
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}
EnvironmentSetting::~EnvironmentSetting() {
    SetEnvironmentVariableA(name.c_str(), hadPrevious ? previous.c_str() : nullptr);
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, length);
}

std::string TestProgramFolder() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of('\\'));
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ShortUpperPath(const std::string& path) {
    std::string result = path;
    ToShortPath(result);
    return result;
}

std::vector<FakeArjCall> ReadFakeArjLog(const std::string& logPath) {
    std::vector<FakeArjCall> calls;
    std::istringstream log(ReadFileBytes(logPath));
    std::string line;
    while (std::getline(log, line)) {
        if (line.rfind("CALL\t", 0) == 0)
            calls.push_back({line.substr(5), {}});
        else if (line.rfind("ARG\t", 0) == 0 && !calls.empty())
            calls.back().arguments.push_back(line.substr(4));
    }
    return calls;
}
