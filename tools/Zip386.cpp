// The offset tool: "ZIP386 /A FILE" makes the offsets of the zip archive inside a
// stub-prefixed FILE count from the start of the file, so that the file is both a program and
// a zip archive that any reader accepts. The work is done on a copy beside FILE, which is
// checked and only then put in FILE's place: a failure leaves FILE exactly as it was.
// Exit codes: 0 done (or nothing to do), 2 failure, 10 a wrong command line.

#include <windows.h>

#include <cstdio>
#include <string>

#include "zipcore/ZipArchive.h"
#include "zipcore/ZipLayout.h"

namespace {

enum ExitCode { kSuccess = 0, kFailure = 2, kUsage = 10 };

bool IsAdjustSwitch(const char* arg) {
    return (arg[0] == '/' || arg[0] == '-') && (arg[1] == 'A' || arg[1] == 'a') && arg[2] == '\0';
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "ZIP386: %s\n", text.c_str());
    return kFailure;
}

// Every entry must still read back whole, with its CRC, from the adjusted copy.
bool ReadsBackWhole(const std::string& path, std::size_t expectedEntries, std::string& problem) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(path, error);
    if (!reader) {
        problem = error.message;
        return false;
    }
    if (reader->entries().size() != expectedEntries) {
        problem = "the adjusted copy lists a different number of entries";
        return false;
    }
    for (std::size_t i = 0; i < expectedEntries; ++i) {
        zipcore::Error entryError = reader->ReadEntry(i, [](const uint8_t*, std::size_t) { return true; });
        if (entryError) {
            problem = entryError.message;
            return false;
        }
    }
    return zipcore::StoredOffsetsCountFromStart(path, problem);
}

std::string FolderOf(const std::string& path) {
    std::string::size_type cut = path.find_last_of("\\/:");
    if (cut == std::string::npos) return ".";
    if (path[cut] == ':') return path.substr(0, cut + 1);
    return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

int Adjust(const std::string& path) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(path, error);
    if (!reader) return Fail(error.message + "; the file was left as it was");
    const std::size_t entryCount = reader->entries().size();
    const unsigned long long stub = reader->prefixLength();
    reader.reset();

    std::string problem;
    if (zipcore::StoredOffsetsCountFromStart(path, problem)) {
        std::printf("%s: the offsets already count from the start of the file\n", path.c_str());
        return kSuccess;
    }

    char temporary[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(path).c_str(), "Z38", 0, temporary))
        return Fail("cannot make a temporary file beside " + path);
    if (!CopyFileA(path.c_str(), temporary, FALSE)) {
        DeleteFileA(temporary);
        return Fail("cannot copy " + path + " to a temporary file");
    }
    zipcore::Error adjustError = zipcore::AdjustOffsets(temporary);
    if (adjustError || !ReadsBackWhole(temporary, entryCount, problem)) {
        DeleteFileA(temporary);
        return Fail((adjustError ? adjustError.message : problem) + "; " + path + " was left as it was");
    }
    if (!MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary);
        return Fail("cannot replace " + path + "; it was left as it was");
    }
    std::printf("%s: offsets adjusted past a stub of %llu bytes (%u entries)\n", path.c_str(), stub,
                static_cast<unsigned>(entryCount));
    return kSuccess;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || !IsAdjustSwitch(argv[1])) {
        std::fputs("usage: ZIP386 /A FILE\n"
                   "  makes the offsets of the zip archive inside FILE (a self-extractor stub followed\n"
                   "  by an archive) count from the start of FILE.\n",
                   stderr);
        return kUsage;
    }
    return Adjust(argv[2]);
}
