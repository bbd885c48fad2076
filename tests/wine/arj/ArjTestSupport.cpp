#include "ArjTestSupport.h"

#include <windows.h>

#include <cstdio>
#include <sstream>

#include "PathHelpers.h"

EnvironmentSetting::EnvironmentSetting(const std::string& name, const std::string& value) : name(name) {
    char buffer[32768];
    DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    hadPrevious = length > 0 && length < sizeof buffer;
    if (hadPrevious) previous.assign(buffer, length);
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}
EnvironmentSetting::~EnvironmentSetting() {
    SetEnvironmentVariableA(name.c_str(), hadPrevious ? previous.c_str() : nullptr);
}

std::string ShortUpperPath(const std::string& path) {
    std::string result = path;
    ToShortPath(result);
    return result;
}

Columns ColumnsOf(const EntryRow& row) { return {row.name, row.date, row.time, row.size, row.ratio, row.packed}; }

std::string ListFilePath() {
    char temp[MAX_PATH + 1];
    GetTempPathA(sizeof temp, temp);
    char name[32];
    std::snprintf(name, sizeof name, "%lX.lst", GetCurrentThreadId());
    return std::string(temp) + name;
}

std::vector<FakeArjCall> ReadFakeArjLog(const std::string& logPath) {
    std::vector<FakeArjCall> calls;
    std::istringstream log(ReadFileBytes(logPath));
    std::string line;
    while (std::getline(log, line)) {
        if (line.rfind("CALL\t", 0) == 0)
            calls.push_back({line.substr(5), {}});
        else if (line.rfind("ARG\t", 0) == 0 && !calls.empty())
            calls.back().arguments.push_back(line.substr(4));
    }
    return calls;
}
