// Reading rows out of the text ARJ.EXE prints, in the old two-lines-per-entry layout and in
// the layout of today's free ARJ, which adds continuation lines to every entry.

#include <gtest/gtest.h>

#include "ArjHandler.h"
#include "ArjTestSupport.h"

namespace {

const char kOldHeading[] =
    "ARJ 2.50a Copyright (c) 1990-95 Robert K Jung. Jun 05 1995\r\n"
    "*** This SHAREWARE program is NOT REGISTERED for use in a business.\r\n"
    "\r\n"
    "Processing archive: C:\\DATA\\A.ARJ\r\n"
    "Archive date      : 1998-01-05 10:00:00\r\n"
    "\r\n"
    "Sequence/Pathname/Comment/Chapters\r\n"
    "Rev/Host OS    Original Compressed Ratio DateTime modified Attributes/GUA BPMGS\r\n"
    "------------ ---------- ---------- ----- ----------------- -------------- -----\r\n";
const char kOldClosing[] =
    "------------ ---------- ---------- -----\r\n"
    "     2 files       3071       1535 0.500\r\n";

// What Debian's arj 3.10 prints for an archive with a file and a file in a folder.
const char kCurrentListing[] =
    "ARJ32 v 3.10, Copyright (c) 1998-2004, ARJ Software Russia.\n"
    "\n"
    "Processing archive: t2.arj\n"
    "Archive created: 2026-12-07 12:29:35, modified: 2026-12-07 12:29:35\n"
    "Sequence/Pathname/Comment/Chapters\n"
    "Rev/Host OS    Original Compressed Ratio DateTime modified Attributes/GUA BPMGS\n"
    "------------ ---------- ---------- ----- ----------------- -------------- -----\n"
    "001) a.txt\n"
    " 11 UNIX              6          6 1.000 26-12-07 12:29:35 -rw-r--r-- ---   0  \n"
    "                                   DTA   26-12-07 12:29:36\n"
    "                                   DTC   26-12-07 12:29:37\n"
    "002) sub/c.txt\n"
    " 11 UNIX           8893       4069 0.458 26-12-07 12:29:38 -rw-r--r-- ---  +1  \n"
    "                                   DTA   26-12-07 12:29:39\n"
    "                                   DTC   26-12-07 12:29:40\n"
    "------------ ---------- ---------- -----\n"
    "     2 files       8899       4075 0.458 \n";

std::string OldEntry(const std::string& number, const std::string& name, const std::string& size,
                     const std::string& packed) {
    return number + ") " + name + "\r\n 11 MS-DOS  " + size + "  " + packed + " 0.250 98-01-05 10:30:00 A---W\r\n";
}

std::vector<EntryRow> Parse(const std::string& text) {
    std::vector<EntryRow> rows;
    CArjHandler::ParseListing(text, rows);
    return rows;
}

// The row of one entry whose second line carries the given sizes.
EntryRow RowFor(const std::string& size, const std::string& packed) {
    std::vector<EntryRow> rows = Parse(std::string(kOldHeading) + OldEntry("001", "F.TXT", size, packed) + kOldClosing);
    return rows.size() == 1 ? rows[0] : EntryRow{"<no single row>", "", "", "", "", ""};
}

}  // namespace

TEST(ArjListing, OldLayoutTwoEntriesGiveTwoRowsWithEveryColumn) {
    std::vector<EntryRow> rows = Parse(std::string(kOldHeading) + OldEntry("001", "README.TXT", "2048", "512") +
                                       OldEntry("002", "SUB\\BIG.DAT", "1023", "1023") + kOldClosing);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(ColumnsOf(rows[0]), (Columns{"README.TXT", "98-01-05", "10:30:00", "2K", "75%", "0K"}));
    EXPECT_EQ(ColumnsOf(rows[1]), (Columns{"SUB\\BIG.DAT", "98-01-05", "10:30:00", "0K", " 0%", "0K"}));
}

TEST(ArjListing, HeadingAndClosingLinesAloneGiveNoRows) {
    EXPECT_TRUE(Parse(std::string(kOldHeading) + kOldClosing).empty());
    EXPECT_TRUE(Parse("").empty());
}

TEST(ArjListing, CurrentLayoutContinuationLinesMakeNoRows) {
    std::vector<EntryRow> rows = Parse(kCurrentListing);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(ColumnsOf(rows[0]), (Columns{"a.txt", "26-12-07", "12:29:35", "0K", " 0%", "0K"}));
    // The modification time, not an access or creation time.
    EXPECT_EQ(ColumnsOf(rows[1]), (Columns{"sub/c.txt", "26-12-07", "12:29:38", "8K", "54%", "3K"}));
}

TEST(ArjListing, SizesAreWholeKilobytesRoundedDown) {
    EXPECT_EQ(RowFor("1023", "1").size, "0K");
    EXPECT_EQ(RowFor("1024", "1").size, "1K");
    EXPECT_EQ(RowFor("2048", "2047").packed, "1K");
    // Past 2 GB a 32-bit size would wrap into a negative number.
    EXPECT_EQ(RowFor("5000000000", "4096").size, "4882812K");
}

TEST(ArjListing, RatioIsTheShareSavedTruncatedTowardZero) {
    EXPECT_EQ(RowFor("2048", "512").ratio, "75%");
    EXPECT_EQ(RowFor("100", "110").ratio, "-10%");
    EXPECT_EQ(RowFor("100", "95").ratio, " 5%");
    EXPECT_EQ(RowFor("100", "7").ratio, "93%");      // floating point would make this 92%
    EXPECT_EQ(RowFor("3", "2").ratio, "33%");
    EXPECT_EQ(RowFor("100", "0").ratio, "100%");
    EXPECT_EQ(RowFor("0", "0").ratio, " 0%");        // an empty file saves nothing, and divides by nothing
}

TEST(ArjListing, ShortLinesGiveEmptyTextsNotGarbage) {
    std::vector<EntryRow> rows = Parse("001) ONLY.TXT\n 11 MS-DOS 4096\n002) NEXT.TXT\n003) LAST.TXT");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(ColumnsOf(rows[0]), (Columns{"ONLY.TXT", "", "", "4K", "", ""}));
    // An entry straight after another has lost its second line; the next entry is not it.
    EXPECT_EQ(ColumnsOf(rows[1]), (Columns{"NEXT.TXT", "", "", "", "", ""}));
    EXPECT_EQ(ColumnsOf(rows[2]), (Columns{"LAST.TXT", "", "", "", "", ""}));
    std::vector<EntryRow> bare = Parse("001)\n");
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].name, "");
}

TEST(ArjListing, OnlyLinesStartingWithANumberBeginEntries) {
    std::string text = std::string(kOldHeading) + "Comment: 001) not an entry\r\n" + " 002) indented\r\n" +
                       "12)glued\r\n" + OldEntry("1000", "LATE.TXT", "10", "5") + kOldClosing;
    std::vector<EntryRow> rows = Parse(text);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(ColumnsOf(rows[0]), (Columns{"LATE.TXT", "98-01-05", "10:30:00", "0K", "50%", "0K"}));
}

TEST(ArjListing, NamesKeepTheirBlanksAndCarryNoLineEnd) {
    std::vector<EntryRow> rows = Parse(std::string(kOldHeading) + OldEntry("001", "MY FILE.TXT", "10", "5") +
                                       "002) my  notes.txt  \r\n 11 UNIX 10 5 0.5 98-01-05 10:30:00\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(ColumnsOf(rows[0]), (Columns{"MY FILE.TXT", "98-01-05", "10:30:00", "0K", "50%", "0K"}));
    EXPECT_EQ(rows[1].name, "my  notes.txt") << "inner blanks kept, trailing ones dropped";
}

TEST(ArjTextHelpers, DropFirstLineRemovesThroughTheFirstNewline) {
    std::string text = "one\r\ntwo\nthree";
    for (const char* left : {"two\nthree", "three", "", ""}) {
        CArjHandler::DropFirstLine(text);
        EXPECT_EQ(text, left);
    }
}

TEST(ArjTextHelpers, GetFieldReadsWordsOfTheFirstLineOnly) {
    const std::string text = "  zero\tone  two\r\nthree four\n";
    std::string word = "unchanged";
    CArjHandler::GetField(text, word, 0);
    EXPECT_EQ(word, "zero");
    CArjHandler::GetField(text, word, 1);
    EXPECT_EQ(word, "one");
    CArjHandler::GetField(text, word, 2);
    EXPECT_EQ(word, "two");
    word = "unchanged";
    CArjHandler::GetField(text, word, 3);   // "three" is on the next line
    EXPECT_EQ(word, "unchanged");
    CArjHandler::GetField("a b   \n", word, 2);   // trailing blanks are no word
    EXPECT_EQ(word, "unchanged");
    CArjHandler::GetField("", word, 0);
    EXPECT_EQ(word, "unchanged");
    CArjHandler::GetField("last", word, 0);
    EXPECT_EQ(word, "last");
}
