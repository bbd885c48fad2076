#include "TestSupport/Programs.h"

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

using UnixFileNameFunction = char*(CDECL*)(const WCHAR*);
using SpawnFunction = LONG(CDECL*)(char* const* arguments, int wait);

std::string LongForm(const std::string& path) {
    std::vector<char> buffer(32768);
    DWORD length = GetLongPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > 0 && length < buffer.size()) return std::string(buffer.data(), length);
    // A file about to be created: only its folder has a long form yet.
    std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash < 3) return path;
    return LongForm(path.substr(0, slash)) + path.substr(slash);
}

std::string WindowsViewOfUnixPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;   // Wine maps Z: to the Unix root
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Read and removed once it exists; false when it never appeared.
bool TakeFile(const std::string& unixPath, std::string& text, int waitMilliseconds) {
    const std::string seen = WindowsViewOfUnixPath(unixPath);
    for (int waited = 0; waited <= waitMilliseconds; waited += 10) {
        HANDLE file = CreateFileA(seen.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            text.clear();
            char chunk[4096];
            DWORD got = 0;
            while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
            CloseHandle(file);
            DeleteFileA(seen.c_str());
            return true;
        }
        Sleep(10);
    }
    return false;
}

std::string Quoted(const std::string& unixPath) { return "'" + unixPath + "'"; }

}  // namespace

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

std::string UnixPath(const std::string& windowsPath) {
    static UnixFileNameFunction toUnix = reinterpret_cast<UnixFileNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return windowsPath;
    std::string longPath = LongForm(windowsPath);
    int wideLength = MultiByteToWideChar(CP_ACP, 0, longPath.c_str(), -1, nullptr, 0);
    std::vector<WCHAR> wide(static_cast<std::size_t>(wideLength > 0 ? wideLength : 1));
    MultiByteToWideChar(CP_ACP, 0, longPath.c_str(), -1, wide.data(), wideLength);
    char* unixName = toUnix(wide.data());
    if (!unixName) return windowsPath;
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

UnixRun RunUnixProgram(const std::vector<std::string>& arguments, bool captureOutput) {
    UnixRun run;
    // CreateProcess starts a Unix program without a process handle to wait on; Wine's own
    // spawn call starts it with this program's standard handles.
    SpawnFunction spawn = reinterpret_cast<SpawnFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn || arguments.empty()) return run;

    // The spawn call is asked to wait, but under load it has been seen to return while the
    // program was still writing. The shell therefore records the exit code in a marker file
    // once the program has ended, written under another name and renamed so that it is never
    // read half written; the output file is complete before the marker appears.
    char stem[96];
    static LONG runs = 0;
    std::snprintf(stem, sizeof stem, "/tmp/brindle-unix-run-%lu-%lu-%ld", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()), static_cast<long>(InterlockedIncrement(&runs)));
    const std::string marker = std::string(stem) + ".code", output = std::string(stem) + ".out";
    const std::string redirect = captureOutput ? " > " + Quoted(output) + " 2>&1" : "";
    std::vector<std::string> shell = {
        "/bin/sh", "-c",
        "\"$0\" \"$@\"" + redirect + "; echo $? > " + Quoted(marker + ".part") + " && mv " + Quoted(marker + ".part") +
            " " + Quoted(marker)};
    shell.insert(shell.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : shell) pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);
    if (spawn(pointers.data(), 1) != 0) return run;
    run.started = true;
    std::string code;
    if (!TakeFile(marker, code, 300000)) return run;
    run.exitCode = std::atoi(code.c_str());
    if (captureOutput) TakeFile(output, run.output, 0);
    return run;
}

InfoZipVerdict JudgeWithInfoZip(const std::string& windowsArchivePath) {
    InfoZipVerdict verdict;
    const std::string archive = UnixPath(windowsArchivePath);
    const UnixRun listing = RunUnixProgram({"/usr/bin/unzip", "-Z1", archive}, true);
    const UnixRun test = RunUnixProgram({"/usr/bin/unzip", "-t", archive}, true);
    verdict.output = listing.output + test.output;
    verdict.ran = listing.started && test.started && listing.exitCode == 0;
    for (std::size_t start = 0, end; (end = listing.output.find('\n', start)) != std::string::npos; start = end + 1)
        verdict.names.push_back(listing.output.substr(start, end - start));
    std::sort(verdict.names.begin(), verdict.names.end());
    verdict.intact = test.exitCode == 0 && test.output.find("No errors detected") != std::string::npos;
    return verdict;
}

namespace {

std::string SystemFolderCopyName() {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    static int made = 0;
    return std::string(folder) + "\\brindle-stand-in-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++made) + ".exe";
}

}  // namespace

SystemFolderCopy::SystemFolderCopy(const std::string& program) : path(SystemFolderCopyName()) {
    if (!CopyFileA(program.c_str(), path.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + program + " to " + path);
}

SystemFolderCopy::~SystemFolderCopy() { DeleteFileA(path.c_str()); }
