#include "TestSupport/ZipEntries.h"

#include <gtest/gtest.h>

std::vector<zipcore::Entry> ArchiveEntries(const std::string& archive) {
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(archive, error);
    if (!reader) {
        ADD_FAILURE() << "cannot read " << archive << ": " << error.message;
        return {};
    }
    return reader->entries();
}

std::vector<std::string> EntryNames(const std::string& archive) {
    std::vector<std::string> names;
    for (const zipcore::Entry& entry : ArchiveEntries(archive)) names.push_back(entry.name);
    return names;
}
