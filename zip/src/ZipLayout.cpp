#include "zipcore/ZipLayout.h"

#include "FileSystem.h"
#include "ZipFormat.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zipcore {

using namespace format;

bool StoredOffsetsCountFromStart(const std::string& path, std::string& problem) {
    fs::File file;
    const uint64_t size = file.open(path, "rb") ? file.size() : 0;
    if (!file.isOpen()) {
        problem = "cannot read " + path;
        return false;
    }
    const std::size_t tailSize = static_cast<std::size_t>(std::min<uint64_t>(size, kEndSize + kMaxComment));
    std::vector<uint8_t> tail(tailSize);
    const uint64_t tailStart = size - tailSize;
    if (tailSize < kEndSize || !file.readAt(tailStart, tail.data(), tailSize)) {
        problem = path + " is not a zip archive";
        return false;
    }
    // The last end record whose comment reaches exactly to the end of the file.
    std::size_t at = tailSize - kEndSize + 1;
    bool found = false;
    while (at-- > 0) {
        if (Get32(&tail[at]) == kEndSignature && at + kEndSize + Get16(&tail[at + 20]) == tailSize) {
            found = true;
            break;
        }
    }
    if (!found) {
        problem = path + " is not a zip archive";
        return false;
    }
    const uint64_t endOffset = tailStart + at;
    uint64_t directorySize = Get32(&tail[at + 12]);
    uint64_t directoryOffset = Get32(&tail[at + 16]);
    uint64_t directoryEnd = endOffset;
    uint8_t locator[kZip64LocatorSize];
    if (endOffset >= kZip64LocatorSize && file.readAt(endOffset - kZip64LocatorSize, locator, sizeof locator) &&
        Get32(locator) == kZip64LocatorSignature) {
        // Zip64: the directory ends where the Zip64 end record begins, and that record holds
        // the full offset. The locator's own pointer must be right as well.
        uint64_t zip64End = Get64(locator + 8);
        uint8_t record[kZip64EndSize];
        if (!file.readAt(zip64End, record, sizeof record) || Get32(record) != kZip64EndSignature) {
            problem = path + ": the Zip64 end record is not where the archive says";
            return false;
        }
        directorySize = Get64(record + 40);
        directoryOffset = Get64(record + 48);
        directoryEnd = zip64End;
    }
    if (directoryOffset + directorySize != directoryEnd) {
        problem = path + ": the archive's offsets do not count from the start of the file";
        return false;
    }
    uint8_t signature[4];
    if (directorySize > 0 && (!file.readAt(directoryOffset, signature, 4) || Get32(signature) != kCentralSignature)) {
        problem = path + ": the central directory is not where the archive says";
        return false;
    }
    return true;
}

}  // namespace zipcore
