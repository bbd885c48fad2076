// Listing and reading archives: end record search, comments, stubs in front, data
// descriptors, Zip64 records and the streaming of entry data.
#include "TestSupport.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

using namespace ziptest;
using zipcore::Status;

namespace {

// Writes the archive into dir and opens it, with a failed expectation when it does not open.
std::unique_ptr<zipcore::Reader> BuildAndOpen(const ScratchFolder& dir, RawZip& zip, const std::string& name = "a.zip") {
    WriteFileBytes(dir / name, zip.Build());
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(dir / name, error);
    EXPECT_TRUE(reader) << error.message;
    EXPECT_EQ(error.status, Status::Ok);
    return reader;
}

std::string ReadAll(zipcore::Reader& reader, std::size_t index) {
    zipcore::Error error;
    std::string data = EntryData(reader, index, error);
    EXPECT_FALSE(error) << error.message;
    return data;
}

RawZip ThreeEntries() {
    RawZip zip;
    zip.entries.push_back({"plain.txt", "stored text"});
    zip.entries.push_back(RawEntry("dir/words.txt", Words(200000, 1)).Deflated());
    zip.entries.push_back({"dir/", ""});
    return zip;
}

}  // namespace

TEST(Reading, ListsWhatTheCentralDirectorySays) {
    ScratchFolder dir;
    RawZip zip = ThreeEntries();
    auto reader = BuildAndOpen(dir, zip);
    ASSERT_TRUE(reader);
    const auto& entries = reader->entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "plain.txt");
    EXPECT_EQ(entries[0].method, 0);
    EXPECT_EQ(entries[0].uncompressedSize, 11u);
    EXPECT_EQ(entries[1].name, "dir/words.txt");
    EXPECT_EQ(entries[1].method, 8);
    EXPECT_EQ(entries[1].uncompressedSize, 200000u);
    EXPECT_EQ(entries[1].compressedSize, zip.entries[1].payload.size());
    EXPECT_EQ(entries[1].crc32, Crc(zip.entries[1].data));
    EXPECT_EQ(entries[1].localHeaderOffset, zip.localOffsets[1]);
    EXPECT_TRUE(entries[2].isDirectory());
    EXPECT_FALSE(entries[1].isDirectory());
    EXPECT_EQ(entries[0].dosDate, (45 << 9) | (6 << 5) | 15);
    EXPECT_EQ(reader->prefixLength(), 0u);
}

TEST(Reading, StreamsStoredAndDeflatedDataExactly) {
    ScratchFolder dir;
    RawZip zip = ThreeEntries();
    auto reader = BuildAndOpen(dir, zip);
    ASSERT_TRUE(reader);
    EXPECT_EQ(ReadAll(*reader, 0), "stored text");
    EXPECT_EQ(ReadAll(*reader, 1), zip.entries[1].data);
    EXPECT_EQ(ReadAll(*reader, 2), "");
    // Reading again, out of order, gives the same bytes: nothing depends on the position.
    EXPECT_EQ(ReadAll(*reader, 0), "stored text");
}

TEST(Reading, DataArrivesInBoundedChunks) {
    ScratchFolder dir;
    RawZip zip;
    // 5 MiB of one byte deflates to almost nothing.
    zip.entries.push_back(RawEntry("big", std::string(5 << 20, 'z')).Deflated());
    auto reader = BuildAndOpen(dir, zip);
    ASSERT_TRUE(reader);
    std::size_t largest = 0, total = 0;
    zipcore::Error error = reader->ReadEntry(0, [&](const uint8_t*, std::size_t size) {
        largest = std::max(largest, size);
        total += size;
        return true;
    });
    EXPECT_FALSE(error) << error.message;
    EXPECT_EQ(total, zip.entries[0].data.size());
    EXPECT_LE(largest, 1u << 20);
}

TEST(Reading, SinkThatStopsEndsTheReadWithIoError) {
    ScratchFolder dir;
    RawZip zip = ThreeEntries();
    auto reader = BuildAndOpen(dir, zip);
    ASSERT_TRUE(reader);
    int calls = 0;
    zipcore::Error error = reader->ReadEntry(1, [&](const uint8_t*, std::size_t) { return ++calls < 1; });
    EXPECT_EQ(error.status, Status::IoError);
    EXPECT_EQ(calls, 1);
}

TEST(Reading, FindsTheEndRecordBehindTheLongestComment) {
    ScratchFolder dir;
    RawZip zip = ThreeEntries();
    // A comment that itself contains something looking like an end record must not fool the search.
    std::string fake = std::string("PK\x05\x06", 4) + std::string(18, '\0');
    zip.comment = fake + std::string(65535 - fake.size() * 2, 'c') + fake;
    ASSERT_EQ(zip.comment.size(), 65535u);
    auto reader = BuildAndOpen(dir, zip);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->entries().size(), 3u);
    EXPECT_EQ(reader->comment(), zip.comment);
}

TEST(Reading, EmptyArchiveHasNoEntries) {
    ScratchFolder dir;
    RawZip zip;
    auto reader = BuildAndOpen(dir, zip, "e.zip");
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->entries().empty());
}

TEST(Reading, StubInFrontWithOffsetsAdjustedOrNot) {
    // Offsets that count from the archive part, as a stub put in front leaves them, and from the file start.
    const std::pair<std::string, bool> stubs[] = {{"MZ" + Noise(5000, 3), false}, {"MZ" + Noise(777, 4), true}};
    for (const auto& [stub, adjusted] : stubs) {
        ScratchFolder dir;
        RawZip zip = ThreeEntries();
        zip.prefix = stub;
        zip.adjustOffsets = adjusted;
        auto reader = BuildAndOpen(dir, zip, "sfx.exe");
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->prefixLength(), stub.size()) << "adjusted: " << adjusted;
        EXPECT_EQ(reader->entries()[1].localHeaderOffset, zip.localOffsets[1]);  // absolute, stub included
        EXPECT_EQ(ReadAll(*reader, 0), "stored text");
        EXPECT_EQ(ReadAll(*reader, 1), zip.entries[1].data);
    }
}

TEST(Reading, DataDescriptorsInEveryForm) {
    ScratchFolder dir;
    RawZip zip;
    for (int form = 0; form < 4; ++form)
        zip.entries.push_back(RawEntry("d" + std::to_string(form), Words(3000 + form * 100, form))
                                  .WithMethod(form % 2 ? 8 : 0)
                                  .WithDescriptor(form < 2, form == 3));
    auto reader = BuildAndOpen(dir, zip, "d.zip");
    ASSERT_TRUE(reader);
    for (int form = 0; form < 4; ++form) EXPECT_EQ(ReadAll(*reader, form), zip.entries[form].data) << form;
}

TEST(Reading, Zip64EndRecordsWithMoreThan65535Entries) {
    ScratchFolder dir;
    RawZip zip;
    zip.zip64End = true;
    const std::size_t count = 70000;
    for (std::size_t i = 0; i < count; ++i) zip.entries.push_back({"f" + std::to_string(i), std::to_string(i)});
    zip.prefix = "STUB";  // also shifted: the Zip64 records' offsets must be corrected too
    auto reader = BuildAndOpen(dir, zip, "many.zip");
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->entries().size(), count);
    EXPECT_EQ(reader->entries()[69999].name, "f69999");
    EXPECT_EQ(ReadAll(*reader, 69999), "69999");
    EXPECT_EQ(reader->prefixLength(), 4u);
}

TEST(Reading, MissingEmptyAndForeignFilesAreDistinguished) {
    ScratchFolder dir;
    zipcore::Error error;
    EXPECT_FALSE(zipcore::Reader::Open(dir / "missing.zip", error));
    EXPECT_EQ(error.status, Status::NotFound);
    EXPECT_NE(error.message.find("missing.zip"), std::string::npos);

    WriteFileBytes(dir / "empty.zip", "");
    EXPECT_FALSE(zipcore::Reader::Open(dir / "empty.zip", error));
    EXPECT_EQ(error.status, Status::NotZip);

    WriteFileBytes(dir / "text.zip", "This is a plain text file, not an archive.\n" + Words(100000, 9));
    EXPECT_FALSE(zipcore::Reader::Open(dir / "text.zip", error));
    EXPECT_EQ(error.status, Status::NotZip);
    EXPECT_NE(error.message.find("text.zip"), std::string::npos);
    EXPECT_STRNE(zipcore::StatusText(Status::NotZip), zipcore::StatusText(Status::Truncated));
}

TEST(DosTime, RoundTripsThroughLocalTime) {
    uint16_t date = 0, time = 0;
    const int64_t when = 1700000000;  // an even number of seconds, as DOS keeps two-second steps
    zipcore::DosDateTimeFromUnix(when, date, time);
    EXPECT_EQ(zipcore::UnixFromDosDateTime(date, time), when);
    zipcore::DosDateTimeFromUnix(0, date, time);  // before 1980: clamped, not wrapped
    EXPECT_EQ(date >> 9, 0);
    EXPECT_EQ((date >> 5) & 15, 1);
}
