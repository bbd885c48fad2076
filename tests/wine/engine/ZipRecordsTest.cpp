// The exact records the zip handler sends, seen through a stand-in for both DLLs that
// writes down every call (RecordingZipDll.cpp). A copy of this test program runs beside it.
#include <gtest/gtest.h>

#include <sstream>

#include "EngineTestSupport.h"
#include "zipdll/ZipDllInterface.h"

namespace {

struct ProbeRun {
    std::string folder;
    std::vector<std::string> calls;    // one line per library call
    std::vector<std::string> report;   // what the view and the message seam saw
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class ZipRecords : public testing::Test {
protected:
    void SetUp() override {
        char self[MAX_PATH + 1];
        GetModuleFileNameA(nullptr, self, sizeof self);
        const std::string standIn = TestProgramFolder() + "\\RecordingZipDll.dll";
        ASSERT_TRUE(CopyFileA(self, (scratch / "probe.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(standIn.c_str(), (scratch / "UnZip32.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(standIn.c_str(), (scratch / "Zip32.dll").c_str(), FALSE));
        WriteFileBytes(scratch / "ARCHIVE.ZIP", "not empty");
    }
    ProbeRun Run(const std::string& scenario, int unzipResult = 0) {
        WriteFileBytes(scratch / "unzip-result.txt", std::to_string(unzipResult));
        DeleteFileA((scratch / "calls.txt").c_str());
        ProbeRun run;
        run.folder = scratch.Path();
        const std::string command =
            "\"" + (scratch / "probe.exe") + "\" --record-probe " + scenario + " \"" + scratch.Path() + "\"";
        EXPECT_EQ(RunAndWait(command, scratch.Path()), 0);
        run.calls = Lines(ReadFileBytes(scratch / "calls.txt"));
        run.report = Lines(ReadFileBytes(scratch / "report.txt"));
        return run;
    }
    ScratchFolder scratch{"engtest"};
    const std::string archive = scratch / "ARCHIVE.ZIP";
};

TEST_F(ZipRecords, ListingSetsWordsFourFiveAndEightAndFormatsRowsAndTotals) {
    ProbeRun run = Run("list");
    EXPECT_EQ(run.calls, std::vector<std::string>{"unzip words 0,0,0,0,1,1,0,0,1,0,0,0,0,0,0,0 path=" + archive +
                                                  " count=0 names="});
    EXPECT_EQ(run.report, (std::vector<std::string>{"result 1", "row first.txt|04/03/99|10:05|1K|50%|0K",
                                                    "row dir/second.bin|31/12/05|23:59|0K|-20%|0K",
                                                    "status Total 2 file(s): 2K, 1K comp.", "cwd " + run.folder}));
}

// Only a size at the record's largest value can be larger, so only that asks (above: none).
TEST_F(ZipRecords, OnlySizesAtTheLargest32BitValueAskForTheirTrueSizes) {
    WriteFileBytes(scratch / "huge-entry.txt", "");
    ProbeRun run = Run("list");
    ASSERT_EQ(run.calls.size(), 3u);
    EXPECT_EQ(run.calls[1] + ", " + run.calls[2], "sizes64 entry, sizes64 totals");
    ASSERT_EQ(run.report.size(), 6u);
    EXPECT_EQ(run.report[3], "row huge.bin|04/03/99|10:05|4882812K|50%|2441406K");
    EXPECT_EQ(run.report[4], "status Total 3 file(s): 4882814K, 2441407K comp.");
}

TEST_F(ZipRecords, ListingEndingInWarningStillShowsRowsAndTotals) {
    ProbeRun run = Run("list", UNZIP_WARNING);
    ASSERT_EQ(run.report.size(), 5u);
    EXPECT_EQ(run.report[0], "result 1");
    EXPECT_EQ(run.report[3], "status Total 2 file(s): 2K, 1K comp.");
}

TEST_F(ZipRecords, ListingErrorKeepsRowsButNoTotals) {
    ProbeRun run = Run("list", UNZIP_BAD_ARCHIVE);
    EXPECT_EQ(run.report,
              (std::vector<std::string>{"result 0", "row first.txt|04/03/99|10:05|1K|50%|0K",
                                        "row dir/second.bin|31/12/05|23:59|0K|-20%|0K",
                                        "message Cannot list ZIP's contents. The file is probably not a valid ZIP Archive.",
                                        "cwd " + run.folder}));
}

TEST_F(ZipRecords, ExtractSelectedAsksBeforeOverwritingAndJunksPaths) {
    ProbeRun run = Run("extract-selected");
    EXPECT_EQ(run.calls, std::vector<std::string>{"unzip words 0,0,0,1,0,1,0,0,0,0,0,0,0,0,0,0 path=" + archive +
                                                  " count=2 names=first.txt|dir/second.bin"});
    EXPECT_EQ(run.report, (std::vector<std::string>{"result 1", "cwd " + (scratch / "out")}));
}

TEST_F(ZipRecords, ExtractAllOverwritingKeepsFolderNames) {
    ProbeRun run = Run("extract-all");
    EXPECT_EQ(run.calls, std::vector<std::string>{"unzip words 0,1,0,0,0,1,0,0,0,0,0,1,1,0,0,0 path=" + archive +
                                                  " count=0 names="});
}

TEST_F(ZipRecords, ExtractWarningIsNotAnErrorButAnErrorIs) {
    EXPECT_EQ(Run("extract-all", UNZIP_WARNING).report[0], "result 1");
    ProbeRun failed = Run("extract-all", UNZIP_ERROR);
    EXPECT_EQ(failed.report,
              (std::vector<std::string>{"result 0", "message Error unzipping!", "cwd " + (scratch / "out")}));
}

TEST_F(ZipRecords, RecursiveAddCallsOncePerFolderSubFoldersFirstWithFolderPrefix) {
    MakeFolder(scratch / "tree");
    MakeFolder(scratch / "tree\\one");
    MakeFolder(scratch / "tree\\two");
    WriteFileBytes(scratch / "tree\\file.txt", "a file is not a folder to walk into");
    ProbeRun run = Run("add-tree");
    ASSERT_EQ(run.calls.size(), 3u);
    auto call = [&](const std::string& folder) {
        return "zip level=0 drop=0 delete=0 path=" + archive + " names=" + folder + "\\*.TXT cwd=" + folder;
    };
    const std::string one = scratch / "tree\\one", two = scratch / "tree\\two";
    // The file system decides the order of the two sub-folders; both come before their parent.
    EXPECT_TRUE((run.calls[0] == call(one) && run.calls[1] == call(two)) ||
                (run.calls[0] == call(two) && run.calls[1] == call(one)))
        << run.calls[0] << "\n" << run.calls[1];
    EXPECT_EQ(run.calls[2], call(scratch / "tree"));
    EXPECT_EQ(run.report, (std::vector<std::string>{"result 1", "cwd " + (scratch / "tree")}));
}

TEST_F(ZipRecords, PlainAddWithoutStorePathDropsFolderNamesAtLevelNine) {
    ProbeRun run = Run("add-plain");
    EXPECT_EQ(run.calls, std::vector<std::string>{"zip level=9 drop=1 delete=0 path=" + archive +
                                                  " names=C:\\SOME\\FILE.TXT cwd=" + run.folder});
}

TEST_F(ZipRecords, SeveralPlainNamesGoInOneCallOnlyWhenThatStoresWhatOneCallEachWould) {
    ProbeRun run = Run("add-at-once");
    EXPECT_EQ(run.calls, std::vector<std::string>{"zip level=6 drop=1 delete=0 path=" + archive + " names=" +
                                                  (run.folder + "\\a.txt") + "|" + (run.folder + "\\sub\\B.TXT") +
                                                  " cwd=" + run.folder});
    EXPECT_EQ(run.report, (std::vector<std::string>{"pattern 0", "same file name 0", "recurse 0", "the archive 0",
                                                    "dot 0", "one name 0", "result 1", "cwd " + run.folder}));
}

TEST_F(ZipRecords, DeleteSendsTheNamesWithLevelNine) {
    ProbeRun run = Run("delete");
    EXPECT_EQ(run.calls, std::vector<std::string>{"zip level=9 drop=0 delete=1 path=" + archive +
                                                  " names=first.txt|dir/second.bin cwd=" + run.folder});
    EXPECT_EQ(run.report[0], "result 1");
}

}  // namespace
