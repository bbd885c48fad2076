#pragma once
// The figures of one long operation and the calls of its progress callback: at the start of
// each entry, whenever another step of bytes has passed inside one, and once at the end.
// Work that moves through millions of small buffers asks here after each; only every step
// reaches the callback, so a report costs nothing next to the work. Without a callback every
// call is a test of one pointer.

#include "zipcore/ZipArchive.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace zipcore {

class ProgressMeter {
public:
    // Reported at least this often inside a long entry: a few milliseconds of inflating or
    // writing even on a slow disk, so that a stop takes effect well within half a second.
    static constexpr uint64_t kStep = 4 << 20;

    explicit ProgressMeter(ProgressCallback callback) : callback_(std::move(callback)) {}

    void setTotals(uint64_t bytes, uint64_t entries) {
        progress_.bytesTotal = bytes;
        progress_.entriesTotal = entries;
    }
    // An entry starts with bytesBefore done before it; false once told to stop.
    bool startEntry(const std::string& name, uint64_t bytesBefore) {
        if (!callback_) return true;
        progress_.entriesDone = started_++;
        moveTo(bytesBefore);
        return startAside(name);
    }
    // Work on an entry that the figures do not count (an old entry copied while files are
    // added): reported under its name, so that a stop is heard there too.
    bool startAside(const std::string& name) {
        if (!callback_) return true;
        progress_.entryName = name;
        return report();
    }
    // Bytes done inside the entry. Every call below reports once a step of work has passed
    // since the last report.
    bool advance(uint64_t bytes) {
        if (!callback_) return true;
        moveTo(progress_.bytesDone + bytes);
        return pass(bytes);
    }
    // Done up to this many bytes, counted from the start.
    bool reach(uint64_t bytesDone) {
        if (!callback_) return true;
        const uint64_t before = progress_.bytesDone;
        moveTo(bytesDone);
        return pass(progress_.bytesDone - before);
    }
    // Work that moves no figure.
    bool pass(uint64_t bytes) {
        if (!callback_) return true;
        work_ += bytes;
        return work_ - reported_ < kStep || report();
    }
    // The closing report: every entry started counts as done, and so do all the bytes.
    bool finish() {
        if (!callback_ || stopped_) return !stopped_;
        progress_.entryName.clear();
        progress_.entriesDone = started_;
        moveTo(progress_.bytesTotal);
        return report();
    }
    bool stopped() const { return stopped_; }

private:
    // Never backwards, never past the total: entries that declare less than they hold, or
    // archives whose entries lie out of order, still give a bar that only grows.
    void moveTo(uint64_t bytes) {
        progress_.bytesDone = std::max(progress_.bytesDone, std::min(bytes, progress_.bytesTotal));
    }
    bool report() {
        reported_ = work_;
        if (!stopped_ && !callback_(progress_)) stopped_ = true;
        return !stopped_;
    }

    ProgressCallback callback_;
    Progress progress_;
    uint64_t started_ = 0;
    uint64_t work_ = 0;       // bytes of work so far, counted or not
    uint64_t reported_ = 0;   // work_ at the last report
    bool stopped_ = false;
};

}  // namespace zipcore
