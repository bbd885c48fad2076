#include "FileSystem.h"
#include "zipcore/TestHooks.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
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
        uint32_t code = u < 0x80 ? u : oem ? cp437[u - 0x80] : u;
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
    return stream_ != nullptr;
}

void File::useLargeBuffer() {
    if (stream_) std::setvbuf(stream_, nullptr, _IOFBF, 1 << 18);
}

std::size_t File::read(void* buffer, std::size_t size) {
    if (!stream_ || size == 0) return 0;
    return std::fread(buffer, 1, size, stream_);
}

bool File::readAt(uint64_t offset, void* buffer, std::size_t size) {
    return seek(offset) && read(buffer, size) == size;
}

bool File::write(const void* data, std::size_t size) {
    if (!stream_) return false;
    return size == 0 || std::fwrite(data, 1, size, stream_) == size;
}

bool File::seek(uint64_t offset) {
    if (!stream_ || offset > static_cast<uint64_t>(INT64_MAX)) return false;
#ifdef _WIN32
    return _fseeki64(stream_, static_cast<int64_t>(offset), SEEK_SET) == 0;
#else
    return fseeko(stream_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool File::seekEnd() {
    if (!stream_) return false;
#ifdef _WIN32
    return _fseeki64(stream_, 0, SEEK_END) == 0;
#else
    return fseeko(stream_, 0, SEEK_END) == 0;
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
    if (!stream_ || std::fflush(stream_) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(stream_)) == 0;
#else
    return fsync(fileno(stream_)) == 0;
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
    bool ok = std::fclose(stream_) == 0;
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
#ifdef _WIN32
    // Not following a reparse point: a link of that name counts as taken, wherever it leads.
    handle_ = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Outcome::NameTaken : Outcome::Failed;
    }
#else
    // O_EXCL fails on any existing name, a dangling symbolic link included.
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor_ < 0) return errno == EEXIST ? Outcome::NameTaken : Outcome::Failed;
#endif
    path_ = path;
    return Outcome::Created;
}

bool NewFile::write(const void* data, std::size_t size) {
    if (!isOpen()) return false;
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
#ifdef _WIN32
        const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle_, next, part, &written, nullptr) || written == 0) return false;
#else
        const ssize_t written = ::write(descriptor_, next, std::min<std::size_t>(size, 1u << 30));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
#endif
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool NewFile::finish(int64_t unixTime) {
    if (!isOpen()) return false;
#ifdef _WIN32
    // FILETIME counts 100-nanosecond steps from 1601.
    const uint64_t ticks = static_cast<uint64_t>(unixTime + 11644473600LL) * 10000000ULL;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SetFileTime(handle_, nullptr, &time, &time);
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
#else
    const struct timespec times[2] = {{static_cast<time_t>(unixTime), 0}, {static_cast<time_t>(unixTime), 0}};
    ::futimens(descriptor_, times);
    const bool closed = ::close(descriptor_) == 0;
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
    if (file == INVALID_HANDLE_VALUE) return RangeRead::CannotOpen;
    bool complete = true;
    while (size > 0) {
        // The offset rides in the request, so no separate seek is needed.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!ReadFile(file, next, want, &got, &at) || got == 0) {
            complete = false;
            break;
        }
        next += got;
        offset += got;
        size -= got;
    }
    CloseHandle(file);
#else
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return RangeRead::CannotOpen;
    bool complete = true;
    while (size > 0) {
        const ssize_t got = ::pread(file, next, std::min<std::size_t>(size, 1u << 30), static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            complete = false;
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
    return Stat(path);
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
    return Stat(path).isDirectory;
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
    // The runtime's rename will not overwrite. Move the old file aside first and bring
    // it back if the new one cannot take its place, so the target never goes missing.
    const std::wstring wideFrom = Wide(from), wideTo = Wide(to);
    if (_wrename(wideFrom.c_str(), wideTo.c_str()) == 0) return true;
    if (!Stat(to).exists) return false;
    const std::wstring aside = Wide(TemporaryNameBeside(to));
    if (_wrename(wideTo.c_str(), aside.c_str()) != 0) return false;
    const bool mayGoOn = !testhooks::betweenRenames || testhooks::betweenRenames();
    if (!mayGoOn || _wrename(wideFrom.c_str(), wideTo.c_str()) != 0) {
        _wrename(aside.c_str(), wideTo.c_str());
        return false;
    }
    if (_wremove(aside.c_str()) != 0) {
        // A read-only file can be renamed but not deleted until it is made writable.
        _wchmod(aside.c_str(), _S_IREAD | _S_IWRITE);
        _wremove(aside.c_str());
    }
    return true;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
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

bool SameFileName(const std::string& a, const std::string& b) {
#ifdef _WIN32
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] == '\\' ? '/' : a[i];
        char y = b[i] == '\\' ? '/' : b[i];
        if (std::tolower(static_cast<unsigned char>(x)) != std::tolower(static_cast<unsigned char>(y))) return false;
    }
    return true;
#else
    return a == b;
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

std::string AnsiFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return std::string();
    std::wstring wide = fs::WideFrom(CP_UTF8, utf8);
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
