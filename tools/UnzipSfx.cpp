// The console self-extractor. Placed in front of a zip archive it unpacks the archive behind
// its own code; Kestrel also carries it and runs it on Kestrel's own file as
// "UnZip.EXE -d FOLDER FILE". All zip work is the portable library's, which never writes
// outside the target folder.
// The stub extracts one entry after the other with the library's reader, name checks and file
// layer; the library's own extraction writes on a pool of threads, whose runtime alone would
// make every self-extractor a fifth larger.
//
//   UNZIPSFX [-o] [-d FOLDER] [FILE]   extract (FILE: this program's own file by default)
//   UNZIPSFX -t [FILE]                 test every entry
//   UNZIPSFX -l [FILE]                 list the entries
//
// Exit codes: 0 success, 1 warnings only (files kept), 2 errors, 10 a wrong command line.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <cstring>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "Names.h"
#include "zipcore/ZipArchive.h"

namespace {

enum ExitCode { kSuccess = 0, kWarnings = 1, kErrors = 2, kUsage = 10 };

enum class Mode { Extract, Test, List };

struct CommandLine {
    Mode mode = Mode::Extract;
    bool overwriteAll = false;
    std::string folder;
    std::string archive;
};

// Output goes through fputs alone: the formatted-print family would link in the runtime's
// whole printf engine, floating point included.
void Print(const std::string& text) { std::fputs(text.c_str(), stdout); }
void PrintLine(const std::string& text) { std::fputs((text + "\n").c_str(), stdout); }

std::string Padded(unsigned long long value, std::size_t width, char fill) {
    std::string text = std::to_string(value);
    return text.size() >= width ? text : std::string(width - text.size(), fill) + text;
}

void PrintUsage() {
    PrintLine("usage: UNZIPSFX [-o] [-d FOLDER] [FILE]   extract into FOLDER (default: the current folder)\n"
              "       UNZIPSFX -t [FILE]                 test the archive\n"
              "       UNZIPSFX -l [FILE]                 list the archive\n"
              "FILE defaults to this program's own file; -o replaces existing files without asking.");
}

bool ParseCommandLine(int argc, char** argv, CommandLine& line) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-d") == 0) {
            if (++i >= argc || !line.folder.empty()) return false;
            line.folder = argv[i];
        } else if (std::strcmp(arg, "-o") == 0) {
            line.overwriteAll = true;
        } else if (std::strcmp(arg, "-t") == 0) {
            line.mode = Mode::Test;
        } else if (std::strcmp(arg, "-l") == 0) {
            line.mode = Mode::List;
        } else if (arg[0] == '-' || !line.archive.empty()) {
            return false;
        } else {
            line.archive = arg;
        }
    }
    return true;
}

std::string OwnPath() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return std::string();
    return std::string(path, length);
}

// y(es), n(o), A(ll), N(one); end of input counts as none, so an unattended run keeps files.
class OverwriteQuestion {
public:
    bool Ask(const std::string& path) {
        if (answerForAll == 'A') return true;
        if (answerForAll == 'N') return false;
        for (;;) {
            Print("replace " + path + "? [y]es, [n]o, [A]ll, [N]one: ");
            std::fflush(stdout);
            char reply[64];
            if (!std::fgets(reply, sizeof reply, stdin)) {
                PrintLine("\n(no answer: the remaining files are kept)");
                answerForAll = 'N';
                return false;
            }
            switch (reply[0]) {
            case 'y': case 'Y': return true;
            case 'n': return false;
            case 'A': answerForAll = 'A'; return true;
            case 'N': answerForAll = 'N'; return false;
            default: break;   // ask again
            }
        }
    }

private:
    char answerForAll = 0;
};

int ExitCodeFor(zipcore::Status status) {
    if (status == zipcore::Status::Ok) return kSuccess;
    if (status == zipcore::Status::Skipped) return kWarnings;
    return kErrors;
}

struct ExtractCounts {
    int extracted = 0, kept = 0, failed = 0;
    zipcore::Status worst = zipcore::Status::Ok;
};

void Note(ExtractCounts& counts, zipcore::Status status) {
    if (counts.worst == zipcore::Status::Ok || counts.worst == zipcore::Status::Skipped) counts.worst = status;
}

void Refuse(ExtractCounts& counts, const std::string& entry, const std::string& why) {
    PrintLine(entry + ": " + why);
    ++counts.failed;
    Note(counts, zipcore::Status::IoError);
}

// Makes the folders of a checked relative path below root, one level at a time; a file in
// the way is refused rather than replaced.
bool MakeFolders(const std::string& root, const std::vector<std::string>& parts, std::size_t count,
                 std::string& path, std::string& problem) {
    path = root;
    for (std::size_t i = 0; i < count; ++i) {
        path = zipcore::fs::Join(path, parts[i]);
        zipcore::fs::FileInfo info = zipcore::fs::StatNoFollow(path);
        if (info.exists && !info.isDirectory) {
            problem = path + " exists and is not a folder";
            return false;
        }
        if (!info.exists && !zipcore::fs::MakeDirectory(path)) {
            problem = "cannot create the folder " + path;
            return false;
        }
    }
    return true;
}

// The entry goes to a new file beside its place and takes that place only once it is whole
// and its CRC has matched, so a damaged entry never leaves a partial file or spoils an old one.
void ExtractEntry(zipcore::Reader& reader, std::size_t index, const std::string& root, bool overwriteAll,
                  OverwriteQuestion& question, ExtractCounts& counts) {
    const zipcore::Entry& entry = reader.entries()[index];
    zipcore::names::SafePath safe;
    if (!zipcore::names::MakeSafe(entry.name, safe)) return Refuse(counts, entry.name, "refused, " + safe.problem);
    if (safe.components.empty()) {
        if (!entry.isDirectory()) Refuse(counts, entry.name, "refused, nothing of the name is usable");
        return;
    }
    std::string path, problem;
    const std::size_t folders = entry.isDirectory() ? safe.components.size() : safe.components.size() - 1;
    if (!MakeFolders(root, safe.components, folders, path, problem)) return Refuse(counts, entry.name, problem);
    if (entry.isDirectory()) return;
    path = zipcore::fs::Join(path, safe.components.back());
    zipcore::fs::FileInfo existing = zipcore::fs::StatNoFollow(path);
    if (existing.isDirectory) return Refuse(counts, entry.name, "a folder " + path + " is in the way");
    if (existing.exists && !overwriteAll && !question.Ask(path)) {
        PrintLine(path + " exists, kept");
        ++counts.kept;
        Note(counts, zipcore::Status::Skipped);
        return;
    }
    PrintLine("  inflating: " + path);
    // The system names the temporary file (the file layer's own namer formats with the
    // printf engine this program leaves out).
    char temporaryName[MAX_PATH];
    zipcore::fs::File out;
    std::string folder = path.substr(0, path.size() - safe.components.back().size());
    if (!GetTempFileNameA(folder.c_str(), "sfx", 0, temporaryName) || !out.open(temporaryName, "wb"))
        return Refuse(counts, entry.name, "cannot create " + path);
    const std::string temporary = temporaryName;
    bool writeFailed = false;
    zipcore::Error error = reader.ReadEntry(index, [&](const uint8_t* data, std::size_t size) {
        writeFailed = !out.write(data, size);
        return !writeFailed;
    });
    const bool closed = out.close();
    if (error || writeFailed || !closed) {
        zipcore::fs::RemoveFile(temporary);
        if (error && !writeFailed) {
            PrintLine(error.message);
            ++counts.failed;
            Note(counts, error.status);
            return;
        }
        return Refuse(counts, entry.name, "cannot write " + path + " (disk full?)");
    }
    zipcore::fs::SetModified(temporary, zipcore::UnixFromDosDateTime(entry.dosDate, entry.dosTime));
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        zipcore::fs::RemoveFile(temporary);
        return Refuse(counts, entry.name, "cannot replace " + path + " (in use?)");
    }
    ++counts.extracted;
}

int RunExtract(const CommandLine& line) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(line.archive, error);
    if (!reader) {
        PrintLine(error.message);
        return kErrors;
    }
    const std::string root = line.folder.empty() ? std::string(".") : line.folder;
    if (!zipcore::fs::Stat(root).isDirectory) {
        // A folder named on the command line is made, with any missing parents.
        for (std::size_t i = 1; i <= root.size(); ++i)
            if (i == root.size() || zipcore::fs::IsSeparator(root[i])) zipcore::fs::MakeDirectory(root.substr(0, i));
        if (!zipcore::fs::Stat(root).isDirectory) {
            PrintLine("cannot create the folder " + root);
            return kErrors;
        }
    }
    OverwriteQuestion question;
    ExtractCounts counts;
    for (std::size_t i = 0; i < reader->entries().size(); ++i)
        ExtractEntry(*reader, i, root, line.overwriteAll, question, counts);
    const std::string where = line.folder.empty() ? std::string("the current folder") : line.folder;
    std::string summary = std::to_string(counts.extracted) + " file(s) extracted to " + where;
    if (counts.kept) summary += ", " + std::to_string(counts.kept) + " kept";
    if (counts.failed) summary += ", " + std::to_string(counts.failed) + " failed";
    PrintLine(summary + ".");
    return ExitCodeFor(counts.worst);
}

int RunTest(const CommandLine& line) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(line.archive, error);
    if (!reader) {
        PrintLine(error.message);
        return kErrors;
    }
    int bad = 0;
    const std::vector<zipcore::Entry>& entries = reader->entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].isDirectory()) continue;
        zipcore::Error entryError = reader->ReadEntry(i, [](const uint8_t*, std::size_t) { return true; });
        if (entryError) {
            PrintLine("testing: " + entries[i].name + "  " + entryError.message);
            ++bad;
        } else {
            PrintLine("testing: " + entries[i].name + "  OK");
        }
    }
    if (bad == 0) {
        PrintLine("No errors detected in " + line.archive + ".");
        return kSuccess;
    }
    PrintLine(std::to_string(bad) + (bad == 1 ? " damaged entry in " : " damaged entries in ") + line.archive + ".");
    return kErrors;
}

int RunList(const CommandLine& line) {
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(line.archive, error);
    if (!reader) {
        PrintLine(error.message);
        return kErrors;
    }
    PrintLine("      Length  Date       Time   Name");
    unsigned long long total = 0;
    for (const zipcore::Entry& entry : reader->entries()) {
        PrintLine(Padded(entry.uncompressedSize, 12, ' ') + "  " + Padded(1980 + (entry.dosDate >> 9), 4, '0') + "-" +
                  Padded((entry.dosDate >> 5) & 15, 2, '0') + "-" + Padded(entry.dosDate & 31, 2, '0') + " " +
                  Padded(entry.dosTime >> 11, 2, '0') + ":" + Padded((entry.dosTime >> 5) & 63, 2, '0') + "  " +
                  entry.name);
        total += entry.uncompressedSize;
    }
    PrintLine(Padded(total, 12, ' ') + "  " + std::to_string(reader->entries().size()) + " file(s)");
    return kSuccess;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    if (!ParseCommandLine(argc, argv, line) || (line.mode != Mode::Extract && (!line.folder.empty() || line.overwriteAll))) {
        PrintUsage();
        return kUsage;
    }
    if (line.archive.empty()) line.archive = OwnPath();
    if (line.archive.empty()) {
        PrintLine("cannot find this program's own file");
        return kErrors;
    }
    switch (line.mode) {
    case Mode::Test: return RunTest(line);
    case Mode::List: return RunList(line);
    case Mode::Extract: break;
    }
    return RunExtract(line);
}

// Size: the runtime's default handler for an uncaught exception prints the exception's type
// demangled, which links in the whole demangler, and its helpers that throw the standard
// library's logic errors link in a second, copy-on-write string implementation for their
// messages. Those errors mean a bug here (an index or length out of range), never bad input,
// so this program ends at once instead; running out of memory still throws bad_alloc, which
// the library catches and reports. Together this is a fifth of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The file layer formats one temporary name with snprintf, which in C++ is mingw-w64's own
// printf engine (floating point and all); the system runtime's formatter does that job.
// Like vsnprintf, the text is always terminated; a cut text reports the whole buffer used.
extern "C" int __mingw_vsnprintf(char* buffer, std::size_t size, const char* format, va_list arguments) {
    if (size == 0) return 0;
    int written = _vsnprintf(buffer, size - 1, format, arguments);
    buffer[size - 1] = '\0';
    return written < 0 ? static_cast<int>(size) : written;
}

namespace std {
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_alloc() { throw std::bad_alloc(); }
}  // namespace std

