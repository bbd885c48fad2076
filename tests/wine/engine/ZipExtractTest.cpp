// Extracting all or the selected entries into a target folder.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "TestSupport/ZipEntries.h"
#include "ZipHandler.h"

namespace {

class ZipExtract : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(handler.Init(), 1);
        MakeFolder(scratch / "src");
        MakeFolder(scratch / "src\\docs");
        WriteFileBytes(scratch / "src\\top.txt", "top contents");
        WriteFileBytes(scratch / "src\\docs\\inner.txt", "inner contents");
        MakeZipOf(archive, scratch / "src", {"top.txt", "docs\\inner.txt"});
        handler.Open(archive);
    }
    CurrentDirectoryKeeper keeper;
    ScratchFolder scratch{"engtest"};
    const std::string archive = scratch / "data.zip";
    RecordingView view;
    RecordingPresenter presenter;
    CZipHandler handler{&view};
};

TEST_F(ZipExtract, AllEntriesWithFoldersIntoTheTargetWhichStaysCurrent) {
    const std::string target = scratch / "out";
    EXPECT_EQ(handler.Extract(target, 1, 0, 1), 1);
    EXPECT_EQ(ReadFileBytes(target + "\\top.txt"), "top contents");
    EXPECT_EQ(ReadFileBytes(target + "\\docs\\inner.txt"), "inner contents");
    EXPECT_EQ(CurrentDirectory(), target);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ZipExtract, JunkPathsPutsEveryFileIntoTheTargetItself) {
    const std::string target = scratch / "flat";
    EXPECT_EQ(handler.Extract(target, 1, 1, 1), 1);
    EXPECT_EQ(ReadFileBytes(target + "\\inner.txt"), "inner contents");
    EXPECT_FALSE(PathExists(target + "\\docs"));
}

TEST_F(ZipExtract, OnlyTheSelectedEntries) {
    view.selection = {"docs/inner.txt"};
    const std::string target = scratch / "some";
    EXPECT_EQ(handler.Extract(target, 1, 0, 0), 1);
    EXPECT_TRUE(FileExists(target + "\\docs\\inner.txt"));
    EXPECT_FALSE(PathExists(target + "\\top.txt"));
}

TEST_F(ZipExtract, NothingSelectedSucceedsButTargetIsMadeAndCurrent) {
    const std::string target = scratch / "none";
    EXPECT_EQ(handler.Extract(target, 1, 0, 0), 1);
    EXPECT_TRUE(FolderExists(target));
    EXPECT_FALSE(PathExists(target + "\\top.txt"));
    EXPECT_EQ(CurrentDirectory(), target);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ZipExtract, SelectionThatCannotBeHadAsksTheApplicationToQuit) {
    view.failNames = true;
    EXPECT_EQ(handler.Extract(scratch / "x", 1, 0, 0), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "Not enough memory!");
    EXPECT_EQ(presenter.quitRequests, 1);
}

TEST_F(ZipExtract, TargetTwoLevelsDeepCannotBeMade) {
    const std::string before = CurrentDirectory();
    EXPECT_EQ(handler.Extract(scratch / "new\\deeper", 1, 0, 1), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "Cannot create the specified directory!");
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_FALSE(PathExists(scratch / "new"));
    EXPECT_EQ(CurrentDirectory(), before);
}

TEST_F(ZipExtract, TargetPathLongerThanWindowsAllowsFailsClearly) {
    EXPECT_EQ(handler.Extract(scratch / std::string(400, 'd'), 1, 0, 1), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "Cannot create the specified directory!");
}

TEST_F(ZipExtract, OverwriteQuestionAnsweredNoKeepsTheFile) {
    const std::string target = scratch / "out";
    MakeFolder(target);
    WriteFileBytes(target + "\\top.txt", "mine");
    presenter.answers = {IDNO};
    EXPECT_EQ(handler.Extract(target, 0, 0, 1), 1);
    EXPECT_EQ(ReadFileBytes(target + "\\top.txt"), "mine");
    EXPECT_EQ(ReadFileBytes(target + "\\docs\\inner.txt"), "inner contents");
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(message.text.rfind("Overwrite ", 0), 0u);
    EXPECT_TRUE(EndsWith(message.text, "top.txt ?")) << message.text;
}

TEST_F(ZipExtract, OverwriteQuestionAnsweredYesReplacesTheFile) {
    const std::string target = scratch / "out";
    MakeFolder(target);
    WriteFileBytes(target + "\\top.txt", "mine");
    presenter.answers = {IDYES};
    EXPECT_EQ(handler.Extract(target, 0, 0, 1), 1);
    EXPECT_EQ(ReadFileBytes(target + "\\top.txt"), "top contents");
}

TEST_F(ZipExtract, DamagedArchiveReportsError) {
    WriteFileBytes(scratch / "bad.zip", "PK\x03\x04 this is not really an archive");
    handler.Open(scratch / "bad.zip");
    EXPECT_EQ(handler.Extract(scratch / "out", 1, 0, 1), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "Error unzipping!");
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONERROR));
}

TEST(ZipOverwriteQuestion, AnswersMapToReplaceAndKeep) {
    RecordingPresenter presenter;
    CZipHandler handler(nullptr);
    presenter.answers = {IDYES, IDNO};
    EXPECT_EQ(handler.ConfirmOverwrite("C:\\OUT\\A.TXT"), UNZIP_REPLACE);
    EXPECT_EQ(handler.ConfirmOverwrite("C:\\OUT\\A.TXT"), UNZIP_KEEP);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[0].text, "Overwrite C:\\OUT\\A.TXT ?");
}

}  // namespace
