#include "CallerProgress.h"

#include <string>

namespace zipdll {
namespace {

// Per thread, so that two threads of one caller each see their own work and stop their own.
thread_local WindllProgress callerRecord{};

unsigned long Clamp32(uint64_t value) {
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFul : static_cast<unsigned long>(value);
}

}  // namespace

int SetCallerProgress(const WindllProgress* progress) noexcept {
    if (!progress) {
        callerRecord = WindllProgress{};
        return 1;
    }
    if (progress->size != sizeof(WindllProgress)) return 0;
    callerRecord = *progress;
    return 1;
}

zipcore::ProgressCallback CallerProgress() {
    if (!callerRecord.report) return {};
    const WindllProgress record = callerRecord;
    return [record](const zipcore::Progress& progress) {
        const std::string name = zipcore::AnsiFromUtf8(progress.entryName);
        const WindllProgressReport report{name.c_str(), progress.bytesDone, progress.bytesTotal,
                                          Clamp32(progress.entriesDone), Clamp32(progress.entriesTotal)};
        return record.report(record.context, &report) == 0;
    };
}

}  // namespace zipdll
