#pragma once
// A small file layer over the C runtime, so that the zip code itself stays free of
// platform differences (64-bit seeks, stat, utime, replacing an existing file, folders).
// Paths are UTF-8; on Windows they reach the wide-character API, so every name on disk can
// be read and written whatever the ANSI code page holds.

#include "zipcore/ZipArchive.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zipcore::fs {

// Why the last failing call of this thread into this layer failed, in the system's own code:
// errno from the C runtime and POSIX calls, GetLastError() from the Win32 ones, kept where the
// call failed, before cleaning up after it could overwrite the code. Empty when the failure
// was no system error (a file shorter than the read asked for). Set when they fail by File's
// open, readAt, write, seek, seekEnd, flushToDisk and close, NewFile's create, write and
// finish, ReadRange, MakeDirectory and ReplaceFile.
SystemError LastFailure();
// An IoError saying what could not be done, and why in the system's words when it gave a reason.
Error IoFailure(const std::string& what, const SystemError& cause = LastFailure());

// Move-only owner of a C runtime stream opened in binary mode.
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept : stream_(other.stream_) { other.stream_ = nullptr; }
    File& operator=(File&& other) noexcept;

    // mode: "rb", "wb" or "r+b".
    bool open(const std::string& path, const char* mode);
    bool isOpen() const { return stream_ != nullptr; }
    // A larger stdio buffer for streams that get many small writes.
    void useLargeBuffer();
    // Reads up to size bytes; returns the number read (short only at the end or on error).
    std::size_t read(void* buffer, std::size_t size);
    // Reads exactly size bytes at offset; false when the file is shorter or reading fails.
    bool readAt(uint64_t offset, void* buffer, std::size_t size);
    bool write(const void* data, std::size_t size);
    bool seek(uint64_t offset);
    bool seekEnd();
    uint64_t tell();
    uint64_t size();
    // Pushes buffered data to the operating system and asks it to put the data on disk.
    bool flushToDisk();
    bool truncate(uint64_t size);
    // Closes the stream; false when the final flush failed (e.g. the disk is full).
    bool close();

private:
    std::FILE* stream_ = nullptr;
};

// A file that extraction makes, written straight through the system's own calls: on Windows
// every call into the C runtime's stream layer and every reopening of the file by name costs
// a round trip through the file system that thousands of small files would pay for again
// and again. It is created only under a name that is still free, in the same call that
// checks it, and its time is set through the open handle.
class NewFile {
public:
    enum class Outcome { Created, NameTaken, Failed };

    NewFile() = default;
    ~NewFile() { discard(); }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    NewFile(NewFile&& other) noexcept;
    NewFile& operator=(NewFile&& other) noexcept;

    // NameTaken when anything, a link included, already has that name; nothing is followed.
    Outcome create(const std::string& path);
    bool isOpen() const;
    const std::string& path() const { return path_; }
    bool write(const void* data, std::size_t size);
    // Sets the modification (and access) time, seconds since 1970 UTC, and closes the file;
    // false when the close reports a failure, in which case the file is removed.
    bool finish(int64_t unixTime);
    // Closes the file if it is open and removes it: for data that turned out damaged.
    void discard();

private:
    void release();

#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
#else
    int descriptor_ = -1;
#endif
    std::string path_;
};

// Reads size bytes at offset of the file at path, opening and closing it around the one read:
// for the many small reads of adding files, without a stream's buffering and seeking.
enum class RangeRead { Complete, CannotOpen, Short };
RangeRead ReadRange(const std::string& path, uint64_t offset, void* buffer, std::size_t size);

struct FileInfo {
    bool exists = false;
    bool isDirectory = false;
    bool isRegular = false;
    bool isSymlink = false;  // the name itself is a link (on Windows, a symbolic link or a junction)
    uint64_t size = 0;
    int64_t modified = 0;    // seconds since 1970, UTC
    uint32_t mode = 0;       // st_mode bits as the runtime reports them
};

FileInfo Stat(const std::string& path);
// Like Stat, but describes a symbolic link itself rather than what it points to.
FileInfo StatNoFollow(const std::string& path);
// Sets a closed file's modification (and access) time, seconds since 1970 UTC.
bool SetModified(const std::string& path, int64_t unixTime);
bool MakeDirectory(const std::string& path);  // one level; true when it exists afterwards
bool RemoveFile(const std::string& path);
// Renames from over to, replacing an existing file (the CRT rename refuses that on Windows).
bool ReplaceFile(const std::string& from, const std::string& to);
// Names in a folder without "." and "..", sorted; false when the folder cannot be read.
bool ListDirectory(const std::string& dir, std::vector<std::string>& names);
bool IsAbsolute(const std::string& path);
bool IsSeparator(char c);
// dir + separator + name, without doubling a separator.
std::string Join(const std::string& dir, const std::string& name);
// A name beside `path` that does not exist yet, for writing a temporary file: path, then
// marker, then hexadecimal digits.
std::string TemporaryNameBeside(const std::string& path, const char* marker = ".zt");
// Removes the files named as TemporaryNameBeside(path, marker) names them that no program
// has open any more (left by a run that was killed). Only on Windows, where a file that is
// open cannot be opened exclusively; elsewhere removing an open file would succeed, so
// nothing is removed there.
void RemoveUnusedTemporariesBeside(const std::string& path, const char* marker);
// path with its last component spelled as it stands on disk (the long name, in its own
// letter case), so that replacing the file keeps its name; path itself when there is no
// such file, and always outside Windows.
std::string NameAsOnDisk(const std::string& path);
// Equal for two paths that may name one file on Windows: letter case folded by the Unicode
// simple upper-case mapping of the Latin, Greek, Cyrillic and Armenian letters (and on Windows
// then as the system upper-cases), trailing dots and blanks of every component dropped, either
// slash. Where the file system tells more names apart, equal keys still mean "perhaps the same".
std::string SameFileKey(const std::string& path);
// Whether two paths name the same file on disk (so an archive never adds itself).
bool SameFile(const std::string& a, const std::string& b);

// A name stored without a declared encoding, turned into UTF-8: from the OEM code page when
// oem is set (names written on DOS, OS/2 and Windows file systems), else from the ANSI code
// page. Natively the OEM page is taken as 437 and other names as UTF-8, or Latin-1 when
// they are not valid UTF-8.
std::string DecodeLegacyName(const std::string& bytes, bool oem);
bool IsValidUtf8(const std::string& text);

}  // namespace zipcore::fs
