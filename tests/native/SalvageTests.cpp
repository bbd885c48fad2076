// Reading damaged archives from their local headers: damaged copies of a real archive made
// here recover at least the entries Info-ZIP's zip -FF and unzip recover, and no entry that
// reads as good differs from the file it was made of.
#include "TestSupport.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

using namespace ziptest;
using zipcore::Status;

#ifndef _WIN32
namespace {

using Sources = std::map<std::string, std::string>;

// Entries that read back without error and equal their source; any that reads as good but
// differs is a failure of the test.
int OursExact(const std::string& archive, const Sources& sources, bool& salvaged) {
    zipcore::Error error;
    zipcore::Reader::OpenOptions options;
    options.salvage = true;
    auto reader = zipcore::Reader::Open(archive, error, options);
    salvaged = reader && reader->salvaged();
    if (!reader) return 0;
    int exact = 0;
    for (std::size_t i = 0; i < reader->entries().size(); ++i) {
        std::string content;
        error = reader->ReadEntry(i, [&](const uint8_t* data, std::size_t size) {
            content.append(reinterpret_cast<const char*>(data), size);
            return true;
        });
        if (error) continue;
        const auto source = sources.find(reader->entries()[i].name);
        EXPECT_TRUE(source != sources.end() && source->second == content)
            << reader->entries()[i].name << " reads as good but is not its file, in " << archive;
        exact += source != sources.end() && source->second == content;
    }
    return exact;
}

int InfoZipExact(const std::string& archive, const std::string& work, const Sources& sources) {
    std::string output;
    Shell("yes | zip -FF " + Quote(archive) + " --out " + Quote(work + "/fixed.zip"), output);
    Shell("unzip -o -qq " + Quote(work + "/fixed.zip") + " -d " + Quote(work + "/out"), output);
    int exact = 0;
    for (const auto& [name, content] : sources) exact += FileExists(work + "/out/" + name) && ReadFileBytes(work + "/out/" + name) == content;
    return exact;
}

}  // namespace

TEST(Salvage, RecoversAtLeastWhatZipDashFFRecovers) {
    if (!HaveTool("zip") || !HaveTool("unzip")) {
        if (UnderCi()) FAIL() << "zip or unzip missing";
        GTEST_SKIP() << "zip or unzip missing";
    }
    ScratchFolder dir;
    Sources sources;
    for (int i = 0; i < 24; ++i) {
        const std::string name = "f" + std::to_string(i) + (i % 3 == 0 ? ".bin" : ".txt");
        sources[name] = i % 3 == 0 ? Noise(20000 + 997 * i, i) : Words(5000 + 3000 * i, i);
    }
    sources["inner.zip"] = "";   // a stored zip inside the zip: its headers are not entries
    for (const auto& [name, content] : sources)
        if (!content.empty()) WriteFileBytes(dir / ("src/" + name), content);
    std::string output;
    ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && zip -q -0 inner.zip f1.txt f2.txt && zip -q -r ../whole.zip . && "
                    "zip -q -0 ../whole.zip inner.zip && cat f4.txt | zip -q ../whole.zip -",
                    output),
              0)
        << output;
    sources["inner.zip"] = ReadFileBytes(dir / "src/inner.zip");
    sources["-"] = sources["f4.txt"];   // streamed from a pipe: sizes in a data descriptor
    const std::string whole = ReadFileBytes(dir / "whole.zip");
    // Where the end record says the directory starts: inner.zip holds one of its own.
    const std::size_t end = whole.rfind(std::string("PK\5\6", 4));
    ASSERT_NE(end, std::string::npos);
    std::size_t directory = 0;
    for (int i = 3; i >= 0; --i) directory = directory << 8 | static_cast<uint8_t>(whole[end + 16 + i]);

    const std::vector<std::pair<std::string, std::string>> copies = {
        {"cut at a third", whole.substr(0, whole.size() / 3)},
        {"cut at two thirds", whole.substr(0, 2 * whole.size() / 3)},
        {"cut inside the directory", whole.substr(0, directory + 100)},
        {"directory zeroed", whole.substr(0, directory) + std::string(whole.size() - directory, '\0')},
        {"trailing junk", whole + Noise(5000, 77)},
        {"stub in front", Noise(3000, 78) + whole.substr(0, directory + 10)},
    };
    for (std::size_t k = 0; k < copies.size(); ++k) {
        const std::string work = dir / ("c" + std::to_string(k));
        WriteFileBytes(work + "/damaged.zip", copies[k].second);
        bool salvaged = false;
        const int ours = OursExact(work + "/damaged.zip", sources, salvaged);
        const int theirs = InfoZipExact(work + "/damaged.zip", work, sources);
        std::printf("salvage: %-26s ours %2d, zip -FF + unzip %2d, of %zu%s\n", copies[k].first.c_str(), ours, theirs,
                    sources.size(), salvaged ? " (read from local headers)" : "");
        EXPECT_GE(ours, theirs) << copies[k].first;
        EXPECT_GT(ours, 0) << copies[k].first;
    }
}
#endif

TEST(Salvage, OnlyOnRequestAndOnlyWhenTheDirectoryFails) {
    ScratchFolder dir;
    RawZip zip;
    zip.entries.push_back({"a.txt", "alpha"});
    zip.entries.push_back(RawEntry("b.txt", Words(3000, 1)).Deflated());
    std::string bytes = zip.Build();
    WriteFileBytes(dir / "whole.zip", bytes);
    WriteFileBytes(dir / "cut.zip", bytes.substr(0, zip.centralOffset));
    zipcore::Reader::OpenOptions salvage;
    salvage.salvage = true;
    zipcore::Error error;
    EXPECT_FALSE(zipcore::Reader::Open(dir / "cut.zip", error));
    EXPECT_EQ(error.status, Status::Truncated);
    auto intact = zipcore::Reader::Open(dir / "whole.zip", error, salvage);
    ASSERT_TRUE(intact);
    EXPECT_FALSE(intact->salvaged());
    auto cut = zipcore::Reader::Open(dir / "cut.zip", error, salvage);
    ASSERT_TRUE(cut) << error.message;
    EXPECT_TRUE(cut->salvaged());
    EXPECT_EQ(cut->damage().status, Status::Truncated);
    ASSERT_EQ(cut->entries().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(cut->entries()[i].name, intact->entries()[i].name);
        EXPECT_EQ(cut->entries()[i].crc32, intact->entries()[i].crc32);
        EXPECT_EQ(cut->entries()[i].compressedSize, intact->entries()[i].compressedSize);
    }
}
