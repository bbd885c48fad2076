#pragma once
// Archives read back with the zip library, independently of the code under test.

#include <string>
#include <vector>

#include "zipcore/ZipArchive.h"

// The entries of an archive, or their names, in the order of its directory; an archive that
// cannot be read is a test failure (and gives none).
std::vector<zipcore::Entry> ArchiveEntries(const std::string& archive);
std::vector<std::string> EntryNames(const std::string& archive);

// Makes an archive of the named files (relative to baseDir, "" for the current folder) with the
// zip library, independently of the code under test; a failure is a test failure.
struct ZipOfOptions {
    int level = 6;
    bool storePaths = true;
};
void MakeZipOf(const std::string& archive, const std::string& baseDir, const std::vector<std::string>& files,
               ZipOfOptions how = {});
