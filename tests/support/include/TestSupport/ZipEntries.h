#pragma once
// Archives read back with the zip library, independently of the code under test.

#include <string>
#include <vector>

// Entry names of an archive in the order of its directory; an archive that cannot be read is
// a test failure (and gives no names).
std::vector<std::string> EntryNames(const std::string& archive);
