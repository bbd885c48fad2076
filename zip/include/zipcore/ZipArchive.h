#pragma once
// Portable zip container library: reading, extracting, writing and offset adjustment.
// Standard C++ and zlib; Win32 only behind its small file layer. Paths and entry names are
// UTF-8 everywhere, with either slash accepted on Windows, where files are created and read
// through the wide-character API.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zipcore {

enum class Status {
    Ok = 0,
    NotZip,             // no end-of-central-directory record
    Truncated,          // the file ends inside a record or inside entry data
    BadOffsets,         // an offset or size points outside the file or the directory
    UnsupportedMethod,  // neither stored (0) nor deflated (8)
    Encrypted,          // an encrypted entry: we have no passwords
    CrcMismatch,        // data does not match its stored CRC-32
    UnsafeName,         // a device name or a character Windows forbids
    Overlapping,        // two entries claim the same bytes of the file
    SizeMismatch,       // an entry inflates past, or short of, its declared size
    IoError,            // reading or writing a file on disk failed
    NotFound,           // a named file or entry does not exist
    NothingToDo,        // a pattern or name list matched nothing: ordinary, not damage
    Skipped,            // an existing file was kept (overwrite never, or the answer no)
    Cancelled,          // the caller's progress callback asked to stop
};

// A short fixed English phrase for each status, e.g. "not a zip archive".
const char* StatusText(Status status);

// The code a system call failed with, as the system gave it. A plain pair rather than a
// std::error_code, whose categories would add a good part to the size of the self-extractor.
struct SystemError {
    enum class Kind {
        None,
        Errno,      // errno from the C runtime or a POSIX call
        LastError,  // GetLastError() after a Win32 call
    };
    Kind kind = Kind::None;
    int code = 0;
    explicit operator bool() const { return kind != Kind::None; }
    friend bool operator==(const SystemError& a, const SystemError& b) { return a.kind == b.kind && a.code == b.code; }
};

struct Error {
    Status status = Status::Ok;
    std::string message;  // one line a person can read, naming the file or entry
    // When a call into the system failed, the system's own code; the message ends in the
    // system's words for it. Empty for what the library found itself (damage, refusals, a file
    // too short).
    SystemError cause = {};
    explicit operator bool() const { return status != Status::Ok; }
};

// The system's own words for one of its codes, as strerror or FormatMessage give them
// ("No space left on device", "There is not enough space on the disk").
std::string SystemErrorText(const SystemError& error);

struct Entry {
    // UTF-8, '/' separated: from the stored bytes when flag bit 11 says they are UTF-8, else from
    // a Unicode path extra field whose CRC matches them, else from the OEM code page (made on
    // DOS, OS/2 or a Windows file system) or the ANSI code page (made anywhere else).
    std::string name;
    std::string storedName;        // the bytes as stored
    int64_t modified = 0;          // seconds since 1970, UTC, when hasExactTime
    bool hasExactTime = false;     // an NTFS or extended timestamp field gave the time
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint32_t crc32 = 0;
    uint16_t method = 0;           // 0 stored, 8 deflated
    uint16_t flags = 0;            // general purpose bit flag
    uint16_t dosTime = 0;          // MS-DOS packed time and date
    uint16_t dosDate = 0;
    uint16_t versionMadeBy = 0;
    uint32_t externalAttributes = 0;
    uint64_t localHeaderOffset = 0;  // absolute position in the file, prefix included

    bool isDirectory() const { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }
    bool isEncrypted() const { return (flags & 1) != 0; }
};

// Read-only view of one archive. Holds the central directory in memory (metadata only);
// entry data is streamed in bounded chunks, never loaded whole.
class Reader {
public:
    static std::unique_ptr<Reader> Open(const std::string& path, Error& error);
    virtual ~Reader() = default;

    virtual const std::vector<Entry>& entries() const = 0;
    virtual const std::string& comment() const = 0;
    // Bytes in front of the archive (a self-extractor stub), whether or not its offsets were adjusted.
    virtual uint64_t prefixLength() const = 0;
    // How far the archive sits behind where its own offsets say: the length of a stub put in
    // front without adjusting them, 0 when they count from the start of the file.
    virtual uint64_t offsetShift() const = 0;

    // Streams the entry's uncompressed bytes to the sink in chunks; checks the local header
    // against the central entry, the declared size and the CRC-32. The sink returns false to stop
    // (the result is then IoError). Bytes already handed over stay handed over on a later error.
    virtual Error ReadEntry(std::size_t index,
                            const std::function<bool(const uint8_t* data, std::size_t size)>& sink) = 0;
};

// Where a long operation stands. Bytes count what the operation is measured by (uncompressed
// bytes for extraction, the sources' bytes for adding, archive bytes for rewriting); totals
// are known before the first report.
struct Progress {
    std::string entryName;      // the entry being worked on; empty in the closing report
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
    uint64_t entriesDone = 0;   // entries finished (or passed over) before this one
    uint64_t entriesTotal = 0;
};
// Called on the calling thread at the start of each entry, every few MiB inside a long one
// and once at the end. Returning false stops the work within the entry, with Status::Cancelled.
using ProgressCallback = std::function<bool(const Progress& progress)>;

enum class Overwrite { Always, Never, Ask };

struct ExtractOptions {
    std::string targetDir;                 // empty: the current directory
    bool junkPaths = false;                // true: every file straight into targetDir
    Overwrite overwrite = Overwrite::Ask;
    std::vector<std::string> names;        // empty: every entry; else the entries EntryNameIndex finds
    std::function<bool(const std::string& path)> askOverwrite;  // Ask: true replaces the file; none keeps it
    // One readable line per event, with the status it reports: Skipped for a kept file,
    // NotFound for a missing name, the damage for a damaged entry.
    std::function<void(Status status, const std::string& line)> report;
    // Each file once it is written whole, with the path it was written to.
    std::function<void(const std::string& path)> extracted;
    // Stopping leaves the files written whole before; the file being written is removed.
    ProgressCallback progress;
};

struct ExtractResult {
    // The worst problem met, Ok when there was none. From mild to grave: Skipped (a file was
    // kept), NotFound (a named entry is missing), then any damage or refusal.
    Status status = Status::Ok;
    int extracted = 0;            // files written (folders not counted)
    int skipped = 0;              // existing files kept
    int failed = 0;               // entries refused or damaged
    std::vector<std::string> namesNotFound;
};

// Extracts into the target folder. Nothing is ever written outside it: drive letters,
// leading slashes and ".." components are removed from stored names; device names and
// names with characters Windows forbids are refused with a message. Folders are made for
// directory entries; the stored date and time are restored. A damaged entry leaves no
// partial file behind. Callbacks run on the calling thread, in archive order. Stopped through
// the progress callback, the result is Cancelled.
ExtractResult Extract(const std::string& archivePath, const ExtractOptions& options);

struct UpdateOptions {
    // Files or wildcard patterns ('*' and '?' in the last component), relative to baseDir
    // unless absolute. A name that is a directory adds a directory entry.
    std::vector<std::string> add;
    std::string baseDir;                   // empty: the current directory
    bool storePaths = true;                // false: entries carry only the file name
    int level = 6;                         // 0 stored .. 9 best
    std::vector<std::string> remove;       // the entries EntryNameIndex finds for each are deleted
    unsigned threads = 0;                  // compression threads; 0: every core
    // One readable line per event, with the status it reports: Ok for progress ("adding: ..."),
    // Skipped or NothingToDo for what was passed over, the failure for a failure.
    std::function<void(Status status, const std::string& line)> report;
    // By the sources' bytes when adding, by the old archive's bytes when only deleting.
    // Stopping leaves the archive as it was, like any other failure.
    ProgressCallback progress;
};

struct UpdateResult {
    Status status = Status::Ok;   // Ok, or the first failure (then the old archive is untouched)
    int added = 0;                // new entries
    int replaced = 0;             // entries replaced by a file of the same name
    int deleted = 0;
    int copied = 0;               // unchanged entries copied as they are
};

// Creates or updates an archive. A new entry replaces one of the same name; unchanged
// entries are copied without recompression. Everything is written to a temporary file
// beside the archive, verified, and only then put in the archive's place; any failure
// leaves the old archive as it was. Zip64 records are written when needed.
UpdateResult Update(const std::string& archivePath, const UpdateOptions& options);

// A file that is a stub followed by an archive is rewritten in place so that every offset
// counts from the start of the file; it stays a valid zip archive.
Error AdjustOffsets(const std::string& path);

#ifdef _WIN32
// The caller's ANSI code page and the library's UTF-8. Towards ANSI there is no best-fit
// mapping: a character the code page lacks becomes '?', never a look-alike such as '/' or ':'.
std::string Utf8FromAnsi(const std::string& ansi);
std::string AnsiFromUtf8(const std::string& utf8);
// The library's UTF-8 for the wide-character API, through which it reaches every file.
std::wstring WideFromUtf8(const std::string& utf8);
#endif

// Names equal up to slash direction, and on Windows up to letter case, have equal keys.
std::string EntryNameKey(const std::string& name);

// Which entries a name asked for means, one rule for every operation that takes entry names:
// the entries whose names equal it exactly ('\' as '/'); only when there is none, those whose
// EntryNameKey equals its own. So a name as listed means its own entry (and any byte-identical
// duplicate of it), never another entry whose name differs only in letter case.
class EntryNameIndex {
public:
    // names[i] is entry i's name in the form that the names asked for come in.
    explicit EntryNameIndex(const std::vector<std::string>& names);
    // The indexes of the entries meant, ascending; empty when the name means none.
    std::vector<std::size_t> find(const std::string& wanted) const;

private:
    std::unordered_multimap<std::string, std::size_t> exact_;
    std::unordered_multimap<std::string, std::size_t> folded_;
};

// MS-DOS date/time helpers (local time).
void DosDateTimeFromUnix(int64_t unixTime, uint16_t& dosDate, uint16_t& dosTime);
int64_t UnixFromDosDateTime(uint16_t dosDate, uint16_t dosTime);

}  // namespace zipcore
