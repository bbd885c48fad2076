// Creating and changing archives: levels, names, patterns, replacing, deleting, copying
// unchanged entries untouched, refusing to change anything on failure, Zip64, stubs.
#include "TestSupport.h"
#include "zipcore/TestHooks.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <iostream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace ziptest;
using zipcore::Status;

namespace {

struct UpdateFixture : ::testing::Test {
    ScratchFolder dir;
    std::string archive = dir / "out.zip";
    std::string src = dir / "src";
    std::vector<std::string> lines;

    void SetUp() override {
        WriteFileBytes(src + "/a.txt", Words(20000, 1));
        WriteFileBytes(src + "/b.txt", "bee");
        WriteFileBytes(src + "/c.bin", Noise(5000, 2));
        WriteFileBytes(src + "/sub/d.txt", Words(3000, 4));
        WriteFileBytes(src + "/sub/e.c", "int main() {}\n");
    }

    zipcore::UpdateResult update(std::vector<std::string> add, std::vector<std::string> remove = {},
                                 int level = 6, bool storePaths = true, unsigned threads = 0) {
        zipcore::UpdateOptions options;
        options.add = std::move(add);
        options.remove = std::move(remove);
        options.baseDir = src;
        options.level = level;
        options.storePaths = storePaths;
        options.threads = threads;
        options.report = [this](zipcore::Status, const std::string& line) { lines.push_back(line); };
        return zipcore::Update(archive, options);
    }

    std::vector<zipcore::Entry> entries() { return ArchiveEntries(archive); }
    std::vector<std::string> names() { return EntryNames(archive); }
    std::string content(const std::string& name) {
        zipcore::Error error;
        auto reader = zipcore::Reader::Open(archive, error);
        if (!reader) return "<no archive>";
        for (std::size_t i = 0; i < reader->entries().size(); ++i) {
            if (reader->entries()[i].name != name) continue;
            std::string data = EntryData(*reader, i, error);
            return error ? "<" + error.message + ">" : data;
        }
        return "<missing>";
    }
    // The raw bytes of an entry as stored: local header and data.
    std::string stored(const zipcore::Entry& e) {
        std::string file = ReadFileBytes(archive);
        return file.substr(e.localHeaderOffset, 30 + e.name.size() + e.compressedSize);
    }
    bool noTemporaryFiles() {
        for (const std::string& f : FilesBelow(dir.Path()))
            if (f.find("out.zip.") != std::string::npos) return false;
        return true;
    }
    // Adds b.txt and a big file on one thread; once b.txt is written, before the big file's
    // later chunks are read, it calls change.
    zipcore::UpdateResult updateChangingHalfWay(const std::function<void()>& change) {
        WriteFileBytes(src + "/big.bin", Noise(12 << 20, 9));
        zipcore::UpdateOptions options;
        options.add = {"b.txt", "big.bin"};
        options.baseDir = src;
        options.threads = 1;
        options.report = [&](zipcore::Status, const std::string& line) {
            lines.push_back(line);
            if (line.find("b.txt") != std::string::npos) change();
        };
        return zipcore::Update(archive, options);
    }
};

}  // namespace

TEST_F(UpdateFixture, CreatesAnArchiveThatReadsBack) {
    zipcore::UpdateResult result = update({"a.txt", "b.txt", "c.bin", "sub/d.txt"});
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.added, 4);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.bin", "sub/d.txt"}));
    EXPECT_EQ(content("a.txt"), Words(20000, 1));
    EXPECT_EQ(content("c.bin"), Noise(5000, 2));
    EXPECT_EQ(content("sub/d.txt"), Words(3000, 4));
    auto list = entries();
    EXPECT_EQ(list[0].method, 8);
    EXPECT_LT(list[0].compressedSize, list[0].uncompressedSize / 3);
    EXPECT_EQ(list[0].crc32, Crc(Words(20000, 1)));
    EXPECT_TRUE(noTemporaryFiles());
}

TEST_F(UpdateFixture, LevelZeroAlwaysStores) {
    ASSERT_EQ(update({"a.txt", "c.bin", "b.txt"}, {}, 0).status, Status::Ok);
    for (const auto& e : entries()) {
        EXPECT_EQ(e.method, 0) << e.name;
        EXPECT_EQ(e.compressedSize, e.uncompressedSize) << e.name;
    }
    EXPECT_EQ(content("a.txt"), Words(20000, 1));
}

TEST_F(UpdateFixture, LevelNineDeflatesAtLeastAsWellAsLevelOne) {
    WriteFileBytes(src + "/big.txt", Words(3 << 20, 5));
    ASSERT_EQ(update({"big.txt"}, {}, 1).status, Status::Ok);
    uint64_t fast = entries()[0].compressedSize;
    std::remove(archive.c_str());
    ASSERT_EQ(update({"big.txt"}, {}, 9).status, Status::Ok);
    uint64_t best = entries()[0].compressedSize;
    EXPECT_EQ(entries()[0].method, 8);
    EXPECT_LE(best, fast);
    EXPECT_EQ(content("big.txt"), Words(3 << 20, 5));
}

TEST_F(UpdateFixture, LargeFilesSplitIntoChunksGiveTheSameBytesOnAnyThreadCount) {
    // Several chunks of text and of noise: the chunk seams, CRC combination and the
    // stored-block fallback all have to line up.
    std::string mixed = Words(2500000, 6) + Noise(1500000, 7) + Words(100, 8);
    WriteFileBytes(src + "/mixed.bin", mixed);
    for (unsigned threads : {1u, 3u}) {
        std::remove(archive.c_str());
        ASSERT_EQ(update({"mixed.bin"}, {}, 6, true, threads).status, Status::Ok);
        auto list = entries();
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].crc32, Crc(mixed));
        EXPECT_EQ(list[0].uncompressedSize, mixed.size());
        EXPECT_LT(list[0].compressedSize, mixed.size());
        EXPECT_EQ(content("mixed.bin"), mixed);
    }
}

TEST_F(UpdateFixture, StorePathsOffKeepsOnlyFileNames) {
    ASSERT_EQ(update({"sub/d.txt", "sub/*.c"}, {}, 6, false).status, Status::Ok);
    EXPECT_EQ(names(), (std::vector<std::string>{"d.txt", "e.c"}));
}

TEST_F(UpdateFixture, PatternsMatchInTheirFolder) {
    ASSERT_EQ(update({"*.txt", "sub/?.c"}).status, Status::Ok);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "sub/e.c"}));
}

TEST_F(UpdateFixture, NamesAreCleanedBeforeStoring) {
    ASSERT_EQ(update({"./sub/../sub/d.txt", src + "/b.txt"}).status, Status::Ok);
    std::vector<std::string> stored = names();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0], "sub/d.txt");  // ".." is never stored
    // An absolute path loses its drive and leading separator.
    EXPECT_NE(stored[1].front(), '/');
    EXPECT_EQ(stored[1].find(':'), std::string::npos);
    EXPECT_EQ(stored[1].substr(stored[1].size() - 9), "src/b.txt");
}

TEST_F(UpdateFixture, FolderNameAddsAFolderEntry) {
    ASSERT_EQ(update({"sub"}).status, Status::Ok);
    auto list = entries();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "sub/");
    EXPECT_TRUE(list[0].isDirectory());
}

TEST_F(UpdateFixture, SameNameReplacesInPlace) {
    ASSERT_EQ(update({"a.txt", "b.txt", "c.bin"}).status, Status::Ok);
    WriteFileBytes(src + "/b.txt", "new bee");
    zipcore::UpdateResult result = update({"b.txt"});
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.replaced, 1);
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(result.copied, 2);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.bin"}));
    EXPECT_EQ(content("b.txt"), "new bee");
}

TEST_F(UpdateFixture, UnchangedEntriesAreCopiedByteForByte) {
    ASSERT_EQ(update({"a.txt", "c.bin", "sub/d.txt"}, {}, 9).status, Status::Ok);
    std::vector<std::string> before;
    for (const auto& e : entries()) before.push_back(stored(e));
    // Added at level 1: had the old entries been recompressed, their bytes would change.
    ASSERT_EQ(update({"b.txt"}, {}, 1).status, Status::Ok);
    auto after = entries();
    ASSERT_EQ(after.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(stored(after[i]), before[i]) << after[i].name;
}

TEST_F(UpdateFixture, DataDescriptorsAreCopiedWithTheirEntries) {
    RawZip zip;
    for (int form = 0; form < 3; ++form)
        zip.entries.push_back(
            RawEntry("desc" + std::to_string(form), Words(2000, form)).Deflated().WithDescriptor(form != 1, form == 2));
    std::string original = zip.Build();
    WriteFileBytes(archive, original);
    ASSERT_EQ(update({"b.txt"}).status, Status::Ok);
    std::string now = ReadFileBytes(archive);
    // The three entries with their descriptors lead the new file unchanged.
    EXPECT_EQ(now.substr(0, zip.centralOffset), original.substr(0, zip.centralOffset));
    for (int form = 0; form < 3; ++form) EXPECT_EQ(content("desc" + std::to_string(form)), Words(2000, form));
}

TEST_F(UpdateFixture, DeleteRemovesOnlyTheNamedEntries) {
    ASSERT_EQ(update({"a.txt", "b.txt", "c.bin", "sub/d.txt"}).status, Status::Ok);
    std::string keptBytes = stored(entries()[2]);
    zipcore::UpdateResult result = update({}, {"b.txt", "sub\\d.txt"});
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.deleted, 2);
    EXPECT_EQ(result.copied, 2);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "c.bin"}));
    EXPECT_EQ(stored(entries()[1]), keptBytes);
}

TEST_F(UpdateFixture, DeletingEverythingLeavesAValidEmptyArchive) {
    ASSERT_EQ(update({"b.txt"}).status, Status::Ok);
    ASSERT_EQ(update({}, {"b.txt"}).status, Status::Ok);
    EXPECT_TRUE(entries().empty());
}

TEST_F(UpdateFixture, NothingMatchedLeavesTheArchiveByteIdentical) {
    ASSERT_EQ(update({"a.txt"}).status, Status::Ok);
    std::string before = ReadFileBytes(archive);
    EXPECT_EQ(update({"*.none"}).status, Status::NothingToDo);
    EXPECT_EQ(update({}, {"not-in-archive"}).status, Status::NothingToDo);
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_TRUE(noTemporaryFiles());
}

TEST_F(UpdateFixture, NothingMatchedCreatesNoArchive) {
    EXPECT_EQ(update({"*.none"}).status, Status::NothingToDo);
    EXPECT_FALSE(PathExists(archive));
}

TEST_F(UpdateFixture, MissingNamedFileIsNotFoundAndChangesNothing) {
    ASSERT_EQ(update({"a.txt"}).status, Status::Ok);
    std::string before = ReadFileBytes(archive);
    zipcore::UpdateResult result = update({"b.txt", "missing.txt"});
    EXPECT_EQ(result.status, Status::NotFound);
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_TRUE(AnyLineHas(lines, "missing.txt"));
}

TEST_F(UpdateFixture, FileVanishingHalfWayLeavesTheOldArchiveWhole) {
    ASSERT_EQ(update({"a.txt"}).status, Status::Ok);
    std::string before = ReadFileBytes(archive);
    // Cut the big file short while it is being added.
    zipcore::UpdateResult result = updateChangingHalfWay([&] { WriteFileBytes(src + "/big.bin", ""); });
    EXPECT_EQ(result.status, Status::IoError);
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_TRUE(noTemporaryFiles());
}

TEST_F(UpdateFixture, DamagedArchiveIsNotOverwritten) {
    WriteFileBytes(archive, "PK\x03\x04 but nothing else");
    std::string before = ReadFileBytes(archive);
    zipcore::UpdateResult result = update({"a.txt"});
    EXPECT_EQ(result.status, Status::Truncated);
    EXPECT_EQ(ReadFileBytes(archive), before);
}

TEST_F(UpdateFixture, ArchiveNeverAddsItself) {
    archive = src + "/self.zip";
    ASSERT_EQ(update({"b.txt"}).status, Status::Ok);
    ASSERT_EQ(update({"*"}).status, Status::Ok);
    for (const std::string& name : names()) EXPECT_NE(name, "self.zip");
}

TEST_F(UpdateFixture, StubInFrontIsKeptAndOffsetsCountFromTheFileStart) {
    RawZip zip;
    zip.prefix = "MZ" + Noise(3000, 1);
    zip.entries.push_back({"old.txt", "old"});
    WriteFileBytes(archive, zip.Build());  // offsets not adjusted
    ASSERT_EQ(update({"b.txt"}).status, Status::Ok);
    std::string now = ReadFileBytes(archive);
    EXPECT_EQ(now.substr(0, zip.prefix.size()), zip.prefix);
    EXPECT_EQ(content("old.txt"), "old");
    EXPECT_EQ(content("b.txt"), "bee");
    EXPECT_EQ(zipcore::AdjustOffsets(archive).status, Status::Ok);
    EXPECT_EQ(ReadFileBytes(archive), now);  // already adjusted: left as it is
}

TEST_F(UpdateFixture, MoreThan65535EntriesGetZip64Records) {
    RawZip zip;
    for (int i = 0; i < 65535; ++i) zip.entries.push_back({"n" + std::to_string(i), ""});
    WriteFileBytes(archive, zip.Build());
    ASSERT_EQ(entries().size(), 65535u);
    zipcore::UpdateResult result = update({"a.txt", "b.txt"});
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.copied, 65535);
    auto list = entries();
    ASSERT_EQ(list.size(), 65537u);
    EXPECT_EQ(list.back().name, "b.txt");
    std::string file = ReadFileBytes(archive);
    // The Zip64 end record and locator stand in front of the classic end record.
    EXPECT_EQ(file.substr(file.size() - 22 - 20, 4), std::string("PK\x06\x07", 4));
    EXPECT_EQ(content("b.txt"), "bee");
}

TEST(AdjustOffsets, StubFollowedByArchiveIsRewrittenToCountFromTheStart) {
    ScratchFolder dir;
    RawZip zip;
    zip.prefix = "MZ" + Noise(4096, 3);
    zip.comment = "sfx comment";
    zip.entries.push_back({"one.txt", "one"});
    zip.entries.push_back(RawEntry("two.txt", Words(9000, 3)).Deflated());
    const std::string path = dir / "sfx.exe";
    std::string original = zip.Build();
    WriteFileBytes(path, original);
    ASSERT_EQ(zipcore::AdjustOffsets(path).status, Status::Ok);
    std::string adjusted = ReadFileBytes(path);
    ASSERT_EQ(adjusted.size(), original.size());
    // Only the directory and end record change; the stub and entries stay as they were.
    EXPECT_EQ(adjusted.substr(0, zip.centralOffset), original.substr(0, zip.centralOffset));
    const unsigned char* end = reinterpret_cast<const unsigned char*>(adjusted.data()) + adjusted.size() - 22 - 11;
    uint32_t recorded = end[16] | (end[17] << 8) | (end[18] << 16) | (static_cast<uint32_t>(end[19]) << 24);
    EXPECT_EQ(recorded, zip.centralOffset);
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(path, error);
    ASSERT_TRUE(reader) << error.message;
    EXPECT_EQ(reader->prefixLength(), zip.prefix.size());
    EXPECT_EQ(reader->comment(), "sfx comment");
    ASSERT_EQ(reader->entries().size(), 2u);
    EXPECT_EQ(reader->entries()[1].localHeaderOffset, zip.localOffsets[1]);
    // A second run finds nothing to do.
    ASSERT_EQ(zipcore::AdjustOffsets(path).status, Status::Ok);
    EXPECT_EQ(ReadFileBytes(path), adjusted);
}

TEST(AdjustOffsets, Zip64RecordsAreAdjustedToo) {
    ScratchFolder dir;
    RawZip zip;
    zip.prefix = Noise(1000, 2);
    zip.zip64End = true;
    zip.entries.push_back({"a", "a"});
    const std::string path = dir / "z.exe";
    WriteFileBytes(path, zip.Build());
    ASSERT_EQ(zipcore::AdjustOffsets(path).status, Status::Ok);
    std::string adjusted = ReadFileBytes(path);
    const unsigned char* record = reinterpret_cast<const unsigned char*>(adjusted.data()) + adjusted.size() - 22 - 20 - 56;
    uint64_t centralOffset = 0;
    for (int i = 7; i >= 0; --i) centralOffset = (centralOffset << 8) | record[48 + i];
    EXPECT_EQ(centralOffset, zip.centralOffset);
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(path, error);
    ASSERT_TRUE(reader) << error.message;
    EXPECT_EQ(reader->entries().at(0).localHeaderOffset, 1000u);
}

TEST(AdjustOffsets, NotAnArchiveIsReportedAndLeftAlone) {
    ScratchFolder dir;
    WriteFileBytes(dir / "x.exe", "MZ no archive here");
    EXPECT_EQ(zipcore::AdjustOffsets(dir / "x.exe").status, Status::NotZip);
    EXPECT_EQ(ReadFileBytes(dir / "x.exe"), "MZ no archive here");
}

// Every way the new archive can fail to come about ends the same: a clear status, the old
// archive byte for byte as it was, and no temporary file left beside it.
struct UpdateSafety : UpdateFixture {
    std::string before;
    void SetUp() override {
        UpdateFixture::SetUp();
        ASSERT_EQ(update({"a.txt", "sub/d.txt"}).status, Status::Ok);
        before = ReadFileBytes(archive);
        lines.clear();
    }
    void TearDown() override { zipcore::testhooks::beforeVerify = nullptr; }
    void expectUnchanged(const zipcore::UpdateResult& result, Status status, const std::string& said) {
        EXPECT_EQ(result.status, status);
        EXPECT_EQ(result.added + result.replaced + result.deleted + result.copied, 0);
        EXPECT_EQ(ReadFileBytes(archive), before);
        EXPECT_TRUE(noTemporaryFiles());
        EXPECT_TRUE(AnyLineHas(lines, said)) << "no line says \"" << said << "\"";
    }
};

TEST_F(UpdateSafety, ANewArchiveThatFailsVerificationNeverReplacesTheOld) {
    // Damage in the data (a CRC that no longer matches) and in the structure (cut short).
    const std::vector<std::function<void(const std::string&)>> damages = {
        [](const std::string& temporary) {
            std::string bytes = ReadFileBytes(temporary);
            const std::size_t central = bytes.rfind(std::string("PK\x01\x02", 4));
            ASSERT_NE(central, std::string::npos);
            bytes[central + 16] ^= 0x55;  // the CRC of the last central record
            WriteFileBytes(temporary, bytes);
        },
        [](const std::string& temporary) { WriteFileBytes(temporary, ReadFileBytes(temporary).substr(0, 100)); },
    };
    for (const auto& damage : damages) {
        zipcore::testhooks::beforeVerify = damage;
        expectUnchanged(update({"b.txt", "c.bin"}), Status::IoError, "did not verify");
    }
}

TEST_F(UpdateSafety, ATemporaryFileThatCannotBeMadeLeavesTheArchive) {
    // A name of 254 characters: the temporary name beside it is longer than a name may be.
    archive = dir / std::string(250, 'n') + ".zip";
    WriteFileBytes(archive, before);
    expectUnchanged(update({"b.txt"}), Status::IoError, "cannot create a temporary file");
#ifndef _WIN32
    archive = dir / "locked/out.zip";
    WriteFileBytes(archive, before);
    ASSERT_EQ(chmod((dir / "locked").c_str(), 0555), 0);
    if (geteuid() == 0) {
        std::cout << "[   NOTE   ] running as root: a read-only folder does not stop root, not tried\n";
    } else {
        expectUnchanged(update({"b.txt"}), Status::IoError, "cannot create a temporary file");
    }
    chmod((dir / "locked").c_str(), 0755);
#endif
}

#ifndef _WIN32
TEST_F(UpdateSafety, AFullDiskLeavesTheArchive) {
    // A file-size limit fails the writes just as a full disk does, once SIGXFSZ no longer kills.
    WriteFileBytes(src + "/noise.bin", Noise(3 << 20, 5));
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    zipcore::UpdateResult result = update({"noise.bin"}, {}, 0);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);
    // The message says what the system said (the file is too large), not a guess.
    expectUnchanged(result, Status::IoError, "cannot write");
    expectUnchanged(result, Status::IoError, std::generic_category().message(EFBIG));
}

TEST_F(UpdateSafety, ASourceThatCannotBeReadHalfWayLeavesTheArchive) {
    // The big file turns into a folder while it is being added: opened, it reads nothing.
    zipcore::UpdateResult result = updateChangingHalfWay([&] {
        std::remove((src + "/big.bin").c_str());
        mkdir((src + "/big.bin").c_str(), 0755);
    });
    expectUnchanged(result, Status::IoError, "big.bin");
}
#endif

// The counts say what the new archive holds: entries before = copied + replaced + deleted,
// entries after = copied + replaced + added.
TEST_F(UpdateFixture, CountsMatchWhatWasWritten) {
    ASSERT_EQ(update({"a.txt", "b.txt", "c.bin"}).status, Status::Ok);
    zipcore::UpdateResult result = update({"b.txt"}, {"b.txt", "c.bin"});
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.replaced, 1);
    EXPECT_EQ(result.deleted, 1);
    EXPECT_EQ(result.copied, 1);
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(content("b.txt"), "bee");

    // An archive holding one name twice: replacing it keeps one entry, the other copy goes.
    RawZip twice;
    twice.entries = {{"dup.txt", "first"}, {"keep.txt", "k"}, {"dup.txt", "second"}};
    WriteFileBytes(archive, twice.Build());
    WriteFileBytes(src + "/dup.txt", "new");
    result = update({"dup.txt"});
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(names(), (std::vector<std::string>{"dup.txt", "keep.txt"}));
    EXPECT_EQ(content("dup.txt"), "new");
    EXPECT_EQ(result.copied + result.replaced + result.deleted, 3);
    EXPECT_EQ(result.copied + result.replaced + result.added, 2);
    EXPECT_EQ(result.deleted, 1);
}
