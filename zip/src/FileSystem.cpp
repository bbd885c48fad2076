#include "FileSystem.h"
#include "zipcore/TestHooks.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef ReplaceFile   // the Win32 macro would rename ours
#include <direct.h>
#include <io.h>
#include <sys/utime.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <utime.h>
#endif

namespace zipcore::fs {
namespace {

thread_local SystemError lastFailure;

// One character of the Basic Multilingual Plane as UTF-8.
void AppendUtf8(std::string& text, uint32_t code) {
    if (code < 0x80) {
        text.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (code >> 6)));
        text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        text.push_back(static_cast<char>(0xE0 | (code >> 12)));
        text.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

SystemError ErrnoNow() { return SystemError{SystemError::Kind::Errno, errno}; }

// Each keeps why the call failed and returns false, so that a failing path says both at once.
bool FailedWithErrno() {
    lastFailure = ErrnoNow();
    return false;
}
bool FailedWithoutCause() {
    lastFailure = SystemError();
    return false;
}
#ifdef _WIN32
SystemError LastErrorNow() { return SystemError{SystemError::Kind::LastError, static_cast<int>(GetLastError())}; }

bool FailedWithLastError() {
    lastFailure = LastErrorNow();
    return false;
}
#endif

}  // namespace

SystemError LastFailure() { return lastFailure; }

Error IoFailure(const std::string& what, const SystemError& cause) {
    if (!cause) return Error{Status::IoError, what};
    return Error{Status::IoError, what + ": " + SystemErrorText(cause), cause};
}

#ifdef _WIN32
namespace {

std::wstring WideFrom(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Utf8From(const wchar_t* wide, std::size_t size) {
    if (size == 0) return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(size), &text[0], length, nullptr, nullptr);
    return text;
}

// Paths are UTF-8. A caller that still hands over ANSI bytes, which are seldom valid UTF-8
// once they leave ASCII, gets them read as ANSI rather than a path that names nothing.
std::wstring Wide(const std::string& path) { return WideFrom(IsValidUtf8(path) ? CP_UTF8 : CP_ACP, path); }

}  // namespace
#endif

bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms could smuggle a '/' or '.' past a byte-wise check; surrogates are no characters.
        static const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string DecodeLegacyName(const std::string& bytes, bool oem) {
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return bytes;
#ifdef _WIN32
    std::wstring wide = WideFrom(oem ? CP_OEMCP : CP_ACP, bytes);
    return Utf8From(wide.data(), wide.size());
#else
    // Code page 437, the DOS default, for the upper half.
    static const uint16_t cp437[128] = {
        0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
        0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x20A7, 0x192,
        0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0x2310, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
        0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
        0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
        0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
        0x3B1, 0xDF, 0x393, 0x3C0, 0x3A3, 0x3C3, 0xB5, 0x3C4, 0x3A6, 0x398, 0x3A9, 0x3B4, 0x221E, 0x3C6, 0x3B5, 0x2229,
        0x2261, 0xB1, 0x2265, 0x2264, 0x2320, 0x2321, 0xF7, 0x2248, 0xB0, 0x2219, 0xB7, 0x221A, 0x207F, 0xB2, 0x25A0, 0xA0,
    };
    if (!oem && IsValidUtf8(bytes)) return bytes;
    std::string text;
    for (char c : bytes) {
        unsigned char u = static_cast<unsigned char>(c);
        AppendUtf8(text, u < 0x80 ? u : oem ? cp437[u - 0x80] : u);
    }
    return text;
#endif
}

File::~File() { close(); }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        stream_ = other.stream_;
        other.stream_ = nullptr;
    }
    return *this;
}

bool File::open(const std::string& path, const char* mode) {
    close();
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    stream_ = _wfopen(Wide(path).c_str(), wideMode.c_str());
#else
    stream_ = std::fopen(path.c_str(), mode);
#endif
    return stream_ != nullptr || FailedWithErrno();
}

void File::useLargeBuffer() {
    if (stream_) std::setvbuf(stream_, nullptr, _IOFBF, 1 << 18);
}

std::size_t File::read(void* buffer, std::size_t size) {
    if (!stream_ || size == 0) return 0;
    return std::fread(buffer, 1, size, stream_);
}

bool File::readAt(uint64_t offset, void* buffer, std::size_t size) {
    if (!seek(offset)) return false;
    if (read(buffer, size) == size) return true;
    return std::ferror(stream_) ? FailedWithErrno() : FailedWithoutCause();
}

bool File::write(const void* data, std::size_t size) {
    if (!stream_) return FailedWithoutCause();
    return size == 0 || std::fwrite(data, 1, size, stream_) == size || FailedWithErrno();
}

bool File::seek(uint64_t offset) {
    if (!stream_ || offset > static_cast<uint64_t>(INT64_MAX)) return FailedWithoutCause();
#ifdef _WIN32
    return _fseeki64(stream_, static_cast<int64_t>(offset), SEEK_SET) == 0 || FailedWithErrno();
#else
    return fseeko(stream_, static_cast<off_t>(offset), SEEK_SET) == 0 || FailedWithErrno();
#endif
}

bool File::seekEnd() {
    if (!stream_) return FailedWithoutCause();
#ifdef _WIN32
    return _fseeki64(stream_, 0, SEEK_END) == 0 || FailedWithErrno();
#else
    return fseeko(stream_, 0, SEEK_END) == 0 || FailedWithErrno();
#endif
}

uint64_t File::tell() {
    if (!stream_) return 0;
#ifdef _WIN32
    int64_t position = _ftelli64(stream_);
#else
    int64_t position = ftello(stream_);
#endif
    return position < 0 ? 0 : static_cast<uint64_t>(position);
}

uint64_t File::size() {
    if (!stream_) return 0;
    uint64_t here = tell();
    if (!seekEnd()) return 0;
    uint64_t end = tell();
    seek(here);
    return end;
}

bool File::flushToDisk() {
    if (!stream_) return FailedWithoutCause();
    if (std::fflush(stream_) != 0) return FailedWithErrno();
#ifdef _WIN32
    return _commit(_fileno(stream_)) == 0 || FailedWithErrno();
#else
    return fsync(fileno(stream_)) == 0 || FailedWithErrno();
#endif
}

bool File::truncate(uint64_t size) {
    if (!stream_ || std::fflush(stream_) != 0) return false;
#ifdef _WIN32
    return _chsize_s(_fileno(stream_), static_cast<int64_t>(size)) == 0;
#else
    return ftruncate(fileno(stream_), static_cast<off_t>(size)) == 0;
#endif
}

bool File::close() {
    if (!stream_) return true;
    bool ok = std::fclose(stream_) == 0 || FailedWithErrno();
    stream_ = nullptr;
    return ok;
}

NewFile::NewFile(NewFile&& other) noexcept { *this = std::move(other); }

NewFile& NewFile::operator=(NewFile&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::move(other.path_);
#ifdef _WIN32
        handle_ = other.handle_;
        other.handle_ = INVALID_HANDLE_VALUE;
#else
        descriptor_ = other.descriptor_;
        other.descriptor_ = -1;
#endif
    }
    return *this;
}

bool NewFile::isOpen() const {
#ifdef _WIN32
    return handle_ != INVALID_HANDLE_VALUE;
#else
    return descriptor_ >= 0;
#endif
}

NewFile::Outcome NewFile::create(const std::string& path) {
    discard();
#ifdef ZIPCORE_TEST_HOOKS
    if (testhooks::beforeCreate) testhooks::beforeCreate(path);
#endif
#ifdef _WIN32
    // Not following a reparse point: a link of that name counts as taken, wherever it leads.
    handle_ = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return Outcome::NameTaken;
        FailedWithLastError();
        return Outcome::Failed;
    }
#else
    // O_EXCL fails on any existing name, a dangling symbolic link included.
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor_ < 0) {
        if (errno == EEXIST) return Outcome::NameTaken;
        FailedWithErrno();
        return Outcome::Failed;
    }
#endif
    path_ = path;
    return Outcome::Created;
}

bool NewFile::write(const void* data, std::size_t size) {
    if (!isOpen()) return FailedWithoutCause();
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
#ifdef _WIN32
        const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle_, next, part, &written, nullptr)) return FailedWithLastError();
        if (written == 0) return FailedWithoutCause();
#else
        const ssize_t written = ::write(descriptor_, next, std::min<std::size_t>(size, 1u << 30));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return FailedWithErrno();
        if (written == 0) return FailedWithoutCause();
#endif
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool NewFile::finish(int64_t unixTime) {
    if (!isOpen()) return FailedWithoutCause();
#ifdef _WIN32
    // FILETIME counts 100-nanosecond steps from 1601.
    const uint64_t ticks = static_cast<uint64_t>(unixTime + 11644473600LL) * 10000000ULL;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SetFileTime(handle_, nullptr, &time, &time);
    const bool closed = CloseHandle(handle_) != 0 || FailedWithLastError();
    handle_ = INVALID_HANDLE_VALUE;
#else
    const struct timespec times[2] = {{static_cast<time_t>(unixTime), 0}, {static_cast<time_t>(unixTime), 0}};
    ::futimens(descriptor_, times);
    const bool closed = ::close(descriptor_) == 0 || FailedWithErrno();
    descriptor_ = -1;
#endif
    if (!closed) RemoveFile(path_);
    path_.clear();
    return closed;
}

void NewFile::discard() {
    if (!isOpen()) return;
    release();
    RemoveFile(path_);
    path_.clear();
}

void NewFile::release() {
#ifdef _WIN32
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
#else
    ::close(descriptor_);
    descriptor_ = -1;
#endif
}

RangeRead ReadRange(const std::string& path, uint64_t offset, void* buffer, std::size_t size) {
    char* next = static_cast<char*>(buffer);
#ifdef _WIN32
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        FailedWithLastError();
        return RangeRead::CannotOpen;
    }
    bool complete = true;
    while (size > 0) {
        // The offset rides in the request, so no separate seek is needed.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        const bool read = ReadFile(file, next, want, &got, &at) != 0;
        if (!read || got == 0) {
            // Reading at the end is no system failure, only a file shorter than expected.
            complete = read || GetLastError() == ERROR_HANDLE_EOF ? FailedWithoutCause() : FailedWithLastError();
            break;
        }
        next += got;
        offset += got;
        size -= got;
    }
    CloseHandle(file);
#else
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        FailedWithErrno();
        return RangeRead::CannotOpen;
    }
    bool complete = true;
    while (size > 0) {
        const ssize_t got = ::pread(file, next, std::min<std::size_t>(size, 1u << 30), static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            complete = got == 0 ? FailedWithoutCause() : FailedWithErrno();
            break;
        }
        next += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    ::close(file);
#endif
    return complete ? RangeRead::Complete : RangeRead::Short;
}

namespace {

FileInfo InfoFrom(bool found, uint32_t mode, uint64_t size, int64_t modified) {
    FileInfo info;
    if (!found) return info;
    info.exists = true;
    info.mode = mode;
    info.isDirectory = (mode & S_IFMT) == S_IFDIR;
    info.isRegular = (mode & S_IFMT) == S_IFREG;
    info.size = size;
    info.modified = modified;
    return info;
}

}  // namespace

FileInfo Stat(const std::string& path) {
#ifdef _WIN32
    // The runtime's stat fails on a folder path ending in a separator, unless it is a drive root.
    std::string trimmed = path;
    while (trimmed.size() > 1 && IsSeparator(trimmed.back()) && !(trimmed.size() == 3 && trimmed[1] == ':'))
        trimmed.pop_back();
    struct _stat64 st;
    bool found = _wstat64(Wide(trimmed).c_str(), &st) == 0;
#else
    struct stat st;
    bool found = ::stat(path.c_str(), &st) == 0;
#endif
    if (!found) return FileInfo{};
    return InfoFrom(true, static_cast<uint32_t>(st.st_mode), static_cast<uint64_t>(st.st_size),
                    static_cast<int64_t>(st.st_mtime));
}

FileInfo StatNoFollow(const std::string& path) {
#ifdef _WIN32
    // The attributes are the name's own: a symbolic link or a junction shows as a reparse point
    // rather than as what it leads to.
    std::string trimmed = path;
    while (trimmed.size() > 1 && IsSeparator(trimmed.back()) && !(trimmed.size() == 3 && trimmed[1] == ':'))
        trimmed.pop_back();
    const std::wstring wide = Wide(trimmed);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return FileInfo{};
    const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    uint32_t mode = folder ? _S_IFDIR | _S_IREAD | _S_IWRITE | _S_IEXEC : _S_IFREG | _S_IREAD;
    if (!folder && !(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) mode |= _S_IWRITE;
    const uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime;
    FileInfo info = InfoFrom(true, mode, (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                             static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // Links and junctions carry a name-surrogate tag. Other reparse points (a file kept in
        // the cloud, a deduplicated one) are the files themselves; an unknown tag counts as a link.
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(wide.c_str(), &found);
        DWORD tag = 0;
        if (search != INVALID_HANDLE_VALUE) {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) tag = found.dwReserved0;
            FindClose(search);
        }
        if (tag == 0 || IsReparseTagNameSurrogate(tag)) {
            info.isSymlink = true;
            info.isRegular = false;
        }
    }
    return info;
#else
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return FileInfo{};
    FileInfo info = InfoFrom(true, static_cast<uint32_t>(st.st_mode), static_cast<uint64_t>(st.st_size),
                             static_cast<int64_t>(st.st_mtime));
    info.isSymlink = S_ISLNK(st.st_mode);
    return info;
#endif
}

bool SetModified(const std::string& path, int64_t unixTime) {
#ifdef _WIN32
    struct __utimbuf64 times;
    times.actime = unixTime;
    times.modtime = unixTime;
    return _wutime64(Wide(path).c_str(), &times) == 0;
#else
    struct utimbuf times;
    times.actime = static_cast<time_t>(unixTime);
    times.modtime = static_cast<time_t>(unixTime);
    return ::utime(path.c_str(), &times) == 0;
#endif
}

bool MakeDirectory(const std::string& path) {
#ifdef _WIN32
    int result = _wmkdir(Wide(path).c_str());
#else
    int result = ::mkdir(path.c_str(), 0777);
#endif
    if (result == 0) return true;
    const SystemError cause = ErrnoNow();
    if (Stat(path).isDirectory) return true;
    lastFailure = cause;
    return false;
}

bool RemoveFile(const std::string& path) {
#ifdef _WIN32
    return _wremove(Wide(path).c_str()) == 0;
#else
    return std::remove(path.c_str()) == 0;
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // A rename will not overwrite. Move the old file aside first and bring it back if the new
    // one cannot take its place, so the target never goes missing. Renamed through the system
    // rather than the runtime, so that a failure keeps the system's own reason (a sharing
    // violation, not just "permission denied").
    const std::wstring wideFrom = Wide(from), wideTo = Wide(to);
    auto rename = [](const std::wstring& source, const std::wstring& target) {
        return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED) != 0;
    };
    if (rename(wideFrom, wideTo)) return true;
    const SystemError cause = LastErrorNow();
    if (!Stat(to).exists) {
        lastFailure = cause;
        return false;
    }
    const std::wstring aside = Wide(TemporaryNameBeside(to));
    if (!rename(wideTo, aside)) return FailedWithLastError();
#ifdef ZIPCORE_TEST_HOOKS
    const bool mayGoOn = !testhooks::betweenRenames || testhooks::betweenRenames();
#else
    const bool mayGoOn = true;
#endif
    if (!mayGoOn || !rename(wideFrom, wideTo)) {
        mayGoOn ? FailedWithLastError() : FailedWithoutCause();
        rename(aside, wideTo);
        return false;
    }
    if (_wremove(aside.c_str()) != 0) {
        // A read-only file can be renamed but not deleted until it is made writable.
        _wchmod(aside.c_str(), _S_IREAD | _S_IWRITE);
        _wremove(aside.c_str());
    }
    return true;
#else
    return std::rename(from.c_str(), to.c_str()) == 0 || FailedWithErrno();
#endif
}

bool ListDirectory(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
#ifdef _WIN32
    std::string pattern = Join(dir.empty() ? "." : dir, "*");
    struct _wfinddata64_t data;
    intptr_t handle = _wfindfirst64(Wide(pattern).c_str(), &data);
    if (handle == -1) return errno == ENOENT && Stat(dir.empty() ? "." : dir).isDirectory;
    do {
        std::string name = Utf8From(data.name, std::char_traits<wchar_t>::length(data.name));
        if (name != "." && name != "..") names.push_back(name);
    } while (_wfindnext64(handle, &data) == 0);
    _findclose(handle);
#else
    DIR* handle = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!handle) return false;
    while (struct dirent* item = ::readdir(handle)) {
        std::string name = item->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(handle);
#endif
    std::sort(names.begin(), names.end());
    return true;
}

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

bool IsAbsolute(const std::string& path) {
#ifdef _WIN32
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') return true;
#endif
    return !path.empty() && IsSeparator(path[0]);
}

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty() || dir == ".") return name;
    if (IsSeparator(dir.back())) return dir + name;
#ifdef _WIN32
    if (dir.size() == 2 && dir[1] == ':') return dir + name;  // "C:" means that drive's current folder
    return dir + "\\" + name;
#else
    return dir + "/" + name;
#endif
}

std::string TemporaryNameBeside(const std::string& path, const char* marker) {
    static std::atomic<unsigned> counter{0};
    auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFF);
    for (;;) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, "%s%llx%x", marker, stamp, counter.fetch_add(1));
        std::string candidate = path + suffix;
        if (!StatNoFollow(candidate).exists) return candidate;
    }
}

void RemoveUnusedTemporariesBeside(const std::string& path, const char* marker) {
#ifdef _WIN32
    const std::wstring stem = Wide(path + marker);
    const std::size_t cut = stem.find_last_of(L"\\/:");
    const std::wstring folder = cut == std::wstring::npos ? std::wstring() : stem.substr(0, cut + 1);
    const std::size_t stemLength = stem.size() - folder.size();
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((stem + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        // The pattern also matches short names and longer tails: only the exact shape counts.
        if (name.size() <= stemLength || _wcsnicmp(name.c_str(), stem.c_str() + folder.size(), stemLength) != 0 ||
            name.find_first_not_of(L"0123456789abcdef", stemLength) != std::wstring::npos ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        // No sharing at all: this open fails while any program still has the file open, and
        // closing it removes the file.
        HANDLE leftover = CreateFileW((folder + name).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (leftover != INVALID_HANDLE_VALUE) CloseHandle(leftover);
    } while (FindNextFileW(search, &found));
    FindClose(search);
#else
    (void)path;
    (void)marker;
#endif
}

std::string NameAsOnDisk(const std::string& path) {
#ifdef _WIN32
    // A path in the ANSI code page keeps its spelling: the found name comes back as UTF-8.
    if (path.find_first_of("*?") != std::string::npos || !IsValidUtf8(path)) return path;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return path;
    FindClose(search);
    const std::size_t cut = path.find_last_of("\\/:");
    return (cut == std::string::npos ? std::string() : path.substr(0, cut + 1)) +
           Utf8From(found.cFileName, std::char_traits<wchar_t>::length(found.cFileName));
#else
    return path;
#endif
}

namespace {

// Simple upper-case mappings of U+0080..U+058F (Latin-1, Latin Extended-A and B, IPA, Greek,
// Cyrillic, Armenian), taken from field 12 of the Unicode Character Database 14.0: every
// step-th character from first to last becomes itself plus delta. Characters whose upper
// case is more than one character (such as U+00DF) have no simple mapping and stay.
struct UpperRun {
    uint32_t first, last;
    int step, delta;
};
constexpr UpperRun kUpperRuns[] = {
    {0x00B5, 0x00B5, 1, 743}, {0x00E0, 0x00F6, 1, -32}, {0x00F8, 0x00FE, 1, -32}, {0x00FF, 0x00FF, 1, 121},
    {0x0101, 0x012F, 2, -1}, {0x0131, 0x0131, 1, -232}, {0x0133, 0x0137, 2, -1}, {0x013A, 0x0148, 2, -1},
    {0x014B, 0x0177, 2, -1}, {0x017A, 0x017E, 2, -1}, {0x017F, 0x017F, 1, -300}, {0x0180, 0x0180, 1, 195},
    {0x0183, 0x0185, 2, -1}, {0x0188, 0x0188, 1, -1}, {0x018C, 0x018C, 1, -1}, {0x0192, 0x0192, 1, -1},
    {0x0195, 0x0195, 1, 97}, {0x0199, 0x0199, 1, -1}, {0x019A, 0x019A, 1, 163}, {0x019E, 0x019E, 1, 130},
    {0x01A1, 0x01A5, 2, -1}, {0x01A8, 0x01A8, 1, -1}, {0x01AD, 0x01AD, 1, -1}, {0x01B0, 0x01B0, 1, -1},
    {0x01B4, 0x01B6, 2, -1}, {0x01B9, 0x01B9, 1, -1}, {0x01BD, 0x01BD, 1, -1}, {0x01BF, 0x01BF, 1, 56},
    {0x01C5, 0x01C5, 1, -1}, {0x01C6, 0x01C6, 1, -2}, {0x01C8, 0x01C8, 1, -1}, {0x01C9, 0x01C9, 1, -2},
    {0x01CB, 0x01CB, 1, -1}, {0x01CC, 0x01CC, 1, -2}, {0x01CE, 0x01DC, 2, -1}, {0x01DD, 0x01DD, 1, -79},
    {0x01DF, 0x01EF, 2, -1}, {0x01F2, 0x01F2, 1, -1}, {0x01F3, 0x01F3, 1, -2}, {0x01F5, 0x01F5, 1, -1},
    {0x01F9, 0x021F, 2, -1}, {0x0223, 0x0233, 2, -1}, {0x023C, 0x023C, 1, -1}, {0x023F, 0x0240, 1, 10815},
    {0x0242, 0x0242, 1, -1}, {0x0247, 0x024F, 2, -1}, {0x0250, 0x0250, 1, 10783}, {0x0251, 0x0251, 1, 10780},
    {0x0252, 0x0252, 1, 10782}, {0x0253, 0x0253, 1, -210}, {0x0254, 0x0254, 1, -206}, {0x0256, 0x0257, 1, -205},
    {0x0259, 0x0259, 1, -202}, {0x025B, 0x025B, 1, -203}, {0x025C, 0x025C, 1, 42319}, {0x0260, 0x0260, 1, -205},
    {0x0261, 0x0261, 1, 42315}, {0x0263, 0x0263, 1, -207}, {0x0265, 0x0265, 1, 42280}, {0x0266, 0x0266, 1, 42308},
    {0x0268, 0x0268, 1, -209}, {0x0269, 0x0269, 1, -211}, {0x026A, 0x026A, 1, 42308}, {0x026B, 0x026B, 1, 10743},
    {0x026C, 0x026C, 1, 42305}, {0x026F, 0x026F, 1, -211}, {0x0271, 0x0271, 1, 10749}, {0x0272, 0x0272, 1, -213},
    {0x0275, 0x0275, 1, -214}, {0x027D, 0x027D, 1, 10727}, {0x0280, 0x0280, 1, -218}, {0x0282, 0x0282, 1, 42307},
    {0x0283, 0x0283, 1, -218}, {0x0287, 0x0287, 1, 42282}, {0x0288, 0x0288, 1, -218}, {0x0289, 0x0289, 1, -69},
    {0x028A, 0x028B, 1, -217}, {0x028C, 0x028C, 1, -71}, {0x0292, 0x0292, 1, -219}, {0x029D, 0x029D, 1, 42261},
    {0x029E, 0x029E, 1, 42258}, {0x0345, 0x0345, 1, 84}, {0x0371, 0x0373, 2, -1}, {0x0377, 0x0377, 1, -1},
    {0x037B, 0x037D, 1, 130}, {0x03AC, 0x03AC, 1, -38}, {0x03AD, 0x03AF, 1, -37}, {0x03B1, 0x03C1, 1, -32},
    {0x03C2, 0x03C2, 1, -31}, {0x03C3, 0x03CB, 1, -32}, {0x03CC, 0x03CC, 1, -64}, {0x03CD, 0x03CE, 1, -63},
    {0x03D0, 0x03D0, 1, -62}, {0x03D1, 0x03D1, 1, -57}, {0x03D5, 0x03D5, 1, -47}, {0x03D6, 0x03D6, 1, -54},
    {0x03D7, 0x03D7, 1, -8}, {0x03D9, 0x03EF, 2, -1}, {0x03F0, 0x03F0, 1, -86}, {0x03F1, 0x03F1, 1, -80},
    {0x03F2, 0x03F2, 1, 7}, {0x03F3, 0x03F3, 1, -116}, {0x03F5, 0x03F5, 1, -96}, {0x03F8, 0x03F8, 1, -1},
    {0x03FB, 0x03FB, 1, -1}, {0x0430, 0x044F, 1, -32}, {0x0450, 0x045F, 1, -80}, {0x0461, 0x0481, 2, -1},
    {0x048B, 0x04BF, 2, -1}, {0x04C2, 0x04CE, 2, -1}, {0x04CF, 0x04CF, 1, -15}, {0x04D1, 0x052F, 2, -1},
    {0x0561, 0x0586, 1, -48},
};

uint32_t SimpleUpper(uint32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    const UpperRun* run = std::upper_bound(std::begin(kUpperRuns), std::end(kUpperRuns), c,
                                           [](uint32_t code, const UpperRun& r) { return code < r.first; });
    if (run == std::begin(kUpperRuns)) return c;
    --run;
    if (c > run->last || (c - run->first) % static_cast<uint32_t>(run->step) != 0) return c;
    return static_cast<uint32_t>(static_cast<int64_t>(c) + run->delta);
}

// Upper-cases the two-byte UTF-8 characters the table covers; everything else, malformed
// bytes included, stays as it is.
std::string SimpleUpperUtf8(const std::string& text) {
    std::string upper;
    upper.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            upper.push_back(static_cast<char>(SimpleUpper(lead)));
        } else if ((lead >> 5) == 6 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80 &&
                   lead >= 0xC2) {
            AppendUtf8(upper, SimpleUpper(((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3Fu)));
        } else {
            upper.push_back(static_cast<char>(lead));
        }
    }
    return upper;
}

}  // namespace

std::string SameFileKey(const std::string& path) {
    // Windows drops the trailing dots and blanks of a name, so "a.txt." opens "a.txt".
    std::string trimmed;
    trimmed.reserve(path.size());
    std::size_t componentStart = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
        std::size_t end = i;
        while (end > componentStart && (path[end - 1] == '.' || path[end - 1] == ' ')) --end;
        trimmed.append(path, componentStart, end - componentStart);
        if (i < path.size()) trimmed.push_back('/');
        componentStart = i + 1;
    }
    const std::string upper = SimpleUpperUtf8(trimmed);
#ifdef _WIN32
    // Then as the system upper-cases, for the scripts the table leaves out. Folding more than
    // the file system does only writes two files one after the other that could have gone
    // side by side; folding less could let the earlier entry win.
    const std::wstring wide = Wide(upper);
    if (wide.empty()) return upper;
    std::wstring system(wide.size(), L'\0');
    const int length = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()),
                                    &system[0], static_cast<int>(system.size()));
    if (length <= 0) return upper;
    return Utf8From(system.data(), static_cast<std::size_t>(length));
#else
    return upper;
#endif
}


#ifdef _WIN32
namespace {

// The runtime reports no file identity on Windows (st_ino is 0), so ask the system for the
// volume serial number and file index: two names of one file agree on both, whatever the
// spelling (case, short name, relative path); two different files never do.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& identity) {
    HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &identity) != 0;
    CloseHandle(file);
    return known;
}

}  // namespace
#endif

bool SameFile(const std::string& a, const std::string& b) {
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION x, y;
    return FileIdentity(a, x) && FileIdentity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
#else
    struct stat x, y;
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
#endif
}

}  // namespace zipcore::fs

#ifdef _WIN32
namespace zipcore {

std::string Utf8FromAnsi(const std::string& ansi) { return fs::DecodeLegacyName(ansi, false); }

std::wstring WideFromUtf8(const std::string& utf8) { return fs::WideFrom(CP_UTF8, utf8); }

std::string AnsiFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return std::string();
    std::wstring wide = WideFromUtf8(utf8);
    // No best fit: a fullwidth solidus or colon must not become a path separator or a drive
    // colon in the name the caller builds paths from. What the page lacks becomes '?'.
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, "?", nullptr);
    std::string ansi(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &ansi[0],
                            length, "?", nullptr);
    return ansi;
}

}  // namespace zipcore
#endif

namespace zipcore {

std::string SystemErrorText(const SystemError& error) {
#ifdef _WIN32
    if (error.kind == SystemError::Kind::LastError) {
        wchar_t* text = nullptr;
        const DWORD length =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(error.code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::string said = length ? fs::Utf8From(text, length) : std::string();
        LocalFree(text);
        // The system's sentences end in a full stop and a line break; the line goes on after it.
        while (!said.empty() && (said.back() == '.' || std::isspace(static_cast<unsigned char>(said.back()))))
            said.pop_back();
        if (!said.empty()) return said;
        // A system without message texts still reads clearly for the failure most worth knowing.
        if (error.code == ERROR_DISK_FULL || error.code == ERROR_HANDLE_DISK_FULL) return "the disk is full";
        return "system error " + std::to_string(error.code);
    }
#endif
    if (error.kind == SystemError::Kind::None) return std::string();
    // Copied at once: the runtime may reuse its buffer on the next call.
    const char* text = std::strerror(error.code);
    return text ? text : "error " + std::to_string(error.code);
}

}  // namespace zipcore
