#pragma once
// The progress record a caller hands either DLL through its set-progress export, kept for the
// calling thread, and the library's progress callback that reports to it.

#include "zipcore/ZipArchive.h"
#include "zipdll/ZipDllInterface.h"

namespace zipdll {

// Takes a copy of the record for the calls this thread makes afterwards; null clears it.
// 1 when taken or cleared, 0 for a record of a size this DLL does not know.
int SetCallerProgress(const WindllProgress* progress) noexcept;

// The library's callback for this thread's record: each report in the caller's code page,
// and the caller's nonzero answer as a stop. Empty when the thread set no record, so that the
// library then does no progress work at all.
zipcore::ProgressCallback CallerProgress();

}  // namespace zipdll
