#include <gtest/gtest.h>

#include "EntryRows.h"

namespace {

ZipEntryValues Values(unsigned long uncompressed, unsigned long compressed, unsigned short factor) {
    ZipEntryValues values;
    values.name = "docs/report.txt";
    values.uncompressedSize = uncompressed;
    values.compressedSize = compressed;
    values.factor = factor;
    values.day = 5;
    values.month = 1;
    values.year = 98;
    values.hour = 9;
    values.minute = 7;
    return values;
}

TEST(ZipEntryRow, ColumnsInOrderWithZeroPaddedDateAndTime) {
    EntryRow row = MakeZipEntryRow(Values(4096, 2048, 50));
    EXPECT_EQ(row.name, "docs/report.txt");
    EXPECT_EQ(row.date, "05/01/98");
    EXPECT_EQ(row.time, "09:07");
    EXPECT_EQ(row.size, "4K");
    EXPECT_EQ(row.ratio, "50%");
    EXPECT_EQ(row.packed, "2K");
}

TEST(ZipEntryRow, SizesRoundDownToWholeKilobytes) {
    EXPECT_EQ(MakeZipEntryRow(Values(1023, 1023, 0)).size, "0K");
    EXPECT_EQ(MakeZipEntryRow(Values(1024, 1023, 0)).size, "1K");
    EXPECT_EQ(MakeZipEntryRow(Values(1024, 1023, 0)).packed, "0K");
    EXPECT_EQ(MakeZipEntryRow(Values(4294967295ul, 0, 100)).size, "4194303K");
    // Past 4 GiB, as the DLL's 64-bit export gives them: 4.4 GB is not the 32-bit 4,194,303K.
    ZipEntryValues huge = Values(0, 0, 2);
    huge.uncompressedSize = 4400000000ull;
    huge.compressedSize = 4300000000ull;
    EXPECT_EQ(MakeZipEntryRow(huge).size, "4296875K");
    EXPECT_EQ(MakeZipEntryRow(huge).packed, "4199218K");
    EXPECT_EQ(MakeZipEntryRow(huge).ratio, "02%");
    EXPECT_EQ(MakeZipTotalsLine(2, 4400000000ull + 1024, 4300000000ull), "Total 2 file(s): 4296876K, 4199218K comp.");
}

TEST(ZipEntryRow, EntryThatGrewShowsMinusSign) {
    EXPECT_EQ(MakeZipEntryRow(Values(100, 105, 5)).ratio, "-05%");
    // Equal sizes are not growth.
    EXPECT_EQ(MakeZipEntryRow(Values(100, 100, 0)).ratio, "00%");
    EXPECT_EQ(MakeZipEntryRow(Values(1000, 0, 100)).ratio, "100%");
}

TEST(ZipEntryRow, FactorDeliveredAsNegativeNumberKeepsOneSign) {
    // -5 in a 16-bit word must not print as 65531 nor as "--05%".
    EXPECT_EQ(MakeZipEntryRow(Values(100, 105, static_cast<unsigned short>(-5))).ratio, "-05%");
}

TEST(ZipEntryRow, FourDigitYearStillFillsTwoDigitColumn) {
    ZipEntryValues values = Values(1, 1, 0);
    values.year = 2003;
    values.day = 31;
    values.month = 12;
    EXPECT_EQ(MakeZipEntryRow(values).date, "31/12/03");
}

TEST(ZipTotalsLine, SumsInKilobytesRoundedDown) {
    EXPECT_EQ(MakeZipTotalsLine(3, 1000 + 2048 + 5000, 3000), "Total 3 file(s): 7K, 2K comp.");
    EXPECT_EQ(MakeZipTotalsLine(0, 0, 0), "Total 0 file(s): 0K, 0K comp.");
    EXPECT_EQ(MakeZipTotalsLine(1, 1023, 1024), "Total 1 file(s): 0K, 1K comp.");
}

}  // namespace
