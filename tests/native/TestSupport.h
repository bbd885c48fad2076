#pragma once
// Helpers for the zip library tests beside the shared scratch folders and contents: raw
// deflate, and a tiny zip writer that can produce the damaged and hostile archives the
// library must refuse.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport/Contents.h"
#include "TestSupport/Files.h"
#include "TestSupport/ZipEntries.h"
#include "zipcore/ZipArchive.h"

namespace ziptest {

// Whether the tests run under CI (CI=true), where a missing tool is a failure, not a skip.
bool UnderCi();

#ifndef _WIN32
// The outside programs that judge the library (zip, unzip, 7z, python3), run through the shell.
bool HaveTool(const char* name);
// Runs a shell command, returning its exit status and everything it printed.
int Shell(const std::string& command, std::string& output);
std::string Quote(const std::string& path);   // for the shell, in single quotes
#endif

// Every file below root, relative and '/' separated, sorted.
std::vector<std::string> FilesBelow(const std::string& root);
std::string RawDeflate(const std::string& data, int level = 6);
uint32_t Crc(const std::string& data);
// Little-endian fields, for the records and extra fields the tests put together by hand.
void Put16(std::string& out, uint64_t value);
void Put32(std::string& out, uint64_t value);
void Put64(std::string& out, uint64_t value);

// Whether any of the lines a test collected from a report contains text.
bool AnyLineHas(const std::vector<std::string>& lines, const std::string& text);
// All the data of one entry, and in error how reading it ended.
std::string EntryData(zipcore::Reader& reader, std::size_t index, zipcore::Error& error);

struct RawEntry {
    RawEntry() = default;
    RawEntry(std::string entryName, std::string content) : name(std::move(entryName)), data(std::move(content)) {}
    // Settings chained onto the constructor, for the damaged and hostile cases.
    RawEntry& Deflated() { return WithMethod(8); }
    // Data already compressed by the entry's method, stored as it is; `data` is its content.
    RawEntry& WithCompressed(std::string bytes) { compressed = std::move(bytes); return *this; }
    RawEntry& WithMethod(uint16_t value) { method = value; return *this; }
    RawEntry& WithFlags(uint16_t value) { flags = value; return *this; }
    RawEntry& WithLocalName(std::string value) { localName = std::move(value); return *this; }
    RawEntry& WithCrc(int64_t value) { crcOverride = value; return *this; }
    RawEntry& WithCompressedSize(int64_t value) { declaredCompressed = value; return *this; }
    RawEntry& WithUncompressedSize(int64_t value) { declaredUncompressed = value; return *this; }
    RawEntry& WithOffset(int64_t value) { offsetOverride = value; return *this; }
    RawEntry& WithZip64Size(uint64_t value) { zip64Uncompressed = value; return *this; }
    // Sizes and CRC after the data, with or without the descriptor's signature, in 4 or 8 bytes.
    RawEntry& WithDescriptor(bool signature, bool zip64) {
        descriptor = true;
        descriptorSignature = signature;
        descriptorZip64 = zip64;
        return *this;
    }
    RawEntry& MadeOnUnix(uint32_t mode) { versionMadeBy = (3 << 8) | 30; externalAttributes = mode << 16; return *this; }

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
    std::string compressed;           // when set, the payload as it is, whatever the method
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
