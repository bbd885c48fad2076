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

std::string PathFromCommandLine(const std::string& arguments) {
    if (arguments.empty() || arguments[0] != '"') return arguments;
    std::string::size_type closing = arguments.find('"', 1);
    return arguments.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
}

std::string ArchiveNameFor(const std::string& filePath) {
    std::string archive = filePath;
    // Only a dot in the file's own name starts an extension: one in a folder name does not.
    std::string::size_type nameStart = archive.find_last_of("\\/:");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::string::size_type dot = archive.find_last_of('.');
    if (dot != std::string::npos && dot >= nameStart) archive.erase(dot);
    return archive + ".zip";
}
