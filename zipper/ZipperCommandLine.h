#pragma once
// How Zipper reads its command line and names the archive it writes.

#include <string>

// Everything after the program name, as GetCommandLineA gives it: the program name, quoted
// or not, and the blanks after it are skipped; the rest is kept unchanged, quotation marks
// and trailing blanks included.
std::string ArgumentsAfterProgramName(const std::string& commandLine);

// The file argument cut at its last '.' (when it has one), then ".zip" appended.
std::string ArchiveNameFor(const std::string& fileArgument);
