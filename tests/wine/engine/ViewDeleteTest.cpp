// View and Delete over the real zip DLLs. The viewer is the ARJ double, which writes down
// the path it is given; entries have an extension nothing is associated with, so every one
// reaches the viewer. The temporary folder is the test's own.

#include <gtest/gtest.h>

#include <algorithm>

#include "ArjTestSupport.h"
#include "EngineTestSupport.h"
#include "Settings.h"
#include "TestSupport/Programs.h"
#include "ZipHandler.h"
#include "zipcore/ZipArchive.h"

namespace {

const char kQuestion[] = "Are you sure you want to delete selected files?";

// A zip handler whose delete fails, as one that ran out of memory does.
class FailingDeleteHandler : public CZipHandler {
public:
    using CZipHandler::CZipHandler;
    int DeleteEntries(const NameList&) override { return 0; }
};

class ViewDelete : public testing::Test {
protected:
    void SetUp() override {
        MakeFolder(temp);
        WriteSettingText("Locations", "Viewer", TestProgramFolder() + "\\fake_arj.exe");
        ASSERT_EQ(handler.Init(), 1);
        handler.Open(archive);
    }

    // An archive of stored entries with exactly these names, each holding "<name> body".
    // The library would clean a hostile name on the way in, so each goes in under a
    // placeholder of the same length that is then overwritten in both headers.
    void MakeArchive(const std::vector<std::string>& names) {
        const std::string staging = scratch / "staging";
        MakeFolder(staging);
        zipcore::UpdateOptions options;
        options.baseDir = staging;
        options.storePaths = false;
        options.level = 0;
        std::vector<std::string> placeholders;
        for (std::size_t i = 0; i < names.size(); ++i) {
            placeholders.push_back(std::string(names[i].size(), static_cast<char>('g' + i)));
            WriteFileBytes(staging + "\\" + placeholders.back(), names[i] + " body");
            options.add.push_back(placeholders.back());
        }
        ASSERT_EQ(zipcore::Update(archive, options).status, zipcore::Status::Ok);
        std::string bytes = ReadFileBytes(archive);
        for (std::size_t i = 0; i < names.size(); ++i)
            for (std::size_t at = 0; (at = bytes.find(placeholders[i], at)) != std::string::npos;)
                bytes.replace(at, names[i].size(), names[i]);
        WriteFileBytes(archive, bytes);
        ASSERT_EQ(EntryNames(archive), names);
    }

    // The paths the viewer was started with, sorted, once count of them have arrived. Each
    // View extracts into a folder of its own under temp, shown here as "<view>".
    std::vector<std::string> ViewerPaths(std::size_t count) {
        std::vector<std::string> paths;
        for (int round = 0; round < 300 && paths.size() < count; ++round) {
            if (round) Sleep(100);
            paths.clear();
            for (const FakeArjCall& call : ReadFakeArjLog(logPath)) paths.insert(paths.end(), call.arguments.begin(), call.arguments.end());
        }
        for (std::string& path : paths) {
            const std::size_t cut = path.find('\\', temp.size() + 1);
            if (path.compare(0, temp.size() + 1, temp + "\\") == 0 && cut != std::string::npos)
                path = temp + "\\<view>" + path.substr(cut);
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    std::string FirstViewFolder() {
        const std::vector<std::string> folders = SubFolders(temp);
        return folders.empty() ? temp : folders[0];
    }

    ScratchSettings settings;
    CurrentDirectoryKeeper keeper;
    ScratchFolder scratch{"viewdel"};
    const std::string temp = scratch / "temp";
    const std::string archive = scratch / "view.zip";
    const std::string logPath = scratch / "viewer.log";
    EnvironmentSetting tmp{"TMP", temp};
    EnvironmentSetting tempSetting{"TEMP", temp};
    EnvironmentSetting viewerLog{"BRINDLE_FAKE_ARJ_LOG", logPath};
    RecordingView view;
    RecordingPresenter presenter;
    CZipHandler handler{&view};
};

}  // namespace

TEST_F(ViewDelete, ViewerGetsEveryExtractedFileEntriesInFoldersIncluded) {
    MakeArchive({"note.qqv", "docs/readme.qqv", "other.qqv"});
    view.selection = {"note.qqv", "docs/readme.qqv"};
    // Another program's file of an entry's name in the temporary folder is never touched.
    WriteFileBytes(temp + "\\note.qqv", "another program's");
    EXPECT_EQ(handler.ViewCommand(), 1);
    EXPECT_EQ(ViewerPaths(2), (std::vector<std::string>{temp + "\\<view>\\docs\\readme.qqv", temp + "\\<view>\\note.qqv"}));
    EXPECT_EQ(ReadFileBytes(FirstViewFolder() + "\\docs\\readme.qqv"), "docs/readme.qqv body");
    EXPECT_FALSE(PathExists(FirstViewFolder() + "\\other.qqv"));
    EXPECT_EQ(ReadFileBytes(temp + "\\note.qqv"), "another program's");
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ViewDelete, HostileNamesOpenOnlyWhatExtractionWroteInsideTheTemporaryFolder) {
    MakeArchive({"..\\..\\Windows\\system32\\calc.qqv", "C:\\drive.qqv", "a/../../b.qqv", "../../up.qqv",
                 "bad|name.qqv"});
    // Were the raw names joined to the folder, these would be what the viewer got.
    WriteFileBytes(scratch / "up.qqv", "not from the archive");
    WriteFileBytes(scratch / "b.qqv", "not from the archive");
    view.selection = EntryNames(archive);
    EXPECT_EQ(handler.ViewCommand(), 1);
    EXPECT_EQ(ViewerPaths(4), (std::vector<std::string>{temp + "\\<view>\\Windows\\system32\\calc.qqv",
                                                        temp + "\\<view>\\a\\b.qqv", temp + "\\<view>\\drive.qqv",
                                                        temp + "\\<view>\\up.qqv"}));
    EXPECT_EQ(ReadFileBytes(FirstViewFolder() + "\\up.qqv"), "../../up.qqv body");
    EXPECT_EQ(ReadFileBytes(scratch / "up.qqv"), "not from the archive");
}

TEST_F(ViewDelete, NothingIsOpenedWithoutAViewerOrForWhatWasNotExtracted) {
    MakeArchive({"first.qqv", "second.qqv"});
    WriteSettingText("Locations", "Viewer", "");
    view.selection = {"first.qqv"};
    EXPECT_EQ(handler.ViewCommand(), 1);
    EXPECT_EQ(ReadFileBytes(FirstViewFolder() + "\\first.qqv"), "first.qqv body");
    WriteSettingText("Locations", "Viewer", TestProgramFolder() + "\\fake_arj.exe");
    // An entry the archive does not hold is not opened, even where a file of its name waits.
    WriteFileBytes(temp + "\\absent.qqv", "left by someone else");
    view.selection = {"absent.qqv"};
    EXPECT_EQ(handler.ViewCommand(), 1);
    // A failed extraction opens nothing and says so once.
    handler.Open(scratch / "missing.zip");
    view.selection = {"second.qqv"};
    EXPECT_EQ(handler.ViewCommand(), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "Error unzipping!");
    handler.Open(archive);
    EXPECT_EQ(handler.ViewCommand(), 1);
    // Only the last view reached the viewer.
    EXPECT_EQ(ViewerPaths(1), std::vector<std::string>{temp + "\\<view>\\second.qqv"});
    Sleep(500);
    EXPECT_EQ(ViewerPaths(1).size(), 1u);
}

// A viewer named without a folder (the default is "Notepad.exe") comes from the system's
// folders only: a file of that name beside the program or in the temporary folder, where an
// archive's entries land, is never started. Here the one beside the program is no program
// at all, so starting it would start nothing.
TEST_F(ViewDelete, AViewerNamedWithoutAFolderComesFromTheSystemFoldersOnly) {
    MakeArchive({"note.qqv"});
    SystemFolderCopy viewer(TestProgramFolder() + "\\fake_arj.exe");
    const std::string planted = TestProgramFolder() + "\\" + viewer.FileName();
    WriteFileBytes(planted, "not a program");
    WriteFileBytes(temp + "\\" + viewer.FileName(), "not a program");
    WriteSettingText("Locations", "Viewer", viewer.FileName());
    view.selection = {"note.qqv"};
    EXPECT_EQ(handler.ViewCommand(), 1);
    DeleteFileA(planted.c_str());
    EXPECT_EQ(ViewerPaths(1), std::vector<std::string>{temp + "\\<view>\\note.qqv"});
}

TEST_F(ViewDelete, DeleteAsksAndOnlyYesDeletesThenTheListIsReadAgain) {
    MakeArchive({"keep.txt", "gone.txt", "also.txt"});
    view.selection = {};
    EXPECT_EQ(handler.DeleteCommand(), 1);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "No files are selected");
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONEXCLAMATION));

    view.selection = {"gone.txt", "also.txt"};
    presenter.answers = {IDNO};
    EXPECT_EQ(handler.DeleteCommand(), 1);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[1].text, kQuestion);
    EXPECT_EQ(presenter.messages[1].style, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(EntryNames(archive).size(), 3u);
    EXPECT_EQ(view.clearCount, 0);

    presenter.answers = {IDYES};
    EXPECT_EQ(handler.DeleteCommand(), 1);
    EXPECT_EQ(presenter.messages.size(), 3u);
    EXPECT_EQ(EntryNames(archive), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(view.clearCount, 1);
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].name, "keep.txt");
}

TEST_F(ViewDelete, WithoutThePromptDeleteActsAtOnceAndAFailedDeleteStillRereadsTheList) {
    MakeArchive({"one.txt", "two.txt", "three.txt"});
    WriteSettingInt("Settings", "PromptOnDelete", 0);
    view.selection = {"two.txt"};
    EXPECT_EQ(handler.DeleteCommand(), 1);
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_EQ(EntryNames(archive), (std::vector<std::string>{"one.txt", "three.txt"}));

    FailingDeleteHandler failing(&view);
    ASSERT_EQ(failing.Init(), 1);
    failing.Open(archive);
    view.rows.clear();
    view.selection = {"one.txt"};
    EXPECT_EQ(failing.DeleteCommand(), 0);
    EXPECT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(EntryNames(archive), (std::vector<std::string>{"one.txt", "three.txt"}));
}
