#include "ZipperCommandLine.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string ArgumentsAfterProgramName(const std::string& commandLine) {
    std::string::size_type position = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        // A quoted program name ends at the closing mark, or runs to the end without one.
        std::string::size_type closing = commandLine.find('"', 1);
        position = closing == std::string::npos ? commandLine.size() : closing + 1;
    }
    while (position < commandLine.size() && !IsBlank(commandLine[position])) ++position;
    while (position < commandLine.size() && IsBlank(commandLine[position])) ++position;
    return commandLine.substr(position);
}

std::string ArchiveNameFor(const std::string& fileArgument) {
    std::string archive = fileArgument;
    std::string::size_type dot = archive.find_last_of('.');
    if (dot != std::string::npos) archive.erase(dot);
    return archive + ".zip";
}
