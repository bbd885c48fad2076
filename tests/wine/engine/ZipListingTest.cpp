// Binding the libraries and listing an archive into the view.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "TestSupport/ZipEntries.h"
#include "ZipHandler.h"

namespace {

// Builds an archive with the zip library itself, so the listing is checked against
// something the handler did not write.
void BuildArchive(const std::string& archive, const std::string& folder, const std::vector<std::string>& files,
                  int level) {
    MakeZipOf(archive, folder, files, {level, false});
}

class ZipListing : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(handler.Init(), 1); }
    ScratchFolder scratch{"engtest"};
    RecordingView view;
    RecordingPresenter presenter;
    CZipHandler handler{&view};
};

TEST_F(ZipListing, RowsArriveInArchiveOrderWithTotalsLine) {
    WriteFileBytes(scratch / "one.txt", std::string(1000, 'a'));
    WriteFileBytes(scratch / "two.txt", std::string(2048, 'b'));
    WriteFileBytes(scratch / "three.txt", std::string(5000, 'c'));
    BuildArchive(scratch / "sizes.zip", scratch.Path(), {"one.txt", "two.txt", "three.txt"}, 0);
    handler.Open(scratch / "sizes.zip");

    EXPECT_EQ(handler.Refresh(), 1);
    ASSERT_EQ(view.rows.size(), 3u);
    EXPECT_EQ(view.rows[0].name, "one.txt");
    EXPECT_EQ(view.rows[1].name, "two.txt");
    EXPECT_EQ(view.rows[2].name, "three.txt");
    EXPECT_EQ(view.rows[0].size, "0K");
    EXPECT_EQ(view.rows[1].size, "2K");
    EXPECT_EQ(view.rows[2].packed, "4K");
    EXPECT_EQ(view.rows[0].ratio, "00%");
    // Stored: packed equals size, 8048 bytes in all.
    EXPECT_EQ(view.statusText, "Total 3 file(s): 7K, 7K comp.");
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ZipListing, RowCarriesTheFileDateAndTime) {
    WriteFileBytes(scratch / "dated.txt", RepeatedLine(3000));
    SetLocalFileTime(scratch / "dated.txt", 1998, 1, 5, 14, 7);
    BuildArchive(scratch / "dated.zip", scratch.Path(), {"dated.txt"}, 9);
    handler.Open(scratch / "dated.zip");

    ASSERT_EQ(handler.Refresh(), 1);
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].date, "05/01/98");
    EXPECT_EQ(view.rows[0].time, "14:07");
    EXPECT_EQ(view.rows[0].ratio.find('-'), std::string::npos);
}

TEST_F(ZipListing, EntryBoundaryAtOneKilobyte) {
    WriteFileBytes(scratch / "a.bin", std::string(1023, 'x'));
    WriteFileBytes(scratch / "b.bin", std::string(1024, 'x'));
    BuildArchive(scratch / "k.zip", scratch.Path(), {"a.bin", "b.bin"}, 0);
    handler.Open(scratch / "k.zip");
    ASSERT_EQ(handler.Refresh(), 1);
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].size, "0K");
    EXPECT_EQ(view.rows[1].size, "1K");
}

TEST_F(ZipListing, ZeroLengthArchiveListsNothingAndLeavesStatusAlone) {
    WriteFileBytes(scratch / "empty.zip", "");
    view.rows.push_back(EntryRow{"stale", "", "", "", "", ""});
    handler.Open(scratch / "empty.zip");
    EXPECT_EQ(handler.Refresh(), 1);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.clearCount, 1);
    // No library call: it would have set the totals line or complained in the log.
    EXPECT_EQ(view.statusCount, 0);
    EXPECT_TRUE(handler.GetErrorLog().empty());
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ZipListing, MissingArchiveListsNothing) {
    handler.Open(scratch / "gone.zip");
    EXPECT_EQ(handler.Refresh(), 1);
    EXPECT_EQ(view.statusCount, 0);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ZipListing, TextFileNamedZipGivesTheListingFailure) {
    WriteFileBytes(scratch / "notes.zip", "These are plain notes, not an archive.\r\n");
    view.statusText = "before";
    handler.Open(scratch / "notes.zip");
    EXPECT_EQ(handler.Refresh(), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text,
              "Cannot list ZIP's contents. The file is probably not a valid ZIP Archive.");
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.statusText, "before");
    EXPECT_FALSE(handler.GetErrorLog().empty());
}

TEST(ZipBinding, BothLibrariesBindFromTheProgramFolder) {
    RecordingPresenter presenter;
    CZipHandler handler(nullptr);
    EXPECT_EQ(handler.Init(), 1);
    EXPECT_TRUE(presenter.messages.empty());
}

// Runs a copy of this test program in a folder holding only the given DLLs (renamed as
// asked) and returns its report: "result N" and one "message STYLE TEXT" line per message.
std::string ProbeInitWith(const std::vector<std::pair<std::string, std::string>>& dlls) {
    ScratchFolder folder{"engtest"};
    char self[MAX_PATH + 1];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string copy = folder / "probe.exe";
    if (!CopyFileA(self, copy.c_str(), FALSE)) return "cannot copy the test program";
    for (const auto& dll : dlls) {
        const std::string source = TestProgramFolder() + "\\" + dll.first;
        if (!CopyFileA(source.c_str(), (folder / dll.second).c_str(), FALSE)) return "cannot copy " + dll.first;
    }
    const std::string report = folder / "report.txt";
    const int code = RunAndWait("\"" + copy + "\" --init-probe \"" + report + "\"", folder.Path());
    if (code != 0) return "probe ended with " + std::to_string(code);
    return ReadFileBytes(report);
}

const std::string errorStyle = std::to_string(MB_ICONERROR);

TEST(ZipBinding, MissingUnzipLibraryIsReportedAndZipLibraryNotTried) {
    // Zip32.dll is present but must not be reached: only the first failure is reported.
    EXPECT_EQ(ProbeInitWith({{"Zip32.dll", "Zip32.dll"}}),
              "result 0\nmessage " + errorStyle + " Cannot load DLL: UnZip32.DLL\n");
}

TEST(ZipBinding, MissingZipLibraryIsReportedAfterUnzipLoaded) {
    EXPECT_EQ(ProbeInitWith({{"UnZip32.dll", "UnZip32.dll"}}),
              "result 0\nmessage " + errorStyle + " Cannot load DLL: Zip32.DLL\n");
}

TEST(ZipBinding, UnzipLibraryWithoutItsEntryPoint) {
    EXPECT_EQ(ProbeInitWith({{"Zip32.dll", "UnZip32.dll"}, {"Zip32.dll", "Zip32.dll"}}),
              "result 0\nmessage " + errorStyle + " Cannot get proc address: windll_unzip\n");
}

TEST(ZipBinding, ZipLibraryWithoutItsEntryPoint) {
    EXPECT_EQ(ProbeInitWith({{"UnZip32.dll", "UnZip32.dll"}, {"UnZip32.dll", "Zip32.dll"}}),
              "result 0\nZip32.dll loaded\nmessage " + errorStyle + " Cannot get proc address: DllZipUpFiles\n");
}

TEST(ZipBinding, CopyWithBothLibrariesBinds) {
    EXPECT_EQ(ProbeInitWith({{"UnZip32.dll", "UnZip32.dll"}, {"Zip32.dll", "Zip32.dll"}}),
              "result 1\nZip32.dll loaded\n");
}

}  // namespace

TEST_F(ZipListing, SizesPastFourGigabytesShowInRowAndTotals) {
    // A directory entry of 4,400,000,000 bytes, from the DLL tests' fixtures.
    handler.Open(TestProgramFolder() + "\\windll-data\\names-huge.zip");
    EXPECT_EQ(handler.Refresh(), 1);
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].size, "4296875K") << "not the 32-bit record's 4194303K";
    EXPECT_EQ(view.rows[0].packed, "0K");
    EXPECT_EQ(view.statusText, "Total 1 file(s): 4296875K, 0K comp.");
}
