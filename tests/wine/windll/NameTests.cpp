// Names, times and sizes as other tools wrote them: UTF-8 with flag bit 11, Unicode path
// fields, OEM names from DOS, exact timestamps, superscript port names, sizes past 4 GiB; and
// the names we write. The engine sees names in the ANSI code page (1252 here); files on disk
// carry their true names, looked at through the wide API.

#include "WindllFixture.h"

#include "zipcore/ZipArchive.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

using namespace windll_test;

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                     static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

std::wstring WideOf(const std::string& ansi) {
    std::wstring wide(ansi.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length - 1, 0)));
    return wide;
}

// A file below the folder by its true (UTF-8) name.
std::wstring WidePath(const ScratchFolder& scratch, const std::string& utf8Name) {
    return WideOf(scratch.Path()) + L"\\" + Wide(utf8Name);
}

// The file's contents, found by its true name; "<missing>" when absent.
std::string ReadWide(const ScratchFolder& scratch, const std::string& utf8Name) {
    HANDLE file = CreateFileW(WidePath(scratch, utf8Name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[256];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

// Seconds since 1970, UTC, of the file's last write; -1 when it cannot be read.
long long ModifiedUtc(const ScratchFolder& scratch, const std::string& utf8Name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WidePath(scratch, utf8Name).c_str(), GetFileExInfoStandard, &data)) return -1;
    const unsigned long long ticks =
        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000ull) - 11644473600LL;
}

void WriteWide(const ScratchFolder& scratch, const std::string& utf8Name, const std::string& bytes) {
    HANDLE file =
        CreateFileW(WidePath(scratch, utf8Name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string CopyOfData(const ScratchFolder& scratch, const std::string& fixture) {
    WriteFileBytes(scratch / fixture, ReadFileBytes(DataFile(fixture)));
    return scratch / fixture;
}

// The listing's ANSI names of an archive.
std::vector<std::string> ListedNames(const std::string& archive) {
    EXPECT_EQ(CallUnzip(ListingCommand(archive)).result, UNZIP_OK) << Recorded().printed;
    std::vector<std::string> names;
    for (const ListedEntry& entry : Recorded().entries) names.push_back(entry.name);
    return names;
}

}  // namespace

TEST(ForeignNames, ListInTheAnsiCodePageWithoutBestFit) {
    ASSERT_EQ(GetACP(), 1252u) << "these names are spelled for the Western code page";
    // Bit 11: UTF-8. Japanese has no place in 1252 and shows as '?'; the fullwidth solidus and
    // colon must not turn into '/' and ':' on the way.
    EXPECT_EQ(ListedNames(DataFile("names-python.zip")),
              (std::vector<std::string>{"caf\xE9.txt", "???.txt", "a?b?.txt", "plain.txt"}));
    // Info-ZIP on Unix: UTF-8 without the flag.
    EXPECT_EQ(ListedNames(DataFile("names-infozip.zip")), (std::vector<std::string>{"caf\xE9.txt", "na\xEFve.txt"}));
    // A matching Unicode path field wins over the stored bytes; a stale one is ignored and the
    // stored byte 0x82 of a Unix-made name is taken in the ANSI code page.
    EXPECT_EQ(ListedNames(DataFile("names-unicode-path.zip")), (std::vector<std::string>{"caf\xE9.txt"}));
    EXPECT_EQ(ListedNames(DataFile("names-stale.zip")), (std::vector<std::string>{"caf\x82.txt"}));
    // DOS: code page 437, so 0x8E is A umlaut (not Z caron) and 0x81 u umlaut.
    EXPECT_EQ(ListedNames(DataFile("names-dos.zip")),
              (std::vector<std::string>{"\xC4rger.txt", "M\xFCLL/gr\xFCn.txt"}));
}

TEST(ForeignNames, ExtractUnderTheTrueUnicodeNames) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome = CallUnzip(ExtractCommand(DataFile("names-python.zip"), true, true));
    ASSERT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    EXPECT_EQ(ReadWide(scratch, "caf\xC3\xA9.txt"), "cafe\n");
    EXPECT_EQ(ReadWide(scratch, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"), "nihongo\n");
    EXPECT_EQ(ReadWide(scratch, "a\xEF\xBC\x8F" "b\xEF\xBC\x9A.txt"), "fullwidth solidus and colon\n");
    EXPECT_EQ(FolderTree(scratch.Path()).size(), 4u) << "no folder 'a' and no stray files";

    ASSERT_EQ(CallUnzip(ExtractCommand(DataFile("names-dos.zip"), true, true)).result, UNZIP_OK);
    EXPECT_EQ(ReadWide(scratch, "\xC3\x84rger.txt"), "trouble\n");
    EXPECT_EQ(ReadWide(scratch, "M\xC3\xBCLL\\gr\xC3\xBCn.txt"), "green\n");
}

TEST(ForeignNames, ListedNamesSelectTheirEntriesForExtractAndDelete) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome =
        CallUnzip(ExtractCommand(DataFile("names-python.zip"), true, true), {"???.txt", "A?B?.TXT"});
    ASSERT_EQ(outcome.result, UNZIP_OK) << Recorded().printed;
    EXPECT_EQ(ReadWide(scratch, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"), "nihongo\n");
    EXPECT_EQ(ReadWide(scratch, "a\xEF\xBC\x8F" "b\xEF\xBC\x9A.txt"), "fullwidth solidus and colon\n");
    EXPECT_EQ(ReadWide(scratch, "caf\xC3\xA9.txt"), "<missing>");

    const std::string archive = CopyOfData(scratch, "names-python.zip");
    const ZipCall remove = Deleting(archive, {"caf\xE9.txt", "???.txt"});
    ASSERT_EQ(CallZip(remove), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(ListedNames(archive), (std::vector<std::string>{"a?b?.txt", "plain.txt"}));
}

TEST(ForeignNames, NamesThatListAlikeAreDeletedOnlyWhenEveryOneWasChosen) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const std::string archive = CopyOfData(scratch, "names-alike.zip");
    const std::string before = ReadFileBytes(archive);
    const ZipCall once = Deleting(archive, {"??.txt"});
    EXPECT_EQ(CallZip(once), ZIP_ERROR) << "the engine must hear that the row was not deleted";
    EXPECT_NE(Recorded().printed.find("names several entries"), std::string::npos) << Recorded().printed;
    EXPECT_EQ(ReadFileBytes(archive), before);

    const ZipCall both = Deleting(archive, {"??.txt", "??.txt"});
    ASSERT_EQ(CallZip(both), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(ListedNames(archive), (std::vector<std::string>{"other.txt"}));
}

TEST(ForeignNames, CaseTwinsAreEachListedTestedExtractedAndDeletedAlone) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    // A file system that ignores case cannot hold twins to add: "b.txt" is renamed in place.
    WriteFileBytes(scratch / "A.txt", "A.txt");
    WriteFileBytes(scratch / "b.txt", "a.txt");
    ASSERT_EQ(CallZip({scratch / "twins.zip", {"A.txt", "b.txt"}, '0'}), ZIP_OK) << Recorded().printed;
    std::string bytes = ReadFileBytes(scratch / "twins.zip");
    for (std::size_t at = bytes.find("b.txt"); at != std::string::npos; at = bytes.find("b.txt", at)) bytes[at] = 'a';
    WriteFileBytes(scratch / "twins.zip", bytes);
    for (const std::string twin : {"a.txt", "A.txt"}) {
        EXPECT_EQ(CallUnzip(ListingCommand(scratch / "twins.zip"), {twin}).callbacks.entryCount, 1ul) << twin;
        UnzipCommand test = ListingCommand(scratch / "twins.zip");
        test.listOnly = 0, test.testOnly = 1;
        EXPECT_EQ(CallUnzip(test, {twin}).result, UNZIP_OK);
        EXPECT_EQ(Recorded().printed.find("testing: ", Recorded().printed.find("testing: ") + 1), std::string::npos);
        EXPECT_EQ(CallUnzip(ExtractCommand(scratch / "twins.zip", true, true), {twin}).result, UNZIP_OK);
        EXPECT_EQ(ReadFileBytes(scratch / "a.txt"), twin) << Recorded().printed;
    }
    const ZipCall remove = Deleting(scratch / "twins.zip", {"a.txt"});
    ASSERT_EQ(CallZip(remove), ZIP_OK) << Recorded().printed;
    EXPECT_EQ(ListedNames(scratch / "twins.zip"), std::vector<std::string>{"A.txt"});
}

TEST(ForeignNames, SuperscriptPortNamesAreRefusedLikeDevices) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const UnzipOutcome outcome = CallUnzip(ExtractCommand(DataFile("names-devices.zip"), true, true));
    EXPECT_EQ(outcome.result, UNZIP_WARNING) << Recorded().printed;
    EXPECT_EQ(FolderTree(scratch.Path()), (std::vector<std::string>{"keep.txt"}));
    // The log names them in the ANSI code page, where the superscripts exist.
    for (const char* name : {"COM\xB9.txt", "LPT\xB3", "COM\xB2.log"})
        EXPECT_NE(Recorded().printed.find(std::string("'") + name + "' is a device name"), std::string::npos)
            << name << "\n" << Recorded().printed;
}

TEST(ForeignTimes, ExtractedFilesGetTheExactTimeAcrossDaylightSaving) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    ASSERT_EQ(CallUnzip(ExtractCommand(DataFile("names-infozip.zip"), true, true)).result, UNZIP_OK)
        << Recorded().printed;
    EXPECT_EQ(ModifiedUtc(scratch, "caf\xC3\xA9.txt"), 1719829231LL);     // 2024-07-01 10:20:31 UTC, summer
    EXPECT_EQ(ModifiedUtc(scratch, "na\xC3\xAFve.txt"), 1705306147LL);    // 2024-01-15 08:09:07 UTC, winter
}

namespace {

WindllUnzipSizes64Function Sizes64() {
    using Generic = void (*)();
    return reinterpret_cast<WindllUnzipSizes64Function>(
        reinterpret_cast<Generic>(GetProcAddress(GetModuleHandleA("UnZip32.dll"), "windll_unzip_sizes64")));
}

struct HugeEntrySeen {
    unsigned long record = 0;
    UnzipSizes64 sizes{};
    int filled = 0;
};
HugeEntrySeen hugeEntrySeen;

void WINAPI NoteHugeEntry(unsigned long uncompressed, unsigned long, unsigned short, unsigned short, unsigned short,
                          unsigned short, unsigned short, unsigned short, char, const char*, const char*,
                          unsigned long, char) {
    hugeEntrySeen.record = uncompressed;
    hugeEntrySeen.filled = Sizes64()(&hugeEntrySeen.sizes, nullptr);
}

}  // namespace

TEST(ForeignSizes, TheSecondExportGivesSizesPastFourGigabytes) {
    ASSERT_NE(Unzip(), nullptr);
    const WindllUnzipSizes64Function sizes64 = Sizes64();
    ASSERT_NE(sizes64, nullptr);
    UnzipSizes64 outside{};
    EXPECT_EQ(sizes64(&outside, nullptr), 0) << "no entry is being reported";

    UnzipCallbacks callbacks = MakeCallbacks();
    callbacks.entry = &NoteHugeEntry;
    UnzipCommand command = ListingCommand(DataFile("names-huge.zip"));
    ASSERT_EQ(Unzip()(0, nullptr, &command, &callbacks), UNZIP_OK);
    EXPECT_EQ(hugeEntrySeen.record, 0xFFFFFFFFul) << "the record's 32-bit field stays clamped";
    EXPECT_EQ(hugeEntrySeen.filled, 1);
    EXPECT_EQ(hugeEntrySeen.sizes.uncompressed, 4400000000ull);
    EXPECT_EQ(hugeEntrySeen.sizes.compressed, 16ull);
    EXPECT_EQ(callbacks.totalUncompressed, 0xFFFFFFFFul);
    UnzipSizes64 totals{};
    ASSERT_EQ(sizes64(nullptr, &totals), 1);
    EXPECT_EQ(totals.uncompressed, 4400000000ull);
    EXPECT_EQ(totals.compressed, 16ull);
}

TEST(OurNames, NonAsciiNamesAreWrittenInUtf8WithTheFlagAndAnExtendedTimestamp) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    WriteWide(scratch, "caf\xC3\xA9.txt", "cafe\n");
    WriteWide(scratch, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "nihongo\n");
    WriteWide(scratch, "plain.txt", "ascii\n");
    ASSERT_EQ(CallZip({scratch / "ours.zip", {"*.txt"}}), ZIP_OK) << Recorded().printed;

    zipcore::Error error;
    auto reader = zipcore::Reader::Open(scratch / "ours.zip", error);
    ASSERT_TRUE(reader) << error.message;
    std::vector<std::string> stored;
    for (const zipcore::Entry& entry : reader->entries()) {
        stored.push_back(entry.storedName);
        const bool ascii = std::all_of(entry.storedName.begin(), entry.storedName.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        EXPECT_EQ((entry.flags & 0x800) != 0, !ascii) << entry.storedName;
        EXPECT_TRUE(entry.hasExactTime) << entry.storedName;
        EXPECT_EQ(entry.modified, ModifiedUtc(scratch, entry.name)) << entry.storedName;
    }
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, (std::vector<std::string>{"caf\xC3\xA9.txt", "plain.txt",
                                                "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"}));
    // For the peer check that runs outside Wine: our archive goes to the folder it names, and a
    // foreign one is extracted there, so that the names on the Linux side can be looked at.
    if (const char* peerFolder = std::getenv("BRINDLE_PEER_FOLDER")) {
        const std::string folder = peerFolder;
        EXPECT_TRUE(CopyFileA((scratch / "ours.zip").c_str(), (folder + "\\ours.zip").c_str(), FALSE));
        MakeFolder(folder + "\\extracted");
        CurrentDirectoryKeeper keeper;
        ASSERT_TRUE(SetCurrentDirectoryA((folder + "\\extracted").c_str()));
        EXPECT_EQ(CallUnzip(ExtractCommand(DataFile("names-python.zip"), true, true)).result, UNZIP_OK)
            << Recorded().printed;
    }
}
