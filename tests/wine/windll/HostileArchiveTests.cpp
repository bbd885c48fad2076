// Archives with names meant to escape the target folder or to open devices: nothing may be
// written outside the current folder, every refused entry is reported, and the safe entries
// still come out.

#include "WindllFixture.h"

#include "zipcore/ZipArchive.h"
#include "TestSupport/Programs.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

using namespace windll_test;

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Extracts into scratch\inner, so that anything escaping one level lands beside it.
std::vector<std::string> ExtractIntoInner(const ScratchFolder& scratch, const std::string& archive, bool keepFolders,
                                          int& result) {
    MakeFolder(scratch / "inner");
    SetCurrentDirectoryA((scratch / "inner").c_str());
    result = CallUnzip(ExtractCommand(DataFile(archive), true, keepFolders)).result;
    SetCurrentDirectoryA(scratch.Path().c_str());
    return FolderTree(scratch.Path());
}

}  // namespace

TEST(HostileArchive, NothingIsWrittenOutsideTheCurrentFolder) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    int result = -1;
    const std::vector<std::string> tree = ExtractIntoInner(scratch, "hostile.zip", true, result);
    for (const std::string& name : tree)
        EXPECT_EQ(name.rfind("inner\\", 0) == 0 || name == "inner\\", true) << name << " escaped";
    EXPECT_TRUE(Contains(tree, "inner\\safe\\good.txt"));
    EXPECT_EQ(ReadFileBytes(scratch / "inner\\safe\\good.txt"), "good\n");
    // Rooted and drive names would land at the root of the drive the scratch folder is on.
    EXPECT_FALSE(FileExists("C:\\drive.txt") && ReadFileBytes("C:\\drive.txt") == "drive\n");
    EXPECT_FALSE(FileExists("\\rooted.txt") && ReadFileBytes("\\rooted.txt") == "rooted\n");
}

TEST(HostileArchive, DeviceAndForbiddenNamesAreRefusedAndReported) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    int result = -1;
    const std::vector<std::string> tree = ExtractIntoInner(scratch, "hostile.zip", true, result);
    EXPECT_FALSE(Contains(tree, "inner\\CON"));
    EXPECT_FALSE(Contains(tree, "inner\\aux.txt"));
    const std::string& printed = Recorded().printed;
    EXPECT_NE(printed.find("CON"), std::string::npos) << printed;
    EXPECT_NE(printed.find("aux.txt"), std::string::npos) << printed;
    EXPECT_NE(printed.find("bad|name.txt"), std::string::npos) << printed;
    // The safe entries came out, so the refusals are warnings, not a failed extraction.
    EXPECT_EQ(result, UNZIP_WARNING) << printed;
}

TEST(HostileArchive, JunkPathsStaysInsideToo) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    int result = -1;
    const std::vector<std::string> tree = ExtractIntoInner(scratch, "hostile.zip", false, result);
    for (const std::string& name : tree)
        EXPECT_TRUE(name.rfind("inner\\", 0) == 0) << name << " escaped";
    EXPECT_TRUE(Contains(tree, "inner\\good.txt"));
    EXPECT_FALSE(Contains(tree, "inner\\safe\\"));
    EXPECT_EQ(result, UNZIP_WARNING);
}

TEST(HostileArchive, RefusalsStayWarningsWhenTheOtherFilesWereKeptByChoice) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    int result = -1;
    ExtractIntoInner(scratch, "hostile.zip", true, result);
    ASSERT_EQ(result, UNZIP_WARNING);
    SetCurrentDirectoryA((scratch / "inner").c_str());
    Recorded().defaultAnswer = UNZIP_KEEP;
    const UnzipOutcome again = CallUnzip(ExtractCommand(DataFile("hostile.zip"), false, true));
    EXPECT_FALSE(Recorded().replaceQuestions.empty());
    EXPECT_EQ(again.result, UNZIP_WARNING) << Recorded().printed;
}

TEST(HostileArchive, AnArchiveOfRefusedNamesOnlyIsAnError) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    int result = -1;
    const std::vector<std::string> tree = ExtractIntoInner(scratch, "devices.zip", true, result);
    EXPECT_GT(result, UNZIP_WARNING);
    EXPECT_EQ(tree, std::vector<std::string>{"inner\\"});
    EXPECT_NE(Recorded().printed.find("NUL"), std::string::npos) << Recorded().printed;
    EXPECT_NE(Recorded().printed.find("com1.txt"), std::string::npos) << Recorded().printed;
}

TEST(HostileArchive, ListingShowsTheNamesAsStored) {
    const UnzipOutcome outcome = CallUnzip(ListingCommand(DataFile("hostile.zip")));
    EXPECT_EQ(outcome.result, UNZIP_OK);
    ASSERT_EQ(Recorded().entries.size(), 8u);
    EXPECT_EQ(Recorded().entries[0].name, "../escape.txt");
    EXPECT_EQ(Recorded().entries[4].name, "CON");
}

// The engine asks where extraction put an entry before it opens the file (View); the answer
// must be the place extraction uses, and none ("") for a name extraction refuses.
TEST(ExtractedPath, NamesThePlaceExtractionWritesAndNothingForRefusedNames) {
    const auto extractedPath = UnzipExport<WindllUnzipExtractedPathFunction>("windll_unzip_extracted_path");
    ASSERT_NE(extractedPath, nullptr);
    const std::pair<const char*, const char*> cases[] = {
        {"docs/readme.txt", "docs\\readme.txt"}, {"../../up.txt", "up.txt"}, {"C:\\drive.txt", "drive.txt"},
        {"/lead/a.txt", "lead\\a.txt"}, {"a/../../b.txt", "a\\b.txt"}, {"caf\xE9.txt", "caf\xE9.txt"},   // ANSI both ways
        {"folder/", ""}, {"bad|name.txt", ""}, {"", ""}};
    for (const auto& c : cases) {
        char path[64] = "";
        EXPECT_EQ(extractedPath(c.first, path, sizeof path), static_cast<int>(std::strlen(c.second))) << c.first;
        EXPECT_STREQ(path, c.second);
    }
    char small[4] = "abc";   // too small: the length needed, nothing written
    EXPECT_EQ(extractedPath("docs/readme.txt", small, sizeof small), 15);
    EXPECT_STREQ(small, "abc");
}

// The self-extractor check: a stub in front passes only once the offsets count from the file's start.
TEST(OffsetsFromStart, OnlyAnArchiveWhoseOffsetsCountFromTheFileStartPasses) {
    const auto offsetsFromStart = UnzipExport<WindllUnzipOffsetsFromStartFunction>("windll_unzip_offsets_from_start");
    ASSERT_NE(offsetsFromStart, nullptr);
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const std::string plain = DataFile("infozip-deflated.zip");
    for (const char* name : {"stubbed.exe", "adjusted.exe"}) WriteFileBytes(scratch / name, "MZ stub" + ReadFileBytes(plain));
    ASSERT_FALSE(zipcore::AdjustOffsets(scratch / "adjusted.exe"));
    const std::pair<std::string, int> cases[] = {{plain, 1}, {scratch / "adjusted.exe", 1}, {scratch / "stubbed.exe", 0},
                                                 {DataFile("notzip.zip"), 0}, {scratch / "missing.zip", 0}, {"", 0}};
    for (const auto& c : cases) EXPECT_EQ(offsetsFromStart(c.first.c_str()), c.second) << c.first;
}

TEST(HostileArchive, AFolderLinkAlreadyInTheTargetIsNotPassedThrough) {
    // Wine shows a Unix link to a folder as a reparse point, as Windows shows a link or junction.
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    for (const char* folder : {"lnk", "outside", "target"}) MakeFolder(scratch / folder);
    WriteFileBytes(scratch / "lnk\\evil.txt", "planted");
    WriteFileBytes(scratch / "good.txt", "good");
    ASSERT_EQ(CallZip({scratch / "links.zip", {"lnk\\evil.txt", "good.txt"}}), ZIP_OK) << Recorded().printed;
    const UnixRun made =
        RunUnixProgram({"/bin/ln", "-s", UnixPath(scratch / "outside"), UnixPath(scratch / "target") + "/lnk"}, true);
    ASSERT_TRUE(made.started && made.exitCode == 0) << made.output;
    SetCurrentDirectoryA((scratch / "target").c_str());
    EXPECT_EQ(CallUnzip(ExtractCommand(scratch / "links.zip", true, true)).result, UNZIP_ERROR) << Recorded().printed;
    EXPECT_NE(Recorded().printed.find("is a symbolic link"), std::string::npos) << Recorded().printed;
    EXPECT_FALSE(FileExists(scratch / "outside\\evil.txt"));
    EXPECT_EQ(ReadFileBytes(scratch / "target\\good.txt"), "good");
}
