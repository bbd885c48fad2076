#include "ZipFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>

namespace zipcore {
namespace {

using namespace format;

constexpr std::size_t kDirectoryBlock = 1 << 20;   // central directory read granularity

Error Fail(Status status, std::string message) { return Error{status, std::move(message)}; }

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

constexpr uint16_t kFlagUtf8 = 0x800;
constexpr uint16_t kNtfsExtraId = 0x000a;
constexpr uint16_t kUnicodePathExtraId = 0x7075;

// What the optional extra fields say about the name and the time.
struct NameAndTime {
    bool hasUnicodePath = false;
    std::string unicodePath;
    bool hasNtfsTime = false;
    int64_t ntfsTime = 0;
    bool hasUnixTime = false;
    int64_t unixTime = 0;
};

void ReadNameAndTime(uint16_t id, const uint8_t* field, std::size_t length, const std::string& storedName,
                     NameAndTime& found) {
    if (id == kUnicodePathExtraId && length >= 5 && field[0] == 1) {
        // Valid only while the stored name is the one it was made for: a tool that renamed
        // the entry without knowing the field leaves a stale one behind.
        uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(storedName.data()),
                          static_cast<uInt>(storedName.size()));
        std::string path(reinterpret_cast<const char*>(field + 5), length - 5);
        if (Get32(field + 1) == static_cast<uint32_t>(crc) && !path.empty() && fs::IsValidUtf8(path)) {
            found.hasUnicodePath = true;
            found.unicodePath = std::move(path);
        }
    } else if (id == kNtfsExtraId && length >= 4) {
        // Four reserved bytes, then tagged attributes; tag 1 holds three FILETIMEs, modified first.
        for (std::size_t at = 4; at + 4 <= length;) {
            uint16_t tag = Get16(field + at), size = Get16(field + at + 2);
            if (at + 4 + size > length) break;
            if (tag == 1 && size >= 8) {
                const uint64_t ticks = Get64(field + at + 4);   // 100 ns since 1601, UTC
                if (ticks != 0) {
                    found.hasNtfsTime = true;
                    found.ntfsTime = static_cast<int64_t>(ticks / 10000000u) - 11644473600LL;
                }
            }
            at += 4 + size;
        }
    } else if (id == 0x5455 && length >= 5 && (field[0] & 1)) {
        // Extended timestamp: a flag byte, then the modification time in seconds since 1970, UTC.
        found.hasUnixTime = true;
        found.unixTime = static_cast<int64_t>(Get32(field + 1));
    }
}

// Hosts whose names are in the OEM code page: MS-DOS/FAT, OS/2 HPFS, Windows NTFS and VFAT.
bool UsesOemNames(uint16_t versionMadeBy) {
    const unsigned host = versionMadeBy >> 8;
    return host == 0 || host == 6 || host == 11 || host == 14;
}

void DecodeNameAndTime(Entry& entry, const NameAndTime& found) {
    if ((entry.flags & kFlagUtf8) && fs::IsValidUtf8(entry.storedName))
        entry.name = entry.storedName;
    else if (found.hasUnicodePath)
        entry.name = found.unicodePath;
    // Info-ZIP zip on Unix and the Mac's archiver store UTF-8 without saying so. Bytes in an
    // 8-bit code page are valid UTF-8 by accident only in contrived cases ("Ã©").
    else if (!UsesOemNames(entry.versionMadeBy) && fs::IsValidUtf8(entry.storedName))
        entry.name = entry.storedName;
    else
        entry.name = fs::DecodeLegacyName(entry.storedName, UsesOemNames(entry.versionMadeBy));
    if (found.hasNtfsTime || found.hasUnixTime) {
        entry.hasExactTime = true;
        entry.modified = found.hasNtfsTime ? found.ntfsTime : found.unixTime;
    }
}

}  // namespace

namespace format {

void DecodeLocalName(Entry& entry, const uint8_t* extra, std::size_t extraLength) {
    NameAndTime found;
    for (std::size_t at = 0; at + 4 <= extraLength;) {
        const uint16_t id = Get16(extra + at), length = Get16(extra + at + 2);
        if (at + 4 + length > extraLength) break;
        ReadNameAndTime(id, extra + at + 4, length, entry.storedName, found);
        at += 4 + length;
    }
    DecodeNameAndTime(entry, found);
}

}  // namespace format

namespace {

// Sequential reader over a file region that hands out contiguous record spans,
// so that a large central directory costs one read per megabyte, not one per entry.
class RegionCursor {
public:
    RegionCursor(fs::File& file, uint64_t start, uint64_t length)
        : file_(file), next_(start), remaining_(length) {}

    // Makes `size` bytes available at data(); false when the region ends first.
    bool need(std::size_t size) {
        if (buffer_.size() - position_ >= size) return true;
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(position_));
        position_ = 0;
        while (buffer_.size() < size) {
            if (remaining_ == 0) return false;
            std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(
                remaining_, std::max(kDirectoryBlock, size - buffer_.size())));
            std::size_t old = buffer_.size();
            buffer_.resize(old + want);
            if (!file_.readAt(next_, buffer_.data() + old, want)) {
                buffer_.resize(old);
                return false;
            }
            next_ += want;
            remaining_ -= want;
        }
        return true;
    }
    const uint8_t* data() const { return buffer_.data() + position_; }
    void skip(std::size_t size) { position_ += size; }
    uint64_t left() const { return remaining_ + (buffer_.size() - position_); }

private:
    fs::File& file_;
    uint64_t next_;
    uint64_t remaining_;
    std::vector<uint8_t> buffer_;
    std::size_t position_ = 0;
};

class ArchiveReader final : public ArchiveView {
public:
    explicit ArchiveReader(std::string path) : path_(std::move(path)) {}

    Error load(bool salvage);

    const Error& damage() const override { return damage_; }
    const std::vector<Entry>& entries() const override { return entries_; }
    const std::string& comment() const override { return comment_; }
    uint64_t prefixLength() const override { return prefix_; }
    Error ReadEntry(std::size_t index, const Sink& sink) override;
    Error ReadCompressed(std::size_t index, std::vector<uint8_t>& data) override;

    const std::vector<CentralExtras>& extras() const override { return extras_; }
    uint64_t centralOffset() const override { return centralOffset_; }
    uint64_t centralSize() const override { return centralSize_; }
    uint64_t offsetShift() const override { return shift_; }
    uint64_t endRecordOffset() const override { return endOffset_; }
    bool hasZip64End() const override { return hasZip64_; }
    uint64_t zip64EndOffset() const override { return zip64EndOffset_; }
    uint64_t zip64LocatorOffset() const override { return zip64LocatorOffset_; }
    uint64_t fileSize() const override { return fileSize_; }
    Error Locate(std::size_t index, LocalLayout& layout) override;
    fs::File& file() override { return file_; }
    void closeFile() override { file_.close(); }

private:
    Error findEnd(uint64_t& entryCount);
    Error readDirectory(uint64_t entryCount);
    Error checkRanges();
    Error salvage(Error damage);
    uint64_t measureDescriptor(const Entry& entry, uint64_t at, bool zip64Sizes);
    bool readCached(uint64_t offset, void* buffer, std::size_t size);

    std::string path_;
    fs::File file_;
    uint64_t fileSize_ = 0;
    Error damage_;   // why the central directory could not be read, when salvaged
    std::vector<Entry> entries_;
    std::vector<CentralExtras> extras_;
    std::string comment_;
    uint64_t prefix_ = 0;
    uint64_t shift_ = 0;
    uint64_t centralOffset_ = 0;
    uint64_t centralSize_ = 0;
    uint64_t endOffset_ = 0;
    bool hasZip64_ = false;
    uint64_t zip64EndOffset_ = 0;
    uint64_t zip64LocatorOffset_ = 0;
    std::vector<uint8_t> input_;
    std::vector<uint8_t> output_;
    // Local headers and small entries are read through a window, so walking many small
    // entries in file order costs one read per window, not several per entry.
    std::vector<uint8_t> window_;
    uint64_t windowStart_ = 0;
};

bool StartsWithLocalHeader(fs::File& file, uint64_t size) {
    uint8_t head[4];
    return size >= 4 && file.readAt(0, head, 4) && Get32(head) == kLocalSignature;
}

Error ArchiveReader::findEnd(uint64_t& entryCount) {
    const uint64_t tailLength = std::min<uint64_t>(fileSize_, kEndSize + kMaxComment);
    const uint64_t tailStart = fileSize_ - tailLength;
    std::vector<uint8_t> tail(static_cast<std::size_t>(tailLength));
    if (!file_.readAt(tailStart, tail.data(), tail.size()))
        return fs::IoFailure("cannot read " + path_);

    // Prefer a record whose comment reaches exactly to the end of the file, and of those the
    // first: a comment may itself contain bytes that look like an end record. A record
    // followed by stray bytes is accepted only when no exact one exists (the last such).
    std::ptrdiff_t exact = -1, loose = -1;
    for (std::ptrdiff_t at = static_cast<std::ptrdiff_t>(tail.size()) - static_cast<std::ptrdiff_t>(kEndSize);
         at >= 0; --at) {
        const uint8_t* p = tail.data() + at;
        if (p[0] != 'P' || p[1] != 'K' || Get32(p) != kEndSignature) continue;
        std::size_t end = static_cast<std::size_t>(at) + kEndSize + Get16(p + 20);
        if (end == tail.size()) exact = at;
        else if (end < tail.size() && loose < 0) loose = at;
    }
    std::ptrdiff_t found = exact >= 0 ? exact : loose;
    if (found < 0) {
        if (StartsWithLocalHeader(file_, fileSize_))
            return Fail(Status::Truncated, path_ + ": the archive is truncated (its central directory is missing)");
        return Fail(Status::NotZip, path_ + " is not a zip archive");
    }
    const uint8_t* end = tail.data() + found;
    endOffset_ = tailStart + static_cast<uint64_t>(found);
    comment_.assign(reinterpret_cast<const char*>(end + kEndSize), Get16(end + 20));

    uint16_t disk = Get16(end + 4), centralDisk = Get16(end + 6);
    entryCount = Get16(end + 10);
    centralSize_ = Get32(end + 12);
    uint64_t recordedOffset = Get32(end + 16);
    uint64_t centralEnd = endOffset_;

    // Zip64: a locator right in front of the end record points at the Zip64 end record.
    if (endOffset_ >= kZip64LocatorSize) {
        uint8_t locator[kZip64LocatorSize];
        uint64_t at = endOffset_ - kZip64LocatorSize;
        if (file_.readAt(at, locator, sizeof locator) && Get32(locator) == kZip64LocatorSignature) {
            uint64_t recorded = Get64(locator + 8);
            uint8_t record[kZip64EndSize];
            uint64_t candidates[2] = {at >= kZip64EndSize ? at - kZip64EndSize : UINT64_MAX, recorded};
            bool found64 = false;
            for (uint64_t candidate : candidates) {
                if (candidate == UINT64_MAX || candidate > at) continue;
                if (file_.readAt(candidate, record, sizeof record) && Get32(record) == kZip64EndSignature) {
                    zip64EndOffset_ = candidate;
                    found64 = true;
                    break;
                }
            }
            if (!found64)
                return Fail(Status::BadOffsets, path_ + ": the Zip64 end record is missing");
            hasZip64_ = true;
            zip64LocatorOffset_ = at;
            disk = static_cast<uint16_t>(Get32(record + 16) != 0);
            centralDisk = static_cast<uint16_t>(Get32(record + 20) != 0);
            entryCount = Get64(record + 32);
            centralSize_ = Get64(record + 40);
            recordedOffset = Get64(record + 48);
            centralEnd = zip64EndOffset_;
        }
    }
    if (disk != 0 || centralDisk != 0)
        return Fail(Status::NotZip, path_ + " is one part of a multi-volume archive, which is not supported");
    if (centralSize_ > centralEnd)
        return Fail(Status::BadOffsets, path_ + ": the central directory is larger than the file");
    centralOffset_ = centralEnd - centralSize_;
    if (recordedOffset > centralOffset_)
        return Fail(Status::BadOffsets, path_ + ": the central directory is not where the end record says");
    // A stub put in front without adjusting the offsets shifts everything by its length.
    shift_ = centralOffset_ - recordedOffset;
    return {};
}

Error ArchiveReader::readDirectory(uint64_t entryCount) {
    // The count comes from the file: never trust it for more than a cheap reservation.
    entries_.reserve(static_cast<std::size_t>(std::min<uint64_t>(entryCount, centralSize_ / kCentralHeaderSize)));
    extras_.reserve(entries_.capacity());
    RegionCursor cursor(file_, centralOffset_, centralSize_);
    while (cursor.left() >= 4) {
        if (!cursor.need(4) || Get32(cursor.data()) != kCentralSignature) break;
        if (!cursor.need(kCentralHeaderSize))
            return Fail(Status::BadOffsets, path_ + ": the central directory is damaged");
        const uint8_t* h = cursor.data();
        Entry entry;
        CentralExtras more;
        entry.versionMadeBy = Get16(h + 4);
        more.versionNeeded = Get16(h + 6);
        entry.flags = Get16(h + 8);
        entry.method = Get16(h + 10);
        entry.dosTime = Get16(h + 12);
        entry.dosDate = Get16(h + 14);
        entry.crc32 = Get32(h + 16);
        entry.compressedSize = Get32(h + 20);
        entry.uncompressedSize = Get32(h + 24);
        std::size_t nameLength = Get16(h + 28), extraLength = Get16(h + 30), commentLength = Get16(h + 32);
        more.internalAttributes = Get16(h + 36);
        entry.externalAttributes = Get32(h + 38);
        uint64_t offset = Get32(h + 42);
        std::size_t total = kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (!cursor.need(total))
            return Fail(Status::BadOffsets, path_ + ": the central directory is damaged (entry " +
                                                std::to_string(entries_.size() + 1) + " runs past its end)");
        h = cursor.data();
        entry.storedName.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
        NameAndTime nameAndTime;
        const uint8_t* extra = h + kCentralHeaderSize + nameLength;
        more.comment.assign(reinterpret_cast<const char*>(extra + extraLength), commentLength);

        bool wantUncompressed = entry.uncompressedSize == kMax32;
        bool wantCompressed = entry.compressedSize == kMax32;
        bool wantOffset = offset == kMax32;
        for (std::size_t at = 0; at + 4 <= extraLength;) {
            uint16_t id = Get16(extra + at), length = Get16(extra + at + 2);
            if (at + 4 + length > extraLength) {
                more.extra.append(reinterpret_cast<const char*>(extra + at), extraLength - at);
                break;
            }
            if (id == kZip64ExtraId) {
                // Only the fields whose 32-bit slot is saturated are present, in this order.
                const uint8_t* field = extra + at + 4;
                std::size_t left = length;
                auto take = [&](bool& wanted, uint64_t& value) {
                    if (!wanted || left < 8) return;
                    value = Get64(field);
                    field += 8;
                    left -= 8;
                    wanted = false;
                };
                take(wantUncompressed, entry.uncompressedSize);
                take(wantCompressed, entry.compressedSize);
                take(wantOffset, offset);
            } else {
                ReadNameAndTime(id, extra + at + 4, length, entry.storedName, nameAndTime);
                more.extra.append(reinterpret_cast<const char*>(extra + at), 4 + length);
            }
            at += 4 + length;
        }
        DecodeNameAndTime(entry, nameAndTime);
        if (offset + shift_ < offset)
            return Fail(Status::BadOffsets, path_ + ": bad local header offset for " + Quoted(entry.name));
        entry.localHeaderOffset = offset + shift_;
        cursor.skip(total);
        entries_.push_back(std::move(entry));
        extras_.push_back(std::move(more));
    }
    uint64_t found = entries_.size();
    // Writers without Zip64 support store the count modulo 65536.
    bool countMatches = found == entryCount || (!hasZip64_ && (found & 0xFFFF) == entryCount);
    if (!countMatches)
        return Fail(Status::BadOffsets, path_ + ": the central directory holds " + std::to_string(found) +
                                            " entries, the end record says " + std::to_string(entryCount));
    return {};
}

// Zip bombs reuse the same compressed bytes for many entries; sorting the entries by
// offset finds any two whose data ranges overlap in n log n.
Error ArchiveReader::checkRanges() {
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return entries_[a].localHeaderOffset < entries_[b].localHeaderOffset;
    });
    const uint64_t centralEnd = hasZip64_ ? zip64EndOffset_ : endOffset_;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const Entry& entry = entries_[order[k]];
        uint64_t start = entry.localHeaderOffset;
        if (start >= centralOffset_) {
            if (start < centralEnd)
                return Fail(Status::Overlapping, path_ + ": the local header of " + Quoted(entry.name) +
                                                     " points into the central directory");
            return Fail(Status::BadOffsets, path_ + ": the local header of " + Quoted(entry.name) +
                                                    " lies outside the archive");
        }
        uint64_t bound = k + 1 < order.size() ? entries_[order[k + 1]].localHeaderOffset : centralOffset_;
        // The local header repeats the name, so this is the least the entry can occupy.
        uint64_t least = kLocalHeaderSize + entry.storedName.size();
        bool fits = entry.compressedSize <= bound - start && least <= bound - start - entry.compressedSize;
        if (!fits) {
            if (k + 1 < order.size())
                return Fail(Status::Overlapping, path_ + ": entries " + Quoted(entry.name) + " and " +
                                                     Quoted(entries_[order[k + 1]].name) + " overlap");
            return Fail(Status::Overlapping, path_ + ": the data of " + Quoted(entry.name) +
                                                 " runs into the central directory");
        }
    }
    prefix_ = order.empty() ? centralOffset_ : entries_[order.front()].localHeaderOffset;
    return {};
}

Error ArchiveReader::load(bool wantSalvage) {
    fs::FileInfo info = fs::Stat(path_);
    if (!info.exists) return Fail(Status::NotFound, path_ + ": no such file");
    if (info.isDirectory) return Fail(Status::NotZip, path_ + " is a folder, not a zip archive");
    if (!file_.open(path_, "rb")) return fs::IoFailure("cannot open " + path_);
    fileSize_ = file_.size();
    if (fileSize_ < kEndSize) {
        if (StartsWithLocalHeader(file_, fileSize_))
            return Fail(Status::Truncated, path_ + ": the archive is truncated");
        return Fail(Status::NotZip, path_ + " is not a zip archive");
    }
    uint64_t entryCount = 0;
    Error error = findEnd(entryCount);
    if (!error) error = readDirectory(entryCount);
    if (!error) error = checkRanges();
    // A cut-off archive can end inside an archive stored in it, whose directory is then the
    // one found: it describes none of the entries from the start of the file.
    if (!error && wantSalvage && prefix_ != 0 && StartsWithLocalHeader(file_, fileSize_))
        error = Fail(Status::Truncated, path_ + ": the directory found does not describe the entries at the start");
    if (error && wantSalvage && error.status != Status::IoError) return salvage(std::move(error));
    return error;
}

Error ArchiveReader::salvage(Error damage) {
    SalvagedEntries found;
    if (Error error = SalvageEntries(file_, fileSize_, path_, found)) return error.status == Status::NotZip ? damage : error;
    entries_ = std::move(found.entries);
    extras_ = std::move(found.extras);
    comment_.clear();
    // No directory: everything up to the end of the file may be entry data.
    shift_ = 0;
    hasZip64_ = false;
    centralOffset_ = endOffset_ = fileSize_;
    centralSize_ = 0;
    prefix_ = entries_.front().localHeaderOffset;
    damage_ = std::move(damage);
    return {};
}

bool ArchiveReader::readCached(uint64_t offset, void* buffer, std::size_t size) {
    constexpr std::size_t kWindow = 64 * 1024;
    if (size > kWindow / 2) return file_.readAt(offset, buffer, size);
    if (offset < windowStart_ || offset - windowStart_ + size > window_.size()) {
        if (offset >= fileSize_) return false;
        std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(kWindow, fileSize_ - offset));
        window_.resize(want);
        if (!file_.readAt(offset, window_.data(), want)) {
            window_.clear();
            return false;
        }
        windowStart_ = offset;
        if (size > want) return false;
    }
    std::memcpy(buffer, window_.data() + (offset - windowStart_), size);
    return true;
}

uint64_t ArchiveReader::measureDescriptor(const Entry& entry, uint64_t at, bool zip64Sizes) {
    uint8_t bytes[24] = {};
    std::size_t available = static_cast<std::size_t>(std::min<uint64_t>(24, fileSize_ - std::min(at, fileSize_)));
    if (available < 12 || !readCached(at, bytes, available)) return 0;
    auto matches = [&](std::size_t skip, bool wide) {
        std::size_t size = skip + 4 + (wide ? 16 : 8);
        if (size > available || Get32(bytes + skip) != entry.crc32) return false;
        const uint8_t* sizes = bytes + skip + 4;
        if (wide) return Get64(sizes) == entry.compressedSize && Get64(sizes + 8) == entry.uncompressedSize;
        return Get32(sizes) == static_cast<uint32_t>(entry.compressedSize) &&
               Get32(sizes + 4) == static_cast<uint32_t>(entry.uncompressedSize);
    };
    bool signature = Get32(bytes) == kDescriptorSignature;
    for (bool wide : {zip64Sizes, !zip64Sizes}) {
        if (signature && matches(4, wide)) return wide ? 24 : 16;
        if (matches(0, wide)) return wide ? 20 : 12;
    }
    return 0;
}

Error ArchiveReader::Locate(std::size_t index, LocalLayout& layout) {
    const Entry& entry = entries_.at(index);
    uint8_t header[kLocalHeaderSize];
    if (!readCached(entry.localHeaderOffset, header, sizeof header))
        return Fail(Status::Truncated, Quoted(entry.name) + ": the archive ends inside its local header");
    if (Get32(header) != kLocalSignature)
        return Fail(Status::BadOffsets, Quoted(entry.name) + ": no local header at offset " +
                                            std::to_string(entry.localHeaderOffset));
    uint16_t flags = Get16(header + 6), method = Get16(header + 8);
    uint32_t crc = Get32(header + 14);
    uint64_t compressed = Get32(header + 18), uncompressed = Get32(header + 22);
    std::size_t nameLength = Get16(header + 26), extraLength = Get16(header + 28);
    std::vector<uint8_t> variable(nameLength + extraLength);
    if (!variable.empty() && !readCached(entry.localHeaderOffset + kLocalHeaderSize, variable.data(), variable.size()))
        return Fail(Status::Truncated, Quoted(entry.name) + ": the archive ends inside its local header");
    if (nameLength != entry.storedName.size() ||
        (nameLength > 0 && std::memcmp(variable.data(), entry.storedName.data(), nameLength) != 0))
        return Fail(Status::BadOffsets, Quoted(entry.name) + ": the local header names another file (" +
                                            Quoted(std::string(variable.begin(), variable.begin() + nameLength)) + ")");
    if (method != entry.method)
        return Fail(Status::BadOffsets, Quoted(entry.name) + ": the local header gives another compression method");
    bool zip64Sizes = false;
    const uint8_t* extra = variable.data() + nameLength;
    for (std::size_t at = 0; at + 4 <= extraLength;) {
        uint16_t id = Get16(extra + at), length = Get16(extra + at + 2);
        if (at + 4 + length > extraLength) break;
        if (id == kZip64ExtraId) {
            zip64Sizes = true;
            const uint8_t* field = extra + at + 4;
            std::size_t left = length;
            if (uncompressed == kMax32 && left >= 8) { uncompressed = Get64(field); field += 8; left -= 8; }
            if (compressed == kMax32 && left >= 8) compressed = Get64(field);
        }
        at += 4 + length;
    }
    if ((flags & kFlagDescriptor) == 0 &&
        (compressed != entry.compressedSize || uncompressed != entry.uncompressedSize || crc != entry.crc32))
        return Fail(Status::BadOffsets, Quoted(entry.name) + ": the local header disagrees with the central directory "
                                            "about its size or CRC");
    layout.headerOffset = entry.localHeaderOffset;
    layout.dataOffset = entry.localHeaderOffset + kLocalHeaderSize + nameLength + extraLength;
    uint64_t dataEnd = layout.dataOffset + entry.compressedSize;
    if (dataEnd < layout.dataOffset || dataEnd > fileSize_)
        return Fail(Status::Truncated, Quoted(entry.name) + ": the archive ends inside its data");
    if (dataEnd > centralOffset_)
        return Fail(Status::Overlapping, Quoted(entry.name) + ": its data runs into the central directory");
    layout.descriptorSize =
        (flags & kFlagDescriptor) ? measureDescriptor(entry, dataEnd, zip64Sizes || entry.compressedSize >= kMax32 ||
                                                                          entry.uncompressedSize >= kMax32)
                                  : 0;
    return {};
}

}  // namespace

namespace format {

Error DecodeEntry(const Entry& entry, const InputSource& next, std::vector<uint8_t>& output, const Sink& sink) {
    if (entry.method == 0) {
        if (entry.compressedSize != entry.uncompressedSize)
            return Fail(Status::SizeMismatch, Quoted(entry.name) + ": stored entry with different packed and unpacked sizes");
        uLong crc = crc32(0, nullptr, 0);
        for (uint64_t left = entry.compressedSize; left > 0;) {
            std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(left, kDataChunk));
            const uint8_t* data = nullptr;
            if (!next(want, data))
                return Fail(Status::Truncated, Quoted(entry.name) + ": the archive ends inside its data");
            crc = crc32(crc, data, static_cast<uInt>(want));
            if (!sink(data, want)) return Fail(Status::IoError, Quoted(entry.name) + ": writing stopped");
            left -= want;
        }
        if (crc != entry.crc32)
            return Fail(Status::CrcMismatch, Quoted(entry.name) + ": CRC mismatch, the data is damaged");
        return {};
    }
    if (entry.compressedSize == 0 && entry.uncompressedSize == 0) {
        // Some writers store an empty file as "deflated" with no data at all.
        if (entry.crc32 != 0) return Fail(Status::CrcMismatch, Quoted(entry.name) + ": CRC mismatch");
        return {};
    }
    if (entry.method == 9) return DecodeDeflate64(entry, next, sink);
    output.resize(kDataChunk);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return Fail(Status::IoError, Quoted(entry.name) + ": out of memory");
    struct Ender {
        z_stream& s;
        ~Ender() { inflateEnd(&s); }
    } ender{stream};

    uint64_t inputLeft = entry.compressedSize;
    uint64_t produced = 0;
    const uint64_t declared = entry.uncompressedSize;
    uLong crc = crc32(0, nullptr, 0);
    for (;;) {
        if (stream.avail_in == 0 && inputLeft > 0) {
            std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(inputLeft, kDataChunk));
            const uint8_t* data = nullptr;
            if (!next(want, data))
                return Fail(Status::Truncated, Quoted(entry.name) + ": the archive ends inside its data");
            stream.next_in = const_cast<uint8_t*>(data);
            stream.avail_in = static_cast<uInt>(want);
            inputLeft -= want;
        }
        // Never produce more than one byte past the declared size: that byte proves the lie.
        uint64_t room = declared - produced;
        if (room < UINT64_MAX) ++room;
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(std::min<uint64_t>(room, output.size()));
        int result = inflate(&stream, Z_NO_FLUSH);
        std::size_t got = static_cast<std::size_t>(stream.next_out - output.data());
        if (got > 0) {
            std::size_t usable = static_cast<std::size_t>(std::min<uint64_t>(got, declared - produced));
            produced += got;
            crc = crc32(crc, output.data(), static_cast<uInt>(usable));
            if (usable > 0 && !sink(output.data(), usable))
                return Fail(Status::IoError, Quoted(entry.name) + ": writing stopped");
            if (produced > declared)
                return Fail(Status::SizeMismatch, Quoted(entry.name) + ": inflates past its declared size of " +
                                                      std::to_string(declared) + " bytes");
        }
        if (result == Z_STREAM_END) break;
        if (result == Z_BUF_ERROR && stream.avail_in == 0 && inputLeft == 0)
            return Fail(Status::Truncated, Quoted(entry.name) + ": the compressed data ends early");
        // With input and output room at hand, no progress means the stream is broken.
        if ((result != Z_OK && result != Z_BUF_ERROR) || (result == Z_BUF_ERROR && stream.avail_in > 0))
            return Fail(Status::CrcMismatch, Quoted(entry.name) + ": the compressed data is damaged");
    }
    if (produced != declared)
        return Fail(Status::SizeMismatch, Quoted(entry.name) + ": inflates to " + std::to_string(produced) +
                                              " bytes, " + std::to_string(declared) + " declared");
    if (crc != entry.crc32)
        return Fail(Status::CrcMismatch, Quoted(entry.name) + ": CRC mismatch, the data is damaged");
    return {};
}

}  // namespace format

namespace {

// The names of the methods other archivers write, so that a refusal says which one it was.
const char* MethodName(uint16_t method) {
    switch (method) {
    case 1: return "shrunk";
    case 2: case 3: case 4: case 5: return "reduced";
    case 6: return "imploded";
    case 10: return "PKWARE DCL imploded";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 18: return "IBM TERSE";
    case 19: return "IBM LZ77";
    case 20: case 93: return "Zstandard";
    case 94: return "MP3";
    case 95: return "xz";
    case 96: return "JPEG";
    case 97: return "WavPack";
    case 98: return "PPMd";
    case 99: return "AES encrypted";
    default: return nullptr;
    }
}

Error CheckDecodable(const Entry& entry) {
    if (entry.isEncrypted()) return Fail(Status::Encrypted, Quoted(entry.name) + " is encrypted");
    if (entry.method != 0 && entry.method != 8 && entry.method != 9) {
        const char* name = MethodName(entry.method);
        return Fail(Status::UnsupportedMethod, Quoted(entry.name) + ": compression method " +
                                                   std::to_string(entry.method) + (name ? std::string(" (") + name + ")" : "") +
                                                   " is not supported");
    }
    return {};
}

Error ArchiveReader::ReadEntry(std::size_t index, const Sink& sink) {
    if (index >= entries_.size()) return Fail(Status::NotFound, "no entry number " + std::to_string(index));
    const Entry& entry = entries_[index];
    if (Error error = CheckDecodable(entry)) return error;
    if (!file_.isOpen()) return Fail(Status::IoError, "the archive is closed");
    LocalLayout layout;
    if (Error error = Locate(index, layout)) return error;
    uint64_t at = layout.dataOffset;
    input_.resize(kDataChunk);
    return DecodeEntry(entry, [&](std::size_t want, const uint8_t*& data) {
        if (!readCached(at, input_.data(), want)) return false;
        at += want;
        data = input_.data();
        return true;
    }, output_, sink);
}

Error ArchiveReader::ReadCompressed(std::size_t index, std::vector<uint8_t>& data) {
    if (index >= entries_.size()) return Fail(Status::NotFound, "no entry number " + std::to_string(index));
    const Entry& entry = entries_[index];
    if (Error error = CheckDecodable(entry)) return error;
    LocalLayout layout;
    if (Error error = Locate(index, layout)) return error;
    // Locate has checked that the data lies inside the file, so the size is real.
    data.resize(static_cast<std::size_t>(entry.compressedSize));
    if (!data.empty() && !readCached(layout.dataOffset, data.data(), data.size()))
        return Fail(Status::Truncated, Quoted(entry.name) + ": the archive ends inside its data");
    return {};
}

}  // namespace

namespace format {

std::unique_ptr<ArchiveView> OpenView(const std::string& path, Error& error, bool salvage) {
    try {
        auto reader = std::make_unique<ArchiveReader>(path);
        error = reader->load(salvage);
        if (error) return nullptr;
        return reader;
    } catch (const std::bad_alloc&) {
        error = Fail(Status::IoError, path + ": out of memory reading the central directory");
        return nullptr;
    }
}

}  // namespace format

std::unique_ptr<Reader> Reader::Open(const std::string& path, Error& error) {
    return format::OpenView(path, error);
}

std::unique_ptr<Reader> Reader::Open(const std::string& path, Error& error, const OpenOptions& options) {
    return format::OpenView(path, error, options.salvage);
}

}  // namespace zipcore
