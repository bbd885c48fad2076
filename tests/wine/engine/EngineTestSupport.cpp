#include "EngineTestSupport.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>

#include "zipcore/ZipArchive.h"

void RecordingView::ClearEntries() {
    rows.clear();
    ++clearCount;
}

void RecordingView::AddEntry(const EntryRow& row) { rows.push_back(row); }

int RecordingView::GetSelectedNames(NameList& names) {
    if (failSelection) return 0;
    names = selection;
    return 1;
}

int RecordingView::GetAllNames(NameList& names) {
    names.clear();
    for (const EntryRow& row : rows) names.push_back(row.name);
    return 1;
}

void RecordingView::SetStatusText(const std::string& text) {
    statusSet = true;
    statusText = text;
}

RecordingPresenter::RecordingPresenter() { SetMessagePresenter(this); }

RecordingPresenter::~RecordingPresenter() { SetMessagePresenter(nullptr); }

int RecordingPresenter::Show(const std::string& text, const std::string& caption, unsigned int style) {
    messages.push_back({text, caption, style});
    if ((style & MB_TYPEMASK) == MB_OK) return IDOK;
    if (answers.empty()) return IDYES;
    int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

void RecordingPresenter::QuitRequested() { ++quitRequests; }

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path);
            } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryA(path.c_str());
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
    static unsigned counter = 0;
    for (;;) {
        std::ostringstream name;
        name << temp << "engtest" << GetCurrentProcessId() << "_" << ++counter;
        path = name.str();
        if (CreateDirectoryA(path.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make " + path);
    }
}

ScratchFolder::~ScratchFolder() {
    // The current directory may be inside; a folder in use cannot be removed.
    std::string current = CurrentDirectory();
    if (current.compare(0, path.size(), path) == 0) SetCurrentDirectoryA(TestProgramFolder().c_str());
    RemoveTree(path);
}

CurrentDirectoryKeeper::CurrentDirectoryKeeper() : saved(CurrentDirectory()) {}

CurrentDirectoryKeeper::~CurrentDirectoryKeeper() { SetCurrentDirectoryA(saved.c_str()); }

std::string CurrentDirectory() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, length);
}

void MakeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot make " + path);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string CompressibleText(std::size_t size) {
    std::string text;
    while (text.size() < size) text += "the quick brown fox jumps over the lazy dog. ";
    text.resize(size);
    return text;
}

std::string IncompressibleBytes(std::size_t size) {
    std::mt19937 generator(12345);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

void SetLocalFileTime(const std::string& path, int year, int month, int day, int hour, int minute) {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    FILETIME localTime, universalTime;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &universalTime);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    SetFileTime(file, nullptr, nullptr, &universalTime);
    CloseHandle(file);
}

std::string TestProgramFolder() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of('\\'));
}

std::vector<std::string> EntryNames(const std::string& archive) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(archive, error);
    std::vector<std::string> names;
    if (!reader) return names;
    for (const zipcore::Entry& entry : reader->entries()) names.push_back(entry.name);
    return names;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int RunAndWait(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string writable = commandLine;
    if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
