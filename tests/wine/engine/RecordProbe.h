#pragma once
// Runs one handler operation against the recording stand-in DLLs; see ZipRecordsTest.cpp.

#include <string>

int RunRecordProbe(const std::string& scenario, const std::string& folder);
