// Entry names and times as other tools store them: which of the flag, the Unicode path field
// and the host's code page gives the name; NTFS and extended timestamps; the names and times
// we write. The library works in UTF-8; natively the OEM code page is 437.

#include "FileSystem.h"
#include "Names.h"
#include "TestSupport.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ziptest;

namespace {

std::string UnicodePathField(const std::string& utf8, const std::string& madeFor) {
    std::string field;
    Put16(field, 0x7075);
    Put16(field, static_cast<uint16_t>(5 + utf8.size()));
    field.push_back(1);
    Put32(field, Crc(madeFor));
    return field + utf8;
}

RawEntry Named(const std::string& stored, uint16_t host, uint16_t flags = 0, std::string extra = {}) {
    RawEntry entry(stored, "x");
    entry.versionMadeBy = static_cast<uint16_t>((host << 8) | 20);
    entry.flags = flags;
    entry.centralExtra = std::move(extra);
    return entry;
}

const std::string kCafe = "caf\xC3\xA9.txt";   // UTF-8

}  // namespace

TEST(EntryNames, FlagThenMatchingUnicodeFieldThenTheHostsCodePage) {
    const std::pair<RawEntry, std::string> cases[] = {
        {Named(kCafe, 3, 0x800), kCafe},                                                    // flag: UTF-8
        {Named("caf\x82.txt", 3, 0, UnicodePathField(kCafe, "caf\x82.txt")), kCafe},         // field matches
        // A stale field is ignored; natively other hosts are Latin-1.
        {Named("caf\x82.txt", 3, 0, UnicodePathField(kCafe, "cafe.txt")), "caf\xC2\x82.txt"},
        {Named("\x8Erger.txt", 0), "\xC3\x84rger.txt"},                                      // DOS: OEM 437
        {Named("\x8Erger.txt", 11), "\xC3\x84rger.txt"},                                     // NTFS: OEM too
        {Named(kCafe, 3), kCafe},                                                           // Unix, UTF-8 unflagged
        {Named("\xFF\xFE.txt", 3, 0x800), "\xC3\xBF\xC3\xBE.txt"},  // flag, but not UTF-8: falls back
    };
    ScratchFolder dir;
    RawZip zip;
    for (const auto& [entry, decoded] : cases) zip.entries.push_back(entry);
    WriteFileBytes(dir / "names.zip", zip.Build());
    std::vector<zipcore::Entry> entries = ArchiveEntries(dir / "names.zip");
    ASSERT_EQ(entries.size(), std::size(cases));
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].name, cases[i].second) << "entry " << i << ", stored as " << cases[i].first.name;
    EXPECT_EQ(entries[1].storedName, "caf\x82.txt") << "the stored bytes stay for faithful copies";
}

TEST(EntryNames, DecodedNamesAreCheckedAndCopiedFaithfully) {
    // Overlong UTF-8 must not sneak a '/' or '.' past the checks.
    EXPECT_FALSE(zipcore::fs::IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(zipcore::fs::IsValidUtf8("\xE0\x80\xAE"));
    EXPECT_FALSE(zipcore::fs::IsValidUtf8("\xED\xA0\x80"));   // a surrogate
    EXPECT_TRUE(zipcore::fs::IsValidUtf8(kCafe));
    for (const char* device : {"COM\xC2\xB9", "com\xC2\xB2.txt", "LPT\xC2\xB3.log", "lpt\xC2\xB9 .x"})
        EXPECT_TRUE(zipcore::names::IsDeviceName(device)) << device;
    for (const char* ordinary : {"COM\xC2\xB4", "COM\xC2\xB9x", "COM0", "LPT\xC2\xB2" "1"})
        EXPECT_FALSE(zipcore::names::IsDeviceName(ordinary)) << ordinary;

    // Deleting one entry copies the OEM-named one with its bytes, host and flags untouched.
    ScratchFolder dir;
    RawZip zip;
    zip.entries.push_back(Named("\x8Erger.txt", 0));
    zip.entries.push_back(Named("gone.txt", 0));
    WriteFileBytes(dir / "copy.zip", zip.Build());
    zipcore::UpdateOptions options;
    options.remove = {"gone.txt"};
    ASSERT_EQ(zipcore::Update(dir / "copy.zip", options).status, zipcore::Status::Ok);
    std::vector<zipcore::Entry> entries = ArchiveEntries(dir / "copy.zip");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].storedName, "\x8Erger.txt");
    EXPECT_EQ(entries[0].flags & 0x800, 0);
    EXPECT_EQ(entries[0].name, "\xC3\x84rger.txt");
}

TEST(EntryTimes, NtfsAndExtendedTimestampsGiveTheExactTimeOnExtraction) {
    ScratchFolder dir;
    std::string ntfs;   // tag 1: modified, accessed, created as FILETIMEs
    Put16(ntfs, 0x000a);
    Put16(ntfs, 32);
    Put32(ntfs, 0);
    Put16(ntfs, 1);
    Put16(ntfs, 24);
    const uint64_t ticks = (1719829231ull + 11644473600ull) * 10000000ull + 5000000ull;
    for (int i = 0; i < 3; ++i) Put64(ntfs, ticks);
    std::string extended;
    Put16(extended, 0x5455);
    Put16(extended, 5);
    extended.push_back(1);
    Put32(extended, 1705306147u);
    RawZip zip;
    zip.entries.push_back(Named("summer.txt", 11, 0, ntfs));
    zip.entries.push_back(Named("winter.txt", 3, 0, extended));
    zip.entries.push_back(Named("dos.txt", 0));
    WriteFileBytes(dir / "times.zip", zip.Build());

    zipcore::ExtractOptions options;
    options.targetDir = dir / "out";
    ASSERT_EQ(zipcore::Extract(dir / "times.zip", options).status, zipcore::Status::Ok);
    const std::pair<const char*, long long> times[] = {
        {"summer.txt", 1719829231LL}, {"winter.txt", 1705306147LL},
        {"dos.txt", zipcore::UnixFromDosDateTime((45 << 9) | (6 << 5) | 15, 0x6000)}};
    for (const auto& [name, expected] : times) {
        struct stat st {};
        ASSERT_EQ(stat((dir / "out/" + name).c_str(), &st), 0) << name;
        EXPECT_EQ(static_cast<long long>(st.st_mtime), expected) << name;
    }
}

TEST(EntryTimes, WrittenEntriesCarryUtf8NamesAndTheExtendedTimestamp) {
    ScratchFolder dir;
    WriteFileBytes(dir / kCafe, "cafe");
    WriteFileBytes(dir / "plain.txt", "plain");
    // An odd second, which the DOS stamp cannot keep.
    struct stat st {};
    ASSERT_EQ(stat((dir / kCafe).c_str(), &st), 0);
    zipcore::UpdateOptions options;
    options.baseDir = dir.Path();
    options.add = {"*.txt"};
    ASSERT_EQ(zipcore::Update(dir / "ours.zip", options).status, zipcore::Status::Ok);
    std::vector<zipcore::Entry> entries = ArchiveEntries(dir / "ours.zip");
    ASSERT_EQ(entries.size(), 2u);
    for (const zipcore::Entry& entry : entries) {
        const bool ascii = entry.name == "plain.txt";
        EXPECT_EQ((entry.flags & 0x800) != 0, !ascii) << entry.name;
        EXPECT_EQ(entry.storedName, entry.name);
        EXPECT_TRUE(entry.hasExactTime);
        ASSERT_EQ(stat((dir / entry.name).c_str(), &st), 0);
        EXPECT_EQ(entry.modified, static_cast<int64_t>(st.st_mtime)) << entry.name;
    }
}
