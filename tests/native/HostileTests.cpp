// Damaged and malicious archives: every one ends in its own status with a message,
// nothing lands outside the target folder, no partial file stays behind, no crash.
#include "TestSupport.h"
#include "zipcore/ExtractedNames.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace ziptest;
using zipcore::Status;

namespace {

struct Sandbox {
    ScratchFolder root;  // holds the archive and the target; nothing else may appear here
    std::string archive() const { return root / "evil.zip"; }
    std::string target() const { return root / "target"; }
    std::vector<std::string> lines;

    zipcore::ExtractResult extract(RawZip& zip, zipcore::Overwrite overwrite = zipcore::Overwrite::Always) {
        WriteFileBytes(archive(), zip.Build());
        zipcore::ExtractOptions options;
        options.targetDir = target();
        options.overwrite = overwrite;
        options.report = [this](zipcore::Status, const std::string& line) { lines.push_back(line); };
        return zipcore::Extract(archive(), options);
    }
    // Everything in the sandbox except the archive must be under target/.
    void expectNothingOutsideTarget() const {
        for (const std::string& file : FilesBelow(root.Path()))
            EXPECT_TRUE(file == "evil.zip" || file.rfind("target/", 0) == 0) << "escaped: " << file;
    }
    bool said(const std::string& fragment) const { return AnyLineHas(lines, fragment); }
};

zipcore::Error OpenError(const std::string& path) {
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(path, error);
    EXPECT_EQ(reader == nullptr, static_cast<bool>(error));
    return error;
}

zipcore::Error ReadError(const std::string& path, std::size_t index, std::size_t* delivered = nullptr) {
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(path, error);
    if (!reader) return error;
    const std::size_t total = EntryData(*reader, index, error).size();
    if (delivered) *delivered = total;
    return error;
}

}  // namespace

TEST(HostileNames, TraversalIsFoldedIntoTheTarget) {
    Sandbox box;
    RawZip zip;
    const char* names[] = {"../../up2.txt", "/etc/abs.txt", "C:\\w\\drive.txt", "..\\..\\back.txt",
                           "a/../../mid.txt", "\\\\server\\share\\unc.txt", "./dot/./x.txt", "D:rel.txt",
                           "..", "../"};
    for (const char* name : names) zip.entries.push_back({name, std::string("content of ") + name});
    zipcore::ExtractResult result = box.extract(zip);
    box.expectNothingOutsideTarget();
    std::vector<std::string> expected = {"target/a/mid.txt", "target/back.txt",     "target/dot/x.txt",
                                         "target/etc/abs.txt", "target/rel.txt",    "target/server/share/unc.txt",
                                         "target/up2.txt",   "target/w/drive.txt"};
    std::vector<std::string> files = FilesBelow(box.root.Path());
    files.erase(std::remove(files.begin(), files.end(), "evil.zip"), files.end());
    EXPECT_EQ(files, expected);
    EXPECT_EQ(ReadFileBytes(box.target() + "/w/drive.txt"), "content of C:\\w\\drive.txt");
    EXPECT_TRUE(box.said("../../up2.txt"));  // the user is told the name was changed
    // ".." alone leaves nothing to create: refused as unusable, not written anywhere.
    EXPECT_EQ(result.extracted, 8);
    EXPECT_EQ(result.failed, 1);
}

TEST(HostileNames, DeviceNamesAreRefusedAndTheRestExtracted) {
    Sandbox box;
    RawZip zip;
    const char* devices[] = {"CON", "aux.txt", "sub/nul.txt", "LPT1", "com9.log", "Con .txt", "prn/inner.txt"};
    for (const char* name : devices) zip.entries.push_back({name, "x"});
    zip.entries.push_back({"console.txt", "fine"});  // only whole device names are reserved
    zip.entries.push_back({"com10", "fine"});
    zipcore::ExtractResult result = box.extract(zip);
    EXPECT_EQ(result.status, Status::UnsafeName);
    EXPECT_EQ(result.failed, 7);
    EXPECT_EQ(result.extracted, 2);
    EXPECT_EQ(ReadFileBytes(box.target() + "/console.txt"), "fine");
    EXPECT_TRUE(box.said("aux.txt"));
    EXPECT_TRUE(box.said("device name"));
    EXPECT_EQ(FilesBelow(box.target()), (std::vector<std::string>{"com10", "console.txt"}));
    box.expectNothingOutsideTarget();
}

TEST(HostileNames, CharactersWindowsForbidsAreRefused) {
    Sandbox box;
    RawZip zip;
    for (const char* name : {"a<b", "a>b", "q?.txt", "ab:c", "say\"hi\"", "pipe|", "star*", "dir:/f"})
        zip.entries.push_back({name, "x"});
    zip.entries.push_back({std::string("tab\tname"), "x"});
    zip.entries.push_back({std::string("bell\x07"), "x"});
    zip.entries.push_back({"ok.txt", "ok"});
    zipcore::ExtractResult result = box.extract(zip);
    EXPECT_EQ(result.status, Status::UnsafeName);
    EXPECT_EQ(result.failed, 10);
    EXPECT_EQ(FilesBelow(box.target()), std::vector<std::string>{"ok.txt"});
    box.expectNothingOutsideTarget();
}

#ifndef _WIN32
TEST(HostileNames, SymlinkEntriesBecomePlainFiles) {
    Sandbox box;
    RawZip zip;
    zip.entries.push_back(RawEntry("link", "/etc").MadeOnUnix(0120777u));
    zip.entries.push_back({"link/passwd", "overwrite attempt"});
    zipcore::ExtractResult result = box.extract(zip);
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(box.target() + "/link")));
    EXPECT_EQ(ReadFileBytes(box.target() + "/link"), "/etc");
    EXPECT_EQ(result.failed, 1);  // "link" is a file, so "link/passwd" cannot be made
    box.expectNothingOutsideTarget();
}

TEST(HostileNames, ExistingLinkInTheTargetIsNotFollowed) {
    Sandbox box;
    ScratchFolder outside;
    std::filesystem::create_directories(box.target());
    std::filesystem::create_directory_symlink(outside.Path(), box.target() + "/escape");
    std::filesystem::create_symlink(outside / "victim.txt", box.target() + "/victim.txt");
    WriteFileBytes(outside / "victim.txt", "original");
    RawZip zip;
    zip.entries.push_back({"escape/planted.txt", "planted"});
    zip.entries.push_back({"victim.txt", "replaced"});
    zipcore::ExtractResult result = box.extract(zip);
    EXPECT_EQ(result.failed, 1);
    EXPECT_FALSE(PathExists(outside / "planted.txt"));
    // The link itself is replaced by a file; what it pointed to is untouched.
    EXPECT_EQ(ReadFileBytes(outside / "victim.txt"), "original");
    EXPECT_EQ(ReadFileBytes(box.target() + "/victim.txt"), "replaced");
}
#endif

TEST(HostileData, TruncationAtEveryOffsetIsReported) {
    ScratchFolder dir;
    RawZip zip;
    zip.entries.push_back({"a.txt", "alpha"});
    zip.entries.push_back(RawEntry("b.txt", Words(400, 2)).Deflated());
    const std::string whole = zip.Build();
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        WriteFileBytes(dir / "cut.zip", whole.substr(0, cut));
        zipcore::Error error = OpenError(dir / "cut.zip");
        // Losing the tail loses the end record: a file that still starts like an archive
        // is reported as truncated, anything shorter as not an archive at all.
        Status expected = cut >= 4 ? Status::Truncated : Status::NotZip;
        EXPECT_EQ(error.status, expected) << "cut at " << cut << ": " << error.message;
        EXPECT_FALSE(error.message.empty());
    }
}

TEST(HostileData, CrcMismatchLeavesNoPartialFile) {
    Sandbox box;
    RawZip zip;
    zip.entries.push_back(RawEntry("stored.bin", Noise(3000, 5)).WithCrc(Crc(Noise(3000, 5)) ^ 1));
    zip.entries.push_back(RawEntry("deflated.txt", Words(600000, 5)).Deflated().WithCrc(12345));
    zip.entries.push_back({"good.txt", "good"});
    zipcore::ExtractResult result = box.extract(zip);
    EXPECT_EQ(result.status, Status::CrcMismatch);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(result.extracted, 1);
    EXPECT_EQ(FilesBelow(box.target()), std::vector<std::string>{"good.txt"});
    EXPECT_TRUE(box.said("deflated.txt"));
    EXPECT_EQ(ReadError(box.archive(), 0).status, Status::CrcMismatch);
}

TEST(HostileData, TheWorstProblemIsReportedWhateverCameFirst) {
    // "kept.txt" exists and is kept, "CON" is refused, "bad.txt" fails its CRC, "in/x" meets a file "in".
    const std::pair<std::vector<std::string>, Status> cases[] = {
        {{"CON", "good.txt", "bad.txt"}, Status::CrcMismatch}, {{"bad.txt", "CON"}, Status::CrcMismatch},
        {{"kept.txt", "bad.txt"}, Status::CrcMismatch},        {{"CON", "in/x"}, Status::IoError},
        {{"kept.txt", "CON", "good.txt"}, Status::UnsafeName}, {{"CON", "kept.txt"}, Status::UnsafeName}};
    for (const auto& [order, worst] : cases) {
        Sandbox box;
        WriteFileBytes(box.target() + "/kept.txt", "precious");
        WriteFileBytes(box.target() + "/in", "a file");
        RawZip zip;
        for (const std::string& name : order) zip.entries.push_back({name, name});
        for (RawEntry& entry : zip.entries) entry.crcOverride = entry.name == "bad.txt" ? 7 : -1;
        EXPECT_STREQ(zipcore::StatusText(box.extract(zip, zipcore::Overwrite::Never).status), zipcore::StatusText(worst))
            << order[0] << ", " << order[1];
    }
}

TEST(HostileData, DamagedExtractionKeepsTheOldFileIntact) {
    Sandbox box;
    WriteFileBytes(box.target() + "/keep.txt", "precious");
    RawZip zip;
    zip.entries.push_back(RawEntry("keep.txt", "replacement").WithCrc(7));
    box.extract(zip);
    EXPECT_EQ(ReadFileBytes(box.target() + "/keep.txt"), "precious");
    EXPECT_EQ(FilesBelow(box.target()), std::vector<std::string>{"keep.txt"});
}

TEST(HostileData, LocalHeaderInsideTheCentralDirectoryIsOverlapping) {
    ScratchFolder dir;
    RawZip zip;
    zip.entries.push_back({"a", "aaaa"});
    zip.entries.push_back({"b", "bbbb"});
    RawZip probe = zip;
    probe.Build();
    zip.entries[1].offsetOverride = static_cast<int64_t>(probe.centralOffset);
    WriteFileBytes(dir / "a.zip", zip.Build());
    EXPECT_EQ(OpenError(dir / "a.zip").status, Status::Overlapping);

    zip.entries[1].offsetOverride = 1 << 30;  // far beyond the end of the file
    WriteFileBytes(dir / "b.zip", zip.Build());
    EXPECT_EQ(OpenError(dir / "b.zip").status, Status::BadOffsets);
}

// Archives whose directory or data lie: opening the archive, or reading the entry named by
// index, ends in its own status, with a message naming the entry.
TEST(HostileData, LyingArchivesEndInTheirOwnStatus) {
    struct Case {
        const char* what;
        std::vector<RawEntry> entries;
        int read;                 // the entry read, or -1 where opening already refuses the archive
        Status status;
        const char* named;
    };
    const RawEntry kernel = RawEntry("kernel", std::string(100000, 'A')).Deflated();
    const std::vector<RawEntry> shorter = {RawEntry("claims-more", Words(1000, 8)).Deflated().WithUncompressedSize(5000),
                                           RawEntry("stored-lies", "abc").WithUncompressedSize(4)};
    const Case cases[] = {
        {"compressed size far beyond the file, behind an intact directory",
         {RawEntry("short", Words(5000, 3)).Deflated().WithCompressedSize(100000)}, -1, Status::Overlapping, "short"},
        // The same name as the local header they point at: only then does the name check pass.
        {"entries sharing bytes", {kernel, RawEntry(kernel).WithOffset(0), RawEntry(kernel).WithOffset(0),
                                   RawEntry(kernel).WithOffset(0)}, -1, Status::Overlapping, "kernel"},
        {"deflated data shorter than declared", shorter, 0, Status::SizeMismatch, "claims-more"},
        {"stored data shorter than declared", shorter, 1, Status::SizeMismatch, "stored-lies"},
        // A reader trusting the local name would write elsewhere.
        {"local header naming another file", {RawEntry("innocent.txt", "x").WithLocalName("../../evil.txt")}, 0,
         Status::BadOffsets, "innocent.txt"},
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        RawZip zip;
        zip.entries = c.entries;
        WriteFileBytes(dir / "a.zip", zip.Build());
        zipcore::Error error = c.read < 0 ? OpenError(dir / "a.zip") : ReadError(dir / "a.zip", c.read);
        EXPECT_EQ(error.status, c.status) << c.what << ": " << error.message;
        EXPECT_NE(error.message.find(c.named), std::string::npos) << c.what << ": " << error.message;
    }
}

TEST(HostileData, InflatingPastTheDeclaredSizeStopsAtOnce) {
    ScratchFolder dir;
    RawZip zip;
    // 20 MiB deflates to about 20 KiB.
    zip.entries.push_back(RawEntry("zeros", std::string(20 << 20, '\0')).Deflated().WithUncompressedSize(1000));
    WriteFileBytes(dir / "a.zip", zip.Build());
    std::size_t delivered = 0;
    zipcore::Error error = ReadError(dir / "a.zip", 0, &delivered);
    EXPECT_EQ(error.status, Status::SizeMismatch);
    EXPECT_LE(delivered, 1000u);
    EXPECT_NE(error.message.find("zeros"), std::string::npos);
}

TEST(HostileData, HugeDeclaredSizeIsNeitherTrustedNorHanging) {
    ScratchFolder dir;
    RawZip zip;
    // No allocation or loop may follow this number.
    zip.entries.push_back(RawEntry("endless", Words(70000, 2)).Deflated().WithZip64Size(UINT64_MAX));
    WriteFileBytes(dir / "a.zip", zip.Build());
    std::size_t delivered = 0;
    zipcore::Error error = ReadError(dir / "a.zip", 0, &delivered);
    EXPECT_EQ(error.status, Status::SizeMismatch) << error.message;
    EXPECT_EQ(delivered, 70000u);
}

TEST(HostileData, EncryptedAndUnknownMethodsAreNamed) {
    Sandbox box;
    RawZip zip;
    zip.entries.push_back(RawEntry("locked.txt", "secret").WithFlags(1));
    zip.entries.push_back(RawEntry("bzip.bin", "BZh9").WithMethod(12));
    zip.entries.push_back({"plain.txt", "plain"});
    zipcore::ExtractResult result = box.extract(zip);
    EXPECT_EQ(ReadError(box.archive(), 0).status, Status::Encrypted);
    EXPECT_EQ(ReadError(box.archive(), 1).status, Status::UnsupportedMethod);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(result.extracted, 1);
    EXPECT_TRUE(box.said("locked.txt"));
    EXPECT_TRUE(box.said("bzip.bin"));
    EXPECT_EQ(FilesBelow(box.target()), std::vector<std::string>{"plain.txt"});
}

TEST(HostileData, CorruptDeflateStreamIsReportedNotCrashed) {
    ScratchFolder dir;
    RawZip zip;
    zip.entries.push_back(RawEntry("noise", Words(50000, 4)).Deflated());
    std::string bytes = zip.Build();
    // Overwrite the deflate data with bytes that are not a valid stream.
    std::size_t start = 30 + zip.entries[0].name.size();
    for (std::size_t i = start; i < start + 64; ++i) bytes[i] = static_cast<char>(0xFF);
    WriteFileBytes(dir / "a.zip", bytes);
    zipcore::Error error = ReadError(dir / "a.zip", 0);
    EXPECT_TRUE(error.status == Status::CrcMismatch || error.status == Status::SizeMismatch ||
                error.status == Status::Truncated)
        << error.message;
}

// Callers that open what was extracted find each file through ExtractedRelativePath; it must
// name exactly the file Extract wrote, and nothing for a name Extract refused.
TEST(HostileNames, ExtractedRelativePathNamesTheFileThatExtractWrote) {
    Sandbox box;
    RawZip zip;
    const std::vector<std::string> names = {"../../up.txt", "C:\\w\\drive.txt", "a/../../mid.txt", "/abs.txt",
                                            "dir/sub/deep.txt", "CON", "bad|name", "folder/", ".."};
    for (const std::string& name : names) zip.entries.push_back({name, name.back() == '/' ? "" : "content of " + name});
    box.extract(zip);
    std::vector<std::string> named;
    for (const std::string& name : names) {
        std::string relative;
        if (!zipcore::ExtractedRelativePath(name, '/', relative)) continue;
        named.push_back("target/" + relative);
        EXPECT_EQ(ReadFileBytes(box.target() + "/" + relative), "content of " + name) << name;
    }
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, (std::vector<std::string>{"target/a/mid.txt", "target/abs.txt", "target/dir/sub/deep.txt",
                                               "target/up.txt", "target/w/drive.txt"}));
    EXPECT_EQ(FilesBelow(box.target()), (std::vector<std::string>{"a/mid.txt", "abs.txt", "dir/sub/deep.txt", "up.txt",
                                                                 "w/drive.txt"}));
}
