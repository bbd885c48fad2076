#pragma once
// Helpers of the tests of the arj handler and the command runner alone; the doubles and the
// scratch helpers they share with the other test programs come from TestSupport.

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport/Files.h"
#include "TestSupport/RecordingPresenter.h"
#include "TestSupport/RecordingView.h"
#include "TestSupport/ScratchSettings.h"

// Sets an environment variable for the length of its life, then puts it back as it was.
class EnvironmentSetting {
public:
    EnvironmentSetting(const std::string& name, const std::string& value);
    ~EnvironmentSetting();
    EnvironmentSetting(const EnvironmentSetting&) = delete;
    EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;

private:
    std::string name;
    std::string previous;
    bool hadPrevious;
};

std::string ShortUpperPath(const std::string& path);

// The six texts of a row in column order, so that a whole row is compared, and printed, at once.
using Columns = std::vector<std::string>;
Columns ColumnsOf(const EntryRow& row);

// The file the arj handler redirects ARJ's listing into: one per thread, in the temporary folder.
std::string ListFilePath();

// One run of the ARJ.EXE double as its log recorded it.
struct FakeArjCall {
    std::string commandLine;
    std::vector<std::string> arguments;   // without the program name
};
std::vector<FakeArjCall> ReadFakeArjLog(const std::string& logPath);
