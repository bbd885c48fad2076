// libFuzzer target for the archive reader: open, list and read every entry of arbitrary
// bytes, and check that stored names always come out of sanitising as harmless parts.
// An input that starts with "D64:" is instead a raw Deflate64 stream for the decoder alone;
// one that starts with "LOC:" is an archive opened salvaging, read from its local headers.
// Built by scripts/fuzz.sh with libFuzzer, and by the fuzz_replay test over the committed corpus.
#include "Deflate64.h"
#include "Names.h"
#include "zipcore/ZipArchive.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const std::string& ScratchPath() {
    static const std::string path = "/tmp/zipcore-fuzz-" + std::to_string(getpid()) + ".zip";
    static const bool cleanup = std::atexit([] { std::remove(ScratchPath().c_str()); }) == 0;
    (void)cleanup;
    return path;
}

const std::string& SecondPath() {
    static const std::string path = ScratchPath() + ".copy";
    static const bool cleanup = std::atexit([] { std::remove(SecondPath().c_str()); }) == 0;
    (void)cleanup;
    return path;
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

std::size_t CountEntries(const std::string& path) {
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(path, error);
    if (!reader) std::abort();  // whatever we wrote or adjusted must open again
    return reader->entries().size();
}

// Extraction into a scratch folder, then the folder goes; sanitizers watch the workers.
void CheckExtraction(uint64_t declaredTotal) {
    if (declaredTotal > (1 << 20)) return;  // keep the disk out of it
    static const std::string target = ScratchPath() + ".d";
    zipcore::ExtractOptions options;
    options.targetDir = target;
    options.overwrite = zipcore::Overwrite::Always;
    zipcore::ExtractResult result = zipcore::Extract(ScratchPath(), options);
    if (result.status == zipcore::Status::Ok && result.failed != 0) std::abort();
    std::error_code ignored;
    std::filesystem::remove_all(target, ignored);
}

// Deleting the first entry copies the others unchanged; adjusting offsets rewrites the
// directory in place. Both must leave an archive that opens, or refuse with a message.
void CheckWriters(const uint8_t* data, size_t size, const std::string& firstName, std::size_t count) {
    WriteBytes(SecondPath(), data, size);
    zipcore::UpdateOptions options;
    options.remove = {firstName};
    options.threads = 1;
    zipcore::UpdateResult result = zipcore::Update(SecondPath(), options);
    if (result.status == zipcore::Status::Ok && CountEntries(SecondPath()) != count - result.deleted) std::abort();

    WriteBytes(SecondPath(), data, size);
    zipcore::Error error = zipcore::AdjustOffsets(SecondPath());
    if (!error && CountEntries(SecondPath()) != count) std::abort();
}

void CheckSafeName(const std::string& stored) {
    zipcore::names::SafePath safe;
    if (!zipcore::names::MakeSafe(stored, safe)) return;
    for (const std::string& part : safe.components) {
        bool harmless = !part.empty() && part != "." && part != ".." &&
                        part.find_first_of("/\\:") == std::string::npos;
        if (!harmless) std::abort();
    }
}

// What a decoder run gave: the bytes (up to a bound that keeps each run short) and how it ended.
struct Decoded {
    std::string bytes;
    zipcore::deflate64::Decoder::Result end;
};

// Decodes the stream handed over in pieces of `piece` bytes (0: all at once).
Decoded DecodeDeflate64(const uint8_t* data, size_t size, size_t piece) {
    using zipcore::deflate64::Decoder;
    size_t at = 0;
    Decoder decoder([&](const uint8_t*& chunk, std::size_t& length) {
        if (at == size) return false;
        length = piece ? std::min(piece, size - at) : size - at;
        chunk = data + at;
        at += length;
        return true;
    });
    Decoded decoded;
    for (;;) {
        const uint8_t* span = nullptr;
        std::size_t length = 0;
        decoded.end = decoder.next(span, length);
        if (decoded.end != Decoder::Result::Output) break;
        if (length == 0 || length > Decoder::kMaxSpan) std::abort();
        decoded.bytes.append(reinterpret_cast<const char*>(span), length);
        if (decoded.bytes.size() > (8 << 20)) break;
    }
    if ((decoded.end == Decoder::Result::Damaged || decoded.end == Decoder::Result::Truncated) &&
        *decoder.problem() == '\0')
        std::abort();   // a failure must say what was wrong
    return decoded;
}

// The same stream in small pieces and whole must decode alike: where the input breaks is no
// part of the stream.
void CheckDeflate64(const uint8_t* data, size_t size) {
    const size_t piece = size ? 1 + data[0] % 13 : 1;
    const Decoded whole = DecodeDeflate64(data, size, 0), pieces = DecodeDeflate64(data, size, piece);
    if (whole.end != pieces.end || whole.bytes != pieces.bytes) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 4 && std::equal(data, data + 4, "D64:")) {
        CheckDeflate64(data + 4, size - 4);
        return 0;
    }
    zipcore::Reader::OpenOptions options;
    if (size >= 4 && std::equal(data, data + 4, "LOC:")) {
        options.salvage = true;
        data += 4;
        size -= 4;
    }
    WriteBytes(ScratchPath(), data, size);

    zipcore::Error error;
    auto reader = zipcore::Reader::Open(ScratchPath(), error, options);
    if (!reader) {
        if (error.message.empty()) std::abort();  // every failure must say something
        return 0;
    }
    for (std::size_t i = 0; i < reader->entries().size() && i < 64; ++i) {
        const zipcore::Entry& entry = reader->entries()[i];
        CheckSafeName(entry.name);
        uint64_t delivered = 0;
        zipcore::Error result = reader->ReadEntry(i, [&](const uint8_t*, std::size_t n) {
            delivered += n;
            return true;
        });
        // Never more than the declared size, whatever the data claims.
        if (delivered > entry.uncompressedSize) std::abort();
        if (!result && delivered != entry.uncompressedSize) std::abort();
        if (result && result.message.empty()) std::abort();
    }
    uint64_t declaredTotal = 0;
    for (const zipcore::Entry& entry : reader->entries()) declaredTotal += std::min<uint64_t>(entry.uncompressedSize, 1 << 30);
    const std::size_t count = reader->entries().size();
    const std::string firstName = count ? reader->entries()[0].name : std::string();
    reader.reset();
    // Extraction and the writers open the archive by its directory, not by salvaging: what they
    // find of a salvaged archive is not the same list, so they are checked on directories only.
    if (options.salvage) return 0;
    if (count > 0 && count <= 16) CheckExtraction(declaredTotal);
    if (count > 0) CheckWriters(data, size, firstName, count);
    return 0;
}
