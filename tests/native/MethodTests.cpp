// Compression methods beyond stored and deflated: Deflate64 read byte for byte (from streams
// assembled here bit by bit for the corners of the format, and from archives 7-Zip makes), and
// every other method refused by name, entry by entry, never mistaken for damage.
#include "TestSupport.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ziptest;
using zipcore::Status;

namespace {

// Writes a Deflate64 stream low bit first, the way the format packs it.
class StreamWriter {
public:
    void bits(uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i) bit((value >> i) & 1);
    }
    // Huffman codes go high bit first.
    void code(uint32_t value, unsigned length) {
        for (unsigned i = length; i-- > 0;) bit((value >> i) & 1);
    }
    // A symbol of the fixed literal/length code.
    void fixed(unsigned symbol) {
        if (symbol < 144) code(0x30 + symbol, 8);
        else if (symbol < 256) code(0x190 + symbol - 144, 9);
        else if (symbol < 280) code(symbol - 256, 7);
        else code(0xC0 + symbol - 280, 8);
    }
    void literals(const std::string& text) {
        for (unsigned char c : text) fixed(c);
    }
    // A match: the length symbol and its extra bits, then the 5-bit distance symbol and its own.
    void match(unsigned lengthSymbol, unsigned lengthBits, uint32_t lengthExtra, unsigned distanceSymbol,
               unsigned distanceBits, uint32_t distanceExtra) {
        fixed(lengthSymbol);
        bits(lengthExtra, lengthBits);
        code(distanceSymbol, 5);
        bits(distanceExtra, distanceBits);
    }
    void stored(const std::string& data, bool last) {
        bits(last ? 1 : 0, 1);
        bits(0, 2);
        while (used) bit(0);
        bits(static_cast<uint32_t>(data.size()), 16);
        bits(static_cast<uint32_t>(~data.size() & 0xFFFF), 16);
        out += data;
    }
    std::string finish() {
        while (used) bit(0);
        return out;
    }

private:
    void bit(unsigned b) {
        current |= b << used;
        if (++used == 8) {
            out.push_back(static_cast<char>(current));
            current = 0;
            used = 0;
        }
    }
    std::string out;
    unsigned current = 0, used = 0;
};

std::string Repeat(const std::string& pattern, std::size_t length) {
    std::string result;
    while (result.size() < length) result += pattern;
    result.resize(length);
    return result;
}

struct StreamCase {
    const char* what;
    std::string stream;
    std::string content;     // what the stream decodes to, worked out by hand
    Status expected;
};

std::vector<StreamCase> StreamCases() {
    std::vector<StreamCase> cases;
    const std::string noise = Noise(65536, 9);
    auto fixedBlock = [](StreamWriter& w, bool last) {
        w.bits(last ? 1 : 0, 1);
        w.bits(1, 2);
    };
    {
        StreamWriter w;   // code 285 with all 16 extra bits set: 3 + 65535
        fixedBlock(w, true);
        w.literals("abc");
        w.match(285, 16, 65535, 2, 0, 0);   // distance symbol 2: 3
        w.fixed(256);
        cases.push_back({"longest match, length 65538", w.finish(), Repeat("abc", 3 + 65538), Status::Ok});
    }
    {
        StreamWriter w;   // code 285 means 3 + extra here, not deflate's fixed 258
        fixedBlock(w, true);
        w.literals("z");
        w.match(285, 16, 0, 0, 0, 0);
        w.match(285, 16, 256, 0, 0, 0);
        w.fixed(256);
        cases.push_back({"code 285 with small extras", w.finish(), std::string(1 + 3 + 259, 'z'), Status::Ok});
    }
    {
        StreamWriter w;   // distance codes 30 and 31 reach the whole 64 KiB window
        w.stored(noise.substr(0, 65535), false);   // the most a stored block holds
        w.stored(noise.substr(65535), false);
        fixedBlock(w, true);
        w.match(257, 0, 0, 31, 14, 16383);   // 49153 + 16383 = 65536: the stored block's first bytes
        w.match(258, 0, 0, 30, 14, 0);       // 32769
        w.match(259, 0, 0, 31, 14, 0);       // 49153
        w.fixed(256);
        std::string content = noise + noise.substr(0, 3);
        content += content.substr(content.size() - 32769, 4);
        content += content.substr(content.size() - 49153, 5);
        cases.push_back({"distance codes 30 and 31", w.finish(), content, Status::Ok});
    }
    {
        StreamWriter w;   // an empty stored block, then an empty fixed one
        w.stored("", false);
        fixedBlock(w, true);
        w.fixed(256);
        cases.push_back({"empty blocks", w.finish(), "", Status::Ok});
    }
    {
        StreamWriter w;
        fixedBlock(w, true);
        w.literals("ab");
        w.match(257, 0, 0, 2, 0, 0);   // distance 3, with 2 bytes behind
        w.fixed(256);
        cases.push_back({"distance before the start", w.finish(), "ababa", Status::CrcMismatch});
    }
    {
        StreamWriter w;
        fixedBlock(w, true);
        w.literals("ab");
        w.fixed(286);                   // in the fixed code, but no symbol
        cases.push_back({"literal/length symbol 286", w.finish(), "ab", Status::CrcMismatch});
    }
    {
        StreamWriter w;
        w.bits(1, 1);
        w.bits(3, 2);
        cases.push_back({"block type 3", w.finish(), "x", Status::CrcMismatch});
    }
    {
        StreamWriter w;
        w.stored("hello", true);
        std::string stream = w.finish();
        stream[3] ^= 1;   // the complement of the length
        cases.push_back({"stored length without its complement", stream, "hello", Status::CrcMismatch});
    }
    {
        StreamWriter w;
        w.stored(noise.substr(0, 1000), true);
        cases.push_back({"stored block cut short", w.finish().substr(0, 500), noise.substr(0, 1000), Status::Truncated});
    }
    {
        std::string stream = cases[0].stream;
        cases.push_back({"match cut short", stream.substr(0, stream.size() - 2), cases[0].content, Status::Truncated});
    }
    return cases;
}

RawZip ZipOf(const std::vector<StreamCase>& cases) {
    RawZip zip;
    for (const StreamCase& c : cases) zip.entries.push_back(RawEntry(c.what, c.content).WithMethod(9).WithCompressed(c.stream));
    return zip;
}

}  // namespace

TEST(Deflate64, HandMadeStreamsDecodeOrFailAsTheyShould) {
    ScratchFolder dir;
    const std::vector<StreamCase> cases = StreamCases();
    WriteFileBytes(dir / "a.zip", ZipOf(cases).Build());
    zipcore::Error error;
    auto reader = zipcore::Reader::Open(dir / "a.zip", error);
    ASSERT_TRUE(reader) << error.message;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::string content;
        error = reader->ReadEntry(i, [&](const uint8_t* data, std::size_t size) {
            content.append(reinterpret_cast<const char*>(data), size);
            return true;
        });
        EXPECT_EQ(error.status, cases[i].expected) << cases[i].what << ": " << error.message;
        if (cases[i].expected == Status::Ok) EXPECT_TRUE(content == cases[i].content) << cases[i].what;
        else EXPECT_NE(error.message.find(cases[i].what), std::string::npos) << error.message;
    }
}

TEST(Methods, OthersAreRefusedByNameEntryByEntry) {
    struct Row {
        uint16_t method;
        const char* name;
    };
    const Row rows[] = {{1, "shrunk"}, {6, "imploded"}, {12, "bzip2"}, {14, "LZMA"}, {93, "Zstandard"},
                        {95, "xz"},    {98, "PPMd"},    {200, nullptr}};
    ScratchFolder dir;
    RawZip zip;
    zip.entries.push_back({"first.txt", "first"});
    for (const Row& row : rows)
        // A CRC that the bytes do not match: refusing must come before any check of the data.
        zip.entries.push_back(RawEntry("m" + std::to_string(row.method), "packed bytes").WithMethod(row.method).WithCrc(1));
    zip.entries.push_back({"last.txt", "last"});
    WriteFileBytes(dir / "a.zip", zip.Build());

    zipcore::Error error;
    auto reader = zipcore::Reader::Open(dir / "a.zip", error);
    ASSERT_TRUE(reader) << error.message;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        error = reader->ReadEntry(i + 1, [](const uint8_t*, std::size_t) { return true; });
        const std::string method = std::to_string(rows[i].method);
        EXPECT_EQ(error.status, Status::UnsupportedMethod) << error.message;
        const std::string said = "'m" + method + "': compression method " + method +
                                 (rows[i].name ? std::string(" (") + rows[i].name + ")" : "") + " is not supported";
        EXPECT_EQ(error.message, said);
    }

    std::vector<std::pair<Status, std::string>> lines;
    zipcore::ExtractOptions options;
    options.targetDir = dir / "x";
    options.report = [&](Status status, const std::string& line) { lines.emplace_back(status, line); };
    const zipcore::ExtractResult result = zipcore::Extract(dir / "a.zip", options);
    EXPECT_EQ(result.status, Status::UnsupportedMethod);
    EXPECT_EQ(result.extracted, 2);
    EXPECT_EQ(result.failed, static_cast<int>(std::size(rows)));
    ASSERT_EQ(lines.size(), std::size(rows));
    for (const auto& line : lines) EXPECT_EQ(line.first, Status::UnsupportedMethod) << line.second;
    EXPECT_EQ(FilesBelow(dir / "x"), (std::vector<std::string>{"first.txt", "last.txt"}));
}

#ifndef _WIN32
namespace {

class SevenZip : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTool("7z") || !HaveTool("unzip")) {
            // scripts/setup.sh installs both: CI must not pass without them.
            if (UnderCi()) FAIL() << "7z or unzip missing";
            GTEST_SKIP() << "7z or unzip missing";
        }
    }
    ScratchFolder dir;
};

}  // namespace

TEST_F(SevenZip, Deflate64ArchivesExtractByteForByte) {
    const std::string far = Noise(60000, 5);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"text.txt", Words(1500000, 1)},                                          // several MB
        {"mixed.bin", Words(200000, 2) + Noise(300000, 3) + Words(200000, 4)},    // stored blocks inside
        {"noise.bin", Noise(200000, 6)},                                          // stored whole
        {"far.bin", far + Noise(5400, 7) + far + far.substr(0, 30000) + far},     // distances near 64 KiB
        {"zeros.bin", std::string(3000000, '\0')},                                // the longest matches
        {"empty", ""},
    };
    for (const auto& file : files) WriteFileBytes(dir / ("src/" + file.first), file.second);
    for (const char* level : {"-mx=1", "-mx=9"}) {
        const std::string archive = dir / (std::string("d64") + level + ".zip");
        std::string output;
        ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && 7z a -tzip -mm=Deflate64 " + level + " " + Quote(archive) +
                            " . >/dev/null",
                        output),
                  0)
            << output;
        zipcore::Error error;
        auto reader = zipcore::Reader::Open(archive, error);
        ASSERT_TRUE(reader) << error.message;
        int deflate64 = 0;
        for (const zipcore::Entry& entry : reader->entries()) deflate64 += entry.method == 9;
        EXPECT_GE(deflate64, 4) << "7z wrote too few Deflate64 entries to judge";
        zipcore::ExtractOptions options;
        options.targetDir = dir / (std::string("x") + level);
        const zipcore::ExtractResult result = zipcore::Extract(archive, options);
        EXPECT_EQ(result.status, Status::Ok) << level;
        EXPECT_EQ(result.extracted, static_cast<int>(files.size()));
        for (const auto& file : files)
            EXPECT_TRUE(ReadFileBytes(options.targetDir + "/" + file.first) == file.second) << file.first << " " << level;
    }
}

TEST_F(SevenZip, HandMadeStreamsMeanTheSameTo7zAndUnzip) {
    // The streams that decode are what the oracles say they are: the content worked out by hand
    // matches their CRC check too.
    std::vector<StreamCase> good;
    for (const StreamCase& c : StreamCases())
        if (c.expected == Status::Ok) good.push_back(c);
    const std::string archive = dir / "hand.zip";
    WriteFileBytes(archive, ZipOf(good).Build());
    std::string output;
    EXPECT_EQ(Shell("7z t " + Quote(archive), output), 0) << output;
    EXPECT_EQ(Shell("unzip -t " + Quote(archive), output), 0) << output;
}
#endif
