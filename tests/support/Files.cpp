#include "TestSupport/Files.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <algorithm>
#include <stdexcept>

ScratchFolder::ScratchFolder(const std::string& prefix, Placement placement) {
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
    // Several test programs run at once, so the process id keeps their folders apart; a
    // folder left behind by an earlier run is skipped rather than reused.
    static unsigned counter = 0;
    for (;;) {
        path = std::string(temp, length) + prefix + std::to_string(GetCurrentProcessId()) + "_" +
               std::to_string(++counter);
        if (CreateDirectoryA(path.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make " + path);
    }
    if (placement == MakeCurrent) {
        previousCurrent = CurrentDirectory();
        if (!SetCurrentDirectoryA(path.c_str())) throw std::runtime_error("cannot enter " + path);
    }
}

ScratchFolder::~ScratchFolder() {
    if (!previousCurrent.empty()) SetCurrentDirectoryA(previousCurrent.c_str());
    // The current directory may still be inside (the code under test moves it); a folder in
    // use cannot be removed.
    std::string current = CurrentDirectory();
    if (current.compare(0, path.size(), path) == 0) SetCurrentDirectoryA(TestProgramFolder().c_str());
    RemoveFolderTree(path);
}

CurrentDirectoryKeeper::CurrentDirectoryKeeper() : saved(CurrentDirectory()) {}

CurrentDirectoryKeeper::~CurrentDirectoryKeeper() { SetCurrentDirectoryA(saved.c_str()); }

std::string CurrentDirectory() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, length);
}

std::string TestProgramFolder() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of("\\/"));
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    const std::string::size_type folderEnd = path.find_last_of("\\/");
    if (folderEnd != std::string::npos && folderEnd > 2 && !FolderExists(path.substr(0, folderEnd)))
        MakeFolders(path.substr(0, folderEnd));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr) && !(GetLastError() == ERROR_ALREADY_EXISTS && FolderExists(path)))
        throw std::runtime_error("cannot make " + path);
}

void MakeFolders(const std::string& path) {
    // Start past a drive ("C:\") so that the root is never made.
    for (std::string::size_type at = path.find_first_of("\\/", 3); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    MakeFolder(path);
}

namespace {

// Through the wide API, so that files with names the ANSI code page cannot hold go too.
void RemoveFolderTreeWide(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveFolderTreeWide(child);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(child.c_str());
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

void RemoveFolderTree(const std::string& folder) {
    int length = MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, nullptr, 0);
    if (length <= 0) return;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length - 1));
    RemoveFolderTreeWide(wide);
}

std::vector<std::string> SubFolders(const std::string& folder) {
    std::vector<std::string> folders;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return folders;
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            folders.push_back(folder + "\\" + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(folders.begin(), folders.end());
    return folders;
}
