// libFuzzer target for the archive reader: open, list and read every entry of arbitrary
// bytes, and check that stored names always come out of sanitising as harmless parts.
// Built by scripts/fuzz.sh with libFuzzer, and by the fuzz_replay test over the committed corpus.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteBytes(ScratchPath(), data, size);

    zipcore::Error error;
    auto reader = zipcore::Reader::Open(ScratchPath(), error);
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
    if (count > 0 && count <= 16) CheckExtraction(declaredTotal);
    if (count > 0) CheckWriters(data, size, firstName, count);
    return 0;
}
