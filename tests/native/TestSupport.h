#pragma once
// Helpers for the zip library tests: scratch folders, file contents, raw deflate, and a
// tiny zip writer that can produce the damaged and hostile archives the library must refuse.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ziptest {

// A fresh folder removed with everything in it when the object goes away.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};

// Whether the tests run under CI (CI=true), where a missing tool is a failure, not a skip.
bool UnderCi();

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);  // empty when missing
bool Exists(const std::string& path);
// Every file below root, relative and '/' separated, sorted.
std::vector<std::string> FilesBelow(const std::string& root);
std::string RawDeflate(const std::string& data, int level = 6);
uint32_t Crc(const std::string& data);
// Repeatable pseudo-random bytes; `text` gives compressible words instead of noise.
std::string Noise(std::size_t size, uint32_t seed);
std::string Words(std::size_t size, uint32_t seed);

struct RawEntry {
    RawEntry() = default;
    RawEntry(std::string entryName, std::string content) : name(std::move(entryName)), data(std::move(content)) {}

    std::string name;
    std::string data;                 // uncompressed content
    uint16_t method = 0;              // 8: data is raw-deflated when built
    uint16_t flags = 0;
    bool descriptor = false;          // sizes and CRC after the data (sets flag bit 3)
    bool descriptorSignature = true;
    bool descriptorZip64 = false;     // 8-byte sizes in the descriptor
    std::string localName;            // when set, the local header names this instead
    int64_t crcOverride = -1;
    int64_t declaredCompressed = -1;  // central and local compressed size
    int64_t declaredUncompressed = -1;
    int64_t offsetOverride = -1;
    uint64_t zip64Uncompressed = 0;   // when set: Zip64 extra fields declaring this size      // central offset, relative to the start of the archive part
    uint16_t versionMadeBy = 20;
    uint32_t externalAttributes = 0;
    std::string centralExtra;         // extra fields of the central header, after any Zip64 one
    std::string payload;              // filled in by Build: the bytes stored after the local header
};

struct RawZip {
    std::vector<RawEntry> entries;
    std::string prefix;               // a stub in front
    bool adjustOffsets = false;       // offsets counting from the start of the file, stub included
    std::string comment;
    bool zip64End = false;            // write Zip64 end record and locator
    std::string Build();
    // Filled in by Build: where each local header and the central directory are in the file.
    std::vector<uint64_t> localOffsets;
    uint64_t centralOffset = 0;
};

}  // namespace ziptest
