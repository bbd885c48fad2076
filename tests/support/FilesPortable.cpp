// The file helpers of TestSupport/Files.h for the natively built library tests, through the
// standard library; the Windows test programs use Files.cpp.
#include "TestSupport/Files.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace stdfs = std::filesystem;

namespace {

void EnterFolder(const std::string& folder) {
    std::error_code ignored;
    stdfs::current_path(folder, ignored);
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& prefix, Placement placement) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() % 100000000;
    for (;;) {
        stdfs::path candidate = stdfs::temp_directory_path() /
                                (prefix + std::to_string(stamp) + "_" + std::to_string(++counter));
        if (stdfs::create_directory(candidate)) {
            path = candidate.string();
            break;
        }
    }
    if (placement == MakeCurrent) {
        previousCurrent = CurrentDirectory();
        stdfs::current_path(path);
    }
}

ScratchFolder::~ScratchFolder() {
    if (!previousCurrent.empty()) EnterFolder(previousCurrent);
    RemoveFolderTree(path);
}

CurrentDirectoryKeeper::CurrentDirectoryKeeper() : saved(CurrentDirectory()) {}

CurrentDirectoryKeeper::~CurrentDirectoryKeeper() { EnterFolder(saved); }

std::string CurrentDirectory() { return stdfs::current_path().string(); }

std::string TestProgramFolder() { return stdfs::read_symlink("/proc/self/exe").parent_path().string(); }

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    const stdfs::path file(path);
    if (file.has_parent_path()) stdfs::create_directories(file.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path) {
    std::error_code ignored;
    return stdfs::exists(stdfs::symlink_status(path, ignored));
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return stdfs::is_regular_file(path, ignored);
}

bool FolderExists(const std::string& path) {
    std::error_code ignored;
    return stdfs::is_directory(path, ignored);
}

void MakeFolder(const std::string& path) {
    std::error_code failure;
    if (!stdfs::create_directory(path, failure) && !FolderExists(path)) throw std::runtime_error("cannot make " + path);
}

void MakeFolders(const std::string& path) {
    std::error_code failure;
    stdfs::create_directories(path, failure);
    if (!FolderExists(path)) throw std::runtime_error("cannot make " + path);
}

void RemoveFolderTree(const std::string& folder) {
    std::error_code ignored;
    stdfs::remove_all(folder, ignored);
}
