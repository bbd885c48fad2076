#include "ZipLayout.h"

#include "ZipFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

using zipcore::format::kCentralSignature;
using zipcore::format::kEndSignature;
using zipcore::format::kEndSize;
using zipcore::format::kZip64EndSignature;
using zipcore::format::kZip64LocatorSignature;
constexpr std::size_t kLocatorSize = zipcore::format::kZip64LocatorSize;
constexpr std::size_t kLongestComment = zipcore::format::kMaxComment;

uint64_t Little(const uint8_t* bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

class InputFile {
public:
    explicit InputFile(const std::string& path) : stream(std::fopen(path.c_str(), "rb")) {}
    ~InputFile() {
        if (stream) std::fclose(stream);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool IsOpen() const { return stream != nullptr; }
    bool Size(uint64_t& size) {
        if (_fseeki64(stream, 0, SEEK_END) != 0) return false;
        long long at = _ftelli64(stream);
        if (at < 0) return false;
        size = static_cast<uint64_t>(at);
        return true;
    }
    bool ReadAt(uint64_t offset, uint8_t* buffer, std::size_t count) {
        return _fseeki64(stream, static_cast<long long>(offset), SEEK_SET) == 0 &&
               std::fread(buffer, 1, count, stream) == count;
    }

private:
    std::FILE* stream;
};

}  // namespace

bool StoredOffsetsCountFromStart(const std::string& path, std::string& problem) {
    InputFile file(path);
    uint64_t size = 0;
    if (!file.IsOpen() || !file.Size(size)) {
        problem = "cannot read " + path;
        return false;
    }
    const std::size_t tailSize = static_cast<std::size_t>(std::min<uint64_t>(size, kEndSize + kLongestComment));
    std::vector<uint8_t> tail(tailSize);
    const uint64_t tailStart = size - tailSize;
    if (tailSize < kEndSize || !file.ReadAt(tailStart, tail.data(), tailSize)) {
        problem = path + " is not a zip archive";
        return false;
    }
    // The last end record whose comment reaches exactly to the end of the file.
    std::size_t at = tailSize - kEndSize + 1;
    bool found = false;
    while (at-- > 0) {
        if (Little(&tail[at], 4) == kEndSignature && at + kEndSize + Little(&tail[at + 20], 2) == tailSize) {
            found = true;
            break;
        }
    }
    if (!found) {
        problem = path + " is not a zip archive";
        return false;
    }
    const uint64_t endOffset = tailStart + at;
    uint64_t directorySize = Little(&tail[at + 12], 4);
    uint64_t directoryOffset = Little(&tail[at + 16], 4);
    uint64_t directoryEnd = endOffset;
    uint8_t locator[kLocatorSize];
    if (endOffset >= kLocatorSize && file.ReadAt(endOffset - kLocatorSize, locator, sizeof locator) &&
        Little(locator, 4) == kZip64LocatorSignature) {
        // Zip64: the directory ends where the Zip64 end record begins, and that record holds
        // the full offset. The locator's own pointer must be right as well.
        uint64_t zip64End = Little(locator + 8, 8);
        uint8_t record[56];
        if (!file.ReadAt(zip64End, record, sizeof record) || Little(record, 4) != kZip64EndSignature) {
            problem = path + ": the Zip64 end record is not where the archive says";
            return false;
        }
        directorySize = Little(record + 40, 8);
        directoryOffset = Little(record + 48, 8);
        directoryEnd = zip64End;
    }
    if (directoryOffset + directorySize != directoryEnd) {
        problem = path + ": the archive's offsets do not count from the start of the file";
        return false;
    }
    uint8_t signature[4];
    if (directorySize > 0 && (!file.ReadAt(directoryOffset, signature, 4) || Little(signature, 4) != kCentralSignature)) {
        problem = path + ": the central directory is not where the archive says";
        return false;
    }
    return true;
}
