// Zip32: adding names and wildcard patterns at a level, with or without folder names, and
// deleting entries; the result codes the engine relies on to tell failure from success; and
// the archive left exactly as it was whenever the request fails.

#include "WindllFixture.h"

#include "TestSupport/Contents.h"
#include "TestSupport/ZipEntries.h"

#include <windows.h>

#include <algorithm>

using namespace windll_test;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::string Upper(std::string text) {
    CharUpperA(text.data());
    return text;
}

// Each test in a scratch folder of its own, made current, as the engine makes the files' folder.
struct ZipDll : ::testing::Test {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};

    // Extracts the whole archive with UnZip32 into a new folder and gives back one file of it.
    std::string ExtractedFile(const std::string& archive, const std::string& file) {
        MakeFolder(scratch / "out");
        SetCurrentDirectoryA((scratch / "out").c_str());
        EXPECT_EQ(CallUnzip(ExtractCommand(archive, true, true)).result, UNZIP_OK) << Recorded().printed;
        return ReadFileBytes(scratch / ("out\\" + file));
    }
};
struct ZipAdd : ZipDll {};
struct ZipDelete : ZipDll {};
struct SelfExtractor : ZipDll {};

}  // namespace

TEST_F(ZipAdd, LevelNineDeflatesAndTheEntryRoundTrips) {
    WriteFileBytes(scratch / "report.txt", RepeatedLine(5000));
    ZipCall call{scratch / "new.zip", {"report.txt"}};
    ASSERT_EQ(CallZip(call), ZIP_OK) << Recorded().printed;
    const std::vector<zipcore::Entry> entries = ArchiveEntries(scratch / "new.zip");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "report.txt");
    EXPECT_EQ(entries[0].method, 8);
    EXPECT_LT(entries[0].compressedSize, 1000u);
    EXPECT_FALSE(Recorded().printed.empty()) << "a person reading the log should see what was added";

    EXPECT_EQ(ExtractedFile(scratch / "new.zip", "report.txt"), RepeatedLine(5000));
}

TEST_F(ZipAdd, LevelZeroStoresWithoutCompression) {
    WriteFileBytes(scratch / "report.txt", RepeatedLine(5000));
    ZipCall call{scratch / "new.zip", {"report.txt"}, '0'};
    ASSERT_EQ(CallZip(call), ZIP_OK) << Recorded().printed;
    const std::vector<zipcore::Entry> entries = ArchiveEntries(scratch / "new.zip");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].method, 0);
    EXPECT_EQ(entries[0].compressedSize, 5000u);
}

TEST_F(ZipAdd, AddingToAnExistingArchiveKeepsItsEntriesAndReplacesSameNames) {
    WriteFileBytes(scratch / "a.txt", "first a");
    WriteFileBytes(scratch / "b.txt", "b");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"a.txt"}}), ZIP_OK);
    ASSERT_EQ(CallZip({scratch / "set.zip", {"b.txt"}}), ZIP_OK);
    WriteFileBytes(scratch / "a.txt", "second a, longer");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"a.txt"}}), ZIP_OK);
    EXPECT_EQ(Sorted(EntryNames(scratch / "set.zip")), (std::vector<std::string>{"a.txt", "b.txt"}));
    for (const zipcore::Entry& entry : ArchiveEntries(scratch / "set.zip")) {
        if (entry.name == "a.txt") {
            EXPECT_EQ(entry.uncompressedSize, 16u);
        }
    }
}

TEST_F(ZipAdd, UpperCasedAbsolutePathWithBackslashesDroppingFolderNames) {
    MakeFolder(scratch / "data");
    WriteFileBytes(scratch / "data\\report.txt", "quarterly numbers");
    // The engine hands over upper-cased short paths; the file system matches them regardless.
    ZipCall call{Upper(scratch / "ARCHIVE.ZIP"), {Upper(scratch / "data\\report.txt")}, '9', true};
    ASSERT_EQ(CallZip(call), ZIP_OK) << Recorded().printed;
    const std::vector<std::string> names = EntryNames(scratch / "archive.zip");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(Upper(names[0]), "REPORT.TXT");
}

TEST_F(ZipAdd, RelativePathKeepsItsFolderNamesWhenAsked) {
    MakeFolder(scratch / "data");
    WriteFileBytes(scratch / "data\\report.txt", "quarterly numbers");
    ASSERT_EQ(CallZip({scratch / "keep.zip", {"data\\report.txt"}, '9', false}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "keep.zip"), std::vector<std::string>{"data/report.txt"});
    ASSERT_EQ(CallZip({scratch / "drop.zip", {"data\\report.txt"}, '9', true}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "drop.zip"), std::vector<std::string>{"report.txt"});
}

TEST_F(ZipAdd, AWildcardPatternAddsEveryMatchingFile) {
    MakeFolder(scratch / "data");
    WriteFileBytes(scratch / "data\\one.txt", "1");
    WriteFileBytes(scratch / "data\\two.txt", "2");
    WriteFileBytes(scratch / "data\\three.dat", "3");
    ASSERT_EQ(CallZip({scratch / "pattern.zip", {Upper(scratch / "data\\*.TXT")}, '6', true}), ZIP_OK)
        << Recorded().printed;
    std::vector<std::string> names = EntryNames(scratch / "pattern.zip");
    for (std::string& name : names) name = Upper(name);
    EXPECT_EQ(Sorted(names), (std::vector<std::string>{"ONE.TXT", "TWO.TXT"}));
}

TEST_F(ZipAdd, StarDotStarMeansEveryFileAsOnWindows) {
    MakeFolder(scratch / "data");
    WriteFileBytes(scratch / "data\\README", "no extension");
    WriteFileBytes(scratch / "data\\notes.txt", "n");
    ASSERT_EQ(CallZip({scratch / "all.zip", {scratch / "data\\*.*"}, '9', true}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(Sorted(EntryNames(scratch / "all.zip")), (std::vector<std::string>{"README", "notes.txt"}));
    SetCurrentDirectoryA((scratch / "data").c_str());
    ASSERT_EQ(CallZip({scratch / "relative.zip", {"*.*"}}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "relative.zip").size(), 2u);
}

TEST_F(ZipAdd, AZeroLengthArchiveFileIsTreatedAsANewArchive) {
    WriteFileBytes(scratch / "empty.zip", "");
    WriteFileBytes(scratch / "a.txt", "a");
    ASSERT_EQ(CallZip({scratch / "empty.zip", {"a.txt"}}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "empty.zip"), std::vector<std::string>{"a.txt"});
}

// A request that cannot be carried out is not reported as success, says what it could not do,
// and leaves the archive file byte for byte as it was, or makes none.
TEST_F(ZipAdd, ARefusedRequestSaysWhyAndLeavesTheArchiveAsItWas) {
    WriteFileBytes(scratch / "a.txt", "a");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"a.txt"}}), ZIP_OK);
    WriteFileBytes(scratch / "empty.zip", "");
    WriteFileBytes(scratch / "letter.zip", "Dear reader, this is not an archive.");
    const struct {
        const char* archive;
        const char* name;
        bool deleting;
        int result;
        int orResult;       // a missing file may be nothing to do or an error, never success
        const char* said;   // "" where any line will do
    } cases[] = {
        {"set.zip", "*.none", false, ZIP_NOTHING_TO_DO, ZIP_NOTHING_TO_DO, ""},
        {"set.zip", "no-such-file.txt", false, ZIP_NOTHING_TO_DO, ZIP_ERROR, "no-such-file.txt"},
        {"fresh.zip", "*.none", false, ZIP_NOTHING_TO_DO, ZIP_NOTHING_TO_DO, ""},
        {"empty.zip", "*.none", false, ZIP_NOTHING_TO_DO, ZIP_NOTHING_TO_DO, ""},
        {"letter.zip", "a.txt", false, ZIP_ERROR, ZIP_ERROR, "letter.zip"},
        {"no\\such\\folder\\out.zip", "a.txt", false, ZIP_ERROR, ZIP_ERROR, ""},
        {"set.zip", "ghost.txt", true, ZIP_NOTHING_TO_DO, ZIP_NOTHING_TO_DO, "ghost.txt"},
        {"nowhere.zip", "a.txt", true, ZIP_ERROR, ZIP_ERROR, ""},
        {"letter.zip", "a.txt", true, ZIP_ERROR, ZIP_ERROR, ""},
    };
    for (const auto& c : cases) {
        const std::string archive = scratch / c.archive;
        const bool existed = FileExists(archive);
        const std::string before = existed ? ReadFileBytes(archive) : "";
        ZipCall call{archive, {c.name}};
        call.deleteEntries = c.deleting;
        const int result = CallZip(call);
        EXPECT_TRUE(result == c.result || result == c.orResult) << c.archive << " " << c.name << ": " << result;
        EXPECT_NE(Recorded().printed.find(c.said), std::string::npos) << Recorded().printed;
        EXPECT_FALSE(Recorded().printed.empty()) << c.archive << " " << c.name;
        EXPECT_EQ(FileExists(archive), existed) << c.archive;
        EXPECT_EQ(ReadFileBytes(archive), before) << c.archive << " " << c.name;
    }
}

TEST_F(ZipAdd, QuietPrintsNothingOnSuccess) {
    WriteFileBytes(scratch / "a.txt", "a");
    ZipCall call{scratch / "quiet.zip", {"a.txt"}};
    call.quiet = true;
    ASSERT_EQ(CallZip(call), ZIP_OK);
    EXPECT_EQ(Recorded().printCalls, 0) << Recorded().printed;
}

TEST_F(ZipAdd, QuietStillReportsProblemsAndVerboseAddsTheCounts) {
    ZipCall missing{scratch / "quiet.zip", {"*.none"}};
    missing.quiet = true;
    EXPECT_EQ(CallZip(missing), ZIP_NOTHING_TO_DO);
    EXPECT_NE(Recorded().printed.find("*.none"), std::string::npos) << Recorded().printed;

    WriteFileBytes(scratch / "a.txt", "a");
    DllZipUpFilesFunction zipUp = ZipUp();
    ASSERT_NE(zipUp, nullptr);
    const std::string archive = scratch / "verbose.zip";
    char name[] = "a.txt";
    char* names[] = {name, nullptr};
    ZipRequest request = DefaultZipRequest();
    request.archivePath = archive.c_str();
    request.nameCount = 1;
    request.names = names;
    request.verbose = 1;
    Recorded().Reset();
    ASSERT_EQ(zipUp(&request), ZIP_OK);
    EXPECT_NE(Recorded().printed.find("1 added"), std::string::npos) << Recorded().printed;
}

TEST_F(ZipAdd, EveryPrintedLineEndsWithANewline) {
    WriteFileBytes(scratch / "a.txt", "a");
    WriteFileBytes(scratch / "b.txt", "b");
    ASSERT_EQ(CallZip({scratch / "lines.zip", {"*.txt"}}), ZIP_OK);
    ASSERT_GT(Recorded().printCalls, 0);
    std::size_t lines = 0;
    for (char c : Recorded().printed) lines += c == '\n';
    EXPECT_EQ(lines, static_cast<std::size_t>(Recorded().printCalls));
    EXPECT_EQ(Recorded().printed.back(), '\n');
}

TEST_F(ZipAdd, CallbacksRunOnTheCallingThreadWhileWorkersCompress) {
    for (int i = 0; i < 60; ++i) WriteFileBytes(scratch / ("file" + std::to_string(i) + ".txt"), RepeatedLine(20000 + i));
    ASSERT_EQ(CallZip({scratch / "many.zip", {"*.txt"}}), ZIP_OK) << Recorded().printed;
    EXPECT_GE(Recorded().printCalls, 60);
    EXPECT_EQ(Recorded().foreignThreadCalls, 0);
    EXPECT_EQ(EntryNames(scratch / "many.zip").size(), 60u);
}

TEST_F(ZipDelete, NamedEntriesAreRemovedAndTheRestKept) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFileBytes(scratch / name, std::string(name) + " body");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"*.txt"}}), ZIP_OK);
    const ZipCall erase = Deleting(scratch / "set.zip", {"b.txt"});
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    EXPECT_NE(Recorded().printed.find("b.txt"), std::string::npos) << Recorded().printed;
    EXPECT_EQ(Sorted(EntryNames(scratch / "set.zip")), (std::vector<std::string>{"a.txt", "c.txt"}));

    EXPECT_EQ(ExtractedFile(scratch / "set.zip", "c.txt"), "c.txt body");
}

TEST_F(ZipDelete, NamesMatchAcrossSlashDirectionAndLetterCase) {
    MakeFolder(scratch / "docs");
    WriteFileBytes(scratch / "docs\\Notes.txt", "n");
    WriteFileBytes(scratch / "keep.txt", "k");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"docs\\Notes.txt", "keep.txt"}}), ZIP_OK) << Recorded().printed;
    ASSERT_EQ(Sorted(EntryNames(scratch / "set.zip")), (std::vector<std::string>{"docs/Notes.txt", "keep.txt"}));
    const ZipCall erase = Deleting(scratch / "set.zip", {"DOCS\\NOTES.TXT"});
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "set.zip"), std::vector<std::string>{"keep.txt"});
}

TEST_F(ZipDelete, ANameGivenTwiceInDifferentCaseIsDeletedOnce) {
    WriteFileBytes(scratch / "a.txt", "a");
    WriteFileBytes(scratch / "b.txt", "b");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"*.txt"}}), ZIP_OK);
    const ZipCall erase = Deleting(scratch / "set.zip", {"a.txt", "A.TXT", "a.txt"});
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "set.zip"), std::vector<std::string>{"b.txt"});
}

TEST_F(ZipDelete, DeletingEveryEntryLeavesAValidEmptyArchive) {
    WriteFileBytes(scratch / "a.txt", "a");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"a.txt"}}), ZIP_OK);
    const ZipCall erase = Deleting(scratch / "set.zip", {"a.txt"});
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    EXPECT_TRUE(EntryNames(scratch / "set.zip").empty());
    const UnzipOutcome listing = CallUnzip(ListingCommand(scratch / "set.zip"));
    EXPECT_EQ(listing.result, UNZIP_OK);
    EXPECT_EQ(listing.callbacks.entryCount, 0u);
}

TEST_F(SelfExtractor, AnArchiveBehindAStubListsGrowsAndShrinksWithTheStubKept) {
    WriteFileBytes(scratch / "a.txt", RepeatedLine(3000));
    WriteFileBytes(scratch / "b.txt", "b");
    ASSERT_EQ(CallZip({scratch / "plain.zip", {"a.txt"}}), ZIP_OK);
    std::string stub = "MZ";
    for (int i = 0; i < 4000; ++i) stub += static_cast<char>(i * 7 + 3);
    WriteFileBytes(scratch / "setup.exe", stub + ReadFileBytes(scratch / "plain.zip"));
    ASSERT_FALSE(zipcore::AdjustOffsets(scratch / "setup.exe"));

    ASSERT_EQ(CallUnzip(ListingCommand(scratch / "setup.exe")).result, UNZIP_OK) << Recorded().printed;
    ASSERT_EQ(Recorded().entries.size(), 1u);
    ASSERT_EQ(CallZip({scratch / "setup.exe", {"b.txt"}}), ZIP_OK) << Recorded().printed;
    const ZipCall erase = Deleting(scratch / "setup.exe", {"a.txt"});
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;

    EXPECT_EQ(ReadFileBytes(scratch / "setup.exe").substr(0, stub.size()), stub);
    EXPECT_EQ(EntryNames(scratch / "setup.exe"), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(ExtractedFile(scratch / "setup.exe", "b.txt"), "b");
}
