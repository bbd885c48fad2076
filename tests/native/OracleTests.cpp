// Agreement with independent implementations: archives we write pass Info-ZIP's unzip
// and Python's zipfile, and archives they write read back here byte for byte.
// Runs only where the tools exist, and never under Windows.
#include "TestSupport.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace ziptest;
using zipcore::Status;

#ifndef _WIN32
namespace {

// "name size crc" per entry as Python's zipfile sees the archive.
std::string PythonListing(const std::string& archive) {
    std::string output;
    Shell("python3 -c 'import sys, zipfile\n"
        "for i in zipfile.ZipFile(sys.argv[1]).infolist(): print(i.filename, i.file_size, i.CRC)' " +
            Quote(archive),
        output);
    return output;
}

std::string OurListing(const std::string& archive) {
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(archive, error);
    if (!reader) return "<" + error.message + ">";
    std::ostringstream out;
    for (const auto& e : reader->entries()) out << e.name << ' ' << e.uncompressedSize << ' ' << e.crc32 << '\n';
    return out.str();
}

class Oracle : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTool("zip") || !HaveTool("unzip") || !HaveTool("python3")) {
            // On a machine set up by scripts/setup.sh they are there: CI must not pass without them.
            if (UnderCi()) FAIL() << "zip, unzip or python3 missing";
            GTEST_SKIP() << "zip, unzip or python3 missing";
        }
        WriteFileBytes(src + "/text.txt", Words(300000, 1));
        WriteFileBytes(src + "/noise.bin", Noise(70000, 2));
        WriteFileBytes(src + "/empty", "");
        WriteFileBytes(src + "/sub/big.txt", Words(1500000, 3) + Noise(900000, 4));
        WriteFileBytes(src + "/sub/tiny", "t");
    }

    // Adds files of the source folder to archive, or replaces them there.
    zipcore::UpdateResult addFromSource(const std::string& archive, std::vector<std::string> names, int level = 6) {
        zipcore::UpdateOptions options;
        options.add = std::move(names);
        options.baseDir = src;
        options.level = level;
        return zipcore::Update(archive, options);
    }

    // unzip tests the archive: it passes, without a warning. Returns what unzip printed.
    std::string expectUnzipPasses(const std::string& archive) {
        std::string output;
        EXPECT_EQ(Shell("unzip -t " + Quote(archive), output), 0) << output;
        EXPECT_EQ(output.find("warning"), std::string::npos) << output;
        return output;
    }

    void expectExtractsLikeSource(const std::string& archive, const std::vector<std::string>& files) {
        zipcore::ExtractOptions options;
        options.targetDir = dir / "x";
        options.overwrite = zipcore::Overwrite::Always;
        zipcore::ExtractResult result = zipcore::Extract(archive, options);
        EXPECT_EQ(result.status, Status::Ok) << archive;
        for (const std::string& file : files)
            EXPECT_TRUE(ReadFileBytes(dir / ("x/" + file)) == ReadFileBytes(src + "/" + file)) << file << " in " << archive;
    }

    ScratchFolder dir;
    std::string src = dir / "src";
    const std::vector<std::string> files = {"text.txt", "noise.bin", "empty", "sub/big.txt", "sub/tiny"};
};

}  // namespace

TEST_F(Oracle, OurArchivesPassUnzipAndZipfileAtEveryLevel) {
    for (int level : {0, 1, 6, 9}) {
        std::string archive = dir / ("ours" + std::to_string(level) + ".zip");
        ASSERT_EQ(addFromSource(archive, {"*", "sub/*", "sub"}, level).status, Status::Ok);
        std::string output = expectUnzipPasses(archive);
        EXPECT_EQ(PythonListing(archive), OurListing(archive));
        EXPECT_EQ(Shell("python3 -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)' " +
                          Quote(archive), output), 0) << output;
        // unzip -Z names the method of each entry; level 0 must never deflate.
        Shell("unzip -Z -v " + Quote(archive) + " | grep 'compression method'", output);
        if (level == 0) {
            EXPECT_EQ(output.find("deflated"), std::string::npos);
        } else {
            EXPECT_NE(output.find("deflated"), std::string::npos);
        }
        std::string out = dir / ("unz" + std::to_string(level));
        ASSERT_EQ(Shell("unzip -q -o " + Quote(archive) + " -d " + Quote(out), output), 0) << output;
        for (const std::string& file : files)
            EXPECT_TRUE(ReadFileBytes(out + "/" + file) == ReadFileBytes(src + "/" + file)) << file << " at level " << level;
    }
}

TEST_F(Oracle, UpdatedArchiveStillPassesUnzip) {
    std::string archive = dir / "changed.zip";
    std::string output;
    ASSERT_EQ(Shell("cd " + Quote(src) + " && zip -q -r " + Quote(archive) + " .", output), 0) << output;
    zipcore::UpdateOptions options;
    options.add = {"text.txt"};
    options.remove = {"noise.bin"};
    options.baseDir = src;
    WriteFileBytes(src + "/text.txt", "changed");
    ASSERT_EQ(zipcore::Update(archive, options).status, Status::Ok);
    output = expectUnzipPasses(archive);
    EXPECT_EQ(PythonListing(archive), OurListing(archive));
    EXPECT_EQ(output.find("noise.bin"), std::string::npos);
}

TEST_F(Oracle, InfoZipArchivesStoredDeflatedAndCommented) {
    std::string deflated = dir / "d.zip", stored = dir / "s.zip", output;
    ASSERT_EQ(Shell("cd " + Quote(src) + " && zip -q -r " + Quote(deflated) + " . && zip -q -0 -r " + Quote(stored) + " .",
                  output), 0) << output;
    ASSERT_EQ(Shell("echo 'a comment from zip' | zip -q -z " + Quote(deflated), output), 0) << output;
    for (const std::string& archive : {deflated, stored}) {
        EXPECT_EQ(OurListing(archive), PythonListing(archive));
        expectExtractsLikeSource(archive, files);
    }
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(deflated, error);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->comment(), "a comment from zip");
}

TEST_F(Oracle, StreamedArchivesWithDataDescriptors) {
    // Streaming from stdin gives the entry "-" with Zip64 sizes; streaming to a pipe,
    // where zip cannot go back to fill in a header, gives every entry a descriptor.
    std::string fromStdin = dir / "stdin.zip", toPipe = dir / "pipe.zip", output;
    ASSERT_EQ(Shell("cat " + Quote(src + "/sub/big.txt") + " | zip -q " + Quote(fromStdin) + " -", output), 0) << output;
    ASSERT_EQ(Shell("cd " + Quote(src) + " && zip -q -r - . | cat > " + Quote(toPipe), output), 0) << output;
    EXPECT_EQ(OurListing(fromStdin), PythonListing(fromStdin));
    EXPECT_EQ(OurListing(toPipe), PythonListing(toPipe));
    zipcore::Error error;
    auto piped = zipcore::Reader::Open(toPipe, error);
    ASSERT_TRUE(piped) << error.message;
    for (const auto& e : piped->entries()) {
        if (!e.isDirectory()) {
            EXPECT_NE(e.flags & 8, 0) << e.name;
        }
    }
    piped.reset();
    auto reader = zipcore::Reader::Open(fromStdin, error);
    ASSERT_TRUE(reader) << error.message;
    EXPECT_TRUE(EntryData(*reader, 0, error) == ReadFileBytes(src + "/sub/big.txt"));
    EXPECT_FALSE(error) << error.message;
    expectExtractsLikeSource(toPipe, files);

    // Copying descriptor entries unchanged must keep the archive valid for unzip.
    zipcore::UpdateOptions options;
    options.add = {"sub/tiny"};
    options.baseDir = src;
    options.storePaths = false;
    ASSERT_EQ(zipcore::Update(toPipe, options).status, Status::Ok);
    expectUnzipPasses(toPipe);
}

TEST_F(Oracle, PythonZip64Archives) {
    std::string archive = dir / "py64.zip", output;
    ASSERT_EQ(Shell("python3 -c 'import sys, zipfile\n"
                  "with zipfile.ZipFile(sys.argv[1], \"w\", zipfile.ZIP_DEFLATED) as z:\n"
                  "    for name in (\"text.txt\", \"noise.bin\", \"sub/big.txt\"):\n"
                  "        with open(sys.argv[2] + \"/\" + name, \"rb\") as f, z.open(name, \"w\", force_zip64=True) as out:\n"
                  "            out.write(f.read())\n' " +
                      Quote(archive) + " " + Quote(src),
                  output), 0) << output;
    EXPECT_EQ(OurListing(archive), PythonListing(archive));
    expectExtractsLikeSource(archive, {"text.txt", "noise.bin", "sub/big.txt"});
    // Many entries: Python writes Zip64 end records past 65,535.
    std::string many = dir / "many.zip";
    ASSERT_EQ(Shell("python3 -c 'import sys, zipfile\n"
                  "with zipfile.ZipFile(sys.argv[1], \"w\") as z:\n"
                  "    for i in range(66000): z.writestr(\"e%d\" % i, str(i))\n' " + Quote(many), output), 0) << output;
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(many, error);
    ASSERT_TRUE(reader) << error.message;
    EXPECT_EQ(reader->entries().size(), 66000u);
    reader.reset();
    // And what we write past 65,535 entries, Python and unzip read.
    ASSERT_EQ(addFromSource(many, {"sub/tiny"}).status, Status::Ok);
    Shell("python3 -c 'import sys, zipfile; print(len(zipfile.ZipFile(sys.argv[1]).infolist()))' " + Quote(many), output);
    EXPECT_EQ(output, "66001\n");
    EXPECT_EQ(Shell("unzip -tq " + Quote(many), output), 0) << output;
}

TEST_F(Oracle, StubInFrontAdjustedLikeZipDashA) {
    std::string plain = dir / "p.zip", ours = dir / "ours.exe", theirs = dir / "theirs.exe", output;
    ASSERT_EQ(Shell("cd " + Quote(src) + " && zip -q -r " + Quote(plain) + " .", output), 0) << output;
    std::string stub = "MZ" + Noise(20000, 8);
    WriteFileBytes(ours, stub + ReadFileBytes(plain));
    WriteFileBytes(theirs, stub + ReadFileBytes(plain));
    // Unadjusted: unzip complains but copes, and so do we.
    Shell("unzip -t " + Quote(ours), output);
    EXPECT_NE(output.find("extra bytes"), std::string::npos) << output;
    EXPECT_EQ(OurListing(ours), PythonListing(plain));
    expectExtractsLikeSource(ours, files);

    ASSERT_EQ(zipcore::AdjustOffsets(ours).status, Status::Ok);
    ASSERT_EQ(Shell("zip -q -A " + Quote(theirs), output), 0) << output;
    EXPECT_TRUE(ReadFileBytes(ours) == ReadFileBytes(theirs));
    expectUnzipPasses(ours);
    expectExtractsLikeSource(theirs, files);
}
// Past 4 GiB: a sparse source of 4.3 GB, deflated (a Zip64 size) and stored (an archive past
// 4 GiB, so the entry after it has a Zip64 offset and the end needs Zip64 records).
TEST_F(Oracle, SizesAndOffsetsPastFourGigabytes) {
    const char* wanted = std::getenv("BRINDLE_BIG_TESTS");
    if (!wanted || std::string(wanted) != "1")
        GTEST_SKIP() << "set BRINDLE_BIG_TESTS=1 to run: writes 9 GB and takes minutes";
    const uint64_t size = 4300000000ull;
    for (const char* name : {"huge.bin", "huge2.bin"}) {
        const std::string path = src + "/" + name;
        WriteFileBytes(path, "start of a sparse file");
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);
        FILE* file = std::fopen(path.c_str(), "r+b");
        ASSERT_TRUE(file);
        fseeko(file, static_cast<off_t>(size - 3), SEEK_SET);
        std::fwrite("end", 1, 3, file);
        std::fclose(file);
    }
    const std::string archive = dir / "big.zip";
    ASSERT_EQ(addFromSource(archive, {"huge.bin"}, 1).status, Status::Ok);
    zipcore::UpdateResult result = addFromSource(archive, {"huge2.bin", "sub/tiny"}, 0);
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.copied, 1);
    EXPECT_EQ(result.added, 2);

    zipcore::Error error;
    auto reader = zipcore::Reader::Open(archive, error);
    ASSERT_TRUE(reader) << error.message;
    ASSERT_EQ(reader->entries().size(), 3u);
    EXPECT_EQ(reader->entries()[0].uncompressedSize, size);
    EXPECT_LT(reader->entries()[0].compressedSize, size / 100);
    EXPECT_EQ(reader->entries()[1].compressedSize, size);
    EXPECT_GT(reader->entries()[2].localHeaderOffset, 0xFFFFFFFFull);
    EXPECT_EQ(EntryData(*reader, 2, error), "t");
    EXPECT_FALSE(error) << error.message;
    reader.reset();

    std::string output;
    EXPECT_EQ(Shell("unzip -tq " + Quote(archive), output), 0) << output;
    EXPECT_EQ(Shell("python3 -c 'import sys, zipfile\n"
                    "z = zipfile.ZipFile(sys.argv[1])\n"
                    "assert z.testzip() is None\n"
                    "print([(i.filename, i.file_size, i.header_offset > 0xFFFFFFFF) for i in z.infolist()])' " +
                        Quote(archive),
                    output),
              0)
        << output;
    EXPECT_EQ(output, "[('huge.bin', 4300000000, False), ('huge2.bin', 4300000000, False), ('sub/tiny', 1, True)]\n");
}
#endif
