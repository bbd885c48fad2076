// zipdemo: add, list, extract and test zip archives with the zipcore library.
#include "zipcore/ZipArchive.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: zipdemo add <archive> <files or patterns...>\n"
                 "       zipdemo list <archive>\n"
                 "       zipdemo extract <archive> <folder>\n"
                 "       zipdemo test <archive>\n");
    return 2;
}

void PrintLine(zipcore::Status, const std::string& line) { std::printf("%s\n", line.c_str()); }

int List(const std::string& archive) {
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(archive, error);
    if (!reader) {
        std::fprintf(stderr, "zipdemo: %s\n", error.message.c_str());
        return 1;
    }
    std::printf("%12s %12s %-8s %-16s %s\n", "size", "packed", "crc", "date", "name");
    uint64_t total = 0, packed = 0;
    for (const zipcore::Entry& e : reader->entries()) {
        std::printf("%12llu %12llu %08x %04u-%02u-%02u %02u:%02u %s\n",
                    static_cast<unsigned long long>(e.uncompressedSize),
                    static_cast<unsigned long long>(e.compressedSize), static_cast<unsigned>(e.crc32),
                    (e.dosDate >> 9) + 1980u, (e.dosDate >> 5) & 15u, e.dosDate & 31u, e.dosTime >> 11,
                    (e.dosTime >> 5) & 63u, e.name.c_str());
        total += e.uncompressedSize;
        packed += e.compressedSize;
    }
    std::printf("%12llu %12llu %zu entries\n", static_cast<unsigned long long>(total),
                static_cast<unsigned long long>(packed), reader->entries().size());
    return 0;
}

int Test(const std::string& archive) {
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(archive, error);
    if (!reader) {
        std::fprintf(stderr, "zipdemo: %s\n", error.message.c_str());
        return 1;
    }
    int bad = 0;
    for (std::size_t i = 0; i < reader->entries().size(); ++i) {
        zipcore::Error result = reader->ReadEntry(i, [](const uint8_t*, std::size_t) { return true; });
        std::printf("%-5s %s%s%s\n", result ? "FAIL" : "ok", reader->entries()[i].name.c_str(),
                    result ? ": " : "", result ? result.message.c_str() : "");
        bad += result ? 1 : 0;
    }
    std::printf("%d of %zu entries damaged\n", bad, reader->entries().size());
    return bad ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1], archive = argv[2];
    if (command == "add" && argc >= 4) {
        zipcore::UpdateOptions options;
        for (int i = 3; i < argc; ++i) options.add.push_back(argv[i]);
        options.report = PrintLine;
        zipcore::UpdateResult result = zipcore::Update(archive, options);
        std::printf("%s: %d added, %d replaced\n", zipcore::StatusText(result.status), result.added, result.replaced);
        return result.status == zipcore::Status::Ok ? 0 : 1;
    }
    if (command == "list") return List(archive);
    if (command == "test") return Test(archive);
    if (command == "extract" && argc == 4) {
        zipcore::ExtractOptions options;
        options.targetDir = argv[3];
        options.overwrite = zipcore::Overwrite::Always;
        options.report = PrintLine;
        zipcore::ExtractResult result = zipcore::Extract(archive, options);
        std::printf("%s: %d extracted, %d failed\n", zipcore::StatusText(result.status), result.extracted,
                    result.failed);
        return result.status == zipcore::Status::Ok ? 0 : 1;
    }
    return Usage();
}
