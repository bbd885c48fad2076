// How long UnZip32.dll takes to extract a whole archive, next to the floor the system sets:
// a bare loop of CreateFileA, WriteFile, SetFileTime and CloseHandle making the same files
// with the same bytes (read into memory beforehand, so that loop does no decompression).
// The DLL runs twice a round, once as before and once with a progress record whose callback
// does what a progress window's worker does (keeps the figures for the window to read), so
// that what reporting costs shows beside the time without it.
//   extract_bench <archive> <work folder> [rounds]
// Each round extracts into fresh folders below the work folder; the folders are left for the
// caller to remove, since deleting is no part of any time.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "Stopwatch.h"
#include "zipcore/ZipArchive.h"
#include "zipdll/ZipDllInterface.h"

namespace {

// Only problems are shown; the summary line of every round would drown the figures.
int WINAPI PrintProblems(const char* text, unsigned long length) {
    const std::string line(text, length);
    if (line.rfind("warning: ", 0) == 0 || line.rfind("error: ", 0) == 0) std::fwrite(text, 1, length, stderr);
    return static_cast<int>(length);
}

struct FileToWrite {
    std::string path;   // relative, with backslashes
    std::vector<uint8_t> data;
    FILETIME modified{};
};

// Every file entry's bytes and time, and the folders they need, as the loop will write them.
bool LoadFiles(const std::string& archive, std::vector<FileToWrite>& files, std::set<std::string>& folders) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(archive, error);
    if (!reader) {
        std::fprintf(stderr, "cannot read %s: %s\n", archive.c_str(), error.message.c_str());
        return false;
    }
    const std::vector<zipcore::Entry>& entries = reader->entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const zipcore::Entry& entry = entries[index];
        if (entry.isDirectory()) continue;
        FileToWrite file;
        file.path = entry.name;
        std::replace(file.path.begin(), file.path.end(), '/', '\\');
        for (std::size_t slash = file.path.find('\\'); slash != std::string::npos; slash = file.path.find('\\', slash + 1))
            folders.insert(file.path.substr(0, slash));
        error = reader->ReadEntry(index, [&](const uint8_t* data, std::size_t size) {
            file.data.insert(file.data.end(), data, data + size);
            return true;
        });
        if (error) {
            std::fprintf(stderr, "cannot read %s: %s\n", entry.name.c_str(), error.message.c_str());
            return false;
        }
        SYSTEMTIME local{};
        local.wYear = static_cast<WORD>(1980 + (entry.dosDate >> 9));
        local.wMonth = static_cast<WORD>((entry.dosDate >> 5) & 15);
        local.wDay = static_cast<WORD>(entry.dosDate & 31);
        local.wHour = static_cast<WORD>(entry.dosTime >> 11);
        local.wMinute = static_cast<WORD>((entry.dosTime >> 5) & 63);
        local.wSecond = static_cast<WORD>((entry.dosTime & 31) * 2);
        FILETIME localTime;
        SystemTimeToFileTime(&local, &localTime);
        LocalFileTimeToFileTime(&localTime, &file.modified);
        files.push_back(std::move(file));
    }
    return true;
}

bool BareLoop(const std::string& target, const std::vector<FileToWrite>& files, const std::set<std::string>& folders) {
    CreateDirectoryA(target.c_str(), nullptr);
    for (const std::string& folder : folders) CreateDirectoryA((target + "\\" + folder).c_str(), nullptr);
    for (const FileToWrite& file : files) {
        HANDLE handle = CreateFileA((target + "\\" + file.path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = WriteFile(handle, file.data.data(), static_cast<DWORD>(file.data.size()), &written, nullptr) &&
                        written == file.data.size() && SetFileTime(handle, nullptr, nullptr, &file.modified);
        CloseHandle(handle);
        if (!ok) return false;
    }
    return true;
}

// The figures a progress window would show, written by the callback and read by the window.
struct ShownProgress {
    std::atomic<unsigned long long> bytesDone{0};
    std::atomic<unsigned long> entriesDone{0};
    std::atomic<bool> cancelled{false};
    unsigned long reports = 0;
    char entryName[MAX_PATH] = {};
};

int WINAPI KeepProgress(void* context, const WindllProgressReport* report) {
    ShownProgress& shown = *static_cast<ShownProgress*>(context);
    ++shown.reports;
    shown.bytesDone.store(report->bytesDone, std::memory_order_relaxed);
    shown.entriesDone.store(report->entriesDone, std::memory_order_relaxed);
    lstrcpynA(shown.entryName, report->entryName, MAX_PATH);
    return shown.cancelled.load(std::memory_order_relaxed) ? 1 : 0;
}

bool TimeDll(WindllUnzipFunction unzip, const std::string& archive, const std::string& target,
             const std::string& work, std::vector<double>& times) {
    UnzipCommand command{};
    command.binaryMode = 1;
    command.keepFolderNames = 1;
    command.quietLevel = 0;  // as the engine asks: the summary line, and any problem
    command.archivePath = archive.c_str();
    UnzipCallbacks callbacks{};
    callbacks.print = PrintProblems;
    CreateDirectoryA(target.c_str(), nullptr);
    // The DLL extracts into the current folder, as the engine calls it.
    SetCurrentDirectoryA(target.c_str());
    const Stopwatch stopwatch;
    const int result = unzip(0, nullptr, &command, &callbacks);
    times.push_back(stopwatch.Seconds());
    SetCurrentDirectoryA(work.c_str());
    if (result != UNZIP_OK) std::fprintf(stderr, "windll_unzip returned %d\n", result);
    return result == UNZIP_OK;
}

bool TimeBareLoop(const std::string& target, const std::vector<FileToWrite>& files,
                  const std::set<std::string>& folders, std::vector<double>& times) {
    const Stopwatch stopwatch;
    const bool ok = BareLoop(target, files, folders);
    times.push_back(stopwatch.Seconds());
    if (!ok) std::fprintf(stderr, "the bare loop failed in %s (error %lu)\n", target.c_str(), GetLastError());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: extract_bench <archive> <work folder> [rounds]\n");
        return 2;
    }
    const std::string archive = argv[1], work = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 4;

    char exePath[MAX_PATH];
    GetModuleFileNameA(nullptr, exePath, MAX_PATH);
    std::string dllPath = exePath;
    dllPath = dllPath.substr(0, dllPath.find_last_of('\\') + 1) + "UnZip32.dll";
    HMODULE dll = LoadLibraryA(dllPath.c_str());
    // Through void(*)(), which any function pointer may be cast to and back from.
    using Generic = void (*)();
    auto unzip = dll ? reinterpret_cast<WindllUnzipFunction>(reinterpret_cast<Generic>(GetProcAddress(dll, "windll_unzip")))
                     : nullptr;
    if (!unzip) {
        std::fprintf(stderr, "cannot load windll_unzip from %s\n", dllPath.c_str());
        return 1;
    }
    std::vector<FileToWrite> files;
    std::set<std::string> folders;
    if (!LoadFiles(archive, files, folders)) return 1;
    uint64_t bytes = 0;
    for (const FileToWrite& file : files) bytes += file.data.size();
    std::printf("%zu files, %.1f MB, in %zu folders\n", files.size(), static_cast<double>(bytes) / 1e6, folders.size());

    CreateDirectoryA(work.c_str(), nullptr);
    auto setProgress = reinterpret_cast<WindllUnzipSetProgressFunction>(
        reinterpret_cast<Generic>(GetProcAddress(dll, "windll_unzip_set_progress")));
    if (!setProgress) {
        std::fprintf(stderr, "cannot load windll_unzip_set_progress from %s\n", dllPath.c_str());
        return 1;
    }
    ShownProgress shown;
    const WindllProgress record{sizeof(WindllProgress), KeepProgress, &shown};
    auto timeDllWithProgress = [&](const std::string& target, std::vector<double>& times) {
        shown.reports = 0;
        setProgress(&record);
        const bool ok = TimeDll(unzip, archive, target, work, times);
        setProgress(nullptr);
        return ok;
    };

    std::vector<double> dllTimes, progressTimes, loopTimes;
    for (int round = 0; round < rounds; ++round) {
        const std::string dllTarget = work + "\\dll" + std::to_string(round);
        const std::string progressTarget = work + "\\progress" + std::to_string(round);
        const std::string loopTarget = work + "\\loop" + std::to_string(round);

        // Each goes first every other round, so that neither always meets a disk still busy
        // with what the other wrote.
        if (round % 2 == 1 && !TimeBareLoop(loopTarget, files, folders, loopTimes)) return 1;
        if (round % 2 == 1 && !timeDllWithProgress(progressTarget, progressTimes)) return 1;
        if (!TimeDll(unzip, archive, dllTarget, work, dllTimes)) return 1;
        if (round % 2 == 0 && !timeDllWithProgress(progressTarget, progressTimes)) return 1;
        if (round % 2 == 0 && !TimeBareLoop(loopTarget, files, folders, loopTimes)) return 1;
        std::printf("round %d: UnZip32.dll %.2f s, with progress %.2f s (%lu reports), bare loop %.2f s\n",
                    round + 1, dllTimes.back(), progressTimes.back(), shown.reports, loopTimes.back());
        std::fflush(stdout);
    }
    const double bestDll = *std::min_element(dllTimes.begin(), dllTimes.end());
    const double bestProgress = *std::min_element(progressTimes.begin(), progressTimes.end());
    const double bestLoop = *std::min_element(loopTimes.begin(), loopTimes.end());
    std::printf("best: UnZip32.dll %.2f s, bare loop %.2f s, ratio %.2f\n", bestDll, bestLoop, bestDll / bestLoop);
    std::printf("best: UnZip32.dll with progress %.2f s, without %.2f s, ratio %.3f\n", bestProgress, bestDll,
                bestProgress / bestDll);
    return 0;
}
