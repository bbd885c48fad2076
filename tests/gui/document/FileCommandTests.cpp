// The document's file-level commands: New, Copy Archive, Move Archive, View Error Log.

#include "DocumentTestSupport.h"

#include <commdlg.h>

#include "ArchiveHandler.h"
#include "BrindleDoc.h"
#include "PathHelpers.h"
#include "resource.h"

namespace {

class FileCommands : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        StartWindow();
        TakeMessages();
    }

    std::string NullZipTemplate() {
        std::string folder;
        GetProgramDir(folder);
        return ReadFileBytes(folder + "\\Null.zip");
    }
};

}  // namespace

TEST_F(FileCommands, NewAsksWithTheNewArchiveDialog) {
    RunCommand(ID_FILE_NEW_ARCHIVE);   // no answer queued: cancelled
    ASSERT_EQ(saveRequests.size(), 1u);
    const FileDialogRequest& request = saveRequests[0];
    EXPECT_EQ(request.title, "New");
    EXPECT_EQ(request.defaultExtension, "ZIP");
    EXPECT_EQ(request.filter, "Zip Archives (*.ZIP) |*.Zip|Arj Archives (*.arj)|*.arj||");
    EXPECT_EQ(request.flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_EQ(request.childTemplate, static_cast<UINT>(IDD_NEW_ARCHIVE_TEMPLATE));
    EXPECT_TRUE(request.initialName.empty());
    EXPECT_TRUE(TakeMessages().empty()) << "a cancelled dialog reports nothing";
    EXPECT_EQ(Document().IsOpen(), 0);
}

TEST_F(FileCommands, NewZipCreatesTheEmptyTemplateAndOpensIt) {
    std::string created = ScratchPath("Fresh Archive.zip");
    saveAnswers.push_back({true, created});
    RunCommand(ID_FILE_NEW_ARCHIVE);
    EXPECT_TRUE(TakeMessages().empty());
    ASSERT_TRUE(FileExists(created));
    EXPECT_EQ(ReadFileBytes(created), NullZipTemplate());
    EXPECT_EQ(ReadFileBytes(created).size(), 22u);
    EXPECT_EQ(Document().IsOpen(), 1);
    EXPECT_EQ(Caption(), "Fresh Archive.zip - Brindle");
    EXPECT_EQ(ControlRowCount(), 0);
}

TEST_F(FileCommands, NewArjIsOpenedEmptyAndItsZeroLengthFileRemoved) {
    std::string created = ScratchPath("FRESH.ARJ");
    saveAnswers.push_back({true, created});
    RunCommand(ID_FILE_NEW_ARCHIVE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(Document().IsOpen(), 1);
    EXPECT_EQ(Caption(), "FRESH.ARJ - Brindle");
    EXPECT_FALSE(PathExists(created)) << "the first Add writes it";
}

TEST_F(FileCommands, NewWithAnotherExtensionCreatesNothing) {
    std::string rar = ScratchPath("TEST.RAR");
    saveAnswers.push_back({true, rar});
    RunCommand(ID_FILE_NEW_ARCHIVE);
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "Cannot create archive!");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONERROR));
    EXPECT_FALSE(PathExists(rar));
    EXPECT_EQ(Document().IsOpen(), 0);
}

TEST_F(FileCommands, NewOntoAnExistingArchiveReplacesItWithTheTemplate) {
    std::string existing = ScratchPath("existing.zip");
    MakeZip(existing, {{"old1", 1000}, {"old2", 2000}});
    saveAnswers.push_back({true, existing});
    RunCommand(ID_FILE_NEW_ARCHIVE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(ReadFileBytes(existing), NullZipTemplate());
    EXPECT_EQ(Document().IsOpen(), 1);
    EXPECT_EQ(ControlRowCount(), 0);
}

TEST_F(FileCommands, NewOntoTheArchiveOnShowListsItAgain) {
    std::string shown = ScratchPath("shown.zip");
    MakeZip(shown, {{"a", 1000}, {"b", 2000}});
    ASSERT_TRUE(OpenArchive(shown));
    ASSERT_EQ(ControlRowCount(), 2);
    saveAnswers.push_back({true, shown});
    RunCommand(ID_FILE_NEW_ARCHIVE);
    EXPECT_EQ(ReadFileBytes(shown), NullZipTemplate());
    EXPECT_EQ(ControlRowCount(), 0) << "rows of the replaced archive must not stay on show";
    EXPECT_EQ(Document().IsOpen(), 1);
}

TEST_F(FileCommands, CopyOffersTheCurrentNameAndOpensTheCopy) {
    std::string original = ScratchPath("original.zip");
    MakeZip(original, {{"a", 100}, {"b", 200}});
    ASSERT_TRUE(OpenArchive(original));
    std::string copy = ScratchPath("copy.zip");
    saveAnswers.push_back({true, copy});
    RunCommand(ID_FILE_COPY_ARCHIVE);

    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].title, "Copy to");
    EXPECT_EQ(saveRequests[0].initialName, original);
    EXPECT_EQ(saveRequests[0].defaultExtension, "ZIP");
    EXPECT_TRUE(saveRequests[0].filter.empty());
    EXPECT_EQ(saveRequests[0].flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_EQ(saveRequests[0].childTemplate, 0u);

    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(original));
    EXPECT_EQ(Document().GetPathName(), copy);
    EXPECT_EQ(Caption(), "copy.zip - Brindle");
    EXPECT_EQ(ControlRowCount(), 2);
}

TEST_F(FileCommands, CopyToAnUnsupportedNameCopiesThenRefusesToOpen) {
    std::string original = ScratchPath("original.zip");
    MakeZip(original, {{"a", 100}});
    ASSERT_TRUE(OpenArchive(original));
    std::string copy = ScratchPath("copy.txt");
    saveAnswers.push_back({true, copy});
    RunCommand(ID_FILE_COPY_ARCHIVE);

    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "File type not supported!");
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(original));
    EXPECT_EQ(Document().GetPathName(), original);
    EXPECT_EQ(Caption(), "original.zip - Brindle");
}

TEST_F(FileCommands, MoveOntoAnExistingFileMovesNothing) {
    std::string original = ScratchPath("original.zip");
    MakeZip(original, {{"a", 100}});
    std::string occupied = ScratchPath("occupied.zip");
    MakeZip(occupied, {{"b", 300}, {"c", 400}});
    const std::string originalBytes = ReadFileBytes(original);
    const std::string occupiedBytes = ReadFileBytes(occupied);
    ASSERT_TRUE(OpenArchive(original));
    saveAnswers.push_back({true, occupied});
    RunCommand(ID_FILE_MOVE_ARCHIVE);

    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].title, "Move to");
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "Cannot move file!");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONERROR));
    EXPECT_EQ(ReadFileBytes(original), originalBytes);
    EXPECT_EQ(ReadFileBytes(occupied), occupiedBytes);
    EXPECT_EQ(Document().GetPathName(), original);
}

TEST_F(FileCommands, MoveToAFreeNameMovesAndOpensTheArchiveThere) {
    std::string original = ScratchPath("original.zip");
    MakeZip(original, {{"a", 100}, {"b", 100}, {"c", 100}});
    const std::string bytes = ReadFileBytes(original);
    ASSERT_TRUE(OpenArchive(original));
    std::string moved = ScratchPath("moved.zip");
    saveAnswers.push_back({true, moved});
    RunCommand(ID_FILE_MOVE_ARCHIVE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_FALSE(PathExists(original));
    EXPECT_EQ(ReadFileBytes(moved), bytes);
    EXPECT_EQ(Document().GetPathName(), moved);
    EXPECT_EQ(ControlRowCount(), 3);
}

TEST_F(FileCommands, MoveOfAnEmptyArchiveIsRefused) {
    std::string empty = ScratchPath("empty.zip");
    WriteFileBytes(empty, "");
    ASSERT_TRUE(OpenArchive(empty));
    RunCommand(ID_FILE_MOVE_ARCHIVE);
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "Cannot move empty archive!");
    EXPECT_TRUE(saveRequests.empty());
}

TEST_F(FileCommands, ErrorLogNeedsAnOpenArchive) {
    Document().OnViewErrorLog();   // the menu item is greyed then; the document still answers
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "You need to open a file first!");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONEXCLAMATION));
}

TEST_F(FileCommands, ErrorLogShowsTheCurrentHandlersLogOrSaysItIsEmpty) {
    std::string archive = ScratchPath("logged.zip");
    MakeZip(archive, {{"a", 100}});
    ASSERT_TRUE(OpenArchive(archive));
    TakeMessages();
    RunCommand(ID_ACTIONS_VIEW_ERROR_LOG);
    auto messages = TakeMessages();
    RecordedMessage message = OnlyMessage(messages);
    EXPECT_EQ(message.text, "Log is empty!");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONINFORMATION));

    Document().GetCurrentHandler()->GetErrorLog() = "warning: something odd in a.txt\n";
    RunCommand(ID_ACTIONS_VIEW_ERROR_LOG);
    messages = TakeMessages();
    message = OnlyMessage(messages);
    EXPECT_EQ(message.text, "warning: something odd in a.txt\n");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONINFORMATION));
}
