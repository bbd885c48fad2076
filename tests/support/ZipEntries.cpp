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

void MakeZipOf(const std::string& archive, const std::string& baseDir, const std::vector<std::string>& files,
               ZipOfOptions how) {
    zipcore::UpdateOptions options;
    options.add = files;
    options.baseDir = baseDir;
    options.level = how.level;
    options.storePaths = how.storePaths;
    const zipcore::UpdateResult result = zipcore::Update(archive, options);
    EXPECT_EQ(result.status, zipcore::Status::Ok) << "making " << archive;
}

std::vector<std::string> EntryNames(const std::string& archive) {
    std::vector<std::string> names;
    for (const zipcore::Entry& entry : ArchiveEntries(archive)) names.push_back(entry.name);
    return names;
}
