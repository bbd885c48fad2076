#include "ArjHandler.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "CommandLineSafety.h"
#include "CommandRunner.h"
#include "Handles.h"
#include "LongWork.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "UserMessages.h"

namespace {

const char kNotInstalled[] = "ARJ is not installed. Please see help for more information";
const char kNotSupported[] = "This operation is not supported for ARJ files!";

// The path of ARJ.EXE, read at each use so that a change in the settings sheet counts at once.
bool ReadArjPath(std::string& arjPath) {
    arjPath = ReadSettingText("Locations", "ARJ.EXE");
    if (!arjPath.empty()) return true;
    ShowMessage(kNotInstalled, MB_ICONWARNING);
    return false;
}

bool AreAllPassable(const NameList& names, ArgumentUse use) {
    for (const std::string& name : names) {
        if (!MayGoOnCommandLine(name, use)) return false;
    }
    return true;
}

// Runs one ARJ.EXE command in its console, where the user answers its questions, and
// reports a failure: the console closes when ARJ ends, so its exit code is all that is left
// to tell the user that nothing (or not everything) was done.
bool RunArj(const std::string& command) {
    const int exitCode = RunCommand(command, 1);
    if (exitCode == 0) return true;
    std::string text = exitCode == kCommandNotRun ? "ARJ.EXE could not be run:\n"
                                                  : "ARJ.EXE reported an error (exit code " +
                                                        std::to_string(exitCode) + "):\n";
    ShowMessage(text + command, MB_ICONERROR);
    return false;
}

// The names an arj command goes through, for the progress window: ARJ.EXE reports nothing.
void ReportName(const std::string& name, std::size_t done, std::size_t total) {
    WindllProgressReport report{name.c_str(), 0, 0, static_cast<unsigned long>(done), static_cast<unsigned long>(total)};
    LibraryProgress().report(nullptr, &report);
}

// ARJ.EXE is left to finish the name it is on, which may be asking in its console; a Cancel
// starts no further name.
bool RunArjForEachName(const std::string& prefix, const NameList& names, std::string& log) {
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (WorkCancelled()) {
            log += "Cancelled: " + std::to_string(index) + " of " + std::to_string(names.size()) + " names were done.\r\n";
            return true;
        }
        ReportName(names[index], index, names.size());
        if (!RunArj(prefix + QuoteArgument(names[index]))) return false;
    }
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool EndsLine(char c) { return c == '\n' || c == '\r'; }

// "001) NAME": digits at the very start, then ")". Continuation lines start with blanks and
// headings with words, so neither is taken for an entry.
bool IsEntryLine(const std::string& line) {
    std::size_t pos = 0;
    while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos]))) ++pos;
    if (pos == 0 || pos >= line.size() || line[pos] != ')') return false;
    ++pos;
    return pos == line.size() || IsBlank(line[pos]) || EndsLine(line[pos]);
}

// Everything after "001) " up to the end of the line, so that a name with blanks stays whole.
std::string NameOfEntryLine(const std::string& line) {
    std::size_t start = line.find(')') + 1;
    while (start < line.size() && IsBlank(line[start])) ++start;
    std::size_t end = line.size();
    while (end > start && (IsBlank(line[end - 1]) || EndsLine(line[end - 1]))) --end;
    return line.substr(start, end - start);
}

// "%dK" of a printed byte count; 64-bit so that entries over 2 GB do not wrap.
std::string KiloText(const std::string& bytesWord) {
    if (bytesWord.empty()) return std::string();
    long long bytes = std::strtoll(bytesWord.c_str(), nullptr, 10);
    return std::to_string(bytes / 1024) + "K";
}

// The share saved, truncated toward zero. Computed on integers: in floating point 7 of 100
// gives 92.99999 and so 92%. An empty entry saves nothing, shown as " 0%".
std::string RatioText(const std::string& sizeWord, const std::string& packedWord) {
    if (sizeWord.empty() || packedWord.empty()) return std::string();
    long long size = std::strtoll(sizeWord.c_str(), nullptr, 10);
    long long packed = std::strtoll(packedWord.c_str(), nullptr, 10);
    long long percent = size == 0 ? 0 : 100 * (size - packed) / size;
    char text[32];
    std::snprintf(text, sizeof text, "%2lld%%", percent);
    return text;
}

unsigned long LittleEndian32(const unsigned char* bytes) {
    return static_cast<unsigned long>(bytes[0]) | static_cast<unsigned long>(bytes[1]) << 8 |
           static_cast<unsigned long>(bytes[2]) << 16 | static_cast<unsigned long>(bytes[3]) << 24;
}

// Reads exactly size bytes at offset; false at the end of the file or on an error.
bool ReadAt(HANDLE file, unsigned long long offset, void* bytes, DWORD size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ReadFile(file, bytes, size, &got, nullptr) &&
           got == size;
}

}  // namespace

// The headers ARJ.EXE wrote, walked as they lie: 0x60 0xEA, the basic header's size (0 ends
// the archive), the basic header, its CRC, then extended headers (each a size, 0 ending them,
// its bytes and a CRC). The first header is the archive's own; each after it is an entry's,
// followed by its compressed data. The basic header holds the compressed size at 12, the
// original size at 16 and the original file's CRC-32 at 20, the name at its first-part size.
// Only what Move Files needs is read; a header that does not parse makes the whole read fail.
int CArjHandler::ReadStoredEntries(std::vector<StoredEntry>& entries) {
    entries.clear();
    FileHandle file(CreateFileA(archivePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    const DWORD kLargestBasicHeader = 2600;
    unsigned char header[kLargestBasicHeader + 1];
    unsigned long long offset = 0;
    for (bool archiveHeader = true;; archiveHeader = false) {
        unsigned char lead[4];
        if (!ReadAt(file.get(), offset, lead, 4) || lead[0] != 0x60 || lead[1] != 0xEA) return 0;
        const DWORD size = lead[2] | static_cast<DWORD>(lead[3]) << 8;
        if (size == 0) return 1;
        if (size < 30 || size > kLargestBasicHeader || !ReadAt(file.get(), offset + 4, header, size)) return 0;
        header[size] = '\0';
        offset += 4 + size + 4;
        for (;;) {
            unsigned char extended[2];
            if (!ReadAt(file.get(), offset, extended, 2)) return 0;
            offset += 2;
            const DWORD extendedSize = extended[0] | static_cast<DWORD>(extended[1]) << 8;
            if (extendedSize == 0) break;
            offset += extendedSize + 4;
        }
        if (archiveHeader) continue;
        const DWORD nameAt = header[0];
        if (nameAt >= size) return 0;
        StoredEntry entry;
        entry.name = reinterpret_cast<const char*>(header + nameAt);
        entry.size = LittleEndian32(header + 16);
        entry.crc = LittleEndian32(header + 20);
        entries.push_back(std::move(entry));
        offset += LittleEndian32(header + 12);
    }
}

CArjHandler::CArjHandler(IArchiveView* view) : CArchiveHandler(view) {}

void CArjHandler::DropFirstLine(std::string& text) {
    std::size_t newline = text.find('\n');
    if (newline == std::string::npos)
        text.clear();
    else
        text.erase(0, newline + 1);
}

void CArjHandler::GetField(const std::string& text, std::string& word, int index) {
    std::size_t pos = 0;
    auto atLineEnd = [&] { return pos >= text.size() || EndsLine(text[pos]); };
    for (int skipped = 0; skipped < index; ++skipped) {
        while (!atLineEnd() && IsBlank(text[pos])) ++pos;
        if (atLineEnd()) return;
        while (!atLineEnd() && !IsBlank(text[pos])) ++pos;
    }
    while (!atLineEnd() && IsBlank(text[pos])) ++pos;
    if (atLineEnd()) return;
    std::size_t start = pos;
    while (!atLineEnd() && !IsBlank(text[pos])) ++pos;
    word.assign(text, start, pos - start);
}

void CArjHandler::ParseListing(const std::string& text, std::vector<EntryRow>& rows) {
    // Split once by position: dropping lines off the front would copy the rest each time.
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t newline = text.find('\n', start);
        if (newline == std::string::npos) newline = text.size();
        lines.push_back(text.substr(start, newline - start));
        start = newline + 1;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsEntryLine(lines[i])) continue;
        EntryRow row;
        row.name = NameOfEntryLine(lines[i]);
        // A numbered line right after another means this entry's details are missing.
        std::string details;
        if (i + 1 < lines.size() && !IsEntryLine(lines[i + 1])) details = lines[++i];
        std::string size;
        std::string packed;
        GetField(details, size, 2);
        GetField(details, packed, 3);
        GetField(details, row.date, 5);
        GetField(details, row.time, 6);
        row.size = KiloText(size);
        row.packed = KiloText(packed);
        row.ratio = RatioText(size, packed);
        rows.push_back(row);
    }
}

int CArjHandler::Refresh() {
    try {
        if (!CArchiveHandler::Refresh()) return 1;   // nothing to list is not an error
        std::string arjPath;
        if (!ReadArjPath(arjPath)) return 0;
        if (!MayGoOnCommandLine(arjPath) || !MayGoOnCommandLine(archivePath)) return 0;
        std::string listing;
        LongOperation operation("Reading", archivePath);
        if (!RunCaptured(QuoteArgument(arjPath) + " v " + QuoteArgument(archivePath), listing)) return 0;
        std::vector<EntryRow> rows;
        ParseListing(listing, rows);
        if (view) {
            for (const EntryRow& row : rows) view->AddEntry(row);
        }
        return 1;
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Operation);
    }
}

int CArjHandler::Extract(const std::string& targetFolder, int /*overwrite: ARJ asks in its own window*/,
                         int junkPaths, int extractAll) {
    try {
        NameList names;
        if (view && !(extractAll ? view->GetAllNames(names) : view->GetSelectedNames(names)))
            return ReportOutOfMemory(OutOfMemory::Operation);
        if (names.empty()) return 1;

        CreateDirectoryA(targetFolder.c_str(), nullptr);   // it may exist already
        if (!SetCurrentDirectoryA(targetFolder.c_str())) {
            ShowMessage("Cannot create the specified directory!", MB_ICONERROR);
            return 0;
        }
        std::string arjPath;
        if (!ReadArjPath(arjPath)) return 0;
        // Checked all before the first run, so that a refusal leaves nothing half done. An entry
        // name with a wildcard (possible in an archive made on Unix) may extract more than the
        // one entry, which loses nothing; ARJ asks before it overwrites.
        if (!MayGoOnCommandLine(arjPath) || !MayGoOnCommandLine(archivePath) || !AreAllPassable(names, ArgumentUse::Pattern))
            return 0;

        const std::string prefix =
            QuoteArgument(arjPath) + (junkPaths ? " e " : " x ") + QuoteArgument(archivePath) + " ";
        LongOperation operation("Extracting", archivePath);
        return RunArjForEachName(prefix, names, messageLog) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Operation);
    }
}

int CArjHandler::AddFile(const std::string& name, int storePath, int recurse, int level) {
    try {
        std::string arjPath;
        if (!ReadArjPath(arjPath)) return 0;
        std::string command = QuoteArgument(arjPath) + " a ";
        if (storePath == 0) command += " -e ";
        if (recurse == 1) command += " -r ";
        // Levels 0..9 map onto ARJ's methods 0..4; anything outside is held to that range
        // rather than becoming a method digit ARJ does not know.
        int method = HeldToLevelRange(level) / 2;
        command += "-m";
        command += static_cast<char>('0' + method);
        command += " ";

        std::string shortName = name;
        ToShortPath(shortName);
        if (!MayGoOnCommandLine(arjPath) || !MayGoOnCommandLine(archivePath) || !MayGoOnCommandLine(shortName, ArgumentUse::Pattern))
            return 0;
        command += "-va " + QuoteArgument(archivePath) + " " + QuoteArgument(shortName);
        // 0 when ARJ failed, so that Move Files never deletes a file ARJ did not store.
        return RunArj(command) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Operation);
    }
}

int CArjHandler::DeleteEntries(const NameList& names) {
    try {
        std::string arjPath;
        if (!ReadArjPath(arjPath)) return 0;
        // Entry names are only upper-cased, as the DOS ARJ compares them. Not ToShortPath: a
        // file of the same long name in the current folder would swap in its 8.3 alias, and
        // ARJ would then look for an entry that does not exist.
        NameList shortNames = names;
        for (std::string& name : shortNames) {
            if (!name.empty()) CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
        }
        // A wildcard here would delete every entry it matches, not the one the user chose.
        if (!MayGoOnCommandLine(arjPath) || !MayGoOnCommandLine(archivePath) || !AreAllPassable(shortNames, ArgumentUse::ExactName))
            return 0;

        const std::string prefix = QuoteArgument(arjPath) + " d " + QuoteArgument(archivePath) + " ";
        return RunArjForEachName(prefix, shortNames, messageLog) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Operation);
    }
}

int CArjHandler::MakeExe(const std::string&) {
    ShowMessage(kNotSupported, MB_ICONWARNING);
    return 0;
}

int CArjHandler::MakeWin95Exe(const std::string&) {
    ShowMessage(kNotSupported, MB_ICONWARNING);
    return 0;
}
