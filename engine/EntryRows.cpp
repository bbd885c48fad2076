#include "EntryRows.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Format(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(&text[0], text.size(), format, arguments);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(arguments);
    return text;
}

}  // namespace

EntryRow MakeZipEntryRow(const ZipEntryValues& values) {
    EntryRow row;
    row.name = values.name;
    // A library that hands over a four-digit year still gets the two-digit column.
    row.date = Format("%.2d/%.2d/%.2d", values.day, values.month, values.year % 100);
    row.time = Format("%.2d:%.2d", values.hour, values.minute);
    row.size = std::to_string(values.uncompressedSize / 1024) + "K";
    // The sign comes from the sizes; a factor that arrives as a negative 16-bit number
    // must not print as 65531.
    int factor = std::abs(static_cast<int>(static_cast<short>(values.factor)));
    const char* sign = values.uncompressedSize < values.compressedSize ? "-" : "";
    row.ratio = Format("%s%.2d%%", sign, factor);
    row.packed = std::to_string(values.compressedSize / 1024) + "K";
    return row;
}

std::string MakeZipTotalsLine(unsigned long entryCount, unsigned long long totalUncompressed,
                              unsigned long long totalCompressed) {
    return Format("Total %d file(s): ", static_cast<int>(entryCount)) + std::to_string(totalUncompressed / 1024) +
           "K, " + std::to_string(totalCompressed / 1024) + "K comp.";
}
