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
#include <direct.h>
#include <io.h>
#include <sys/utime.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef ReplaceFile  // the system's macro would rename our own function below
#else
#include <dirent.h>
#include <unistd.h>
#include <utime.h>
#endif

namespace zipcore::fs {

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
    stream_ = std::fopen(path.c_str(), mode);
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
    bool found = _stat64(trimmed.c_str(), &st) == 0;
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
    return _utime64(path.c_str(), &times) == 0;
#else
    struct utimbuf times;
    times.actime = static_cast<time_t>(unixTime);
    times.modtime = static_cast<time_t>(unixTime);
    return ::utime(path.c_str(), &times) == 0;
#endif
}

bool MakeDirectory(const std::string& path) {
#ifdef _WIN32
    int result = _mkdir(path.c_str());
#else
    int result = ::mkdir(path.c_str(), 0777);
#endif
    if (result == 0) return true;
    return Stat(path).isDirectory;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool ReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // The runtime's rename will not overwrite. Move the old file aside first and bring
    // it back if the new one cannot take its place, so the target never goes missing.
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    if (!Stat(to).exists) return false;
    std::string aside = TemporaryNameBeside(to);
    if (std::rename(to.c_str(), aside.c_str()) != 0) return false;
    const bool mayGoOn = !testhooks::betweenRenames || testhooks::betweenRenames();
    if (!mayGoOn || std::rename(from.c_str(), to.c_str()) != 0) {
        std::rename(aside.c_str(), to.c_str());
        return false;
    }
    if (std::remove(aside.c_str()) != 0) {
        // A read-only file can be renamed but not deleted until it is made writable.
        _chmod(aside.c_str(), _S_IREAD | _S_IWRITE);
        std::remove(aside.c_str());
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
    struct __finddata64_t data;
    intptr_t handle = _findfirst64(pattern.c_str(), &data);
    if (handle == -1) return errno == ENOENT && Stat(dir.empty() ? "." : dir).isDirectory;
    do {
        std::string name = data.name;
        if (name != "." && name != "..") names.push_back(name);
    } while (_findnext64(handle, &data) == 0);
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

std::string TemporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFF);
    for (;;) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".zt%llx%x", stamp, counter.fetch_add(1));
        std::string candidate = path + suffix;
        if (!StatNoFollow(candidate).exists) return candidate;
    }
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
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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
