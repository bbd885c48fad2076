// The weight the DLLs put in front of a line ("warning: " or "error: ") comes from what
// happened, never from the words of the line: entry and file names that look like the words
// of a harmless line must not soften a failure.

#include "WindllFixture.h"

#include <string>

using namespace windll_test;

namespace {

// The one line of the log that names `what`, empty when there is none.
std::string LineNaming(const std::string& log, const std::string& what) {
    const std::size_t at = log.find(what);
    if (at == std::string::npos) return {};
    const std::size_t start = log.rfind('\n', at);
    const std::size_t end = log.find('\n', at);
    return log.substr(start == std::string::npos ? 0 : start + 1, end == std::string::npos ? end : end - start - 1);
}

}  // namespace

TEST(Severity, ComesFromTheStatusNotFromTheNames) {
    ScratchFolder scratch{"windll-", ScratchFolder::MakeCurrent};
    const std::string content = "the words inside kept.txt, stored without compression";
    WriteFileBytes(scratch / "kept.txt", content);
    ZipCall add{scratch / "damaged.zip", {"kept.txt"}};
    add.level = '0';
    ASSERT_EQ(CallZip(add), ZIP_OK) << Recorded().printed;

    // Damage the stored bytes so that only the CRC can tell.
    std::string bytes = ReadFileBytes(scratch / "damaged.zip");
    const std::size_t data = bytes.find(content);
    ASSERT_NE(data, std::string::npos);
    bytes[data] = 'T';
    WriteFileBytes(scratch / "damaged.zip", bytes);
    MakeFolder(scratch / "out");
    SetCurrentDirectoryA((scratch / "out").c_str());
    EXPECT_EQ(CallUnzip(ExtractCommand(scratch / "damaged.zip", true, true)).result, UNZIP_ERROR);
    std::string line = LineNaming(Recorded().printed, "'kept.txt'");
    EXPECT_EQ(line.rfind("error: 'kept.txt': CRC mismatch", 0), 0u) << Recorded().printed;
    EXPECT_FALSE(FileExists(scratch / "out\\kept.txt"));

    // An existing file kept at the user's word is a warning, whatever its name says.
    WriteFileBytes(scratch / "out\\failed.txt", "mine");
    ZipCall second{scratch / "good.zip", {scratch / "kept.txt"}};
    second.dropFolderNames = true;
    ASSERT_EQ(CallZip(second), ZIP_OK);
    WriteFileBytes(scratch / "failed.txt", "theirs");
    ZipCall third{scratch / "good.zip", {scratch / "failed.txt"}};
    third.dropFolderNames = true;
    ASSERT_EQ(CallZip(third), ZIP_OK);
    Recorded().defaultAnswer = UNZIP_KEEP;
    EXPECT_EQ(CallUnzip(ExtractCommand(scratch / "good.zip", false, true)).result, UNZIP_WARNING);
    line = LineNaming(Recorded().printed, "failed.txt");
    EXPECT_EQ(line.rfind("warning: ", 0), 0u) << Recorded().printed;
    EXPECT_EQ(ReadFileBytes(scratch / "out\\failed.txt"), "mine");

    // Zip32: a file that does not exist stops the update, even when it is called "skipped".
    SetCurrentDirectoryA(scratch.Path().c_str());
    EXPECT_EQ(CallZip({scratch / "good.zip", {"skipped.txt"}}), ZIP_NOTHING_TO_DO);
    line = LineNaming(Recorded().printed, "skipped.txt");
    EXPECT_EQ(line.rfind("error: ", 0), 0u) << Recorded().printed;
    // ... while a pattern that matches nothing is passed over with a warning, "error" or not.
    EXPECT_EQ(CallZip({scratch / "good.zip", {"error*.none"}}), ZIP_NOTHING_TO_DO);
    line = LineNaming(Recorded().printed, "error*.none");
    EXPECT_EQ(line.rfind("warning: ", 0), 0u) << Recorded().printed;
}
