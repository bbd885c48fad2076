// The console self-extractor. Placed in front of a zip archive it unpacks the archive behind
// its own code; Kestrel also carries it and runs it on Kestrel's own file as
// "UnZip.EXE -d FOLDER FILE". All zip work is the portable library's: its extraction, the one
// UnZip32.dll uses, writes every file under the same name the DLL gives it, never outside the
// target folder, leaves nothing of a damaged entry and asks this program before it replaces a
// file; its pool of threads makes many small files as fast as the DLL does.
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

std::string Utf8FromWide(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(length > 1 ? static_cast<std::size_t>(length) : 1u, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], length, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

// Texts are UTF-8 inside, as the library works. A console shows them whole through the
// wide-character call; output into a file or a pipe gets the console's code page, as other
// console programs write it, through one large buffer. Never the formatted-print family,
// which would link in the runtime's whole printf engine, floating point included.
class Output {
public:
    Output() : handle(GetStdHandle(STD_OUTPUT_HANDLE)) {
        DWORD mode;
        isConsole = GetConsoleMode(handle, &mode) != 0;
        if (!isConsole) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    }
    ~Output() { std::fflush(stdout); }

    void write(const std::string& text) {
        std::vector<wchar_t> wide(text.size() + 1);
        const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                               static_cast<int>(wide.size()));
        if (isConsole) {
            DWORD written;
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(length), &written, nullptr);
            return;
        }
        const UINT codePage = GetConsoleOutputCP() ? GetConsoleOutputCP() : CP_OEMCP;
        std::string narrow(wide.size() * 4 + 1, '\0');
        const int size = WideCharToMultiByte(codePage, 0, wide.data(), length, &narrow[0],
                                             static_cast<int>(narrow.size()), nullptr, nullptr);
        std::fwrite(narrow.data(), 1, static_cast<std::size_t>(size), stdout);
    }
    // Before a question, so that it shows before the answer is read.
    void flush() { std::fflush(stdout); }

private:
    HANDLE handle;
    bool isConsole = false;
};

Output output;

void Print(const std::string& text) { output.write(text); }
void PrintLine(const std::string& text) { output.write(text + "\n"); }

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

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const char* arg = args[i].c_str();
        if (std::strcmp(arg, "-d") == 0) {
            if (++i >= args.size() || !line.folder.empty()) return false;
            line.folder = args[i];
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
    std::vector<wchar_t> path(32768);
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return std::string();
    return Utf8FromWide(path.data());
}

// y(es), n(o), A(ll), N(one); end of input counts as none, so an unattended run keeps files.
class OverwriteQuestion {
public:
    bool Ask(const std::string& path) {
        if (answerForAll == 'A') return true;
        if (answerForAll == 'N') return false;
        for (;;) {
            Print("replace " + path + "? [y]es, [n]o, [A]ll, [N]one: ");
            output.flush();
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

int RunExtract(const CommandLine& line) {
    OverwriteQuestion question;
    zipcore::ExtractOptions options;
    options.targetDir = line.folder;
    options.overwrite = line.overwriteAll ? zipcore::Overwrite::Always : zipcore::Overwrite::Ask;
    options.askOverwrite = [&question](const std::string& path) { return question.Ask(path); };
    options.report = [](zipcore::Status, const std::string& text) { PrintLine(text); };
    options.extracted = [](const std::string& path) { PrintLine("  inflating: " + path); };
    const zipcore::ExtractResult result = zipcore::Extract(line.archive, options);
    const std::string where = line.folder.empty() ? std::string("the current folder") : line.folder;
    std::string summary = std::to_string(result.extracted) + " file(s) extracted to " + where;
    if (result.skipped) summary += ", " + std::to_string(result.skipped) + " kept";
    if (result.failed) summary += ", " + std::to_string(result.failed) + " failed";
    PrintLine(summary + ".");
    return ExitCodeFor(result.status);
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

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(Utf8FromWide(argv[i]));
    CommandLine line;
    if (!ParseCommandLine(args, line) || (line.mode != Mode::Extract && (!line.folder.empty() || line.overwriteAll))) {
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
// A thread or a lock the system cannot give is a lack of resources like memory: the
// extraction reports it and ends, and the system error's text machinery stays out.
void __throw_system_error(int) { throw std::bad_alloc(); }
}  // namespace std

