#pragma once
// The display texts that a zip listing produces: one row per entry and the totals line.
// Kept apart from the library callbacks so the formats can be checked on their own.

#include <string>

#include "ArchiveView.h"

// The values the unzip library reports for one entry. The year comes in two digits.
struct ZipEntryValues {
    std::string name;
    // 64-bit: a 4.4 GB entry must not show as the 32-bit record's 4,194,303K.
    unsigned long long uncompressedSize = 0;
    unsigned long long compressedSize = 0;
    unsigned short factor = 0;   // percent saved
    unsigned short day = 0;
    unsigned short month = 0;
    unsigned short year = 0;
    unsigned short hour = 0;
    unsigned short minute = 0;
};

EntryRow MakeZipEntryRow(const ZipEntryValues& values);

// "Total 3 file(s): 7K, 2K comp."; both sizes in K, rounded down.
std::string MakeZipTotalsLine(unsigned long entryCount, unsigned long long totalUncompressed,
                              unsigned long long totalCompressed);
