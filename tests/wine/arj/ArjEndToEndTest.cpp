// The handler against Debian's own arj, started by Wine through arj_bridge: an archive made
// by arj is listed, extracted, added to and deleted from, and the files are checked.

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

#include "ArjHandler.h"
#include "ArjTestSupport.h"
#include "CommandLineSafety.h"
#include "CommandRunner.h"
#include "Settings.h"

namespace {

std::string Repeated(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

std::vector<std::string> Names(const std::vector<EntryRow>& rows) {
    std::vector<std::string> names;
    for (const EntryRow& row : rows) names.push_back(row.name);
    std::sort(names.begin(), names.end());
    return names;
}

const EntryRow* FindRow(const std::vector<EntryRow>& rows, const std::string& name) {
    for (const EntryRow& row : rows)
        if (row.name == name) return &row;
    return nullptr;
}

}  // namespace

TEST(ArjEndToEnd, ListExtractAddAndDeleteWithTheRealArj) {
    if (!FileExists("Z:\\usr\\bin\\arj")) {
        // scripts/setup.sh installs it, so under CI its absence is a failure, not a skip.
        const char* ci = std::getenv("CI");
        if (ci && std::string(ci) == "true") FAIL() << "Debian's arj is not installed";
        GTEST_SKIP() << "Debian's arj is not installed";
    }
    ScratchSettings settings;
    ScratchFolder folder("ARJE2E");
    CurrentDirectoryKeeper keeper;
    RecordingPresenter presenter;
    RecordingView view;
    const std::string bridge = TestProgramFolder() + "\\arj_bridge.exe";
    WriteSettingText("Locations", "ARJ.EXE", bridge);

    // Upper-case names throughout: the handler upper-cases what it deletes, as DOS did, and
    // the Unix arj compares names exactly.
    const std::string alpha = Repeated("alpha alpha alpha alpha alpha alpha\r\n", 200);
    WriteFileBytes(folder / "ALPHA.TXT", alpha);
    WriteFileBytes(folder / "BETA.TXT", "beta");
    CreateDirectoryA((folder / "SUB").c_str(), nullptr);
    WriteFileBytes(folder / "SUB\\GAMMA.TXT", "gamma in a folder");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    RunCommand(QuoteArgument(bridge) + " a -r " + QuoteArgument(folder / "T.ARJ") + " ALPHA.TXT BETA.TXT SUB", 0);
    ASSERT_TRUE(FileExists(folder / "T.ARJ"));

    CArjHandler handler(&view);
    handler.Open(ShortUpperPath(folder / "T.ARJ"));
    ASSERT_EQ(handler.Refresh(), 1);
    EXPECT_TRUE(presenter.messages.empty());
    ASSERT_EQ(Names(view.rows), (std::vector<std::string>{"ALPHA.TXT", "BETA.TXT", "SUB/GAMMA.TXT"}));
    const EntryRow* alphaRow = FindRow(view.rows, "ALPHA.TXT");
    EXPECT_EQ(alphaRow->size, std::to_string(alpha.size() / 1024) + "K");
    EXPECT_EQ(alphaRow->ratio.size(), 3u);   // two places and "%": compressible text saves 10..99%
    EXPECT_NE(alphaRow->ratio, " 0%");
    EXPECT_EQ(alphaRow->date.size(), 8u);
    EXPECT_EQ(alphaRow->time.size(), 8u);

    view.selection = {"ALPHA.TXT", "SUB/GAMMA.TXT"};
    ASSERT_EQ(handler.Extract(folder / "OUT", 0, 0, 0), 1);
    EXPECT_EQ(ReadFileBytes(folder / "OUT\\ALPHA.TXT"), alpha);
    EXPECT_EQ(ReadFileBytes(folder / "OUT\\SUB\\GAMMA.TXT"), "gamma in a folder");
    EXPECT_FALSE(PathExists(folder / "OUT\\BETA.TXT"));

    view.selection = {"SUB/GAMMA.TXT"};
    ASSERT_EQ(handler.Extract(folder / "FLAT", 0, 1, 0), 1);
    EXPECT_EQ(ReadFileBytes(folder / "FLAT\\GAMMA.TXT"), "gamma in a folder");
    EXPECT_FALSE(PathExists(folder / "FLAT\\SUB"));

    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    WriteFileBytes(folder / "DELTA.TXT", "delta");
    ASSERT_EQ(handler.AddFile(folder / "DELTA.TXT", 0, 0, 9), 1);
    ASSERT_EQ(handler.Refresh(), 1);
    EXPECT_EQ(Names(view.rows),
              (std::vector<std::string>{"ALPHA.TXT", "BETA.TXT", "DELTA.TXT", "SUB/GAMMA.TXT"}));

    // What Move Files checks a source against: each entry's size and CRC-32 as arj wrote them
    // in its headers, judged by zlib's CRC of the files' bytes.
    std::vector<StoredEntry> stored;
    ASSERT_EQ(handler.ReadStoredEntries(stored), 1);
    std::vector<std::string> judged;
    for (const StoredEntry& entry : stored) {
        const std::string bytes = ReadFileBytes(folder / (entry.name == "SUB/GAMMA.TXT" ? "SUB\\GAMMA.TXT" : entry.name));
        const unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
        judged.push_back(entry.name + (entry.size == bytes.size() && entry.crc == crc ? " holds its file" : " differs"));
    }
    std::sort(judged.begin(), judged.end());
    EXPECT_EQ(judged, (std::vector<std::string>{"ALPHA.TXT holds its file", "BETA.TXT holds its file",
                                                "DELTA.TXT holds its file", "SUB/GAMMA.TXT holds its file"}));
    WriteFileBytes(folder / "CUT.ARJ", ReadFileBytes(folder / "T.ARJ").substr(0, 60));
    CArjHandler cut(nullptr);
    cut.Open(ShortUpperPath(folder / "CUT.ARJ"));
    EXPECT_EQ(cut.ReadStoredEntries(stored), 0) << "a cut archive cannot vouch for anything";

    ASSERT_EQ(handler.DeleteEntries({"BETA.TXT"}), 1);
    ASSERT_EQ(handler.Refresh(), 1);
    EXPECT_EQ(Names(view.rows), (std::vector<std::string>{"ALPHA.TXT", "DELTA.TXT", "SUB/GAMMA.TXT"}));
    EXPECT_TRUE(presenter.messages.empty());
}

TEST(ArjEndToEnd, NameWithABlankListsExtractsAndDeletesAsOneEntry) {
    if (!FileExists("Z:\\usr\\bin\\arj")) GTEST_SKIP() << "Debian's arj is not installed";
    ScratchSettings settings;
    ScratchFolder folder("ARJBLANK");
    CurrentDirectoryKeeper keeper;
    RecordingPresenter presenter;
    RecordingView view;
    const std::string bridge = TestProgramFolder() + "\\arj_bridge.exe";
    WriteSettingText("Locations", "ARJ.EXE", bridge);
    WriteFileBytes(folder / "MY NOTES.TXT", "notes with a blank in the name");
    WriteFileBytes(folder / "OTHER.TXT", "other");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    RunCommand(QuoteArgument(bridge) + " a " + QuoteArgument(folder / "B.ARJ") + " " + QuoteArgument("MY NOTES.TXT") +
                   " OTHER.TXT", 0);
    ASSERT_TRUE(FileExists(folder / "B.ARJ"));

    CArjHandler handler(&view);
    handler.Open(ShortUpperPath(folder / "B.ARJ"));
    ASSERT_EQ(handler.Refresh(), 1);
    ASSERT_EQ(Names(view.rows), (std::vector<std::string>{"MY NOTES.TXT", "OTHER.TXT"}));

    view.selection = {"MY NOTES.TXT"};
    ASSERT_EQ(handler.Extract(folder / "OUT", 0, 0, 0), 1);
    EXPECT_EQ(ReadFileBytes(folder / "OUT\\MY NOTES.TXT"), "notes with a blank in the name");
    EXPECT_FALSE(PathExists(folder / "OUT\\OTHER.TXT"));

    ASSERT_EQ(handler.DeleteEntries({"MY NOTES.TXT"}), 1);
    ASSERT_EQ(handler.Refresh(), 1);
    EXPECT_EQ(Names(view.rows), (std::vector<std::string>{"OTHER.TXT"}));
    EXPECT_TRUE(presenter.messages.empty());
}
