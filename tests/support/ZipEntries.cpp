#include "TestSupport/ZipEntries.h"

#include <gtest/gtest.h>

#include "zipcore/ZipArchive.h"

std::vector<std::string> EntryNames(const std::string& archive) {
    zipcore::Error error;
    std::vector<std::string> names;
    auto reader = zipcore::Reader::Open(archive, error);
    if (!reader) {
        ADD_FAILURE() << "cannot read " << archive << ": " << error.message;
        return names;
    }
    for (const zipcore::Entry& entry : reader->entries()) names.push_back(entry.name);
    return names;
}
