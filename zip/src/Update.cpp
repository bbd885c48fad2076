#include "Names.h"
#include "WorkerPool.h"
#include "ZipFormat.h"
#include "zipcore/ProgressMeter.h"
#include "zipcore/TestHooks.h"

#include <zlib.h>

#include <algorithm>
#include <deque>
#include <thread>
#include <unordered_map>

namespace zipcore {
namespace {

using namespace format;

// Large files are cut into chunks compressed independently on all cores; each chunk after
// the first is primed with the 32 KiB before it, so the ratio stays close to one stream.
constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kDictionary = 32768;
// Files this large get Zip64 fields in their local header up front: the compressed size is
// only known afterwards and may end up slightly larger than the input.
constexpr uint64_t kZip64Reserve = 0xF0000000u;
constexpr std::size_t kCopyBlock = 1 << 20;
constexpr char kUpdateTemporaryMarker[] = ".zu";   // <archive>.zu<hex>: an update's temporary file

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

struct SourceItem {
    std::string path;  // on disk
    std::string name;  // entry name
    bool folder = false;
    uint64_t size = 0;
    int64_t modified = 0;
    uint32_t mode = 0;
    bool replaces = false;
};

// One chunk of one file: filled in by a worker, consumed in order by the writing thread.
struct Task {
    const SourceItem* item = nullptr;
    uint64_t offset = 0;
    std::size_t length = 0;
    bool first = false;
    bool last = false;
    // results
    bool done = false;
    bool stored = false;  // output holds the raw bytes
    std::vector<uint8_t> output;
    uLong crc = 0;
    Error error;
};

class Compressor {
public:
    explicit Compressor(int level) : level_(level) {}
    ~Compressor() {
        if (ready_) deflateEnd(&stream_);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    void run(Task& task) {
        const SourceItem& item = *task.item;
        std::size_t dictionary = task.first || level_ == 0 ? 0 : static_cast<std::size_t>(std::min<uint64_t>(kDictionary, task.offset));
        std::vector<uint8_t> input(dictionary + task.length);
        switch (fs::ReadRange(item.path, task.offset - dictionary, input.data(), input.size())) {
        case fs::RangeRead::Complete:
            break;
        case fs::RangeRead::CannotOpen:
            task.error = fs::IoFailure(Quoted(item.path) + ": cannot open the file");
            return;
        case fs::RangeRead::Short:
            // Without a system error the file came out shorter than it was found: it changed.
            task.error = fs::LastFailure() ? fs::IoFailure(Quoted(item.path) + ": cannot read the file")
                                           : Error{Status::IoError, Quoted(item.path) + ": cannot read the file "
                                                                    "(did it change while being added?)"};
            return;
        }
        const uint8_t* data = input.data() + dictionary;
        task.crc = crc32(crc32(0, nullptr, 0), data, static_cast<uInt>(task.length));
        if (level_ == 0) {
            task.output = std::move(input);
            task.stored = true;
            return;
        }
        if (!ready_) {
            if (deflateInit2(&stream_, level_, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
                task.error = {Status::IoError, "out of memory for compression"};
                return;
            }
            ready_ = true;
        } else {
            deflateReset(&stream_);
        }
        if (dictionary > 0) deflateSetDictionary(&stream_, input.data(), static_cast<uInt>(dictionary));
        task.output.resize(deflateBound(&stream_, static_cast<uLong>(task.length)) + 64);
        stream_.next_in = const_cast<uint8_t*>(data);
        stream_.avail_in = static_cast<uInt>(task.length);
        const int flush = task.last ? Z_FINISH : Z_SYNC_FLUSH;
        std::size_t produced = 0;
        for (;;) {
            if (produced == task.output.size()) task.output.resize(task.output.size() * 2);
            stream_.next_out = task.output.data() + produced;
            stream_.avail_out = static_cast<uInt>(task.output.size() - produced);
            int result = deflate(&stream_, flush);
            produced = task.output.size() - stream_.avail_out;
            if (result == Z_STREAM_END) break;
            if (result != Z_OK && result != Z_BUF_ERROR) {
                task.error = {Status::IoError, Quoted(item.path) + ": compression failed"};
                return;
            }
            if (!task.last && stream_.avail_in == 0 && stream_.avail_out > 0) break;
        }
        task.output.resize(produced);
        // A whole small file that does not shrink is kept as it is.
        if (task.first && task.last && produced >= task.length) {
            input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(dictionary));
            task.output = std::move(input);
            task.stored = true;
        }
    }

private:
    int level_;
    bool ready_ = false;
    z_stream stream_{};
};

// Output stream for the new archive that remembers the first failure, so the many small
// writes need not each be checked.
class ArchiveOutput {
public:
    bool open(const std::string& path) {
        if (!file_.open(path, "wb")) return false;
        file_.useLargeBuffer();
        return true;
    }
    void write(const void* data, std::size_t size) {
        if (ok_ && !file_.write(data, size)) failed();
        position_ += size;
    }
    void write(const std::string& bytes) { write(bytes.data(), bytes.size()); }
    void patch(uint64_t at, const std::string& bytes) {
        if (!ok_) return;
        if (!(file_.seek(at) && file_.write(bytes.data(), bytes.size()) && file_.seekEnd())) failed();
    }
    uint64_t position() const { return position_; }
    bool ok() const { return ok_; }
    bool finish() {
        if (ok_ && !file_.flushToDisk()) failed();
        if (!file_.close() && ok_) failed();
        return ok_;
    }
    void abandon() { file_.close(); }
    // Why the first write, flush or close failed: later ones only repeat it.
    const SystemError& cause() const { return cause_; }

private:
    void failed() {
        ok_ = false;
        cause_ = fs::LastFailure();
    }
    fs::File file_;
    uint64_t position_ = 0;
    bool ok_ = true;
    SystemError cause_;
};

void AppendCentral(std::string& out, const Entry& entry, const CentralExtras& extras, uint64_t offset) {
    std::string zip64;
    if (entry.uncompressedSize >= kMax32) Put64(zip64, entry.uncompressedSize);
    if (entry.compressedSize >= kMax32) Put64(zip64, entry.compressedSize);
    if (offset >= kMax32) Put64(zip64, offset);
    std::string extra;
    if (!zip64.empty()) {
        Put16(extra, kZip64ExtraId);
        Put16(extra, static_cast<uint16_t>(zip64.size()));
        extra += zip64;
    }
    if (extra.size() + extras.extra.size() <= kMax16) extra += extras.extra;
    uint16_t needed = extras.versionNeeded;
    if (!zip64.empty() && needed < 45) needed = 45;
    Put32(out, kCentralSignature);
    Put16(out, entry.versionMadeBy);
    Put16(out, needed);
    Put16(out, entry.flags);
    Put16(out, entry.method);
    Put16(out, entry.dosTime);
    Put16(out, entry.dosDate);
    Put32(out, entry.crc32);
    Put32(out, static_cast<uint32_t>(std::min<uint64_t>(entry.compressedSize, kMax32)));
    Put32(out, static_cast<uint32_t>(std::min<uint64_t>(entry.uncompressedSize, kMax32)));
    Put16(out, static_cast<uint16_t>(entry.storedName.size()));
    Put16(out, static_cast<uint16_t>(extra.size()));
    Put16(out, static_cast<uint16_t>(std::min<std::size_t>(extras.comment.size(), kMax16)));
    Put16(out, 0);  // disk
    Put16(out, extras.internalAttributes);
    Put32(out, entry.externalAttributes);
    Put32(out, static_cast<uint32_t>(std::min<uint64_t>(offset, kMax32)));
    out += entry.storedName;
    out += extra;
    out.append(extras.comment, 0, kMax16);
}

// Extended timestamp: the exact modification time beside the DOS stamp's local two seconds.
// The same 9 bytes serve the local and the central header, where only that time is given.
std::string ExtendedTimestamp(const Entry& entry) {
    std::string field;
    if (!entry.hasExactTime || entry.modified < 0 || entry.modified > static_cast<int64_t>(kMax32)) return field;
    Put16(field, 0x5455);
    Put16(field, 5);
    field.push_back(1);   // modification time present
    Put32(field, static_cast<uint32_t>(entry.modified));
    return field;
}

std::string LocalHeader(const Entry& entry, uint16_t needed, bool zip64) {
    const std::string timestamp = ExtendedTimestamp(entry);
    std::string header;
    Put32(header, kLocalSignature);
    Put16(header, needed);
    Put16(header, entry.flags);
    Put16(header, entry.method);
    Put16(header, entry.dosTime);
    Put16(header, entry.dosDate);
    Put32(header, entry.crc32);
    Put32(header, zip64 ? kMax32 : static_cast<uint32_t>(entry.compressedSize));
    Put32(header, zip64 ? kMax32 : static_cast<uint32_t>(entry.uncompressedSize));
    Put16(header, static_cast<uint16_t>(entry.storedName.size()));
    Put16(header, static_cast<uint16_t>((zip64 ? 20 : 0) + timestamp.size()));
    header += entry.storedName;
    if (zip64) {
        Put16(header, kZip64ExtraId);
        Put16(header, 16);
        Put64(header, entry.uncompressedSize);
        Put64(header, entry.compressedSize);
    }
    header += timestamp;
    return header;
}

class Updater {
public:
    Updater(const std::string& archivePath, const UpdateOptions& options, UpdateResult& result)
        : archivePath_(archivePath), options_(options), result_(result),
          level_(std::clamp(options.level, 0, 9)), meter_(options.progress) {}

    ~Updater() {
        // Whatever went wrong, the half-written file must not stay behind.
        if (!temporary_.empty()) {
            output_.abandon();
            fs::RemoveFile(temporary_);
        }
    }

    void run();

private:
    void say(const std::string& line) { say(Status::Ok, line); }
    void say(Status status, const std::string& line) {
        if (options_.report) options_.report(status, line);
    }
    void fail(Status status, const std::string& line) {
        result_.status = status;
        say(status, line);
    }
    void fail(const Error& error) { fail(error.status, error.message); }
    // The caller asked to stop: the temporary file goes with the updater, the archive stays.
    bool cancel() {
        result_.status = Status::Cancelled;
        return false;
    }
    // Adding is measured by the sources' bytes, a rewrite that only deletes by the old
    // archive's; either way the bytes pass through the meter here.
    bool addingFiles() const { return !items_.empty(); }
    void startProgress(const std::vector<std::pair<bool, std::size_t>>& plan);
    bool startStep(const std::pair<bool, std::size_t>& step);
    bool expand();
    bool expandOne(const std::string& wanted);
    void addItem(SourceItem item);
    bool writeArchive();
    bool copyEntry(std::size_t index);
    bool flushCopy();
    bool writeFolder(const SourceItem& item);
    bool writeFile(const SourceItem& item);
    void topUp();
    Entry newEntry(const SourceItem& item) const;
    bool verify();

    const std::string& archivePath_;
    const UpdateOptions& options_;
    UpdateResult& result_;
    const int level_;
    ProgressMeter meter_;
    uint64_t sourceBytesBefore_ = 0;  // of the files written before the current one

    std::unique_ptr<ArchiveView> old_;
    std::vector<SourceItem> items_;
    std::unordered_map<std::string, std::size_t> itemByKey_;
    std::vector<bool> deleted_;
    std::vector<int> replacedBy_;   // old entry -> item index, or -1

    std::string temporary_;
    ArchiveOutput output_;
    std::string central_;
    uint64_t entryCount_ = 0;
    std::vector<std::string> intendedNames_;
    std::vector<std::pair<uint64_t, uint32_t>> newCrcs_;  // position in the archive, CRC computed

    std::unique_ptr<WorkerPool<Task>> pool_;
    std::deque<std::shared_ptr<Task>> inFlight_;
    std::size_t inFlightLimit_ = 4;
    std::size_t nextItem_ = 0;      // next item whose chunks are to be submitted
    uint64_t nextOffset_ = 0;       // next chunk offset within that item
    std::vector<std::size_t> itemOrder_;  // items in the order they are written
    std::vector<uint8_t> copyBuffer_;
    uint64_t copyStart_ = 0;  // a run of old entries still to be copied
    uint64_t copyEnd_ = 0;
    uint64_t inFlightBytes_ = 0;
    uint64_t inFlightByteLimit_ = 8 << 20;
    static constexpr uint64_t kNoArchive = ~uint64_t{0};
    uint64_t archiveSize_ = kNoArchive;  // as found before anything was expanded
};

void Updater::addItem(SourceItem item) {
    if (item.name.empty()) {
        say(Status::Skipped, Quoted(item.path) + ": no name left to store, skipped");
        return;
    }
    std::string key = names::ComparisonKey(item.name);
    if (itemByKey_.count(key)) return;  // named twice: the first one wins
    itemByKey_.emplace(key, items_.size());
    items_.push_back(std::move(item));
}

bool Updater::expandOne(const std::string& wanted) {
    const std::string base = options_.baseDir;
    std::size_t cut = wanted.size();
    while (cut > 0 && !fs::IsSeparator(wanted[cut - 1]) && !(cut == 2 && wanted[1] == ':')) --cut;
    const std::string dirPart = wanted.substr(0, cut);
    const std::string last = wanted.substr(cut);
    const bool absolute = fs::IsAbsolute(wanted) || (wanted.size() >= 2 && wanted[1] == ':');
    auto onDisk = [&](const std::string& relative) { return absolute ? relative : fs::Join(base, relative); };

    // Asking the system for two files' identity opens both, so only a file of the archive's
    // own size is asked about.
    auto skipArchive = [&](const std::string& path, uint64_t size) {
        if (size != archiveSize_ || !fs::SameFile(path, archivePath_)) return false;
        say(Status::Skipped, Quoted(path) + ": the archive itself is not added");
        return true;
    };
    if (names::HasWildcard(last)) {
        std::string folder = onDisk(dirPart.empty() ? std::string(".") : dirPart);
        std::vector<std::string> found;
        fs::ListDirectory(folder, found);
        bool any = false;
        for (const std::string& name : found) {
            if (!names::MatchesPattern(last, name)) continue;
            SourceItem item;
            item.path = fs::Join(folder, name);
            fs::FileInfo info = fs::Stat(item.path);
            if (!info.isRegular || skipArchive(item.path, info.size)) continue;
            any = true;
            item.size = info.size;
            item.modified = info.modified;
            item.mode = info.mode;
            item.name = names::ForStoring(options_.storePaths ? dirPart + "/" + name : name);
            addItem(std::move(item));
        }
        if (!any) say(Status::NothingToDo, Quoted(wanted) + ": no file matches");
        return true;
    }
    SourceItem item;
    item.path = onDisk(wanted);
    fs::FileInfo info = fs::Stat(item.path);
    if (!info.exists || (!info.isRegular && !info.isDirectory)) {
        fail(Status::NotFound, Quoted(item.path) + ": no such file");
        return false;
    }
    if (skipArchive(item.path, info.size)) return true;
    item.folder = info.isDirectory;
    item.size = info.isDirectory ? 0 : info.size;
    item.modified = info.modified;
    item.mode = info.mode;
    std::string stored = names::ForStoring(options_.storePaths ? wanted : last);
    if (item.folder && stored.empty() && !options_.storePaths) stored = names::ForStoring(wanted);
    if (item.folder && !options_.storePaths) stored = stored.substr(stored.find_last_of('/') + 1);
    item.name = item.folder && !stored.empty() ? stored + "/" : stored;
    addItem(std::move(item));
    return true;
}

bool Updater::expand() {
    for (const std::string& wanted : options_.add) {
        if (wanted.empty()) continue;
        if (!expandOne(wanted)) return false;
    }
    return true;
}

Entry Updater::newEntry(const SourceItem& item) const {
    Entry entry;
    entry.name = item.name;
    // Plain ASCII is stored as it is, for every reader; anything else in UTF-8, said so by bit 11.
    entry.storedName = item.name;
    if (std::any_of(item.name.begin(), item.name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        entry.flags |= 0x800;
    entry.modified = item.modified;
    entry.hasExactTime = true;
    DosDateTimeFromUnix(item.modified, entry.dosDate, entry.dosTime);
#ifdef _WIN32
    entry.versionMadeBy = 20;  // FAT attributes
    entry.externalAttributes = item.folder ? 0x10 : 0x20;
#else
    entry.versionMadeBy = (3 << 8) | 30;  // Unix mode in the upper half
    entry.externalAttributes = ((item.mode & 0xFFFFu) << 16) | (item.folder ? 0x10u : 0u);
#endif
    return entry;
}

void Updater::topUp() {
    // Refilled in batches once half the queue has drained, with one wake-up for the batch:
    // for small files, waking a worker per task would cost more than the task.
    if (inFlight_.size() > inFlightLimit_ / 2) return;
    while (inFlight_.size() < inFlightLimit_ && inFlightBytes_ < inFlightByteLimit_ && nextItem_ < itemOrder_.size()) {
        const SourceItem& item = items_[itemOrder_[nextItem_]];
        if (item.folder) {
            ++nextItem_;
            continue;
        }
        auto task = std::make_shared<Task>();
        task->item = &item;
        task->offset = nextOffset_;
        task->length = static_cast<std::size_t>(std::min<uint64_t>(kChunk, item.size - nextOffset_));
        task->first = nextOffset_ == 0;
        nextOffset_ += task->length;
        task->last = nextOffset_ >= item.size;
        if (task->last) {
            ++nextItem_;
            nextOffset_ = 0;
        }
        inFlightBytes_ += task->length;
        inFlight_.push_back(task);
        pool_->submitQuietly(std::move(task));
    }
    if (pool_) pool_->wakeAll();
}

bool Updater::copyEntry(std::size_t index) {
    const Entry& entry = old_->entries()[index];
    LocalLayout layout;
    if (Error error = old_->Locate(index, layout)) {
        fail(error.status, error.message);
        return false;
    }
    const uint64_t end = layout.dataOffset + entry.compressedSize + layout.descriptorSize;
    // Neighbouring entries are copied as one run: one read and write per megabyte
    // instead of several small ones per entry.
    if (copyEnd_ != layout.headerOffset || copyEnd_ == copyStart_) {
        if (!flushCopy()) return false;
        copyStart_ = copyEnd_ = layout.headerOffset;
    }
    const uint64_t offset = output_.position() + (copyEnd_ - copyStart_);
    copyEnd_ = end;
    AppendCentral(central_, entry, old_->extras()[index], offset);
    intendedNames_.push_back(entry.name);
    ++entryCount_;
    ++result_.copied;
    // A run is read a block at a time anyway; written out once it fills one, the bytes
    // reported follow the entries being copied instead of jumping at the end of the run.
    return copyEnd_ - copyStart_ < kCopyBlock || flushCopy();
}

bool Updater::flushCopy() {
    uint64_t left = copyEnd_ - copyStart_;
    if (left == 0) return true;
    copyBuffer_.resize(kCopyBlock);
    fs::File& source = old_->file();
    if (!source.seek(copyStart_)) {
        fail(Status::IoError, "cannot read " + archivePath_);
        return false;
    }
    while (left > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(left, copyBuffer_.size()));
        if (source.read(copyBuffer_.data(), want) != want) {
            fail(Status::Truncated, archivePath_ + ": the archive ends inside entry data");
            return false;
        }
        output_.write(copyBuffer_.data(), want);
        left -= want;
        // Copying a long run of old entries is checked for a stop too: adding a small file to
        // a large archive spends most of its time here.
        if (!(addingFiles() ? meter_.pass(want) : meter_.reach(copyEnd_ - left))) return cancel();
    }
    copyStart_ = copyEnd_;
    return true;
}

void Updater::startProgress(const std::vector<std::pair<bool, std::size_t>>& plan) {
    if (addingFiles()) {
        uint64_t sourceBytes = 0;
        for (const SourceItem& item : items_) sourceBytes += item.size;
        meter_.setTotals(sourceBytes, items_.size());
    } else {
        meter_.setTotals(archiveSize_ == kNoArchive ? 0 : archiveSize_, plan.size());
    }
}

// Every step reports, old entries copied while adding included, so that a stop is heard
// between any two entries; only the files added count as entries done then.
bool Updater::startStep(const std::pair<bool, std::size_t>& step) {
    if (step.first) {
        const SourceItem& item = items_[step.second];
        const bool started = meter_.startEntry(item.name, sourceBytesBefore_);
        sourceBytesBefore_ += item.size;
        return started;
    }
    const Entry& entry = old_->entries()[step.second];
    if (addingFiles()) return meter_.startAside(entry.name);
    return meter_.startEntry(entry.name, copyStart_);
}

bool Updater::writeFolder(const SourceItem& item) {
    Entry entry = newEntry(item);
    CentralExtras extras;
    extras.versionNeeded = 10;
    extras.extra = ExtendedTimestamp(entry);
    const uint64_t offset = output_.position();
    output_.write(LocalHeader(entry, 10, false));
    AppendCentral(central_, entry, extras, offset);
    newCrcs_.emplace_back(entryCount_, 0);
    intendedNames_.push_back(entry.name);
    ++entryCount_;
    say(std::string(item.replaces ? "updating: " : "adding: ") + item.name);
    return true;
}

bool Updater::writeFile(const SourceItem& item) {
    Entry entry = newEntry(item);
    entry.uncompressedSize = item.size;
    const uint64_t offset = output_.position();
    const bool zip64 = item.size >= kZip64Reserve;
    bool headerWritten = false;
    uLong crc = crc32(0, nullptr, 0);
    uint64_t packed = 0;
    for (;;) {
        topUp();
        std::shared_ptr<Task> task = inFlight_.front();
        pool_->waitFor(*task);
        inFlight_.pop_front();
        inFlightBytes_ -= task->length;
        if (task->item != &item) {
            fail(Status::IoError, "internal error: chunks out of order");
            return false;
        }
        if (task->error) {
            fail(task->error.status, task->error.message);
            return false;
        }
        if (!headerWritten) {
            entry.method = task->stored ? 0 : 8;
            if (task->last) {  // the whole file in one piece: the header can be final right away
                entry.crc32 = static_cast<uint32_t>(task->crc);
                entry.compressedSize = task->output.size();
            }
            output_.write(LocalHeader(entry, zip64 ? 45 : entry.method == 8 ? 20 : 10, zip64));
            headerWritten = true;
        }
        crc = task->first ? task->crc : crc32_combine(crc, task->crc, static_cast<z_off_t>(task->length));
        packed += task->output.size();
        output_.write(task->output.data(), task->output.size());
        if (!meter_.advance(task->length)) return cancel();
        if (task->last) break;
    }
    entry.crc32 = static_cast<uint32_t>(crc);
    entry.compressedSize = packed;
    if (item.size > kChunk) {
        // Sizes and CRC were unknown when the header went out; fill them in now.
        std::string header = LocalHeader(entry, zip64 ? 45 : entry.method == 8 ? 20 : 10, zip64);
        output_.patch(offset, header);
    }
    if (!zip64 && packed >= kMax32) {
        fail(Status::IoError, Quoted(item.path) + ": compressed data grew past 4 GiB");
        return false;
    }
    CentralExtras extras;
    extras.versionNeeded = zip64 ? 45 : entry.method == 8 ? 20 : 10;
    extras.extra = ExtendedTimestamp(entry);
    AppendCentral(central_, entry, extras, offset);
    newCrcs_.emplace_back(entryCount_, entry.crc32);
    intendedNames_.push_back(entry.name);
    ++entryCount_;
    unsigned percent = item.size == 0 ? 0 : static_cast<unsigned>(100 - std::min<uint64_t>(100, packed * 100 / item.size));
    say(std::string(item.replaces ? "updating: " : "adding: ") + item.name + " (" +
        (entry.method == 8 ? "deflated " : "stored ") + std::to_string(entry.method == 8 ? percent : 0) + "%)");
    return true;
}

bool Updater::writeArchive() {
    // A marker of the update's own, so that the temporaries an update killed half-way left
    // can be told from the other files beside the archive and removed by the next update.
    if (old_) fs::RemoveUnusedTemporariesBeside(archivePath_, kUpdateTemporaryMarker);
    temporary_ = fs::TemporaryNameBeside(archivePath_, kUpdateTemporaryMarker);
    if (!output_.open(temporary_)) {
        std::string failed = temporary_;
        temporary_.clear();
        fail(fs::IoFailure("cannot create a temporary file " + Quoted(failed) + " beside the archive"));
        return false;
    }
    // A stub in front of the archive (a self-extractor) is kept; offsets are written
    // counting from the start of the file, so the result is already adjusted.
    if (old_ && old_->prefixLength() > 0) {
        copyBuffer_.resize(kCopyBlock);
        fs::File& source = old_->file();
        uint64_t left = old_->prefixLength();
        source.seek(0);
        while (left > 0) {
            std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(left, copyBuffer_.size()));
            if (source.read(copyBuffer_.data(), want) != want) {
                fail(Status::IoError, "cannot read " + archivePath_);
                return false;
            }
            output_.write(copyBuffer_.data(), want);
            left -= want;
        }
    }

    // Write order: old entries in place (replaced ones by their new file), new ones after.
    std::vector<std::pair<bool, std::size_t>> plan;  // (is new item, index)
    std::vector<bool> placed(items_.size(), false);
    std::size_t oldCount = old_ ? old_->entries().size() : 0;
    for (std::size_t i = 0; i < oldCount; ++i) {
        if (replacedBy_[i] >= 0) {
            plan.emplace_back(true, static_cast<std::size_t>(replacedBy_[i]));
            placed[static_cast<std::size_t>(replacedBy_[i])] = true;
        } else if (!deleted_[i]) {
            plan.emplace_back(false, i);
        }
    }
    for (std::size_t k = 0; k < items_.size(); ++k)
        if (!placed[k]) plan.emplace_back(true, k);
    for (const auto& step : plan)
        if (step.first) itemOrder_.push_back(step.second);

    bool anyFile = std::any_of(items_.begin(), items_.end(), [](const SourceItem& item) { return !item.folder; });
    if (anyFile) {
        unsigned threads = options_.threads ? options_.threads : std::max(1u, std::thread::hardware_concurrency());
        // Many small files need many tasks queued to keep every worker busy; large ones are
        // held back by the byte limit, which bounds the memory in flight.
        inFlightLimit_ = std::clamp<std::size_t>(threads * 32, 64, 1024);
        inFlightByteLimit_ = std::max<uint64_t>(8 << 20, uint64_t{threads} * (3 << 20));
        const int level = level_;
        pool_ = std::make_unique<WorkerPool<Task>>(threads, [level]() -> WorkerPool<Task>::Runner {
            auto compressor = std::make_shared<Compressor>(level);
            return [compressor](Task& task) {
                try {
                    compressor->run(task);
                } catch (const std::exception&) {
                    task.error = {Status::IoError, "out of memory while compressing"};
                }
            };
        });
    }
    startProgress(plan);
    for (const auto& step : plan) {
        if (!startStep(step)) return cancel();
        topUp();  // keep the workers busy while this thread copies
        bool ok = !step.first ? copyEntry(step.second)
                              : flushCopy() && (items_[step.second].folder ? writeFolder(items_[step.second])
                                                                           : writeFile(items_[step.second]));
        if (!ok) return false;
        if (!output_.ok()) break;
    }
    if (!flushCopy()) return false;
    pool_.reset();

    const uint64_t centralOffset = output_.position();
    output_.write(central_);
    const uint64_t centralSize = central_.size();
    std::string().swap(central_);
    std::string tail;
    if (entryCount_ >= kMax16 || centralOffset >= kMax32 || centralSize >= kMax32) {
        const uint64_t zip64End = centralOffset + centralSize;
        Put32(tail, kZip64EndSignature);
        Put64(tail, kZip64EndSize - 12);
        Put16(tail, 45);
        Put16(tail, 45);
        Put32(tail, 0);
        Put32(tail, 0);
        Put64(tail, entryCount_);
        Put64(tail, entryCount_);
        Put64(tail, centralSize);
        Put64(tail, centralOffset);
        Put32(tail, kZip64LocatorSignature);
        Put32(tail, 0);
        Put64(tail, zip64End);
        Put32(tail, 1);
    }
    const std::string comment = old_ ? old_->comment() : std::string();
    Put32(tail, kEndSignature);
    Put16(tail, 0);
    Put16(tail, 0);
    Put16(tail, static_cast<uint16_t>(std::min<uint64_t>(entryCount_, kMax16)));
    Put16(tail, static_cast<uint16_t>(std::min<uint64_t>(entryCount_, kMax16)));
    Put32(tail, static_cast<uint32_t>(std::min<uint64_t>(centralSize, kMax32)));
    Put32(tail, static_cast<uint32_t>(std::min<uint64_t>(centralOffset, kMax32)));
    Put16(tail, static_cast<uint16_t>(comment.size()));
    tail += comment;
    output_.write(tail);
    if (!output_.finish()) {
        fail(fs::IoFailure("cannot write " + Quoted(temporary_), output_.cause()));
        return false;
    }
    return true;
}

bool Updater::verify() {
    Error error;
    std::unique_ptr<ArchiveView> written = OpenView(temporary_, error);
    auto reject = [&](const std::string& why) {
        fail(Status::IoError, "the new archive did not verify (" + why + "); " + archivePath_ + " is unchanged");
        return false;
    };
    if (!written) return reject(error.message);
    const std::vector<Entry>& entries = written->entries();
    if (entries.size() != intendedNames_.size()) return reject("wrong number of entries");
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name != intendedNames_[i]) return reject("entry " + Quoted(entries[i].name) + " misplaced");
    for (const auto& [position, crc] : newCrcs_) {
        if (entries[position].crc32 != crc) return reject(Quoted(entries[position].name) + " has a wrong CRC");
        // The local header was written before its sizes were known for large files; make
        // sure what was filled in afterwards agrees with the directory.
        LocalLayout layout;
        if (Error error = written->Locate(static_cast<std::size_t>(position), layout)) return reject(error.message);
    }
    return true;
}

void Updater::run() {
    fs::FileInfo existing = fs::Stat(archivePath_);
    archiveSize_ = existing.exists ? existing.size : kNoArchive;
    if (existing.isDirectory) {
        fail(Status::IoError, archivePath_ + " is a folder");
        return;
    }
    if (existing.exists && existing.size > 0) {
        Error error;
        old_ = OpenView(archivePath_, error);
        if (!old_) {
            fail(error.status, error.message);
            return;
        }
    }
    if (!expand()) return;

    const std::size_t oldCount = old_ ? old_->entries().size() : 0;
    deleted_.assign(oldCount, false);
    replacedBy_.assign(oldCount, -1);
    std::vector<std::string> oldNames;
    oldNames.reserve(oldCount);
    for (std::size_t i = 0; i < oldCount; ++i) oldNames.push_back(old_->entries()[i].name);
    const EntryNameIndex oldByName(oldNames);

    for (const std::string& name : options_.remove) {
        const std::vector<std::size_t> found = oldByName.find(name);
        if (found.empty()) say(Status::NothingToDo, Quoted(name) + ": not in the archive");
        for (std::size_t i : found) {
            if (deleted_[i]) continue;
            deleted_[i] = true;
            ++result_.deleted;
            say("deleting: " + old_->entries()[i].name);
        }
    }
    for (std::size_t k = 0; k < items_.size(); ++k) {
        bool first = true;
        for (std::size_t i : oldByName.find(items_[k].name)) {
            // An entry named twice in the old archive is replaced once; the other copy goes.
            if (first) {
                replacedBy_[i] = static_cast<int>(k);
                if (deleted_[i]) {
                    deleted_[i] = false;
                    --result_.deleted;
                }
                items_[k].replaces = true;
                first = false;
            } else if (!deleted_[i]) {
                deleted_[i] = true;
                ++result_.deleted;
                say("deleting: " + old_->entries()[i].name);
            }
        }
        if (items_[k].replaces) ++result_.replaced; else ++result_.added;
    }
    if (items_.empty() && result_.deleted == 0) {
        fail(Status::NothingToDo, "nothing to do: " + archivePath_ + " is unchanged");
        return;
    }
    if (!writeArchive()) return;
    // The last moment a stop can still leave the archive as it was.
    if (!meter_.finish()) {
        cancel();
        return;
    }
#ifdef ZIPCORE_TEST_HOOKS
    if (testhooks::beforeVerify) testhooks::beforeVerify(temporary_);
#endif
    if (!verify()) return;
    old_.reset();  // Windows will not replace a file that is still open
    // The name as it stands on disk: the caller's spelling (an upper-cased short path, say)
    // would otherwise become the archive's new name.
    if (!fs::ReplaceFile(temporary_, fs::NameAsOnDisk(archivePath_))) {
        const Error error = fs::IoFailure("cannot replace " + archivePath_);
        fail(error.status, error.message + "; it is unchanged");
        return;
    }
    temporary_.clear();
}

}  // namespace

UpdateResult Update(const std::string& archivePath, const UpdateOptions& options) {
    UpdateResult result;
    try {
        Updater updater(archivePath, options, result);
        updater.run();
    } catch (const std::exception& failure) {
        // Out of memory or no threads to be had: the temporary file is gone, the archive untouched.
        result = UpdateResult{};
        result.status = Status::IoError;
        const std::string line = "cannot update " + archivePath + ": " + failure.what();
        if (options.report) options.report(Status::IoError, line);
    }
    if (result.status != Status::Ok) result.added = result.replaced = result.deleted = result.copied = 0;
    return result;
}

}  // namespace zipcore
