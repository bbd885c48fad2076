// Listing: the values handed to the entry callback and the totals written back, for archives
// made by Info-ZIP zip and by our own library, and how unreadable archives are reported.

#include "WindllFixture.h"

#include "zipcore/ZipArchive.h"

#include <algorithm>

using namespace windll_test;

TEST(Listing, InfoZipArchiveReportsEveryEntryInArchiveOrder) {
    const UnzipOutcome outcome = CallUnzip(ListingCommand(DataFile("infozip-deflated.zip")));
    ASSERT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    const std::vector<ListedEntry>& entries = Recorded().entries;
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "hello.txt");
    EXPECT_EQ(entries[1].name, "docs/");
    EXPECT_EQ(entries[2].name, "docs/readme.txt");
    EXPECT_EQ(entries[3].name, "empty.txt");

    const ListedEntry& hello = entries[0];
    EXPECT_EQ(hello.uncompressedSize, 1031u);
    EXPECT_EQ(hello.compressedSize, 125u);
    EXPECT_EQ(hello.factor, 88u);   // 1 - 125/1031 = 87.9%
    EXPECT_EQ(hello.crc, 0xb83f4309u);
    EXPECT_EQ(hello.method, "Defl:X");   // zip -9 marks maximum compression in the flags
    EXPECT_EQ(hello.flag, ' ');
    EXPECT_EQ(hello.encrypted, 0);
}

TEST(Listing, DateAndTimeComeFromTheDosStampWithATwoDigitYear) {
    CallUnzip(ListingCommand(DataFile("infozip-deflated.zip")));
    ASSERT_FALSE(Recorded().entries.empty());
    for (const ListedEntry& entry : Recorded().entries) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(entry.day, 5u);
        EXPECT_EQ(entry.month, 1u);
        EXPECT_EQ(entry.year, 98u);
        EXPECT_EQ(entry.hour, 14u);
        EXPECT_EQ(entry.minute, 30u);
    }
}

TEST(Listing, TotalsAreWrittenBackIntoTheCallbackBlock) {
    const UnzipOutcome outcome = CallUnzip(ListingCommand(DataFile("infozip-deflated.zip")));
    ASSERT_EQ(outcome.result, UNZIP_OK);
    EXPECT_EQ(outcome.callbacks.entryCount, 4u);
    EXPECT_EQ(outcome.callbacks.totalUncompressed, 1046u);
    EXPECT_EQ(outcome.callbacks.totalCompressed, 140u);
    EXPECT_EQ(outcome.callbacks.compressionFactor, 87u);   // 1 - 140/1046 = 86.6%
}

TEST(Listing, EmptyAndStoredEntriesHaveNoFactor) {
    const UnzipOutcome outcome = CallUnzip(ListingCommand(DataFile("infozip-stored.zip")));
    ASSERT_EQ(outcome.result, UNZIP_OK);
    ASSERT_EQ(Recorded().entries.size(), 2u);
    for (const ListedEntry& entry : Recorded().entries) {
        EXPECT_EQ(entry.method, "Stored");
        EXPECT_EQ(entry.factor, 0u);
        EXPECT_EQ(entry.compressedSize, entry.uncompressedSize);
    }
    EXPECT_EQ(Recorded().entries[1].crc, 0xc9abfe28u);

    CallUnzip(ListingCommand(DataFile("infozip-deflated.zip")));
    ASSERT_EQ(Recorded().entries.size(), 4u);
    EXPECT_EQ(Recorded().entries[3].uncompressedSize, 0u);   // empty.txt
    EXPECT_EQ(Recorded().entries[3].factor, 0u);
}

TEST(Listing, AnEntryThatGrewReportsTheMagnitudeOfItsGrowth) {
    const UnzipOutcome outcome = CallUnzip(ListingCommand(DataFile("grown.zip")));
    ASSERT_EQ(outcome.result, UNZIP_OK);
    ASSERT_EQ(Recorded().entries.size(), 1u);
    const ListedEntry& noise = Recorded().entries[0];
    EXPECT_EQ(noise.uncompressedSize, 16u);
    EXPECT_EQ(noise.compressedSize, 18u);
    EXPECT_EQ(noise.factor, 13u);   // grew by 12.5%; the engine adds the "-"
    EXPECT_EQ(noise.method, "Defl:N");
}

TEST(Listing, EncryptedEntriesAreFlagged) {
    const UnzipOutcome outcome = CallUnzip(ListingCommand(DataFile("encrypted.zip")));
    ASSERT_EQ(outcome.result, UNZIP_OK);
    ASSERT_EQ(Recorded().entries.size(), 1u);
    EXPECT_EQ(Recorded().entries[0].flag, 'E');
    EXPECT_EQ(Recorded().entries[0].encrypted, 1);
    EXPECT_EQ(Recorded().entries[0].uncompressedSize, 1031u);
}

TEST(Listing, ArchiveMadeByTheLibraryListsItsSizesAndTotals) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteFileBytes(scratch / "a.txt", std::string(1000, 'a'));
    WriteFileBytes(scratch / "b.txt", std::string(2048, 'b'));
    WriteFileBytes(scratch / "c.txt", std::string(5000, 'c'));
    MakeZipOf(scratch / "three.zip", "", {"a.txt", "b.txt", "c.txt"}, {9});

    const UnzipOutcome outcome = CallUnzip(ListingCommand(scratch / "three.zip"));
    ASSERT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    ASSERT_EQ(Recorded().entries.size(), 3u);
    unsigned long compressedSum = 0;
    for (const ListedEntry& entry : Recorded().entries) {
        EXPECT_LT(entry.compressedSize, entry.uncompressedSize) << entry.name;
        EXPECT_GE(entry.factor, 90u) << entry.name;   // one repeated letter compresses very well
        EXPECT_LE(entry.factor, 99u) << entry.name;
        compressedSum += entry.compressedSize;
    }
    EXPECT_EQ(outcome.callbacks.entryCount, 3u);
    EXPECT_EQ(outcome.callbacks.totalUncompressed, 8048u);
    EXPECT_EQ(outcome.callbacks.totalCompressed, compressedSum);
}

TEST(Listing, NamedEntriesListOnlyThoseAndWarnAboutMissingOnes) {
    const UnzipOutcome outcome =
        CallUnzip(ListingCommand(DataFile("infozip-deflated.zip")), {"docs\\readme.txt", "absent.txt"});
    EXPECT_EQ(outcome.result, UNZIP_WARNING);
    ASSERT_EQ(Recorded().entries.size(), 1u);
    EXPECT_EQ(Recorded().entries[0].name, "docs/readme.txt");
    EXPECT_EQ(outcome.callbacks.entryCount, 1u);
    EXPECT_NE(Recorded().printed.find("absent.txt"), std::string::npos) << Recorded().printed;
}

TEST(Listing, ANonZipFileIsAnErrorWithAReadableLine) {
    const UnzipOutcome outcome = CallUnzip(ListingCommand(DataFile("notzip.zip")));
    EXPECT_GT(outcome.result, UNZIP_WARNING);
    EXPECT_TRUE(Recorded().entries.empty());
    EXPECT_EQ(outcome.callbacks.entryCount, 0u);
    const std::string& printed = Recorded().printed;
    EXPECT_NE(printed.find("notzip.zip"), std::string::npos) << printed;
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.back(), '\n');
}

TEST(Listing, AMissingArchiveIsAnError) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome = CallUnzip(ListingCommand(scratch / "nowhere.zip"));
    EXPECT_GT(outcome.result, UNZIP_WARNING);
    EXPECT_TRUE(Recorded().entries.empty());
    EXPECT_NE(Recorded().printed.find("nowhere.zip"), std::string::npos) << Recorded().printed;
}

TEST(Listing, AnArchiveCutShortIsAnError) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const std::string whole = ReadFileBytes(DataFile("infozip-deflated.zip"));
    WriteFileBytes(scratch / "cut.zip", whole.substr(0, whole.size() - 30));
    const UnzipOutcome outcome = CallUnzip(ListingCommand(scratch / "cut.zip"));
    EXPECT_GT(outcome.result, UNZIP_WARNING);
    EXPECT_FALSE(Recorded().printed.empty());
}

TEST(Listing, QuietLevelTwoSilencesEvenProblems) {
    UnzipCommand command = ListingCommand(DataFile("notzip.zip"));
    command.quietLevel = 2;
    const UnzipOutcome outcome = CallUnzip(command);
    EXPECT_GT(outcome.result, UNZIP_WARNING);
    EXPECT_EQ(Recorded().printCalls, 0) << Recorded().printed;
}

TEST(Listing, WithoutReportEntriesOnlyTheTotalsAreFilled) {
    UnzipCommand command = ListingCommand(DataFile("infozip-deflated.zip"));
    command.reportEntries = 0;
    const UnzipOutcome outcome = CallUnzip(command);
    EXPECT_EQ(outcome.result, UNZIP_OK);
    EXPECT_TRUE(Recorded().entries.empty());
    EXPECT_EQ(outcome.callbacks.entryCount, 4u);
}

// One deflated entry that claims 4,400,000,000 bytes through a Zip64 extra field, with 16
// bytes of data: listing reads only the directory, so the claim is enough for the 32-bit fields.
TEST(Listing, SizesBeyondFourGigabytesAreClampedInEntriesAndTotals) {
    const UnzipOutcome outcome = CallUnzip(ListingCommand(DataFile("names-huge.zip")));
    ASSERT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    ASSERT_EQ(Recorded().entries.size(), 1u);
    const ListedEntry& huge = Recorded().entries[0];
    EXPECT_EQ(huge.uncompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(huge.compressedSize, 16u);
    EXPECT_EQ(huge.factor, 99u);   // nearly all saved, yet not nothing left
    EXPECT_EQ(huge.year, 24u);
    EXPECT_EQ(outcome.callbacks.totalUncompressed, 0xFFFFFFFFu);
    EXPECT_EQ(outcome.callbacks.totalCompressed, 16u);
}

// Listing, testing, extracting and deleting take a name to mean the same entries: slash
// direction and letter case do not count, as the engine may hand names back upper-cased.
TEST(NameRule, EveryOperationMatchesNamesAlike) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const std::string archive = DataFile("infozip-deflated.zip");
    const std::vector<std::string> asked{"DOCS\\README.TXT"};

    const UnzipOutcome listed = CallUnzip(ListingCommand(archive), asked);
    EXPECT_EQ(listed.result, UNZIP_OK) << Recorded().printed;
    ASSERT_EQ(Recorded().entries.size(), 1u);
    EXPECT_EQ(Recorded().entries[0].name, "docs/readme.txt");

    UnzipCommand test = ExtractCommand(archive, false, true);
    test.testOnly = 1;
    EXPECT_EQ(CallUnzip(test, asked).result, UNZIP_OK) << Recorded().printed;
    EXPECT_NE(Recorded().printed.find("docs/readme.txt"), std::string::npos) << Recorded().printed;

    EXPECT_EQ(CallUnzip(ExtractCommand(archive, true, true), asked).result, UNZIP_OK) << Recorded().printed;
    EXPECT_TRUE(FileExists(scratch / "docs\\readme.txt"));

    WriteFileBytes(scratch / "copy.zip", ReadFileBytes(archive));
    const std::vector<std::string> before = EntryNames(scratch / "copy.zip");
    ZipCall erase{scratch / "copy.zip", asked};
    erase.deleteEntries = true;
    ASSERT_EQ(CallZip(erase), ZIP_OK) << Recorded().printed;
    std::vector<std::string> after = EntryNames(scratch / "copy.zip");
    EXPECT_EQ(after.size() + 1, before.size());
    EXPECT_EQ(std::count(after.begin(), after.end(), "docs/readme.txt"), 0);
}
