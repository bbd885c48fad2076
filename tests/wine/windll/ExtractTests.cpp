// Extraction into the current folder: all or named entries, folder names kept or dropped,
// existing files replaced, kept or asked about, and damaged data refused. Also the test mode.

#include "WindllFixture.h"

#include "zipcore/ZipArchive.h"

#include <windows.h>

using namespace windll_test;

namespace {

const std::string kMarker = "0123456789abcdefghijklmnopqrstuvwxyz";

// An archive holding one stored entry whose data has one byte changed: the CRC no longer fits.
std::string MakeCorruptArchive(const ScratchFolder& scratch) {
    std::string payload;
    for (int i = 0; i < 20; ++i) payload += kMarker;
    WriteFileBytes(scratch / "payload.txt", payload);
    MakeZipOf(scratch / "corrupt.zip", "", {"payload.txt"}, {0});
    DeleteFileA((scratch / "payload.txt").c_str());
    std::string bytes = ReadFileBytes(scratch / "corrupt.zip");
    const std::size_t at = bytes.find(kMarker);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) bytes[at + 5] ^= 0x20;
    WriteFileBytes(scratch / "corrupt.zip", bytes);
    return scratch / "corrupt.zip";
}

}  // namespace

TEST(Extract, AllEntriesWithFolderNamesRecreateTheTree) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome = CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), true, true));
    ASSERT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    EXPECT_EQ(FolderTree(scratch.Path()),
              (std::vector<std::string>{"docs\\", "docs\\readme.txt", "empty.txt", "hello.txt"}));
    EXPECT_EQ(ReadFileBytes(scratch / "hello.txt"), HelloText());
    EXPECT_EQ(ReadFileBytes(scratch / "docs\\readme.txt"), "Read me first.\n");
    EXPECT_EQ(ReadFileBytes(scratch / "empty.txt"), "");
}

TEST(Extract, StoredEntriesComeOutByteForByte) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    ASSERT_EQ(CallUnzip(ExtractCommand(DataFile("infozip-stored.zip"), true, true)).result, UNZIP_OK);
    EXPECT_EQ(ReadFileBytes(scratch / "hello.txt"), HelloText());
    EXPECT_EQ(ReadFileBytes(scratch / "docs\\readme.txt"), "Read me first.\n");
}

TEST(Extract, JunkPathsWritesEveryFileIntoTheCurrentFolder) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome = CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), true, false));
    ASSERT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    EXPECT_EQ(FolderTree(scratch.Path()), (std::vector<std::string>{"empty.txt", "hello.txt", "readme.txt"}));
    EXPECT_EQ(ReadFileBytes(scratch / "readme.txt"), "Read me first.\n");
}

TEST(Extract, NamedEntriesOnlyAndEitherSlashMatches) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome =
        CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), true, true), {"docs\\readme.txt"});
    ASSERT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    EXPECT_EQ(FolderTree(scratch.Path()), (std::vector<std::string>{"docs\\", "docs\\readme.txt"}));
}

TEST(Extract, ANameNotInTheArchiveIsAWarningAndTheOthersStillComeOut) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome =
        CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), true, true), {"hello.txt", "missing.txt"});
    EXPECT_EQ(outcome.result, UNZIP_WARNING);
    EXPECT_TRUE(FileExists(scratch / "hello.txt"));
    EXPECT_NE(Recorded().printed.find("missing.txt"), std::string::npos) << Recorded().printed;
}

TEST(Extract, ReplaceCallbackIsAskedOncePerExistingFileAndObeyed) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    MakeFolder(scratch / "docs");
    WriteFileBytes(scratch / "hello.txt", "old hello");
    WriteFileBytes(scratch / "docs\\readme.txt", "old readme");
    Recorded().replaceAnswers = {{"hello.txt", UNZIP_KEEP}, {"readme.txt", UNZIP_REPLACE}};
    const UnzipOutcome outcome = CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), false, true));
    Recorded().replaceAnswers.clear();

    const std::vector<std::string>& asked = Recorded().replaceQuestions;
    ASSERT_EQ(asked.size(), 2u) << Recorded().printed;
    int helloQuestions = 0, readmeQuestions = 0;
    for (const std::string& name : asked) {
        helloQuestions += name.find("hello.txt") != std::string::npos;
        readmeQuestions += name.find("readme.txt") != std::string::npos;
    }
    EXPECT_EQ(helloQuestions, 1);
    EXPECT_EQ(readmeQuestions, 1);
    EXPECT_EQ(ReadFileBytes(scratch / "hello.txt"), "old hello");
    EXPECT_EQ(ReadFileBytes(scratch / "docs\\readme.txt"), "Read me first.\n");
    EXPECT_TRUE(FileExists(scratch / "empty.txt"));   // new files need no question
    EXPECT_EQ(outcome.result, UNZIP_WARNING);          // a file was kept
    EXPECT_EQ(Recorded().foreignThreadCalls, 0);
}

TEST(Extract, AnyAnswerButReplaceKeepsTheFile) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "hello.txt", "old hello");
    Recorded().defaultAnswer = 101;
    CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), false, true), {"hello.txt"});
    Recorded().defaultAnswer = UNZIP_KEEP;
    EXPECT_EQ(Recorded().replaceQuestions.size(), 1u);
    EXPECT_EQ(ReadFileBytes(scratch / "hello.txt"), "old hello");
}

TEST(Extract, OverwriteReplacesWithoutAsking) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "hello.txt", "old hello");
    const UnzipOutcome outcome = CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), true, true));
    EXPECT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    EXPECT_TRUE(Recorded().replaceQuestions.empty());
    EXPECT_EQ(ReadFileBytes(scratch / "hello.txt"), HelloText());
}

TEST(Extract, OverwriteWithReplaceReadOnlyReplacesAReadOnlyFile) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "hello.txt", "old hello");
    ASSERT_TRUE(SetFileAttributesA((scratch / "hello.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    const UnzipOutcome outcome =
        CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), true, true), {"hello.txt"});
    EXPECT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    EXPECT_EQ(ReadFileBytes(scratch / "hello.txt"), HelloText());
}

TEST(Extract, OverwriteWithoutReplaceReadOnlyKeepsAReadOnlyFile) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "hello.txt", "old hello");
    ASSERT_TRUE(SetFileAttributesA((scratch / "hello.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    UnzipCommand command = ExtractCommand(DataFile("infozip-deflated.zip"), true, true);
    command.replaceReadOnly = 0;
    const UnzipOutcome outcome = CallUnzip(command, {"hello.txt"});
    EXPECT_EQ(outcome.result, UNZIP_WARNING);
    EXPECT_EQ(ReadFileBytes(scratch / "hello.txt"), "old hello");
    EXPECT_NE(Recorded().printed.find("hello.txt"), std::string::npos) << Recorded().printed;
}

TEST(Extract, NeitherOverwriteNorPromptKeepsExistingFilesSilently) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "hello.txt", "old hello");
    UnzipCommand command = ExtractCommand(DataFile("infozip-deflated.zip"), false, true);
    command.promptOverwrite = 0;
    const UnzipOutcome outcome = CallUnzip(command);
    EXPECT_EQ(outcome.result, UNZIP_WARNING);
    EXPECT_TRUE(Recorded().replaceQuestions.empty());
    EXPECT_EQ(ReadFileBytes(scratch / "hello.txt"), "old hello");
    EXPECT_TRUE(FileExists(scratch / "docs\\readme.txt"));
}

TEST(Extract, ACrcMismatchIsAnErrorAndLeavesNoFileBehind) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const std::string archive = MakeCorruptArchive(scratch);
    MakeFolder(scratch / "out");
    ASSERT_TRUE(SetCurrentDirectoryA((scratch / "out").c_str()));
    const UnzipOutcome outcome = CallUnzip(ExtractCommand(archive, true, true));
    EXPECT_GT(outcome.result, UNZIP_WARNING);
    EXPECT_NE(Recorded().printed.find("payload.txt"), std::string::npos) << Recorded().printed;
    EXPECT_TRUE(FolderTree(scratch / "out").empty());
}

TEST(Extract, AnEncryptedEntryIsRefusedWithAMessage) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome = CallUnzip(ExtractCommand(DataFile("encrypted.zip"), true, true));
    EXPECT_GT(outcome.result, UNZIP_WARNING);
    EXPECT_FALSE(FileExists(scratch / "hello.txt"));
    EXPECT_NE(Recorded().printed.find("hello.txt"), std::string::npos) << Recorded().printed;
}

TEST(Extract, ANonZipFileOrAMissingArchiveIsAnErrorAndWritesNothing) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    EXPECT_GT(CallUnzip(ExtractCommand(DataFile("notzip.zip"), true, true)).result, UNZIP_WARNING);
    EXPECT_FALSE(Recorded().printed.empty());
    EXPECT_GT(CallUnzip(ExtractCommand(scratch / "nowhere.zip", true, true)).result, UNZIP_WARNING);
    EXPECT_FALSE(Recorded().printed.empty());
    EXPECT_TRUE(FolderTree(scratch.Path()).empty());
}

TEST(Extract, EveryPrintedLineEndsWithANewline) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "hello.txt", "old");
    CallUnzip(ExtractCommand(DataFile("infozip-deflated.zip"), false, true), {"hello.txt", "missing.txt"});
    const std::string& printed = Recorded().printed;
    ASSERT_GE(Recorded().printCalls, 2);
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.back(), '\n');
    std::size_t lines = 0;
    for (char c : printed) lines += c == '\n';
    EXPECT_EQ(lines, static_cast<std::size_t>(Recorded().printCalls));
}

TEST(Extract, QuietLevelOneKeepsProblemsOnly) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    UnzipCommand command = ExtractCommand(DataFile("infozip-deflated.zip"), true, true);
    command.quietLevel = 1;
    EXPECT_EQ(CallUnzip(command).result, UNZIP_OK);
    EXPECT_EQ(Recorded().printCalls, 0) << Recorded().printed;
    command.quietLevel = 1;
    EXPECT_EQ(CallUnzip(command, {"missing.txt"}).result, UNZIP_WARNING);
    EXPECT_NE(Recorded().printed.find("missing.txt"), std::string::npos);
}

TEST(TestMode, AGoodArchivePassesAndWritesNothing) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    UnzipCommand command = ExtractCommand(DataFile("infozip-deflated.zip"), false, true);
    command.testOnly = 1;
    EXPECT_EQ(CallUnzip(command).result, UNZIP_OK) << Recorded().printed;
    EXPECT_TRUE(FolderTree(scratch.Path()).empty());
    EXPECT_NE(Recorded().printed.find("No errors"), std::string::npos) << Recorded().printed;
}

TEST(TestMode, DamagedDataFailsAndNamesTheEntry) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const std::string archive = MakeCorruptArchive(scratch);
    UnzipCommand command = ExtractCommand(archive, false, true);
    command.testOnly = 1;
    EXPECT_EQ(CallUnzip(command).result, UNZIP_ERROR);
    EXPECT_NE(Recorded().printed.find("payload.txt"), std::string::npos) << Recorded().printed;
    EXPECT_EQ(FolderTree(scratch.Path()), std::vector<std::string>{"corrupt.zip"});
}
