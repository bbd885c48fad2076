// decode_bench: the library's own decoders side by side with a baseline in the same run.
//
//   decode_bench deflate64 <deflate64.zip> <deflate.zip> [rounds]
//       the same content decoded from memory as Deflate64 (our decoder) and as deflate (zlib)
//   decode_bench salvage <intact.zip> <damaged.zip> [rounds]
//       a damaged archive read from its local headers next to the intact one listed
//
// Each figure is the best of the rounds (default 5). A program, not a test: it prints figures
// and the target each ratio is held to; it fails only when an archive cannot be read.

#include "ZipFormat.h"
#include "zipcore/ZipArchive.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using zipcore::Error;

double BestSeconds(int rounds, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return in ? one + " " + five + " " + fifteen : "unknown";
}

[[noreturn]] void Die(const std::string& message) {
    std::fprintf(stderr, "decode_bench: %s\n", message.c_str());
    std::exit(1);
}

// Every entry's compressed bytes, read once, so that only decoding is timed.
struct LoadedArchive {
    std::vector<zipcore::Entry> entries;
    std::vector<std::vector<uint8_t>> compressed;
    uint64_t contentBytes = 0;
};

LoadedArchive Load(const std::string& path) {
    Error error;
    auto view = zipcore::format::OpenView(path, error);
    if (!view) Die(error.message);
    LoadedArchive loaded;
    loaded.entries = view->entries();
    loaded.compressed.resize(loaded.entries.size());
    for (std::size_t i = 0; i < loaded.entries.size(); ++i) {
        if (Error e = view->ReadCompressed(i, loaded.compressed[i])) Die(e.message);
        loaded.contentBytes += loaded.entries[i].uncompressedSize;
    }
    return loaded;
}

// Decodes every entry; returns the methods seen, so that the table can say what was compared.
std::string DecodeAll(const LoadedArchive& archive) {
    std::vector<uint8_t> scratch;
    std::string methods;
    for (std::size_t i = 0; i < archive.entries.size(); ++i) {
        const std::vector<uint8_t>& bytes = archive.compressed[i];
        std::size_t used = 0;
        Error error = zipcore::format::DecodeEntry(
            archive.entries[i],
            [&](std::size_t want, const uint8_t*& data) {
                if (want > bytes.size() - used) return false;
                data = bytes.data() + used;
                used += want;
                return true;
            },
            scratch, [](const uint8_t*, std::size_t) { return true; });
        if (error) Die(error.message);
        const std::string method = std::to_string(archive.entries[i].method);
        if (methods.find(method) == std::string::npos) methods += (methods.empty() ? "" : ",") + method;
    }
    return methods;
}

void PrintRow(const char* step, double ours, double baseline, double target, const std::string& note) {
    const double ratio = ours / baseline;
    std::printf("%-34s %10.3f %10.3f %7.2f %7.2f  %s %s\n", step, ours, baseline, ratio, target,
                ratio <= target ? "ok" : "SLOWER THAN TARGET", note.c_str());
}

void PrintHeader(const char* baselineName) {
    std::printf("load average %s\n", LoadAverage().c_str());
    std::printf("%-34s %10s %10s %7s %7s\n", "step", "ours s", baselineName, "ratio", "target");
}

int Deflate64(const std::string& deflate64Path, const std::string& deflatePath, int rounds) {
    const LoadedArchive ours = Load(deflate64Path), baseline = Load(deflatePath);
    if (ours.contentBytes != baseline.contentBytes) Die("the two archives do not hold the same content");
    std::string oursMethods, baselineMethods;
    const double oursSeconds = BestSeconds(rounds, [&] { oursMethods = DecodeAll(ours); });
    const double baselineSeconds = BestSeconds(rounds, [&] { baselineMethods = DecodeAll(baseline); });
    const double megabytes = static_cast<double>(ours.contentBytes) / 1e6;
    PrintHeader("zlib s");
    char note[200];
    std::snprintf(note, sizeof note, "(%zu entries, %.1f MB; methods %s vs %s; %.0f vs %.0f MB/s)",
                  ours.entries.size(), megabytes, oursMethods.c_str(), baselineMethods.c_str(),
                  megabytes / oursSeconds, megabytes / baselineSeconds);
    PrintRow("decode: Deflate64 vs deflate", oursSeconds, baselineSeconds, 1.5, note);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: decode_bench deflate64 <deflate64.zip> <deflate.zip> [rounds]\n"
                             "       decode_bench salvage <intact.zip> <damaged.zip> [rounds]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 5;
    if (mode == "deflate64") return Deflate64(argv[2], argv[3], rounds);
    Die("unknown mode " + mode);
}
