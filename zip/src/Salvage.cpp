// Reading an archive from its local headers, for when the central directory is gone: the file
// is walked once from the front, each header found is checked for sense, and its data is
// skipped by its size, or, when a data descriptor holds the size, by decoding the data or
// finding the descriptor. Every entry found is only a claim: reading it checks size and CRC.

#include "Deflate64.h"
#include "ZipFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace zipcore::format {
namespace {

constexpr std::size_t kBlock = 1 << 20;
constexpr uint64_t kNowhere = UINT64_MAX;

// The file through one window of two blocks, so that any view of up to a block is one read.
class FileWindow {
public:
    FileWindow(fs::File& file, uint64_t size) : file_(file), size_(size) {}

    uint64_t size() const { return size_; }
    bool failed() const { return failed_; }

    // Up to want (at most kBlock) bytes at offset: fewer only at the end of the file.
    const uint8_t* view(uint64_t offset, std::size_t want, std::size_t& got) {
        got = 0;
        if (offset >= size_) return nullptr;
        want = static_cast<std::size_t>(std::min<uint64_t>({want, kBlock, size_ - offset}));
        if (offset < start_ || offset - start_ + want > buffer_.size()) {
            const std::size_t length = static_cast<std::size_t>(std::min<uint64_t>(2 * kBlock, size_ - offset));
            buffer_.resize(length);
            if (!file_.readAt(offset, buffer_.data(), length)) {
                buffer_.clear();
                failed_ = true;
                return nullptr;
            }
            start_ = offset;
        }
        got = want;
        return buffer_.data() + (offset - start_);
    }

    // The first place at or after from, below to, where the signature starts.
    uint64_t find(uint32_t signature, uint64_t from, uint64_t to) {
        to = std::min(to, size_);
        while (from + 4 <= to) {
            std::size_t got = 0;
            const uint8_t* block = view(from, kBlock, got);
            if (!block || got < 4) return kNowhere;
            const std::size_t span = static_cast<std::size_t>(std::min<uint64_t>(got, to - from));
            const uint8_t* const last = block + span - 3;   // the last place a signature fits
            for (const uint8_t* at = block; at < last; ++at) {
                at = static_cast<const uint8_t*>(std::memchr(at, 'P', static_cast<std::size_t>(last - at)));
                if (!at) break;
                if (Get32(at) == signature) return from + static_cast<uint64_t>(at - block);
            }
            from += span - 3;
        }
        return kNowhere;
    }

private:
    fs::File& file_;
    uint64_t size_;
    std::vector<uint8_t> buffer_;
    uint64_t start_ = 0;
    bool failed_ = false;
};

bool KnownMethod(uint16_t method) {
    return method <= 10 || method == 12 || method == 14 || method == 18 || method == 19 || method == 20 ||
           (method >= 93 && method <= 99);
}

// One local header, read and checked for sense.
struct Header {
    Entry entry;
    CentralExtras extras;
    uint64_t dataStart = 0;
    bool sizesKnown = false;   // false: the data descriptor alone knows them
};

bool ReadHeader(FileWindow& window, uint64_t at, Header& header) {
    std::size_t got = 0;
    const uint8_t* h = window.view(at, kLocalHeaderSize, got);
    if (got < kLocalHeaderSize || Get32(h) != kLocalSignature) return false;
    Entry& entry = header.entry;
    header.extras.versionNeeded = Get16(h + 4);
    entry.flags = Get16(h + 6);
    entry.method = Get16(h + 8);
    entry.dosTime = Get16(h + 10);
    entry.dosDate = Get16(h + 12);
    entry.crc32 = Get32(h + 14);
    entry.compressedSize = Get32(h + 18);
    entry.uncompressedSize = Get32(h + 22);
    const std::size_t nameLength = Get16(h + 26), extraLength = Get16(h + 28);
    // Bytes that merely look like a signature rarely get this far.
    if ((header.extras.versionNeeded & 0xFF) > 99 || !KnownMethod(entry.method) || nameLength == 0) return false;
    const uint8_t* variable = window.view(at + kLocalHeaderSize, nameLength + extraLength, got);
    if (got != nameLength + extraLength) return false;
    entry.storedName.assign(reinterpret_cast<const char*>(variable), nameLength);
    if (entry.storedName.find('\0') != std::string::npos) return false;
    const std::string extra(reinterpret_cast<const char*>(variable + nameLength), extraLength);
    const auto* field = reinterpret_cast<const uint8_t*>(extra.data());
    for (std::size_t k = 0; k + 4 <= extraLength;) {
        const uint16_t id = Get16(field + k), length = Get16(field + k + 2);
        if (k + 4 + length > extraLength) break;
        if (id == kZip64ExtraId) {
            const uint8_t* value = field + k + 4;
            std::size_t left = length;
            if (entry.uncompressedSize == kMax32 && left >= 8) { entry.uncompressedSize = Get64(value); value += 8; left -= 8; }
            if (entry.compressedSize == kMax32 && left >= 8) entry.compressedSize = Get64(value);
        } else {
            header.extras.extra.append(extra, k, 4 + length);
        }
        k += 4 + length;
    }
    entry.versionMadeBy = header.extras.versionNeeded & 0xFF;   // the host is not in a local header
    entry.localHeaderOffset = at;
    DecodeLocalName(entry, field, extraLength);
    header.dataStart = at + kLocalHeaderSize + nameLength + extraLength;
    header.sizesKnown = (entry.flags & kFlagDescriptor) == 0 || entry.compressedSize != 0;
    return true;
}

// Decodes deflated or Deflate64 data from start to find where it ends; false when it is
// damaged, cut short, or would cost more than the budget left.
bool MeasureByDecoding(FileWindow& window, const Entry& entry, uint64_t start, uint64_t& budget,
                       uint64_t& compressed, uint64_t& uncompressed) {
    uint64_t at = start;
    auto nextChunk = [&](const uint8_t*& data, std::size_t& size) {
        if (budget == 0) return false;
        data = window.view(at, static_cast<std::size_t>(std::min<uint64_t>(kDataChunk, budget)), size);
        if (!data || size == 0) return false;
        at += size;
        budget -= size;
        return true;
    };
    if (entry.method == 9) {
        deflate64::Decoder decoder(nextChunk);
        uncompressed = 0;
        for (;;) {
            const uint8_t* data = nullptr;
            std::size_t size = 0;
            const deflate64::Decoder::Result result = decoder.next(data, size);
            if (result == deflate64::Decoder::Result::End) break;
            if (result != deflate64::Decoder::Result::Output || size >= budget) return false;
            uncompressed += size;
            budget -= size;   // a few bytes may stand for gigabytes
        }
        compressed = decoder.inputUsed();
        return true;
    }
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    std::vector<uint8_t> output(kDataChunk);
    int result = Z_OK;
    while (result == Z_OK || result == Z_BUF_ERROR) {
        if (stream.avail_in == 0) {
            const uint8_t* data = nullptr;
            std::size_t size = 0;
            if (!nextChunk(data, size)) break;
            stream.next_in = const_cast<uint8_t*>(data);
            stream.avail_in = static_cast<uInt>(size);
        }
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        result = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = output.size() - stream.avail_out;
        if (produced >= budget) break;
        budget -= produced;   // a few bytes may stand for gigabytes
    }
    compressed = stream.total_in;
    uncompressed = stream.total_out;
    inflateEnd(&stream);
    return result == Z_STREAM_END;
}

// The size of a descriptor at `at` that confirms these sizes (with or without its signature,
// with 4- or 8-byte sizes), and its CRC; 0 when there is none.
std::size_t DescriptorAt(FileWindow& window, uint64_t at, uint64_t compressed, uint64_t uncompressed, uint32_t& crc) {
    std::size_t got = 0;
    const uint8_t* p = window.view(at, 24, got);
    if (!p) return 0;
    const bool signature = got >= 4 && Get32(p) == kDescriptorSignature;
    for (std::size_t skip : {std::size_t{4}, std::size_t{0}}) {
        if (skip == 4 && !signature) continue;
        const uint8_t* d = p + skip;
        if (got >= skip + 12 && Get32(d + 4) == compressed && Get32(d + 8) == uncompressed && compressed <= kMax32 &&
            uncompressed <= kMax32) {
            crc = Get32(d);
            return skip + 12;
        }
        if (got >= skip + 20 && Get64(d + 4) == compressed && Get64(d + 12) == uncompressed) {
            crc = Get32(d);
            return skip + 20;
        }
    }
    return 0;
}

// Finds the signed descriptor that closes data starting at start: the first whose compressed
// size is its own distance from the start. Stored data can hold anything, a whole zip archive
// included, so nothing else in between is taken for the end.
uint64_t FindSignedDescriptor(FileWindow& window, const Entry& entry, uint64_t start, uint64_t& budget,
                              uint64_t& compressed, uint64_t& uncompressed, uint32_t& crc, std::size_t& length) {
    const uint64_t limit = std::min(window.size(), start + budget);
    for (uint64_t at = start; at < limit; ++at) {
        at = window.find(kDescriptorSignature, at, limit);
        if (at == kNowhere) break;
        std::size_t got = 0;
        const uint8_t* d = window.view(at, 24, got);
        if (!d) break;
        const uint64_t distance = at - start;
        for (bool wide : {false, true}) {
            if (got < (wide ? 24u : 16u)) continue;
            compressed = wide ? Get64(d + 8) : Get32(d + 8);
            uncompressed = wide ? Get64(d + 16) : Get32(d + 12);
            if (compressed != distance || (entry.method == 0 && uncompressed != compressed)) continue;
            crc = Get32(d + 4);
            length = wide ? 24 : 16;
            budget -= std::min(budget, at - start);
            return at;
        }
    }
    budget -= std::min(budget, limit - start);
    return kNowhere;
}

}  // namespace

Error SalvageEntries(fs::File& file, uint64_t fileSize, const std::string& path, SalvagedEntries& found) {
    FileWindow window(file, fileSize);
    // Decoding and descriptor searches may go over the same bytes again when headers turn up
    // inside data thought damaged; this bounds all of it to a few passes over the file.
    uint64_t budget = 4 * fileSize + (64u << 20);
    for (uint64_t at = 0;;) {
        at = window.find(kLocalSignature, at, fileSize);
        if (at == kNowhere) break;
        Header header;
        if (!ReadHeader(window, at, header)) {
            ++at;
            continue;
        }
        Entry& entry = header.entry;
        uint64_t next = header.dataStart;   // where to look for the next header
        bool keep = true;
        if (header.sizesKnown) {
            const uint64_t end = header.dataStart + entry.compressedSize;
            // Data that runs past the end of the file is listed, to read as truncated; its
            // size may be what is wrong, so later headers are looked for inside it.
            if (end >= header.dataStart && end <= fileSize) next = end;
        } else {
            uint64_t compressed = 0, uncompressed = 0;
            uint32_t crc = 0;
            std::size_t length = 0;
            const bool decodable = !entry.isEncrypted() && (entry.method == 8 || entry.method == 9);
            if (decodable && MeasureByDecoding(window, entry, header.dataStart, budget, compressed, uncompressed)) {
                length = DescriptorAt(window, header.dataStart + compressed, compressed, uncompressed, crc);
                // Without a descriptor to vouch for it the entry has no CRC to check: it stays
                // listed with none, so that reading it reports it damaged.
                if (length == 0) crc = entry.crc32;
                next = header.dataStart + compressed + length;
            } else if (FindSignedDescriptor(window, entry, header.dataStart, budget, compressed, uncompressed, crc,
                                            length) != kNowhere) {
                next = header.dataStart + compressed + length;
            } else {
                keep = false;   // where its data ends cannot be known
            }
            entry.compressedSize = compressed;
            entry.uncompressedSize = uncompressed;
            entry.crc32 = crc;
        }
        if (window.failed()) break;
        if (keep) {
            found.dataEnd = std::max(found.dataEnd, std::min(fileSize, header.dataStart + entry.compressedSize));
            found.entries.push_back(std::move(entry));
            found.extras.push_back(std::move(header.extras));
        }
        at = std::max(next, at + 1);
    }
    if (window.failed()) return fs::IoFailure("cannot read " + path);
    if (found.entries.empty()) return Error{Status::NotZip, path + " is not a zip archive, and holds no entries to recover"};
    return {};
}

}  // namespace zipcore::format
