#pragma once
// Record layouts of the zip container and the reader's internal view of an archive,
// shared by the reading, updating and offset-adjusting code.

#include "FileSystem.h"
#include "zipcore/ZipArchive.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zipcore::format {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kDescriptorSignature = 0x08074b50;
constexpr uint16_t kZip64ExtraId = 0x0001;

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kMaxComment = 65535;

constexpr uint32_t kMax32 = 0xFFFFFFFFu;
constexpr uint16_t kMax16 = 0xFFFFu;

constexpr uint16_t kFlagEncrypted = 1;
constexpr uint16_t kFlagDescriptor = 8;

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Get64(const uint8_t* p) { return Get32(p) | (static_cast<uint64_t>(Get32(p + 4)) << 32); }

inline void Set16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Set32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Set64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void Put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void Put64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Central directory fields that Entry leaves out but a faithful copy needs.
struct CentralExtras {
    uint16_t versionNeeded = 20;
    uint16_t internalAttributes = 0;
    std::string extra;    // extra field without the Zip64 block, which is rewritten on output
    std::string comment;
};

// Where an entry's bytes really are, found by reading its local header.
struct LocalLayout {
    uint64_t headerOffset = 0;  // absolute
    uint64_t dataOffset = 0;    // absolute start of the compressed data
    uint64_t descriptorSize = 0;
};

using Sink = std::function<bool(const uint8_t* data, std::size_t size)>;
// Hands out the next `want` bytes of an entry's compressed data; false when they cannot be had.
using InputSource = std::function<bool(std::size_t want, const uint8_t*& data)>;

// Entry data is read and decoded in pieces of at most this many bytes.
constexpr std::size_t kDataChunk = 256 * 1024;

// Turns an entry's compressed bytes into its content, checking method, declared size and CRC.
// Never produces more than one byte past the declared size. `output` is working space.
Error DecodeEntry(const Entry& entry, const InputSource& next, std::vector<uint8_t>& output, const Sink& sink);
// The same for a Deflate64 entry (method 9), through the library's own decoder.
Error DecodeDeflate64(const Entry& entry, const InputSource& next, const Sink& sink);

// Fills in entry.name (and the exact time) from its stored name, flags, host and extra field.
void DecodeLocalName(Entry& entry, const uint8_t* extra, std::size_t extraLength);

// Entries read from their local headers, in file order, for an archive whose central
// directory is missing or unreadable. CentralExtras get the local header's version and extra.
struct SalvagedEntries {
    std::vector<Entry> entries;
    std::vector<CentralExtras> extras;
    uint64_t dataEnd = 0;   // where the last entry found ends
};
// Never reads an entry's data more than once or scans more than a few times the file's size.
Error SalvageEntries(fs::File& file, uint64_t fileSize, const std::string& path, SalvagedEntries& found);

// Reader internals used by Update, Extract and AdjustOffsets.
class ArchiveView : public Reader {
public:
    virtual const std::vector<CentralExtras>& extras() const = 0;
    // Absolute offset of the central directory and its size in bytes.
    virtual uint64_t centralOffset() const = 0;
    virtual uint64_t centralSize() const = 0;
    virtual uint64_t endRecordOffset() const = 0;       // absolute
    virtual bool hasZip64End() const = 0;
    virtual uint64_t zip64EndOffset() const = 0;       // absolute, when present
    virtual uint64_t zip64LocatorOffset() const = 0;   // absolute, when present
    virtual uint64_t fileSize() const = 0;
    // Reads and checks the local header; also measures a data descriptor when the entry has one.
    virtual Error Locate(std::size_t index, LocalLayout& layout) = 0;
    // The entry's compressed bytes, whole, after the same checks as ReadEntry makes first;
    // for small entries that are decoded elsewhere (on another thread).
    virtual Error ReadCompressed(std::size_t index, std::vector<uint8_t>& data) = 0;
    virtual fs::File& file() = 0;
    virtual void closeFile() = 0;
};

// With salvage, an archive whose central directory cannot be read is read from its local
// headers instead (see Reader::OpenOptions).
std::unique_ptr<ArchiveView> OpenView(const std::string& path, Error& error, bool salvage = false);

}  // namespace zipcore::format
