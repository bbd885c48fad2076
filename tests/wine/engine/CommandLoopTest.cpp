// The Add and Extract commands of the handler base, with their dialogs answered by a double:
// which names reach AddFile, which files a move removes, what is remembered, and what the
// Extract dialog is told and what Extract receives.
#include <gtest/gtest.h>
#include <zlib.h>

#include "ArchiveHandler.h"
#include "CommandDialogs.h"
#include "EngineTestSupport.h"
#include "Settings.h"
#include "TestSupport/ScratchSettings.h"
#include "ZipHandler.h"

namespace {

struct AddCall {
    std::string name;
    int storePath, recurse, level;
};

// Records AddFile, Extract and Refresh; AddFile fails for the names listed in failing.
class RecordingHandler : public CArchiveHandler {
public:
    using CArchiveHandler::CArchiveHandler;
    int Extract(const std::string& target, int overwrite, int junk, int all) override {
        extracts.push_back(target + "|" + std::to_string(overwrite) + std::to_string(junk) + std::to_string(all));
        return 7;
    }
    int AddFile(const std::string& name, int storePath, int recurse, int level) override {
        adds.push_back({name, storePath, recurse, level});
        for (const std::string& bad : failing)
            if (bad == name) return 0;
        return 1;
    }
    // Offered every list first; stores it whole only when storeAllAtOnce is set.
    int AddAllAtOnce(const NameList& names, int, int, int) override {
        offeredAtOnce.push_back(names);
        if (!storeAllAtOnce) return 0;
        storedAtOnce.insert(storedAtOnce.end(), names.begin(), names.end());
        return 1;
    }
    // What the listing holds, each entry with the bytes its file has.
    int ReadStoredEntries(std::vector<StoredEntry>& entries) override {
        for (const std::string& name : listing ? listing->all : NameList()) {
            const std::string bytes = ReadFileBytes(name);
            entries.push_back({name, bytes.size(), crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size())});
        }
        return listing != nullptr;
    }
    int DeleteEntries(const NameList&) override { return 1; }
    // The listing holds what AddFile stored, unless the archiver only claimed to store it.
    int Refresh() override {
        ++refreshes;
        if (listing) {
            listing->all = storedAtOnce;
            for (const AddCall& add : adds)
                if (!IsFailing(add.name) && add.name != unlisted) listing->all.push_back(add.name);
        }
        return 1;
    }
    bool IsFailing(const std::string& name) const {
        for (const std::string& bad : failing)
            if (bad == name) return true;
        return false;
    }
    void Log(const std::string& text) { messageLog += text; }

    std::vector<AddCall> adds;
    std::vector<NameList> offeredAtOnce;
    bool storeAllAtOnce = false;
    NameList storedAtOnce;
    std::vector<std::string> extracts;
    std::vector<std::string> failing;
    std::string unlisted;   // reported stored, yet missing from the listing
    int refreshes = 0;
    RecordingView* listing = nullptr;   // filled by Refresh when set
};

class ScriptedCommandDialogs : public ICommandDialogs {
public:
    ScriptedCommandDialogs() { SetCommandDialogs(this); }
    ~ScriptedCommandDialogs() { SetCommandDialogs(nullptr); }
    bool ChooseFilesToAdd(NameList& names) override {
        folderAtChoice = CurrentDirectory();
        names = chosen;
        if (!moveTo.empty()) SetCurrentDirectoryA(moveTo.c_str());   // as the user browses
        return !chosen.empty();
    }
    bool AskAddOptions(AddOptions& options) override {
        ++addDialogs;
        toldAdd = options;
        options = add;
        return addOk;
    }
    bool AskExtractOptions(ExtractOptions& options) override {
        told = options;
        options.targetDir = extract.targetDir;
        options.overwrite = extract.overwrite;
        options.useFolderNames = extract.useFolderNames;
        options.extractAll = extract.extractAll;
        return extractOk;
    }

    NameList chosen;
    std::string moveTo, folderAtChoice;
    AddOptions add, toldAdd;
    bool addOk = true;
    int addDialogs = 0;
    ExtractOptions extract, told;
    bool extractOk = true;
};

TEST(AddCommandLoop, MovesOnlyWhatWasStoredAndStopsAtTheFirstFailure) {
    ScratchSettings settings;
    ScratchFolder scratch{"addloop"};
    RecordingPresenter presenter;
    ScriptedCommandDialogs dialogs;
    RecordingView view;
    RecordingHandler handler(&view);
    handler.listing = &view;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) WriteFileBytes(scratch / name, name);

    dialogs.add.action = AddOptions::kMove;
    dialogs.add.level = 0;
    dialogs.add.storePath = 1;
    dialogs.add.recurse = 1;
    handler.failing = {scratch / "b.txt"};
    EXPECT_EQ(handler.AddFiles({scratch / "a.txt", scratch / "b.txt", scratch / "c.txt"}), 0);
    ASSERT_EQ(handler.offeredAtOnce.size(), 1u) << "the whole list is offered first, then goes name by name";
    ASSERT_EQ(handler.adds.size(), 2u) << "the name after the failure is not tried";
    EXPECT_EQ(handler.adds[0].level, 0);
    EXPECT_EQ(handler.adds[0].storePath, 1);
    EXPECT_EQ(handler.adds[0].recurse, 1);
    EXPECT_FALSE(FileExists(scratch / "a.txt")) << "stored, so moved";
    EXPECT_TRUE(FileExists(scratch / "b.txt")) << "not stored, so kept";
    EXPECT_TRUE(FileExists(scratch / "c.txt"));
    EXPECT_EQ(handler.refreshes, 1) << "the listing is read again after a failure too";

    // Reported stored but missing from the listing read afterwards: the source stays.
    handler.adds.clear();
    handler.failing.clear();
    handler.unlisted = scratch / "d.txt";
    EXPECT_EQ(handler.AddFiles({scratch / "c.txt", scratch / "d.txt"}), 1);
    EXPECT_FALSE(FileExists(scratch / "c.txt")) << "listed, so moved";
    EXPECT_TRUE(FileExists(scratch / "d.txt")) << "not in the listing, so kept";
    handler.unlisted.clear();
    WriteFileBytes(scratch / "c.txt", "c.txt");

    // DOS 8.3 names: each name goes through its short, upper-cased form.
    handler.adds.clear();
    handler.failing.clear();
    dialogs.add = AddOptions{};
    dialogs.add.dos83 = 1;
    EXPECT_EQ(handler.AddFiles({scratch / "c.txt", "C:\\no such\\file.txt"}), 1);
    ASSERT_EQ(handler.adds.size(), 2u);
    EXPECT_EQ(handler.adds[1].name, "C:\\NO SUCH\\FILE.TXT");
    EXPECT_TRUE(FileExists(scratch / "c.txt")) << "added, not moved";

    // Cancel: nothing added, no listing, success.
    handler.adds.clear();
    dialogs.addOk = false;
    EXPECT_EQ(handler.AddFiles({scratch / "c.txt"}), 1);
    EXPECT_TRUE(handler.adds.empty());
    EXPECT_EQ(handler.refreshes, 3);
    EXPECT_TRUE(presenter.messages.empty());
}

// Two files of one name from two folders, stored without folder names, go name by name: the
// second replaces the first entry. Only a file whose very bytes the archive then holds is
// removed; the other stays, and the log says why.
TEST(AddCommandLoop, AMovedFileGoesOnlyWhenTheArchiveHoldsItsBytes) {
    const struct {
        const char *first, *second;
        bool firstRemoved;
    } cases[] = {{"first folder's text", "second folder's", false}, {"same", "same", true}, {"size 1", "size 2", false}};
    for (const auto& c : cases) {
        ScratchFolder scratch{"moveboth"};
        CurrentDirectoryKeeper keeper;
        RecordingPresenter presenter;
        ScriptedCommandDialogs dialogs;
        RecordingView view;
        CZipHandler handler(&view);
        ASSERT_EQ(handler.Init(), 1);
        handler.Open(scratch / "moved.zip");
        MakeFolders(scratch / "A");
        MakeFolders(scratch / "B");
        WriteFileBytes(scratch / "A\\readme.txt", c.first);
        WriteFileBytes(scratch / "B\\readme.txt", c.second);
        dialogs.add.action = AddOptions::kMove;
        EXPECT_EQ(handler.AddFiles({scratch / "A\\readme.txt", scratch / "B\\readme.txt"}), 1);
        EXPECT_EQ(FileExists(scratch / "A\\readme.txt"), !c.firstRemoved) << c.first;
        EXPECT_FALSE(FileExists(scratch / "B\\readme.txt")) << c.second;
        const bool logged = handler.GetErrorLog().find("Kept " + scratch / "A\\readme.txt") != std::string::npos;
        EXPECT_EQ(logged, !c.firstRemoved) << handler.GetErrorLog();
        EXPECT_TRUE(presenter.messages.empty());
    }
}

TEST(AddCommandLoop, AListStoredInOneStepIsMovedWholeWithoutAddFile) {
    ScratchSettings settings;
    ScratchFolder scratch{"addonce"};
    RecordingPresenter presenter;
    ScriptedCommandDialogs dialogs;
    RecordingView view;
    RecordingHandler handler(&view);
    handler.listing = &view;
    handler.storeAllAtOnce = true;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFileBytes(scratch / name, name);
    dialogs.add.action = AddOptions::kMove;
    dialogs.add.dos83 = 1;
    EXPECT_EQ(handler.AddFiles({scratch / "a.txt", scratch / "b.txt"}), 1);
    EXPECT_TRUE(handler.adds.empty());
    ASSERT_EQ(handler.offeredAtOnce.size(), 1u);
    EXPECT_EQ(handler.offeredAtOnce[0].size(), 2u);
    EXPECT_EQ(handler.offeredAtOnce[0][0].back(), 'T') << "DOS 8.3 names are made before the list is offered";
    EXPECT_FALSE(FileExists(scratch / "a.txt"));
    EXPECT_FALSE(FileExists(scratch / "b.txt"));
    EXPECT_TRUE(FileExists(scratch / "c.txt"));
    EXPECT_EQ(handler.refreshes, 1);
}

TEST(AddCommandLoop, TheDialogShowsTheStoredOptionsAndOnlyOkStoresItsChoice) {
    ScratchSettings settings;
    RecordingPresenter presenter;
    ScriptedCommandDialogs dialogs;
    RecordingHandler handler(nullptr);
    WriteSettingInt("Add", "Comp", 3);
    WriteSettingInt("Add", "StorePath", 1);
    WriteSettingInt("Add", "DOS83", 1);
    dialogs.add.action = AddOptions::kAdd;
    dialogs.add.level = 5;
    dialogs.add.storePath = 0;
    dialogs.add.dos83 = 0;
    dialogs.add.recurse = 1;

    dialogs.addOk = false;
    EXPECT_EQ(handler.AddFiles({"*.TXT"}), 1);
    EXPECT_EQ(dialogs.toldAdd.level, 3);
    EXPECT_EQ(dialogs.toldAdd.storePath, 1);
    EXPECT_EQ(dialogs.toldAdd.dos83, 1);
    EXPECT_EQ(dialogs.toldAdd.action, AddOptions::kAdd);
    EXPECT_EQ(dialogs.toldAdd.recurse, 0);
    EXPECT_EQ(ReadSettingInt("Add", "Comp"), 3) << "Cancel stores nothing";

    dialogs.addOk = true;
    EXPECT_EQ(handler.AddFiles({"*.TXT"}), 1);
    EXPECT_EQ(ReadSettingInt("Add", "Comp"), 5);
    EXPECT_EQ(ReadSettingInt("Add", "StorePath"), 0);
    EXPECT_EQ(ReadSettingInt("Add", "DOS83"), 0);
    EXPECT_EQ(handler.AddFiles({"*.TXT"}), 1);
    EXPECT_EQ(dialogs.toldAdd.recurse, 0) << "recursion is never remembered";
}

TEST(AddCommandLoop, StartsInTheSavedFolderAndRemembersTheOneLeftBehind) {
    ScratchSettings settings;
    ScratchFolder scratch{"addcmd"};
    CurrentDirectoryKeeper keeper;
    RecordingPresenter presenter;
    ScriptedCommandDialogs dialogs;
    RecordingHandler handler(nullptr);
    MakeFolder(scratch / "start");
    MakeFolder(scratch / "browsed");
    WriteSettingText("SavedDirs", "AddDir", scratch / "start");

    // Nothing chosen: the log is emptied all the same, no dialog follows, nothing is saved.
    handler.Log("old text");
    EXPECT_EQ(handler.AddCommand(), 1);
    EXPECT_TRUE(handler.GetErrorLog().empty());
    EXPECT_EQ(dialogs.folderAtChoice, scratch / "start");
    EXPECT_EQ(dialogs.addDialogs, 0);
    EXPECT_EQ(ReadSettingText("SavedDirs", "AddDir"), scratch / "start");

    // Chosen, then the Add Files dialog cancelled: the folder looked at last is still saved.
    dialogs.chosen = {"*.TXT"};
    dialogs.moveTo = scratch / "browsed";
    dialogs.addOk = false;
    EXPECT_EQ(handler.AddCommand(), 1);
    EXPECT_EQ(dialogs.addDialogs, 1);
    EXPECT_EQ(ReadSettingText("SavedDirs", "AddDir"), scratch / "browsed");

    // A saved folder that has gone leaves the current directory where it was.
    WriteSettingText("SavedDirs", "AddDir", scratch / "gone");
    dialogs.moveTo.clear();
    dialogs.addOk = true;
    EXPECT_EQ(handler.AddCommand(), 1);
    EXPECT_EQ(dialogs.folderAtChoice, scratch / "browsed");
    ASSERT_EQ(handler.adds.size(), 1u);
    EXPECT_EQ(handler.adds[0].name, "*.TXT");
}

TEST(ExtractCommandOptions, TheDialogIsToldTheListAndExtractGetsItsChoices) {
    ScratchSettings settings;
    WriteSettingInt("Settings", "ExtractToDownload", 0);
    WriteSettingText("SavedDirs", "ExtractToDir", "C:\\LAST");
    RecordingPresenter presenter;
    ScriptedCommandDialogs dialogs;
    RecordingView view;
    view.all = {"A", "B", "C"};
    view.selection = {"B"};
    RecordingHandler handler(&view);
    handler.Open("C:\\DATA\\REPORT.ZIP");
    handler.Log("old text");

    dialogs.extract.targetDir = "C:\\OUT";
    dialogs.extract.overwrite = 1;
    dialogs.extract.useFolderNames = 0;
    dialogs.extract.extractAll = 0;
    EXPECT_EQ(handler.ExtractCommand(), 7) << "the result of Extract";
    EXPECT_EQ(dialogs.told.archivePath, "C:\\DATA\\REPORT.ZIP");
    EXPECT_EQ(dialogs.told.selectedCount, 1);
    EXPECT_EQ(dialogs.told.entryCount, 3);
    EXPECT_EQ(dialogs.told.targetDir, "C:\\LAST") << "the folder used last";
    EXPECT_EQ(dialogs.told.extractAll, 0) << "something is selected";
    EXPECT_EQ(ReadSettingText("SavedDirs", "ExtractToDir"), "C:\\OUT") << "OK stores the chosen folder";
    EXPECT_EQ(handler.extracts, std::vector<std::string>{"C:\\OUT|110"}) << "no folder names: junk paths 1";
    EXPECT_TRUE(handler.GetErrorLog().empty());
    EXPECT_EQ(handler.refreshes, 0) << "extracting does not read the listing again";

    dialogs.extract.useFolderNames = 1;
    dialogs.extract.extractAll = 1;
    dialogs.extract.overwrite = 0;
    EXPECT_EQ(handler.ExtractCommand(), 7);
    EXPECT_EQ(handler.extracts.back(), "C:\\OUT|001");

    dialogs.extractOk = false;
    dialogs.extract.targetDir = "C:\\CANCELLED";
    EXPECT_EQ(handler.ExtractCommand(), 1) << "a cancelled dialog is success";
    EXPECT_EQ(handler.extracts.size(), 2u);
    EXPECT_EQ(ReadSettingText("SavedDirs", "ExtractToDir"), "C:\\OUT") << "Cancel stores nothing";
}

// The download folder is made as the dialog opens, one level only, and the per-archive folder
// below it is proposed; an empty list is said first, with no dialog and no folder made.
TEST(ExtractCommandOptions, TheDownloadFolderIsMadeBeforeTheDialogUnlessTheListIsEmpty) {
    ScratchSettings settings;
    ScratchFolder scratch{"extractdl"};
    const std::string downloads = scratch / "downloads";
    WriteSettingText("Settings", "DownloadDir", downloads);
    RecordingPresenter presenter;
    ScriptedCommandDialogs dialogs;
    RecordingView view;
    RecordingHandler handler(&view);
    handler.Open("C:\\DATA\\REPORT.ZIP");

    EXPECT_EQ(handler.ExtractCommand(), 1);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "Empty zip file; nothing to extract!");
    EXPECT_FALSE(PathExists(downloads));
    EXPECT_TRUE(dialogs.told.archivePath.empty()) << "no dialog over an empty list";

    view.all = {"A"};
    dialogs.extractOk = false;
    EXPECT_EQ(handler.ExtractCommand(), 1);
    EXPECT_TRUE(FolderExists(downloads)) << "made as the dialog opens, whatever its answer";
    EXPECT_EQ(dialogs.told.targetDir, downloads + "\\REPORT");
    EXPECT_EQ(dialogs.told.extractAll, 1) << "nothing selected";
    EXPECT_FALSE(PathExists(downloads + "\\REPORT")) << "Extract makes that one";
}

}  // namespace
