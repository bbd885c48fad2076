// Extraction: choosing entries, folder names kept or dropped, the overwrite choices,
// folders and restored times.
#include "TestSupport.h"
#include "zipcore/ExtractedNames.h"
#include "zipcore/TestHooks.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ziptest;
using zipcore::Overwrite;
using zipcore::Status;

namespace {

struct ExtractFixture : ::testing::Test {
    ScratchFolder dir;
    std::string archive = dir / "a.zip";
    std::string target = dir / "out";
    std::vector<std::string> asked;

    void SetUp() override {
        RawZip zip;
        zip.entries.push_back({"top.txt", "top"});
        zip.entries.push_back({"docs/", ""});
        zip.entries.push_back({"docs/readme.txt", "read me"});
        zip.entries.push_back(RawEntry("docs/deep/words.txt", Words(10000, 11)).Deflated());
        zip.entries.push_back({"empty/", ""});
        WriteFileBytes(archive, zip.Build());
    }

    zipcore::ExtractResult run(zipcore::ExtractOptions options) {
        options.targetDir = target;
        options.askOverwrite = [this](const std::string& path) {
            asked.push_back(path);
            return path.find("readme") != std::string::npos;  // yes for readme, no otherwise
        };
        return zipcore::Extract(archive, options);
    }
};

}  // namespace

TEST_F(ExtractFixture, EverythingWithFoldersIntoANewTarget) {
    zipcore::ExtractResult result = run({});
    EXPECT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.extracted, 3);  // folders are not counted
    EXPECT_EQ(FilesBelow(target),
              (std::vector<std::string>{"docs/deep/words.txt", "docs/readme.txt", "top.txt"}));
    EXPECT_EQ(ReadFileBytes(target + "/docs/deep/words.txt"), Words(10000, 11));
    EXPECT_TRUE(FolderExists(target + "/empty"));  // directory entries make folders
}

TEST_F(ExtractFixture, RestoresTheStoredDateAndTime) {
    run({});
    struct stat st;
    ASSERT_EQ(stat((target + "/top.txt").c_str(), &st), 0);
    EXPECT_EQ(static_cast<int64_t>(st.st_mtime), zipcore::UnixFromDosDateTime((45 << 9) | (6 << 5) | 15, 0x6000));
}

TEST_F(ExtractFixture, JunkPathsPutsEveryFileInTheTarget) {
    zipcore::ExtractOptions options;
    options.junkPaths = true;
    zipcore::ExtractResult result = run(options);
    EXPECT_EQ(result.extracted, 3);
    EXPECT_EQ(FilesBelow(target), (std::vector<std::string>{"readme.txt", "top.txt", "words.txt"}));
}

TEST_F(ExtractFixture, NamedEntriesOnlyInEitherSlashForm) {
    zipcore::ExtractOptions options;
    options.names = {"docs\\readme.txt", "top.txt", "not/there.txt"};
    zipcore::ExtractResult result = run(options);
    EXPECT_EQ(result.extracted, 2);
    EXPECT_EQ(result.status, Status::NotFound);
    EXPECT_EQ(result.namesNotFound, std::vector<std::string>{"not/there.txt"});
    EXPECT_EQ(FilesBelow(target), (std::vector<std::string>{"docs/readme.txt", "top.txt"}));
}

TEST_F(ExtractFixture, OverwriteNeverKeepsAndAlwaysReplacesWithoutAsking) {
    const std::tuple<Overwrite, const char*, int, int, Status> modes[] = {
        {Overwrite::Never, "mine", 2, 1, Status::Skipped}, {Overwrite::Always, "top", 3, 0, Status::Ok}};
    for (const auto& [mode, top, extracted, skipped, status] : modes) {
        WriteFileBytes(target + "/top.txt", "mine");
        zipcore::ExtractOptions options;
        options.overwrite = mode;
        zipcore::ExtractResult result = run(options);
        EXPECT_EQ(ReadFileBytes(target + "/top.txt"), top) << top;
        EXPECT_EQ(result.extracted, extracted) << top;
        EXPECT_EQ(result.skipped, skipped) << top;
        EXPECT_EQ(result.status, status) << top;
    }
    EXPECT_TRUE(asked.empty());
}

TEST_F(ExtractFixture, OverwriteAskFollowsEachAnswer) {
    WriteFileBytes(target + "/top.txt", "mine");
    WriteFileBytes(target + "/docs/readme.txt", "old readme");
    zipcore::ExtractOptions options;
    options.overwrite = Overwrite::Ask;
    zipcore::ExtractResult result = run(options);
    ASSERT_EQ(asked.size(), 2u);  // only files that exist are asked about
    EXPECT_NE(asked[0].find("top.txt"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(target + "/top.txt"), "mine");
    EXPECT_EQ(ReadFileBytes(target + "/docs/readme.txt"), "read me");
    EXPECT_EQ(result.skipped, 1);
    EXPECT_EQ(result.extracted, 2);
    std::vector<std::string> files = FilesBelow(target);
    EXPECT_EQ(files.size(), 3u);  // no temporary files left beside them
}

TEST_F(ExtractFixture, NotAnArchiveExtractsNothing) {
    WriteFileBytes(archive, "just text");
    zipcore::ExtractResult result = run({});
    EXPECT_EQ(result.status, Status::NotZip);
    EXPECT_EQ(result.extracted, 0);
    EXPECT_FALSE(PathExists(target + "/top.txt"));
}

TEST(ExtractMany, HundredsOfSmallFilesAllArriveIntact) {
    ScratchFolder dir;
    RawZip zip;
    std::vector<std::string> written, expectedWritten;
    for (int i = 0; i < 600; ++i) {
        const std::string name = "d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".txt";
        std::string path = dir / "out/" + name;
#ifdef _WIN32
        for (char& c : path) c = c == '/' ? '\\' : c;   // the paths the system is given
#endif
        expectedWritten.push_back(path);
        zip.entries.push_back(RawEntry(name, Words(100 + i * 37, i)).WithMethod(i % 3 ? 8 : 0));
    }
    // Damaged entries in the middle are reported; a new one leaves no file.
    zip.entries.insert(zip.entries.begin() + 300, RawEntry("d0/bad.txt", "damaged").WithCrc(1));
    zip.entries.insert(zip.entries.begin() + 450, RawEntry("d2/new-bad.txt", "damaged").WithCrc(1));
    WriteFileBytes(dir / "many.zip", zip.Build());
    // Files already there are handed from the workers back to the calling thread, which
    // replaces them only with complete data: the damaged entry must not touch its old file.
    WriteFileBytes(dir / "out/d1/f1.txt", "old");
    WriteFileBytes(dir / "out/d0/bad.txt", "precious");
    zipcore::ExtractOptions options;
    options.targetDir = dir / "out";
    options.overwrite = Overwrite::Always;
    std::vector<std::string> lines;
    options.report = [&](zipcore::Status, const std::string& line) { lines.push_back(line); };
    options.extracted = [&](const std::string& path) { written.push_back(path); };
    zipcore::ExtractResult result = zipcore::Extract(dir / "many.zip", options);
    EXPECT_EQ(result.extracted, 600);
    EXPECT_EQ(written, expectedWritten);  // in archive order, the replaced one too, no damaged one
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(result.status, Status::CrcMismatch);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("d0/bad.txt"), std::string::npos);
    EXPECT_NE(lines[1].find("new-bad.txt"), std::string::npos);
    EXPECT_FALSE(PathExists(dir / "out/d2/new-bad.txt"));
    EXPECT_EQ(ReadFileBytes(dir / "out/d0/bad.txt"), "precious");
    EXPECT_EQ(ReadFileBytes(dir / "out/d1/f1.txt"), Words(100 + 37, 1));
    EXPECT_EQ(FilesBelow(dir / "out").size(), 601u);  // no temporary file left anywhere
    for (int i = 0; i < 600; i += 41) {
        std::string name = "out/d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".txt";
        EXPECT_EQ(ReadFileBytes(dir / name), Words(100 + i * 37, i)) << name;
    }
}

TEST(ExtractMany, SameNameTwiceBehavesAsOneAfterTheOther) {
    ScratchFolder dir;
    RawZip zip;
    zip.entries.push_back({"twice.txt", "first"});
    zip.entries.push_back({"other.txt", "other"});
    zip.entries.push_back({"twice.txt", "second"});
    WriteFileBytes(dir / "dup.zip", zip.Build());
    const std::tuple<const char*, Overwrite, int, int, const char*> modes[] = {
        {"always", Overwrite::Always, 3, 0, "second"}, {"never", Overwrite::Never, 2, 1, "first"}};
    for (const auto& [folder, mode, extracted, skipped, kept] : modes) {
        zipcore::ExtractOptions options;
        options.targetDir = dir / folder;
        options.overwrite = mode;
        zipcore::ExtractResult result = zipcore::Extract(dir / "dup.zip", options);
        EXPECT_EQ(result.extracted, extracted) << folder;
        EXPECT_EQ(result.skipped, skipped) << folder;
        EXPECT_EQ(ReadFileBytes(dir / (std::string(folder) + "/twice.txt")), kept);
    }
}

TEST(ExtractMany, MemoryRunningOutInAWorkerFailsThatEntryOnly) {
    ScratchFolder dir;
    RawZip zip;
    for (int i = 0; i < 40; ++i) zip.entries.push_back({"f" + std::to_string(i), "text"});
    WriteFileBytes(dir / "many.zip", zip.Build());
    zipcore::testhooks::beforeCreate = [](const std::string& p) { if (p.find("f17") != p.npos) throw std::bad_alloc(); };
    zipcore::ExtractOptions options;
    options.targetDir = dir / "out";
    const zipcore::ExtractResult result = zipcore::Extract(dir / "many.zip", options);
    zipcore::testhooks::beforeCreate = nullptr;
    EXPECT_EQ(result.status, Status::IoError);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(FilesBelow(dir / "out").size(), 39u);
}

TEST(ExtractMany, PathsThatMayNameOneFileShareAKey) {
    // Latin-1, Latin Extended-A and B, Greek (final sigma too), Cyrillic, Armenian; trailing dots, blanks.
    const std::tuple<const char*, const char*, bool> pairs[] = {
        {"dir/a.txt", "DIR\\A.TXT", true}, {"\xC3\x89.txt", "\xC3\xA9.txt", true}, {"\xC5\x90", "\xC5\x91", true},
        {"\xC7\x84", "\xC7\x86", true}, {"\xCE\xA9\xCE\xA3", "\xCF\x89\xCF\x82", true}, {"\xD0\x96", "\xD0\xB6", true},
        {"\xD4\xB1", "\xD5\xA1", true}, {"a.txt", "a.txt . .", true}, {"dir. /a", "dir/a", true},
        {"a.txt", "a.txt.x", false}, {"\xC3\x9F", "ss", false}, {"dir/a", "dira", false}, {"\xC3\xA9", "e", false}};
    for (const auto& [a, b, same] : pairs)
        EXPECT_EQ(zipcore::ExtractedFileKey(a) == zipcore::ExtractedFileKey(b), same) << a << " / " << b;
}
