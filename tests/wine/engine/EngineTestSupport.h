#pragma once
// Helpers of the engine tests alone; the doubles and the scratch helpers they share with the
// other test programs come from TestSupport.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "TestSupport/Contents.h"
#include "TestSupport/Files.h"
#include "TestSupport/Programs.h"
#include "TestSupport/RecordingPresenter.h"
#include "TestSupport/RecordingView.h"
#include "TestSupport/ZipEntries.h"

// Sets a file's modification time to a local date and time.
void SetLocalFileTime(const std::string& path, int year, int month, int day, int hour, int minute);

bool EndsWith(const std::string& text, const std::string& tail);
