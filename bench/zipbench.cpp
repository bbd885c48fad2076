// zipbench: times our zip library against Info-ZIP zip and unzip on the same files, side by side
// in one run, and prints a table of seconds, ratios and sizes with the targets we hold ourselves
// to. A program, not a test: it reports figures, it does not pass or fail.
//
//   zipbench [--quick] [--repeat N] [--work FOLDER]
//
// Each figure is the best of N rounds (3 in quick mode, 2 for the full corpus).
//
// The corpus is made once per scale in the work folder and reused. Each run writes into a new
// run folder; old run folders are removed only at the very start, because creating many files
// right after many were deleted is several times slower on some file systems and would skew
// the extraction figures.

#include "Corpus.h"

#include "zipcore/ZipArchive.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace zipbench;

namespace {

struct Row {
    std::string step;
    double ours = -1;
    double peer = -1;
    uint64_t oursSize = 0;
    uint64_t peerSize = 0;
    double timeTarget = 0;   // largest acceptable ours/peer time ratio; 0: none
    double sizeTarget = 0;   // largest acceptable ours/peer size ratio; 0: none
    std::string failure;     // why a figure is missing or cannot be trusted
};

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

// Runs a peer command through the shell and returns its wall time, or -1 when it failed.
// Our archive must be one that unzip accepts in full, or its figures mean nothing.
void CheckWithPeer(const std::filesystem::path& archive, std::string& failure) {
    const int status = std::system(("unzip -tqq '" + archive.string() + "' > /dev/null 2>&1").c_str());
    if (status != 0) failure += "unzip -t rejects ours ";
}

double TimeShell(const std::string& command, std::string& failure) {
    int status = 0;
    const double seconds = Seconds([&] { status = std::system(command.c_str()); });
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failure += "peer failed (" + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
        return -1;
    }
    return seconds;
}

uint64_t SizeOf(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : size;
}

// Reads every corpus file once so that neither tool pays for a cold cache that the other
// then profits from.
void WarmCache(const Corpus& corpus) {
    std::vector<char> buffer(1 << 20);
    auto readAll = [&](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
        }
    };
    for (const std::string& file : corpus.smallFiles) readAll(fs::path(corpus.root) / file);
    for (const std::string& file : corpus.largeFiles) readAll(fs::path(corpus.root) / file);
    readAll(corpus.tinyArchive);
}

// The machine may be shared: its load, printed with the figures, says how far to trust them.
std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return in ? one + " " + five + " " + fifteen : "unknown";
}

class Bench {
public:
    Bench(Corpus corpus, fs::path run, int repeats)
        : corpus(std::move(corpus)), run(std::move(run)), repeats(repeats) {}

    void CreateSmall(int level, double timeTarget, double sizeTarget) {
        Row row;
        row.step = "create small tree -" + std::to_string(level);
        row.timeTarget = timeTarget;
        row.sizeTarget = sizeTarget;
        const std::string tag = "small-" + std::to_string(level);
        Measure(
            row,
            [&](int repeat) {
                const fs::path ours = Output("ours-" + tag, repeat, ".zip");
                return Seconds([&] {
                    // Walking the folders is part of the job: zip -r does it too.
                    std::vector<std::string> files;
                    for (const auto& item : fs::recursive_directory_iterator(fs::path(corpus.root) / corpus.smallTree))
                        if (item.is_regular_file()) files.push_back(item.path().lexically_relative(corpus.root).string());
                    std::sort(files.begin(), files.end());
                    zipcore::UpdateOptions options;
                    options.add = std::move(files);
                    options.baseDir = corpus.root;
                    options.level = level;
                    const zipcore::UpdateResult result = zipcore::Update(ours.string(), options);
                    if (result.status != zipcore::Status::Ok ||
                        result.added != static_cast<int>(corpus.smallFiles.size()))
                        row.failure += "ours: " + std::string(zipcore::StatusText(result.status)) + " ";
                });
            },
            [&](int repeat) {
                return TimeShell("cd " + Quote(corpus.root) + " && zip -q -r -D -" + std::to_string(level) + " " +
                                     Quote(Output("peer-" + tag, repeat, ".zip").string()) + " " + corpus.smallTree,
                                 row.failure);
            });
        Finish(row, Output("ours-" + tag, 0, ".zip"), Output("peer-" + tag, 0, ".zip"));
    }

    void CreateLarge(int level, double timeTarget) {
        Row row;
        row.step = "create large files -" + std::to_string(level);
        row.timeTarget = timeTarget;
        const std::string tag = "large-" + std::to_string(level);
        std::string names;
        for (const std::string& file : corpus.largeFiles) names += " " + file;
        Measure(
            row,
            [&](int repeat) {
                const fs::path ours = Output("ours-" + tag, repeat, ".zip");
                return Seconds([&] {
                    zipcore::UpdateOptions options;
                    options.add = corpus.largeFiles;
                    options.baseDir = corpus.root;
                    options.level = level;
                    const zipcore::UpdateResult result = zipcore::Update(ours.string(), options);
                    if (result.status != zipcore::Status::Ok || result.added != 4)
                        row.failure += "ours: " + std::string(zipcore::StatusText(result.status)) + " ";
                });
            },
            [&](int repeat) {
                return TimeShell("cd " + Quote(corpus.root) + " && zip -q -D -" + std::to_string(level) + " " +
                                     Quote(Output("peer-" + tag, repeat, ".zip").string()) + names,
                                 row.failure);
            });
        Finish(row, Output("ours-" + tag, 0, ".zip"), Output("peer-" + tag, 0, ".zip"));
    }

    void List() {
        Row row;
        row.step = "list " + std::to_string(corpus.tinyEntries) + " entries";
        row.timeTarget = 1.0;
        Measure(
            row,
            [&](int) {
                return Seconds([&] {
                    // Printing the names, as unzip -Z1 does, keeps the comparison honest.
                    std::FILE* sink = std::fopen("/dev/null", "w");
                    zipcore::Error error;
                    auto reader = zipcore::Reader::Open(corpus.tinyArchive, error);
                    if (!reader || static_cast<int>(reader->entries().size()) != corpus.tinyEntries) {
                        row.failure += "ours: " + error.message + " ";
                    } else {
                        for (const zipcore::Entry& entry : reader->entries()) {
                            std::fputs(entry.name.c_str(), sink);
                            std::fputc('\n', sink);
                        }
                    }
                    std::fclose(sink);
                });
            },
            [&](int) { return TimeShell("unzip -Z1 " + Quote(corpus.tinyArchive) + " > /dev/null", row.failure); });
        rows.push_back(row);
    }

    // Both tools extract the same archive, the one Info-ZIP zip made at its default level, each
    // time into a folder of a new name.
    void ExtractAll(const std::string& what, const std::string& tag, const fs::path& archive, int expectedFiles,
                    double timeTarget) {
        Row row;
        row.step = "extract " + what;
        row.timeTarget = timeTarget;
        Measure(
            row,
            [&](int repeat) {
                const fs::path target = Output("x-ours-" + tag, repeat, "");
                return Seconds([&] {
                    zipcore::ExtractOptions options;
                    options.targetDir = target.string();
                    options.overwrite = zipcore::Overwrite::Always;
                    fs::create_directories(target);
                    const zipcore::ExtractResult result = zipcore::Extract(archive.string(), options);
                    if (result.status != zipcore::Status::Ok || result.extracted != expectedFiles)
                        row.failure += "ours: " + std::string(zipcore::StatusText(result.status)) + " ";
                });
            },
            [&](int repeat) {
                return TimeShell("unzip -q -o " + Quote(archive.string()) + " -d " +
                                     Quote(Output("x-peer-" + tag, repeat, "").string()),
                                 row.failure);
            });
        rows.push_back(row);
    }

    void TestArchive(const std::string& what, const fs::path& archive) {
        Row row;
        row.step = "test " + what;
        Measure(
            row,
            [&](int) {
                return Seconds([&] {
                    zipcore::Error error;
                    auto reader = zipcore::Reader::Open(archive.string(), error);
                    if (!reader) {
                        row.failure += "ours: " + error.message + " ";
                        return;
                    }
                    for (std::size_t i = 0; i < reader->entries().size(); ++i) {
                        const zipcore::Error result =
                            reader->ReadEntry(i, [](const uint8_t*, std::size_t) { return true; });
                        if (result) row.failure += "ours: " + result.message + " ";
                    }
                });
            },
            [&](int) { return TimeShell("unzip -tq " + Quote(archive.string()) + " > /dev/null", row.failure); });
        rows.push_back(row);
    }

    // Destructive steps work on copies of one archive, made before the clock starts, so that
    // both tools begin from identical files.
    void Delete100(const fs::path& source) {
        Row row;
        row.step = "delete 100 entries (small tree)";
        row.timeTarget = 1.0;
        std::vector<std::string> names;
        const std::size_t count = corpus.smallFiles.size();
        for (std::size_t i = 0; i < 100; ++i) names.push_back(corpus.smallFiles[i * count / 100]);
        std::string arguments;
        for (const std::string& name : names) arguments += " " + name;
        for (int repeat = 0; repeat < repeats; ++repeat) {
            fs::copy_file(source, Output("del-ours", repeat, ".zip"));
            fs::copy_file(source, Output("del-peer", repeat, ".zip"));
        }
        Measure(
            row,
            [&](int repeat) {
                const fs::path ours = Output("del-ours", repeat, ".zip");
                return Seconds([&] {
                    zipcore::UpdateOptions options;
                    options.remove = names;
                    const zipcore::UpdateResult result = zipcore::Update(ours.string(), options);
                    if (result.status != zipcore::Status::Ok || result.deleted != 100)
                        row.failure += "ours: " + std::string(zipcore::StatusText(result.status)) + " ";
                });
            },
            [&](int repeat) {
                const fs::path peer = Output("del-peer", repeat, ".zip");
                return TimeShell("zip -q -d " + Quote(peer.string()) + arguments, row.failure);
            });
        Finish(row, Output("del-ours", 0, ".zip"), Output("del-peer", 0, ".zip"));
    }

    void AddOne(const std::string& what, const std::string& tag, const fs::path& source) {
        Row row;
        row.step = "add 1 file to " + what;
        row.timeTarget = 1.0;
        for (int repeat = 0; repeat < repeats; ++repeat) {
            fs::copy_file(source, Output("add-ours-" + tag, repeat, ".zip"));
            fs::copy_file(source, Output("add-peer-" + tag, repeat, ".zip"));
        }
        Measure(
            row,
            [&](int repeat) {
                const fs::path ours = Output("add-ours-" + tag, repeat, ".zip");
                return Seconds([&] {
                    zipcore::UpdateOptions options;
                    options.add = {corpus.extraFile};
                    options.baseDir = corpus.root;
                    const zipcore::UpdateResult result = zipcore::Update(ours.string(), options);
                    if (result.status != zipcore::Status::Ok || result.added != 1)
                        row.failure += "ours: " + std::string(zipcore::StatusText(result.status)) + " ";
                });
            },
            [&](int repeat) {
                const fs::path peer = Output("add-peer-" + tag, repeat, ".zip");
                return TimeShell("cd " + Quote(corpus.root) + " && zip -q " + Quote(peer.string()) + " " +
                                     corpus.extraFile,
                                 row.failure);
            });
        CheckWithPeer(Output("add-ours-" + tag, 0, ".zip"), row.failure);
        rows.push_back(row);
    }

    void PrintTable() const {
        std::printf("\n%-34s %8s %8s %6s %13s %13s %6s  %-18s %s\n", "step", "ours s", "peer s", "ratio",
                    "ours bytes", "peer bytes", "size", "target", "result");
        int met = 0, missed = 0;
        for (const Row& row : rows) {
            const bool timed = row.ours >= 0 && row.peer > 0;
            const double ratio = timed ? row.ours / row.peer : 0;
            const bool sized = row.oursSize && row.peerSize;
            const double sizeRatio = sized ? static_cast<double>(row.oursSize) / static_cast<double>(row.peerSize) : 0;
            char ratioText[16] = "-", sizeText[16] = "-", oursSize[24] = "-", peerSize[24] = "-";
            if (timed) std::snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
            if (sized) {
                std::snprintf(sizeText, sizeof sizeText, "%.3f", sizeRatio);
                std::snprintf(oursSize, sizeof oursSize, "%llu", static_cast<unsigned long long>(row.oursSize));
                std::snprintf(peerSize, sizeof peerSize, "%llu", static_cast<unsigned long long>(row.peerSize));
            }
            std::string target, result = "-";
            if (row.timeTarget > 0) target += "time<=" + Fixed(row.timeTarget);
            if (row.sizeTarget > 0) target += (target.empty() ? "" : " ") + std::string("size<=") + Fixed(row.sizeTarget);
            if (!row.failure.empty()) {
                result = "FAILED: " + row.failure;
                ++missed;
            } else if (!target.empty()) {
                const bool ok = timed && ratio <= row.timeTarget &&
                                (row.sizeTarget == 0 || (sized && sizeRatio <= row.sizeTarget));
                result = ok ? "met" : "NOT MET";
                ++(ok ? met : missed);
            }
            std::printf("%-34s %8.3f %8.3f %6s %13s %13s %6s  %-18s %s\n", row.step.c_str(), row.ours, row.peer,
                        ratioText, oursSize, peerSize, sizeText, target.empty() ? "-" : target.c_str(),
                        result.c_str());
        }
        std::printf("\ntargets met: %d, not met: %d; load average at the end %s\n", met, missed,
                    LoadAverage().c_str());
    }

private:
    fs::path Output(const std::string& name, int repeat, const std::string& extension) const {
        return run / (name + "-" + std::to_string(repeat) + extension);
    }

    // Runs both sides `repeats` times, alternating which goes first so that neither always
    // meets the other's leftovers in the caches, and keeps each side's best time: on a shared
    // machine the best run is the one least disturbed by others.
    void Measure(Row& row, const std::function<double(int)>& ours, const std::function<double(int)>& peer) {
        Progress(row.step);
        double bestOurs = -1, bestPeer = -1;
        for (int repeat = 0; repeat < repeats; ++repeat) {
            // Dirty pages left by the previous step would otherwise be written back during
            // whichever side runs next, and charged to it.
            auto settled = [](const std::function<double(int)>& side, int round) {
                ::sync();
                return side(round);
            };
            double oursTime, peerTime;
            if (repeat % 2 == 0) {
                oursTime = settled(ours, repeat);
                peerTime = settled(peer, repeat);
            } else {
                peerTime = settled(peer, repeat);
                oursTime = settled(ours, repeat);
            }
            if (bestOurs < 0 || oursTime < bestOurs) bestOurs = oursTime;
            if (peerTime >= 0 && (bestPeer < 0 || peerTime < bestPeer)) bestPeer = peerTime;
        }
        row.ours = bestOurs;
        row.peer = bestPeer;
    }

    void Finish(Row& row, const fs::path& ours, const fs::path& peer) {
        CheckWithPeer(ours, row.failure);
        row.oursSize = SizeOf(ours);
        row.peerSize = SizeOf(peer);
        rows.push_back(row);
    }

    static std::string Fixed(double value) {
        char text[16];
        std::snprintf(text, sizeof text, "%.2f", value);
        return text;
    }
    static void Progress(const std::string& step) { std::fprintf(stderr, "  %s\n", step.c_str()); }

    Corpus corpus;
    fs::path run;
    int repeats;
    std::vector<Row> rows;
};

bool HavePeers() { return std::system("command -v zip > /dev/null && command -v unzip > /dev/null") == 0; }

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    int repeats = 0;
    std::string work = "build/bench-work";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--quick") {
            quick = true;
        } else if (argument == "--work" && i + 1 < argc) {
            work = argv[++i];
        } else if (argument == "--repeat" && i + 1 < argc) {
            repeats = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: zipbench [--quick] [--repeat N] [--work FOLDER]\n");
            return 2;
        }
    }
    // At least two rounds, so that each side goes first once: the first to run after the old
    // runs were cleaned meets the file system at its slowest.
    if (repeats <= 0) repeats = quick ? 3 : 2;
    if (!HavePeers()) {
        std::fprintf(stderr, "zipbench: Info-ZIP zip and unzip must be on the PATH\n");
        return 2;
    }
    try {
        const fs::path workDir = fs::absolute(work);
        fs::create_directories(workDir);
        // Old runs go now, before anything is timed (see the note at the top).
        for (const auto& item : fs::directory_iterator(workDir))
            if (item.path().filename().string().rfind("run-", 0) == 0) fs::remove_all(item.path());
        ::sync();

        const CorpusScale scale = quick ? QuickScale() : FullScale();
        const Corpus corpus = PrepareCorpus(workDir.string(), scale, quick ? "quick" : "full");
        const fs::path run = workDir / ("run-" + std::to_string(::getpid()));
        fs::create_directories(run);
        WarmCache(corpus);

        std::printf("zipbench (%s): %zu small files in %d folders, 4 files of %.1f MiB, %d tiny entries; "
                    "%u cores; best of %d; peer: Info-ZIP zip/unzip; load average at start %s\n",
                    quick ? "quick" : "full", corpus.smallFiles.size(), scale.folders,
                    static_cast<double>(scale.largeFileSize) / (1 << 20), corpus.tinyEntries,
                    std::thread::hardware_concurrency(), repeats, LoadAverage().c_str());
        std::fflush(stdout);

        Bench bench(corpus, run, repeats);
        bench.CreateSmall(9, 0.6, 0.98);
        bench.CreateSmall(6, 0, 0);
        bench.CreateSmall(0, 0, 0);
        bench.CreateLarge(9, 0.6);
        bench.CreateLarge(6, 0);
        bench.CreateLarge(0, 0);
        bench.List();
        const fs::path smallArchive = run / "peer-small-6-0.zip", largeArchive = run / "peer-large-6-0.zip";
        bench.ExtractAll("small tree", "small", smallArchive, static_cast<int>(corpus.smallFiles.size()), 1.0);
        bench.ExtractAll("large files", "large", largeArchive, 4, 0.5);
        bench.TestArchive("large files", largeArchive);
        bench.TestArchive("small tree", smallArchive);
        bench.Delete100(smallArchive);
        bench.AddOne("large-files archive", "large", largeArchive);
        bench.AddOne("many-entry archive", "many", corpus.tinyArchive);
        bench.PrintTable();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "zipbench: %s\n", failure.what());
        return 1;
    }
    return 0;
}
