// Opening archives: which handler serves which file, what happens to empty and busy files,
// and what the window shows after an open that fails.

#include "DocumentTestSupport.h"

#include "ArjHandler.h"
#include "BrindleDoc.h"
#include "BrindleView.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "ZipHandler.h"
#include "resource.h"

namespace {

class Opening : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        StartWindow();
        TakeMessages();
    }
};

bool IsZip(CArchiveHandler* handler) { return dynamic_cast<CZipHandler*>(handler) != nullptr; }
bool IsArj(CArchiveHandler* handler) { return dynamic_cast<CArjHandler*>(handler) != nullptr; }

std::string ShortUpper(std::string path) {
    ToShortPath(path);
    return path;
}

}  // namespace

TEST_F(Opening, ZipAndSelfExtractingNamesGoToTheZipHandlerInEitherCase) {
    for (const char* name : {"lower.zip", "UPPER.ZIP", "SETUP.EXE", "setup2.exe"}) {
        std::string path = ScratchPath(name);
        MakeZip(path, {{"one.txt", 10}});
        ASSERT_TRUE(OpenArchive(path)) << name;
        EXPECT_TRUE(IsZip(Document().GetCurrentHandler())) << name;
        EXPECT_EQ(Document().IsOpen(), 1);
        EXPECT_EQ(ControlRowCount(), 1) << name;
        EXPECT_EQ(CellText(0, 0), "one.txt");
    }
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(Opening, NamesWhoseExtensionStartsWithAGoToTheArjHandler) {
    // Missing or empty arj archives list nothing, so no ARJ.EXE is needed to open them.
    for (const char* name : {"DATA.A01", "data.arj", "Backup.Abc"}) {
        std::string path = ScratchPath(name);
        WriteFileBytes(path, "");
        const std::string shortPath = ShortUpper(path);   // before the open removes the empty file
        ASSERT_TRUE(OpenArchive(path)) << name;
        EXPECT_TRUE(IsArj(Document().GetCurrentHandler())) << name;
        EXPECT_EQ(Document().GetCurrentHandler()->GetArchivePath(), shortPath);
    }
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(Opening, HandlersAreMadeOnceAndKeptAcrossArchiveKinds) {
    std::string first = ScratchPath("first.zip"), second = ScratchPath("second.zip"), arj = ScratchPath("x.arj");
    MakeZip(first, {{"a", 1}});
    MakeZip(second, {{"b", 1}, {"c", 1}});
    WriteFileBytes(arj, "");
    ASSERT_TRUE(OpenArchive(first));
    CArchiveHandler* zip = Document().GetCurrentHandler();
    ASSERT_TRUE(OpenArchive(arj));
    CArchiveHandler* arjHandler = Document().GetCurrentHandler();
    EXPECT_NE(zip, arjHandler);
    ASSERT_TRUE(OpenArchive(second));
    EXPECT_EQ(Document().GetCurrentHandler(), zip);
    EXPECT_EQ(zip->GetArchivePath(), ShortUpper(second));
    EXPECT_EQ(ControlRowCount(), 2);
}

TEST_F(Opening, UnsupportedTypeIsRefusedAndThePreviousArchiveStaysShown) {
    std::string archive = ScratchPath("Kept Archive.zip");
    MakeZip(archive, {{"a.txt", 100}, {"b.txt", 200}});
    ASSERT_TRUE(OpenArchive(archive));
    const std::string path = Document().GetPathName();
    const std::string title = Document().GetTitle();
    const std::string caption = Caption();
    CArchiveHandler* handler = Document().GetCurrentHandler();
    TakeMessages();

    std::string notes = ScratchPath("NOTES.TXT");
    WriteFileBytes(notes, "some notes");
    EXPECT_FALSE(OpenArchive(notes));

    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "File type not supported!");
    EXPECT_EQ(message.caption, "Brindle");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONERROR));
    EXPECT_EQ(Document().GetPathName(), path);
    EXPECT_EQ(Document().GetTitle(), title);
    EXPECT_EQ(Caption(), caption);
    EXPECT_EQ(Document().GetCurrentHandler(), handler);
    EXPECT_EQ(Document().IsOpen(), 1);
    ASSERT_EQ(ControlRowCount(), 2);
    EXPECT_EQ(CellText(0, 0), "b.txt");
    EXPECT_EQ(ReadFileBytes(notes), "some notes");
}

TEST_F(Opening, DotInAFolderNameIsNoExtension) {
    std::string folder = ScratchPath("OLD.ARJ");
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string plain = folder + "\\README";
    WriteFileBytes(plain, "read me");
    EXPECT_FALSE(OpenArchive(plain));
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "File type not supported!");
    EXPECT_EQ(Document().GetCurrentHandler(), nullptr);
    EXPECT_EQ(ReadFileBytes(plain), "read me");
}

TEST_F(Opening, EmptyUnsupportedFileIsLeftAlone) {
    std::string empty = ScratchPath("EMPTY.TXT");
    WriteFileBytes(empty, "");
    EXPECT_FALSE(OpenArchive(empty));
    EXPECT_TRUE(FileExists(empty));
    OnlyMessage(TakeMessages());
}

TEST_F(Opening, ZeroLengthArchiveIsDeletedAndShownEmptyUnderItsName) {
    std::string empty = ScratchPath("EMPTY.ZIP");
    WriteFileBytes(empty, "");
    ASSERT_TRUE(OpenArchive(empty));
    EXPECT_FALSE(PathExists(empty));
    EXPECT_EQ(Document().IsOpen(), 1);
    EXPECT_EQ(ControlRowCount(), 0);
    EXPECT_EQ(Document().GetTitle(), "EMPTY.ZIP");
    EXPECT_EQ(Caption(), "EMPTY.ZIP - Brindle");
    EXPECT_TRUE(TakeMessages().empty());

    saveAnswers.push_back({true, ScratchPath("never.zip")});
    RunCommand(ID_FILE_COPY_ARCHIVE);
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "Cannot copy empty archive!");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONERROR));
    EXPECT_TRUE(saveRequests.empty()) << "no dialog for an empty archive";
    EXPECT_FALSE(PathExists(ScratchPath("never.zip")));
}

TEST_F(Opening, ArchiveHeldOpenByAnotherProgramIsNeverDeleted) {
    std::string busy = ScratchPath("BUSY.ZIP");
    MakeZip(busy, {{"inside.txt", 3000}});
    const std::string bytes = ReadFileBytes(busy);
    ASSERT_FALSE(bytes.empty());

    // A holder that shares nothing, and one that lets others read and even delete the file
    // (as indexers and virus scanners do): neither leaves room for an exclusive open, and
    // only the second would let a mistaken delete through.
    for (DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_DELETE}}) {
        HANDLE holder = CreateFileA(busy.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        OpenArchive(busy);
        Document().OnOpenDocument(busy);
        CloseHandle(holder);
        EXPECT_TRUE(FileExists(busy)) << "sharing " << sharing;
        EXPECT_EQ(ReadFileBytes(busy), bytes) << "sharing " << sharing;
    }
}

TEST_F(Opening, OpenRemembersTheShortFolderOfTheArchive) {
    std::string folder = ScratchPath("A Long Folder Name");
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string archive = folder + "\\Some Archive.zip";
    MakeZip(archive, {{"x", 1}});
    ASSERT_TRUE(OpenArchive(archive));
    EXPECT_EQ(ReadSettingText("SavedDirs", "OpenFileDir"), ShortUpper(folder));
    EXPECT_EQ(Document().GetCurrentHandler()->GetArchivePath(), ShortUpper(archive));
    EXPECT_EQ(Document().GetTitle(), "Some Archive.zip");
}

TEST_F(Opening, FailedListingRestoresThePreviousArchive) {
    std::string good = ScratchPath("good.zip");
    MakeZip(good, {{"one", 10}, {"two", 20}, {"three", 30}});
    ASSERT_TRUE(OpenArchive(good));
    const std::string path = Document().GetPathName();

    std::string broken = ScratchPath("broken.zip");
    WriteFileBytes(broken, std::string(5000, 'x'));
    TakeMessages();
    EXPECT_FALSE(OpenArchive(broken));

    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "Cannot list ZIP's contents. The file is probably not a valid ZIP Archive.");
    EXPECT_EQ(Document().IsOpen(), 1);
    EXPECT_EQ(Document().GetPathName(), path);
    EXPECT_EQ(Caption(), "good.zip - Brindle");
    EXPECT_EQ(Document().GetCurrentHandler()->GetArchivePath(), ShortUpper(good));
    ASSERT_EQ(ControlRowCount(), 3);
    EXPECT_EQ(CellText(0, 0), "three");
    EXPECT_EQ(CellText(2, 0), "one");
}

TEST_F(Opening, FailedListingGoesBackToTheHandlerOfThePreviousKind) {
    std::string arj = ScratchPath("old.arj");
    WriteFileBytes(arj, "");
    const std::string shortArj = ShortUpper(arj);   // before the open removes the empty file
    ASSERT_TRUE(OpenArchive(arj));
    CArchiveHandler* arjHandler = Document().GetCurrentHandler();

    std::string broken = ScratchPath("broken.zip");
    WriteFileBytes(broken, "not an archive at all");
    EXPECT_FALSE(OpenArchive(broken));
    EXPECT_EQ(Document().GetCurrentHandler(), arjHandler);
    EXPECT_EQ(arjHandler->GetArchivePath(), shortArj);
    EXPECT_EQ(Document().IsOpen(), 1);
    EXPECT_EQ(Caption(), "old.arj - Brindle");
}

TEST_F(Opening, FailedListingEmptiesTheWindowWhenThePreviousArchiveIsUnreadableToo) {
    std::string good = ScratchPath("good.zip");
    MakeZip(good, {{"one", 10}, {"two", 20}});
    ASSERT_TRUE(OpenArchive(good));
    // Someone else has spoiled the previous archive meanwhile.
    WriteFileBytes(good, std::string(3000, 'y'));

    std::string broken = ScratchPath("broken.zip");
    WriteFileBytes(broken, std::string(3000, 'z'));
    EXPECT_FALSE(OpenArchive(broken));

    EXPECT_EQ(Document().IsOpen(), 0);
    EXPECT_EQ(ControlRowCount(), 0);
    EXPECT_EQ(Document().GetPathName(), "");
    EXPECT_EQ(Document().GetTitle(), "");
    EXPECT_EQ(Caption(), " - Brindle");
    EXPECT_EQ(PaneText(0), "");
    EXPECT_EQ(PaneText(1), "");
    EXPECT_FALSE(IsEnabled(ID_ACTIONS_ADD));
    // And the spoiled archive can be opened again once it is mended.
    MakeZip(ScratchPath("mended.zip"), {{"x", 1}});
    CopyFileA(ScratchPath("mended.zip").c_str(), good.c_str(), FALSE);
    EXPECT_TRUE(OpenArchive(good));
    EXPECT_EQ(ControlRowCount(), 1);
}

TEST_F(Opening, FailedFirstOpenLeavesTheWindowEmpty) {
    std::string broken = ScratchPath("broken.zip");
    WriteFileBytes(broken, std::string(100, 'q'));
    EXPECT_FALSE(OpenArchive(broken));
    EXPECT_EQ(Document().IsOpen(), 0);
    EXPECT_EQ(ControlRowCount(), 0);
    EXPECT_EQ(Caption(), " - Brindle");
    EXPECT_FALSE(IsEnabled(ID_FILE_COPY_ARCHIVE));
}

TEST_F(Opening, MissingFileIsReportedByTheFrameworkAndChangesNothing) {
    std::string good = ScratchPath("good.zip");
    MakeZip(good, {{"one", 10}});
    ASSERT_TRUE(OpenArchive(good));
    TakeMessages();
    EXPECT_FALSE(OpenArchive(ScratchPath("absent.zip")));
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_NE(message.text.find("absent.zip"), std::string::npos);
    EXPECT_EQ(ControlRowCount(), 1);
    EXPECT_EQ(Caption(), "good.zip - Brindle");
}

TEST_F(Opening, EntryCommandsDoNothingWhileNoArchiveIsOpen) {
    // A failed first open leaves a handler chosen but nothing open: nothing may reach it.
    std::string broken = ScratchPath("broken.zip");
    WriteFileBytes(broken, std::string(100, 'q'));
    EXPECT_FALSE(OpenArchive(broken));
    ASSERT_NE(Document().GetCurrentHandler(), nullptr);
    TakeMessages();

    EXPECT_EQ(Document().AddCommand(), 0);
    EXPECT_EQ(Document().ExtractCommand(), 0);
    EXPECT_EQ(Document().ViewCommand(), 0);
    EXPECT_EQ(Document().DeleteCommand(), 0);
    EXPECT_EQ(Document().AddDroppedFiles(NameList{ScratchPath("broken.zip")}), 0);
    Document().OnMakeExe();
    Document().OnMakeWin95Exe();
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(ReadFileBytes(broken), std::string(100, 'q'));
}
