// The handler base: open/close, the base listing step, the message log that follows the
// running operation, and the commands whose dialogs are still to come.
#include <gtest/gtest.h>

#include "ArchiveHandler.h"
#include "EngineTestSupport.h"
#include "ZipHandler.h"

namespace {

// A handler of another kind whose one "library call" writes into the current log.
class EchoHandler : public CArchiveHandler {
public:
    using CArchiveHandler::CArchiveHandler;
    int Extract(const std::string& target, int, int, int) override {
        MakeLogCurrent();
        std::string line = "echo extract " + target + "\n";
        AppendToCurrentLog(line.data(), line.size());
        return 1;
    }
    int AddFile(const std::string&, int, int, int) override { return 1; }
    int DeleteEntries(const NameList&) override { return 1; }
};

TEST(HandlerBase, OpenStoresPathAndCloseOnlyClearsTheFlag) {
    RecordingView view;
    EchoHandler handler(&view);
    EXPECT_EQ(handler.IsOpened(), 0);
    EXPECT_EQ(handler.Open("C:\\DATA\\REPORT.ZIP"), 1);
    EXPECT_EQ(handler.IsOpened(), 1);
    EXPECT_EQ(handler.GetArchivePath(), "C:\\DATA\\REPORT.ZIP");
    EXPECT_EQ(handler.Close(), 1);
    EXPECT_EQ(handler.IsOpened(), 0);
    EXPECT_EQ(handler.GetArchivePath(), "C:\\DATA\\REPORT.ZIP");
    EXPECT_EQ(view.clearCount, 0);
}

TEST(HandlerBase, BaseRefreshEmptiesLogClearsViewAndTellsWhetherThereIsAnythingToList) {
    ScratchFolder scratch{"engtest"};
    RecordingView view;
    view.rows.push_back(EntryRow{"old", "", "", "", "", ""});
    EchoHandler handler(&view);
    handler.Extract("x", 0, 0, 1);
    ASSERT_FALSE(handler.GetErrorLog().empty());

    WriteFileBytes(scratch / "empty.zip", "");
    handler.Open(scratch / "empty.zip");
    EXPECT_EQ(handler.Refresh(), 0);
    EXPECT_TRUE(handler.GetErrorLog().empty());
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.clearCount, 1);

    WriteFileBytes(scratch / "full.zip", "PK");
    handler.Open(scratch / "full.zip");
    EXPECT_EQ(handler.Refresh(), 1);
    EXPECT_EQ(handler.IsArchiveEmpty(), 0);
}

TEST(HandlerBase, SelfExtractorOperationsOfTheBaseDoNothing) {
    RecordingPresenter presenter;
    EchoHandler handler(nullptr);
    EXPECT_EQ(handler.MakeExe("C:\\A.EXE"), 0);
    EXPECT_EQ(handler.MakeWin95Exe("C:\\A.EXE"), 0);
    EXPECT_EQ(handler.Init(), 1);
    EXPECT_TRUE(presenter.messages.empty());
}

// For an outside archiver View opens only what a plain relative name says (null: nothing).
TEST(HandlerBase, ExtractedPlacesAreTakenOnlyFromPlainRelativeNames) {
    EchoHandler handler(nullptr);
    const std::pair<const char*, const char*> cases[] = {
        {"note.txt", "note.txt"}, {"docs/sub\\a.txt", "docs\\sub\\a.txt"}, {"../up.txt", nullptr}, {"a/./b.txt", nullptr},
        {"C:drive.txt", nullptr}, {"\\lead.txt", nullptr}, {"folder/", nullptr}, {"a//b.txt", nullptr}, {"", nullptr}};
    for (const auto& c : cases) {
        std::string relative;
        EXPECT_STREQ(handler.ExtractedRelativePath(c.first, relative) ? relative.c_str() : nullptr, c.second) << c.first;
    }
}

TEST(MessageLog, LibraryOutputGoesToTheHandlerWhoseOperationRuns) {
    ScratchFolder scratch{"engtest"};
    CZipHandler zip(nullptr);
    ASSERT_EQ(zip.Init(), 1);
    EchoHandler other(nullptr);   // constructed last, so its log is current now

    zip.Open(scratch / "none.zip");
    RecordingPresenter presenter;
    zip.Extract(scratch.Path(), 1, 0, 1);   // the library complains about the missing archive
    const std::string zipLogAfterFirst = zip.GetErrorLog();
    EXPECT_NE(zipLogAfterFirst.find("none.zip"), std::string::npos) << zipLogAfterFirst;
    EXPECT_TRUE(other.GetErrorLog().empty());

    other.Extract("B", 0, 0, 1);
    EXPECT_EQ(other.GetErrorLog(), "echo extract B\n");
    EXPECT_EQ(zip.GetErrorLog(), zipLogAfterFirst);

    zip.Extract(scratch.Path(), 1, 0, 1);
    EXPECT_GT(zip.GetErrorLog().size(), zipLogAfterFirst.size());
    EXPECT_EQ(other.GetErrorLog(), "echo extract B\n");
}

}  // namespace
