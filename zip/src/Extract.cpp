#include "FileSystem.h"
#include "Names.h"
#include "WorkerPool.h"
#include "ZipFormat.h"
#include "zipcore/ProgressMeter.h"
#include "zipcore/ZipArchive.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <new>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace zipcore {
namespace {

using format::ArchiveView;

// Entries up to this size are read whole on the calling thread and written by workers, so
// that many small files are created on all cores; larger ones stream on the calling thread.
// The limit on what they hold keeps a worker from writing for long while the calling thread,
// which alone may report progress and hear a stop, waits for it.
constexpr uint64_t kParallelEntryLimit = 1 << 20;
constexpr uint64_t kParallelContentLimit = 8 << 20;
constexpr uint64_t kInFlightBytes = 32 << 20;
constexpr std::size_t kInFlightJobs = 256;
// Workers are woken once per this many small jobs rather than for each.
constexpr std::size_t kJobsPerWake = 32;

// How grave a problem is, so that the result reports the worst one met whatever came first:
// a kept file, then a missing name, then an entry refused (its name, its encryption), then
// damaged data or a file that could not be written, a full disk included.
int Severity(Status status) {
    switch (status) {
    case Status::Ok: return 0;
    case Status::Skipped:
    case Status::NothingToDo: return 1;
    case Status::NotFound: return 2;
    case Status::UnsafeName:
    case Status::Encrypted: return 3;
    default: return 4;
    }
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

// Where one entry's data goes: a new file under the entry's own name, or, when an existing
// file (or link) is being replaced, a new file beside it that takes the name only once its
// data is complete and its CRC checked out. Renaming over a link replaces the link instead of
// writing where it points.
struct Destination {
    fs::NewFile file;
    std::string path;      // the name the user will see
    bool replacing = false;
    SystemError cause;  // why the file could not be created under path, when it could not

    // Creates the file under its own name; false when the name is taken or cannot be made.
    bool create() {
        const fs::NewFile::Outcome outcome = file.create(path);
        if (outcome == fs::NewFile::Outcome::Failed) cause = fs::LastFailure();
        return outcome == fs::NewFile::Outcome::Created;
    }
};

// Writes one entry's data into its destination, which is removed again if the entry turns
// out damaged or cannot be written whole: a damaged entry leaves no file.
Error WriteEntryFile(const Entry& entry, Destination& destination, int64_t modified,
                     const std::function<Error(const format::Sink& sink)>& decode) {
    bool writeFailed = false;
    SystemError writeCause;
    Error error = decode([&](const uint8_t* data, std::size_t size) {
        if (destination.file.write(data, size)) return true;
        writeFailed = true;
        writeCause = fs::LastFailure();
        return false;
    });
    if (error || writeFailed) {
        destination.file.discard();
        if (writeFailed)
            return fs::IoFailure(Quoted(entry.name) + ": cannot write " + Quoted(destination.path), writeCause);
        return error;
    }
    const std::string written = destination.file.path();
    if (!destination.file.finish(modified))
        return fs::IoFailure(Quoted(entry.name) + ": cannot write " + Quoted(destination.path));
    if (destination.replacing && !fs::ReplaceFile(written, destination.path)) {
        const SystemError cause = fs::LastFailure();
        fs::RemoveFile(written);
        return fs::IoFailure(Quoted(entry.name) + ": cannot replace " + Quoted(destination.path), cause);
    }
    return {};
}

struct WriteJob {
    Entry entry;
    Destination destination;  // opened by the worker, unless the name turns out taken
    int64_t modified = 0;  // converted by the calling thread: local time conversion is not thread-safe everywhere
    std::vector<uint8_t> compressed;
    bool nameTaken = false;   // left to the calling thread, which asks about replacing in order
    bool dropped = false;     // not started before the work was stopped: no file made
    bool done = false;
    Error error;
};

// Writes a job's entry from the compressed bytes read beforehand.
Error WriteFromMemory(WriteJob& job, std::vector<uint8_t>& scratch) {
    return WriteEntryFile(job.entry, job.destination, job.modified, [&](const format::Sink& sink) {
        std::size_t used = 0;
        return format::DecodeEntry(job.entry, [&](std::size_t want, const uint8_t*& data) {
            if (want > job.compressed.size() - used) return false;
            data = job.compressed.data() + used;
            used += want;
            return true;
        }, scratch, sink);
    });
}

// Creates and writes the files of small entries whose compressed bytes the calling thread
// has read. Creating here rather than on the calling thread spreads the costliest system
// call over the workers; a name already taken is handed back untouched.
WorkerPool<WriteJob>::Runner WriteJobRunner(const std::atomic<bool>& stopping) {
    auto scratch = std::make_shared<std::vector<uint8_t>>();
    return [scratch, &stopping](WriteJob& job) {
        if (stopping.load(std::memory_order_relaxed)) {
            job.dropped = true;
            return;
        }
        // Creating converts the path for the system, which allocates too: nothing a worker
        // does may throw past here, or the program would end.
        try {
            if (!job.destination.create()) {
                job.nameTaken = true;
                return;
            }
            job.error = WriteFromMemory(job, *scratch);
        } catch (const std::exception&) {
            job.destination.file.discard();
            job.error = {Status::IoError, Quoted(job.entry.name) + ": out of memory"};
        }
        job.compressed = std::vector<uint8_t>();
    };
}

class Extraction {
public:
    Extraction(const ExtractOptions& options, ExtractResult& result)
        : options_(options), result_(result), meter_(options.progress) {}

    void say(const std::string& line) { say(Status::Ok, line); }
    void say(Status status, const std::string& line) {
        if (options_.report) options_.report(status, line);
    }
    void note(Status status) {
        if (Severity(status) > Severity(result_.status)) result_.status = status;
    }
    void fail(Status status, const std::string& line) {
        ++result_.failed;
        note(status);
        say(status, line);
    }
    void fail(const Error& error) { fail(error.status, error.message); }
    void written(const std::string& path) {
        ++result_.extracted;
        if (options_.extracted) options_.extracted(path);
    }

    void startWorkers(std::size_t fileCount) {
        // The workers spend most of their time waiting for the file system to create and
        // close files, so even a machine of one or two cores keeps four of them busy.
        const unsigned threads = std::min(std::max(std::thread::hardware_concurrency(), 4u), 8u);
        if (fileCount > 1)
            pool_ = std::make_unique<WorkerPool<WriteJob>>(threads, [this] { return WriteJobRunner(stopping_); });
    }

    ProgressMeter& meter() { return meter_; }

    // Reports finished jobs in archive order; with wait, every job still pending.
    void collect(bool wait) {
        while (!pending_.empty()) {
            std::shared_ptr<WriteJob> job = pending_.front();
            if (!wait && !pool_->isDone(*job)) return;
            pool_->waitFor(*job);
            pendingBytes_ -= job->entry.compressedSize;
            pendingPaths_.erase(PathKey(job->destination.path));
            pending_.pop_front();
            if (job->dropped) continue;
            // After a stop nothing more is asked or written; what the workers finished stays.
            if (job->nameTaken && meter_.stopped()) continue;
            if (job->nameTaken) {
                // Every earlier entry has been reported, so the question comes in order.
                if (!prepareReplacement(job->entry, job->destination)) continue;
                std::vector<uint8_t> scratch;
                job->error = WriteFromMemory(*job, scratch);
            }
            if (job->error) fail(job->error.status, job->error.message);
            else written(job->destination.path);
        }
    }

    void finish() {
        // Jobs still queued are dropped rather than waited for: a stop takes effect at once.
        if (meter_.stopped()) stopping_.store(true);
        if (pool_) collect(true);
        pool_.reset();
    }

    // Creates the folders of a relative path below the target one level at a time, refusing
    // to pass through a symbolic link: an existing link could lead out of the target.
    bool makeFolders(const std::string& root, const std::vector<std::string>& parts, std::size_t count,
                     std::string& path, std::string& problem) {
        path = root;
        for (std::size_t i = 0; i < count; ++i) {
            path = fs::Join(path, parts[i]);
            if (checkedFolders_.count(path)) continue;
            // A file of this name may still be on its way to disk: let it land first, so the
            // outcome is the same as extracting one entry after the other.
            if (pendingPaths_.count(PathKey(path))) collect(true);
            fs::FileInfo info = fs::StatNoFollow(path);
            if (info.isSymlink) {
                problem = "the folder " + Quoted(path) + " is a symbolic link";
                return false;
            }
            if (info.exists && !info.isDirectory) {
                problem = Quoted(path) + " exists and is not a folder";
                return false;
            }
            if (!info.exists && !fs::MakeDirectory(path)) {
                problem = fs::IoFailure("cannot create the folder " + Quoted(path)).message;
                return false;
            }
            checkedFolders_.insert(path);
        }
        return true;
    }

    void extractOne(ArchiveView& reader, std::size_t index, const std::string& root) {
        const Entry& entry = reader.entries()[index];
        names::SafePath safe;
        if (!names::MakeSafe(entry.name, safe)) {
            fail(Status::UnsafeName, Quoted(entry.name) + ": refused, " + safe.problem);
            return;
        }
        bool folder = entry.isDirectory();
        if (safe.components.empty()) {
            if (!folder) fail(Status::UnsafeName, Quoted(entry.name) + ": refused, nothing of the name is usable");
            return;
        }
        if (options_.junkPaths) {
            if (folder) return;
            safe.components.erase(safe.components.begin(), safe.components.end() - 1);
        } else if (safe.changed) {
            std::string shown;
            for (const std::string& part : safe.components) shown += (shown.empty() ? "" : "/") + part;
            say(Status::UnsafeName, Quoted(entry.name) + ": drive, leading separators and \"..\" removed, extracted as " + Quoted(shown));
        }
        std::string path, problem;
        std::size_t parentCount = folder ? safe.components.size() : safe.components.size() - 1;
        if (!makeFolders(root, safe.components, parentCount, path, problem)) {
            fail(Status::IoError, Quoted(entry.name) + ": " + problem);
            return;
        }
        if (folder) return;
        path = fs::Join(path, safe.components.back());

        // The same file twice (up to case, or trailing dots and blanks): the first must be on disk
        // before the second is asked about.
        if (pendingPaths_.count(PathKey(path))) collect(true);
        // The exact UTC time when the archive has it; the DOS stamp is local time in two-second steps.
        const int64_t modified = entry.hasExactTime ? entry.modified : UnixFromDosDateTime(entry.dosDate, entry.dosTime);

        if (pool_ && entry.compressedSize <= kParallelEntryLimit && entry.uncompressedSize <= kParallelContentLimit) {
            auto job = std::make_shared<WriteJob>();
            job->entry = entry;
            job->destination.path = path;
            job->modified = modified;
            if (Error error = reader.ReadCompressed(index, job->compressed)) {
                collect(true);  // keep the messages in archive order
                fail(error.status, error.message);
                return;
            }
            pendingBytes_ += entry.compressedSize;
            pendingPaths_.insert(PathKey(path));
            pending_.push_back(job);
            pool_->submitQuietly(std::move(job));
            if (++unannounced_ >= kJobsPerWake) {
                pool_->wakeAll();
                unannounced_ = 0;
            }
            collect(false);
            while (!pending_.empty() && (pendingBytes_ > kInFlightBytes || pending_.size() > kInFlightJobs)) {
                pool_->waitFor(*pending_.front());
                collect(false);
            }
            return;
        }
        if (pool_) collect(true);
        Destination destination;
        destination.path = path;
        // Creating the file is also the check that the name is free, so a new file costs
        // no separate look at the disk.
        if (!destination.create() && !prepareReplacement(entry, destination))
            return;
        Error error = WriteEntryFile(entry, destination, modified, [&](const format::Sink& sink) {
            // A stop inside the entry fails it like a write that failed: the file goes.
            return reader.ReadEntry(index, [&](const uint8_t* data, std::size_t size) {
                return sink(data, size) && meter_.advance(size);
            });
        });
        if (meter_.stopped()) return;
        if (error) fail(error.status, error.message);
        else written(path);
    }

private:
    // The entry's name is taken on disk (or could not be created): decides whether the file
    // there is replaced, and if so opens the new file beside it. False when the entry ends
    // here, reported. Every earlier entry must have been reported by now.
    bool prepareReplacement(const Entry& entry, Destination& destination) {
        const std::string& path = destination.path;
        fs::FileInfo existing = fs::StatNoFollow(path);
        if (!existing.exists) {
            fail(fs::IoFailure(Quoted(entry.name) + ": cannot create " + Quoted(path), destination.cause));
            return false;
        }
        if (existing.isDirectory) {
            fail(Status::IoError, Quoted(entry.name) + ": a folder " + Quoted(path) + " is in the way");
            return false;
        }
        const bool replace = options_.overwrite == Overwrite::Always ||
                             (options_.overwrite == Overwrite::Ask && options_.askOverwrite &&
                              options_.askOverwrite(path));
        if (!replace) {
            ++result_.skipped;
            note(Status::Skipped);
            say(Status::Skipped, Quoted(path) + " exists, kept");
            return false;
        }
        destination.replacing = true;
        if (destination.file.create(fs::TemporaryNameBeside(path)) != fs::NewFile::Outcome::Created) {
            fail(fs::IoFailure(Quoted(entry.name) + ": cannot create " + Quoted(path)));
            return false;
        }
        return true;
    }

    // Entries that may land on one file go to disk in archive order, one after the other.
    static std::string PathKey(const std::string& path) { return fs::SameFileKey(path); }

    const ExtractOptions& options_;
    ExtractResult& result_;
    ProgressMeter meter_;
    std::unordered_set<std::string> checkedFolders_;  // made or found safe during this run
    std::atomic<bool> stopping_{false};  // read by the workers, so it outlives the pool
    std::unique_ptr<WorkerPool<WriteJob>> pool_;
    std::deque<std::shared_ptr<WriteJob>> pending_;   // in archive order
    std::unordered_set<std::string> pendingPaths_;
    uint64_t pendingBytes_ = 0;
    std::size_t unannounced_ = 0;  // jobs queued since the workers were last woken
};

bool MakeTargetFolder(const std::string& target) {
    if (fs::Stat(target).isDirectory) return true;
    std::string partial;
    for (std::size_t i = 0; i <= target.size(); ++i) {
        if (i == target.size() || fs::IsSeparator(target[i])) {
            partial = target.substr(0, i);
            // Skip the root and a bare drive, which exist or cannot be made anyway.
            if (!partial.empty() && !(partial.size() == 2 && partial[1] == ':')) fs::MakeDirectory(partial);
        }
    }
    return fs::Stat(target).isDirectory;
}

ExtractResult ExtractAll(const std::string& archivePath, const ExtractOptions& options) {
    ExtractResult result;
    Extraction run(options, result);
    Error error;
    std::unique_ptr<ArchiveView> reader = format::OpenView(archivePath, error);
    if (!reader) {
        result.status = error.status;
        run.say(error.status, error.message);
        return result;
    }
    const std::string root = options.targetDir.empty() ? "." : options.targetDir;
    if (!MakeTargetFolder(root)) {
        result.status = Status::IoError;
        run.say(Status::IoError, fs::IoFailure("cannot create the folder " + Quoted(root)).message);
        return result;
    }
    const std::vector<Entry>& entries = reader->entries();
    std::vector<bool> chosen(entries.size(), options.names.empty());
    if (!options.names.empty()) {
        std::vector<std::string> entryNames;
        entryNames.reserve(entries.size());
        for (const Entry& entry : entries) entryNames.push_back(entry.name);
        const EntryNameIndex index(entryNames);
        for (const std::string& wanted : options.names) {
            const std::vector<std::size_t> found = index.find(wanted);
            for (std::size_t i : found) chosen[i] = true;
            if (found.empty()) {
                result.namesNotFound.push_back(wanted);
                run.note(Status::NotFound);
                run.say(Status::NotFound, Quoted(wanted) + ": not in the archive");
            }
        }
    }
    uint64_t chosenCount = 0, chosenBytes = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!chosen[i]) continue;
        ++chosenCount;
        chosenBytes += entries[i].uncompressedSize;
    }
    ProgressMeter& meter = run.meter();
    meter.setTotals(chosenBytes, chosenCount);
    run.startWorkers(static_cast<std::size_t>(chosenCount));
    uint64_t bytesBefore = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!chosen[i]) continue;
        if (!meter.startEntry(entries[i].name, bytesBefore)) break;
        run.extractOne(*reader, i, root);
        if (meter.stopped()) break;
        bytesBefore += entries[i].uncompressedSize;
    }
    run.finish();
    // Everything asked for is on disk by the closing report, so a stop there undoes nothing.
    if (meter.stopped()) result.status = Status::Cancelled;
    else meter.finish();
    return result;
}

}  // namespace

ExtractResult Extract(const std::string& archivePath, const ExtractOptions& options) {
    try {
        return ExtractAll(archivePath, options);
    } catch (const std::bad_alloc&) {
        ExtractResult result;
        result.status = Status::IoError;
        const std::string line = "out of memory while extracting " + archivePath;
        if (options.report) options.report(Status::IoError, line);
        return result;
    }
}

}  // namespace zipcore
