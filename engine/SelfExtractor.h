#pragma once
// Building a self-extracting program from a zip archive: a stub program followed by the
// archive, with the archive's offsets adjusted so that the file is also a readable zip.

#include <string>

// The program's name beside the archive: the archive path up to the dot of its own extension,
// followed by ".exe"; a name without a dot gets ".exe" added to the whole of it.
std::string SelfExtractorTarget(const std::string& archivePath);

// Copies stubName (a file in programDir) and the archive into a new file beside targetPath
// with the interpreter's COPY /B, adjusts it with ZIP386.EXE /A, checks that it is a zip whose
// offsets count from its start, and only then puts it in targetPath's place. programDir is the
// current directory afterwards. An existing targetPath is replaced only when the user agrees,
// and never when it is the archive itself. Returns 1 when built (and said where) or declined,
// 0 after a message naming what failed.
int BuildSelfExtractor(const std::string& stubName, const std::string& archivePath, const std::string& targetPath,
                       const std::string& programDir);
