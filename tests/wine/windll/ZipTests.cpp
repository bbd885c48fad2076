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

}  // namespace

TEST(ZipAdd, LevelNineDeflatesAndTheEntryRoundTrips) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "report.txt", RepeatedLine(5000));
    ZipCall call{scratch / "new.zip", {"report.txt"}};
    ASSERT_EQ(CallZip(call), ZIP_OK) << Recorded().printed;
    const std::vector<zipcore::Entry> entries = ArchiveEntries(scratch / "new.zip");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "report.txt");
    EXPECT_EQ(entries[0].method, 8);
    EXPECT_LT(entries[0].compressedSize, 1000u);
    EXPECT_FALSE(Recorded().printed.empty()) << "a person reading the log should see what was added";

    MakeFolder(scratch / "out");
    SetCurrentDirectoryA((scratch / "out").c_str());
    ASSERT_EQ(CallUnzip(ExtractCommand(scratch / "new.zip", true, true)).result, UNZIP_OK);
    EXPECT_EQ(ReadFileBytes(scratch / "out\\report.txt"), RepeatedLine(5000));
}

TEST(ZipAdd, LevelZeroStoresWithoutCompression) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "report.txt", RepeatedLine(5000));
    ZipCall call{scratch / "new.zip", {"report.txt"}, '0'};
    ASSERT_EQ(CallZip(call), ZIP_OK) << Recorded().printed;
    const std::vector<zipcore::Entry> entries = ArchiveEntries(scratch / "new.zip");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].method, 0);
    EXPECT_EQ(entries[0].compressedSize, 5000u);
}

TEST(ZipAdd, AddingToAnExistingArchiveKeepsItsEntriesAndReplacesSameNames) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
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

TEST(ZipAdd, UpperCasedAbsolutePathWithBackslashesDroppingFolderNames) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    MakeFolder(scratch / "data");
    WriteFileBytes(scratch / "data\\report.txt", "quarterly numbers");
    // The engine hands over upper-cased short paths; the file system matches them regardless.
    ZipCall call{Upper(scratch / "ARCHIVE.ZIP"), {Upper(scratch / "data\\report.txt")}, '9', true};
    ASSERT_EQ(CallZip(call), ZIP_OK) << Recorded().printed;
    const std::vector<std::string> names = EntryNames(scratch / "archive.zip");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(Upper(names[0]), "REPORT.TXT");
}

TEST(ZipAdd, RelativePathKeepsItsFolderNamesWhenAsked) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    MakeFolder(scratch / "data");
    WriteFileBytes(scratch / "data\\report.txt", "quarterly numbers");
    ASSERT_EQ(CallZip({scratch / "keep.zip", {"data\\report.txt"}, '9', false}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "keep.zip"), std::vector<std::string>{"data/report.txt"});
    ASSERT_EQ(CallZip({scratch / "drop.zip", {"data\\report.txt"}, '9', true}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "drop.zip"), std::vector<std::string>{"report.txt"});
}

TEST(ZipAdd, AWildcardPatternAddsEveryMatchingFile) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
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

TEST(ZipAdd, StarDotStarMeansEveryFileAsOnWindows) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    MakeFolder(scratch / "data");
    WriteFileBytes(scratch / "data\\README", "no extension");
    WriteFileBytes(scratch / "data\\notes.txt", "n");
    ASSERT_EQ(CallZip({scratch / "all.zip", {scratch / "data\\*.*"}, '9', true}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(Sorted(EntryNames(scratch / "all.zip")), (std::vector<std::string>{"README", "notes.txt"}));
    SetCurrentDirectoryA((scratch / "data").c_str());
    ASSERT_EQ(CallZip({scratch / "relative.zip", {"*.*"}}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "relative.zip").size(), 2u);
}

TEST(ZipAdd, APatternMatchingNothingIsNothingToDoAndLeavesTheArchiveAlone) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"a.txt"}}), ZIP_OK);
    const std::string before = ReadFileBytes(scratch / "set.zip");
    EXPECT_EQ(CallZip({scratch / "set.zip", {"*.none"}}), ZIP_NOTHING_TO_DO);
    EXPECT_FALSE(Recorded().printed.empty());
    EXPECT_EQ(ReadFileBytes(scratch / "set.zip"), before);

    EXPECT_EQ(CallZip({scratch / "fresh.zip", {"*.none"}}), ZIP_NOTHING_TO_DO);
    EXPECT_FALSE(FileExists(scratch / "fresh.zip"));
}

TEST(ZipAdd, AMissingFileIsNotReportedAsSuccess) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"a.txt"}}), ZIP_OK);
    const std::string before = ReadFileBytes(scratch / "set.zip");
    const int result = CallZip({scratch / "set.zip", {"no-such-file.txt"}});
    EXPECT_TRUE(result == ZIP_NOTHING_TO_DO || result == ZIP_ERROR) << result;
    EXPECT_NE(Recorded().printed.find("no-such-file.txt"), std::string::npos) << Recorded().printed;
    EXPECT_EQ(ReadFileBytes(scratch / "set.zip"), before);
}

TEST(ZipAdd, AZeroLengthArchiveFileIsTreatedAsANewArchive) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "empty.zip", "");
    WriteFileBytes(scratch / "a.txt", "a");
    ASSERT_EQ(CallZip({scratch / "empty.zip", {"a.txt"}}), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "empty.zip"), std::vector<std::string>{"a.txt"});
}

TEST(ZipAdd, AZeroLengthArchiveStaysWhenNothingWasAdded) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "empty.zip", "");
    EXPECT_EQ(CallZip({scratch / "empty.zip", {"*.none"}}), ZIP_NOTHING_TO_DO);
    EXPECT_TRUE(FileExists(scratch / "empty.zip"));
    EXPECT_EQ(ReadFileBytes(scratch / "empty.zip"), "");
}

TEST(ZipAdd, ANonZipArchiveFileIsAnErrorAndKeepsItsBytes) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "letter.zip", "Dear reader, this is not an archive.");
    WriteFileBytes(scratch / "a.txt", "a");
    EXPECT_EQ(CallZip({scratch / "letter.zip", {"a.txt"}}), ZIP_ERROR);
    EXPECT_NE(Recorded().printed.find("letter.zip"), std::string::npos) << Recorded().printed;
    EXPECT_EQ(ReadFileBytes(scratch / "letter.zip"), "Dear reader, this is not an archive.");
}

TEST(ZipAdd, AnArchiveInAMissingFolderIsAnError) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    EXPECT_EQ(CallZip({scratch / "no\\such\\folder\\out.zip", {"a.txt"}}), ZIP_ERROR);
    EXPECT_FALSE(Recorded().printed.empty());
}

TEST(ZipAdd, QuietPrintsNothingOnSuccess) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    ZipCall call{scratch / "quiet.zip", {"a.txt"}};
    call.quiet = true;
    ASSERT_EQ(CallZip(call), ZIP_OK);
    EXPECT_EQ(Recorded().printCalls, 0) << Recorded().printed;
}

TEST(ZipAdd, QuietStillReportsProblemsAndVerboseAddsTheCounts) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
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

TEST(ZipAdd, EveryPrintedLineEndsWithANewline) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    WriteFileBytes(scratch / "b.txt", "b");
    ASSERT_EQ(CallZip({scratch / "lines.zip", {"*.txt"}}), ZIP_OK);
    ASSERT_GT(Recorded().printCalls, 0);
    std::size_t lines = 0;
    for (char c : Recorded().printed) lines += c == '\n';
    EXPECT_EQ(lines, static_cast<std::size_t>(Recorded().printCalls));
    EXPECT_EQ(Recorded().printed.back(), '\n');
}

TEST(ZipAdd, CallbacksRunOnTheCallingThreadWhileWorkersCompress) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    for (int i = 0; i < 60; ++i) WriteFileBytes(scratch / ("file" + std::to_string(i) + ".txt"), RepeatedLine(20000 + i));
    ASSERT_EQ(CallZip({scratch / "many.zip", {"*.txt"}}), ZIP_OK) << Recorded().printed;
    EXPECT_GE(Recorded().printCalls, 60);
    EXPECT_EQ(Recorded().foreignThreadCalls, 0);
    EXPECT_EQ(EntryNames(scratch / "many.zip").size(), 60u);
}

TEST(ZipDelete, NamedEntriesAreRemovedAndTheRestKept) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFileBytes(scratch / name, std::string(name) + " body");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"*.txt"}}), ZIP_OK);
    ZipCall erase{scratch / "set.zip", {"b.txt"}};
    erase.deleteEntries = true;
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    EXPECT_NE(Recorded().printed.find("b.txt"), std::string::npos) << Recorded().printed;
    EXPECT_EQ(Sorted(EntryNames(scratch / "set.zip")), (std::vector<std::string>{"a.txt", "c.txt"}));

    MakeFolder(scratch / "out");
    SetCurrentDirectoryA((scratch / "out").c_str());
    ASSERT_EQ(CallUnzip(ExtractCommand(scratch / "set.zip", true, true)).result, UNZIP_OK);
    EXPECT_EQ(ReadFileBytes(scratch / "out\\c.txt"), "c.txt body");
}

TEST(ZipDelete, NamesMatchAcrossSlashDirectionAndLetterCase) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    MakeFolder(scratch / "docs");
    WriteFileBytes(scratch / "docs\\Notes.txt", "n");
    WriteFileBytes(scratch / "keep.txt", "k");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"docs\\Notes.txt", "keep.txt"}}), ZIP_OK) << Recorded().printed;
    ASSERT_EQ(Sorted(EntryNames(scratch / "set.zip")), (std::vector<std::string>{"docs/Notes.txt", "keep.txt"}));
    ZipCall erase{scratch / "set.zip", {"DOCS\\NOTES.TXT"}};
    erase.deleteEntries = true;
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "set.zip"), std::vector<std::string>{"keep.txt"});
}

TEST(ZipDelete, ANameGivenTwiceInDifferentCaseIsDeletedOnce) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    WriteFileBytes(scratch / "b.txt", "b");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"*.txt"}}), ZIP_OK);
    ZipCall erase{scratch / "set.zip", {"a.txt", "A.TXT", "a.txt"}};
    erase.deleteEntries = true;
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(EntryNames(scratch / "set.zip"), std::vector<std::string>{"b.txt"});
}

TEST(ZipDelete, AnAbsentNameIsNothingToDoAndTheArchiveIsUnchanged) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"a.txt"}}), ZIP_OK);
    const std::string before = ReadFileBytes(scratch / "set.zip");
    ZipCall erase{scratch / "set.zip", {"ghost.txt"}};
    erase.deleteEntries = true;
    EXPECT_EQ(CallZip(erase), ZIP_NOTHING_TO_DO);
    EXPECT_NE(Recorded().printed.find("ghost.txt"), std::string::npos) << Recorded().printed;
    EXPECT_EQ(ReadFileBytes(scratch / "set.zip"), before);
}

TEST(ZipDelete, FromAMissingOrNonZipArchiveIsAnError) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    ZipCall erase{scratch / "nowhere.zip", {"a.txt"}};
    erase.deleteEntries = true;
    EXPECT_EQ(CallZip(erase), ZIP_ERROR);
    EXPECT_FALSE(FileExists(scratch / "nowhere.zip"));
    WriteFileBytes(scratch / "letter.zip", "not an archive");
    erase.archive = scratch / "letter.zip";
    EXPECT_EQ(CallZip(erase), ZIP_ERROR);
    EXPECT_EQ(ReadFileBytes(scratch / "letter.zip"), "not an archive");
}

TEST(ZipDelete, DeletingEveryEntryLeavesAValidEmptyArchive) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", "a");
    ASSERT_EQ(CallZip({scratch / "set.zip", {"a.txt"}}), ZIP_OK);
    ZipCall erase{scratch / "set.zip", {"a.txt"}};
    erase.deleteEntries = true;
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    EXPECT_TRUE(EntryNames(scratch / "set.zip").empty());
    const UnzipOutcome listing = CallUnzip(ListingCommand(scratch / "set.zip"));
    EXPECT_EQ(listing.result, UNZIP_OK);
    EXPECT_EQ(listing.callbacks.entryCount, 0u);
}

TEST(SelfExtractor, AnArchiveBehindAStubListsGrowsAndShrinksWithTheStubKept) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
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
    ZipCall erase{scratch / "setup.exe", {"a.txt"}};
    erase.deleteEntries = true;
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;

    EXPECT_EQ(ReadFileBytes(scratch / "setup.exe").substr(0, stub.size()), stub);
    EXPECT_EQ(EntryNames(scratch / "setup.exe"), std::vector<std::string>{"b.txt"});
    MakeFolder(scratch / "out");
    SetCurrentDirectoryA((scratch / "out").c_str());
    ASSERT_EQ(CallUnzip(ExtractCommand(scratch / "setup.exe", true, true)).result, UNZIP_OK) << Recorded().printed;
    EXPECT_EQ(ReadFileBytes(scratch / "out\\b.txt"), "b");
}
