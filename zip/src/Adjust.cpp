#include "ZipFormat.h"

#include <new>

namespace zipcore {
namespace {

using namespace format;

Error Fail(Status status, std::string message) { return Error{status, std::move(message)}; }

bool Add32(uint8_t* field, uint64_t shift) {
    uint64_t value = Get32(field) + shift;
    if (value >= kMax32) return false;
    Set32(field, static_cast<uint32_t>(value));
    return true;
}

Error AdjustInPlace(const std::string& path) {
    Error error;
    std::unique_ptr<ArchiveView> view = OpenView(path, error);
    if (!view) return error;
    const uint64_t shift = view->offsetShift();
    if (shift == 0) return {};  // already counts from the start of the file

    // The directory was just parsed successfully, so its size is real and bounded.
    std::vector<uint8_t> central(static_cast<std::size_t>(view->centralSize()));
    fs::File& file = view->file();
    if (!central.empty() && !file.readAt(view->centralOffset(), central.data(), central.size()))
        return fs::IoFailure("cannot read " + path);
    const std::string tooFar = path + ": the offsets would pass 4 GiB, which needs a rewrite of the archive";
    for (std::size_t at = 0; at + kCentralHeaderSize <= central.size();) {
        uint8_t* h = central.data() + at;
        if (Get32(h) != kCentralSignature) break;
        std::size_t nameLength = Get16(h + 28), extraLength = Get16(h + 30), commentLength = Get16(h + 32);
        if (Get32(h + 42) != kMax32) {
            if (!Add32(h + 42, shift)) return Fail(Status::BadOffsets, tooFar);
        } else {
            // The real offset is in the Zip64 block, after the sizes that overflowed.
            uint8_t* extra = h + kCentralHeaderSize + nameLength;
            for (std::size_t e = 0; e + 4 <= extraLength;) {
                uint16_t id = Get16(extra + e), length = Get16(extra + e + 2);
                if (id == kZip64ExtraId) {
                    std::size_t skip = (Get32(h + 24) == kMax32 ? 8 : 0) + (Get32(h + 20) == kMax32 ? 8 : 0);
                    if (skip + 8 <= length) Set64(extra + e + 4 + skip, Get64(extra + e + 4 + skip) + shift);
                    break;
                }
                e += 4 + length;
            }
        }
        at += kCentralHeaderSize + nameLength + extraLength + commentLength;
    }

    uint8_t end[kEndSize];
    if (!file.readAt(view->endRecordOffset(), end, sizeof end)) return fs::IoFailure("cannot read " + path);
    if (Get32(end + 16) != kMax32 && !Add32(end + 16, shift)) return Fail(Status::BadOffsets, tooFar);
    uint8_t zip64End[kZip64EndSize];
    uint8_t locator[kZip64LocatorSize];
    if (view->hasZip64End()) {
        if (!file.readAt(view->zip64EndOffset(), zip64End, sizeof zip64End) ||
            !file.readAt(view->zip64LocatorOffset(), locator, sizeof locator))
            return fs::IoFailure("cannot read " + path);
        Set64(zip64End + 48, Get64(zip64End + 48) + shift);
        // The locator may already point at the right place if only the directory was shifted.
        Set64(locator + 8, view->zip64EndOffset());
    }

    const uint64_t centralOffset = view->centralOffset();
    const bool zip64 = view->hasZip64End();
    const uint64_t zip64EndOffset = view->zip64EndOffset(), locatorOffset = view->zip64LocatorOffset();
    const uint64_t endOffset = view->endRecordOffset();
    view.reset();

    fs::File out;
    if (!out.open(path, "r+b")) return fs::IoFailure("cannot open " + path + " for writing");
    bool ok = (central.empty() || (out.seek(centralOffset) && out.write(central.data(), central.size()))) &&
              (!zip64 || (out.seek(zip64EndOffset) && out.write(zip64End, sizeof zip64End) &&
                          out.seek(locatorOffset) && out.write(locator, sizeof locator))) &&
              out.seek(endOffset) && out.write(end, sizeof end) && out.flushToDisk();
    // The first failure says why; closing after it would only repeat or hide it.
    const SystemError cause = ok ? SystemError() : fs::LastFailure();
    if (!out.close() && ok) return fs::IoFailure("cannot write " + path);
    if (!ok) return fs::IoFailure("cannot write " + path, cause);
    return {};
}

}  // namespace

Error AdjustOffsets(const std::string& path) {
    try {
        return AdjustInPlace(path);
    } catch (const std::bad_alloc&) {
        return Fail(Status::IoError, path + ": out of memory reading the central directory");
    }
}

}  // namespace zipcore
