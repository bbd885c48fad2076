#pragma once
// How Zipper reads its command line and names the archive it writes.

#include <string>

// Everything after the program name, as GetCommandLineA gives it: the program name, quoted
// or not, and the blanks after it are skipped; the rest is kept unchanged, quotation marks
// and trailing blanks included.
std::string ArgumentsAfterProgramName(const std::string& commandLine);

// The file to pack: the arguments as they stand, or, when they begin with a quotation mark
// (the shell quotes any path with a blank), the text inside the quotes.
std::string PathFromCommandLine(const std::string& arguments);

// The file path with the extension of its own name (from its last '.') cut off,
// then ".zip" appended; a dot in a folder name is kept.
std::string ArchiveNameFor(const std::string& filePath);
