// The arj handler driving the ARJ.EXE double through the real command interpreter: which
// command lines it runs, what it lists, and what it refuses or reports.

#include <gtest/gtest.h>

#include <functional>

#include "ArjHandler.h"
#include "ArjTestSupport.h"
#include "Settings.h"

namespace {

const char kNotInstalled[] = "ARJ is not installed. Please see help for more information";

const char kListing[] =
    "ARJ 2.50a Copyright (c) 1990-95 Robert K Jung.\r\n"
    "\r\n"
    "Processing archive: A.ARJ\r\n"
    "Archive date      : 1998-01-05 10:00:00\r\n"
    "\r\n"
    "\r\n"
    "Sequence/Pathname/Comment/Chapters\r\n"
    "Rev/Host OS    Original Compressed Ratio DateTime modified Attributes/GUA BPMGS\r\n"
    "------------ ---------- ---------- ----- ----------------- -------------- -----\r\n"
    "001) README.TXT\r\n"
    " 11 MS-DOS         2048        512 0.250 98-01-05 10:30:00 A---W\r\n"
    "002) DATA.BIN\r\n"
    " 11 MS-DOS          100        110 1.100 98-01-06 11:45:12 A---W\r\n"
    "------------ ---------- ---------- -----\r\n"
    "     2 files       2148        622 0.290\r\n";

class ArjHandlerTest : public testing::Test {
protected:
    void SetUp() override {
        WriteSettingText("Locations", "ARJ.EXE", FakeArjPath());
        WriteFileBytes(archive, "not really an arj archive, but not empty either");
        handler.Open(ShortUpperPath(archive));
    }

    static std::string FakeArjPath() { return TestProgramFolder() + "\\fake_arj.exe"; }
    std::vector<FakeArjCall> Calls() { return ReadFakeArjLog(logPath); }
    // The arguments of every run so far, one list per run.
    std::vector<Columns> Arguments() {
        std::vector<Columns> runs;
        for (const FakeArjCall& call : Calls()) runs.push_back(call.arguments);
        return runs;
    }
    void UseListing(const std::string& text) { WriteFileBytes(listingPath, text); }
    bool OnlyMessageIs(const std::string& text, unsigned int style) {
        return presenter.messages.size() == 1 && presenter.messages[0].text == text &&
               presenter.messages[0].style == style;
    }

    ScratchSettings settings;
    ScratchFolder folder{"arj"};
    CurrentDirectoryKeeper directoryKeeper;
    std::string archive = folder / "A.ARJ";
    std::string logPath = folder / "calls.log";
    std::string listingPath = folder / "listing.txt";
    EnvironmentSetting logSetting{"BRINDLE_FAKE_ARJ_LOG", logPath};
    EnvironmentSetting listingSetting{"BRINDLE_FAKE_ARJ_LISTING", listingPath};
    RecordingPresenter presenter;
    RecordingView view;
    CArjHandler handler{&view};
};

}  // namespace

TEST_F(ArjHandlerTest, RefreshListsTheCapturedRows) {
    UseListing(kListing);
    ASSERT_EQ(handler.Refresh(), 1);
    EXPECT_TRUE(presenter.messages.empty());
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(ColumnsOf(view.rows[0]), (Columns{"README.TXT", "98-01-05", "10:30:00", "2K", "75%", "0K"}));
    EXPECT_EQ(ColumnsOf(view.rows[1]), (Columns{"DATA.BIN", "98-01-06", "11:45:12", "0K", "-10%", "0K"}));
    EXPECT_EQ(view.statusCount, 0);   // the arj listing has no totals line
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"v", ShortUpperPath(archive)}}));
}

TEST_F(ArjHandlerTest, RefreshOfAListingWithoutEntriesShowsNothing) {
    UseListing(std::string(kListing).substr(0, std::string(kListing).find("001)")) +
               "------------ ---------- ---------- -----\r\n     0 files\r\n");
    EXPECT_EQ(handler.Refresh(), 1);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ArjHandlerTest, RefreshReplacesTheRowsOfTheLastListing) {
    UseListing(kListing);
    ASSERT_EQ(handler.Refresh(), 1);
    ASSERT_EQ(handler.Refresh(), 1);
    EXPECT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.clearCount, 2);
}

TEST_F(ArjHandlerTest, RefreshOfAMissingOrEmptyArchiveIsSilentEvenWithoutArj) {
    WriteSettingText("Locations", "ARJ.EXE", "");
    handler.Open(ShortUpperPath(folder / "NEW.ARJ"));
    EXPECT_EQ(handler.Refresh(), 1);
    WriteFileBytes(folder / "EMPTY.ARJ", "");
    handler.Open(ShortUpperPath(folder / "EMPTY.ARJ"));
    EXPECT_EQ(handler.Refresh(), 1);
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(view.clearCount, 2);
}

TEST_F(ArjHandlerTest, WithoutArjEachCommandSaysItIsNotInstalledAndRunsNothing) {
    WriteSettingText("Locations", "ARJ.EXE", "");
    view.selection = {"README.TXT"};
    const std::string target = folder / "made";
    const std::pair<const char*, std::function<int()>> commands[] = {
        {"refresh", [&] { return handler.Refresh(); }},
        {"add", [&] { return handler.AddFile(folder / "X.TXT", 0, 0, 9); }},
        {"delete", [&] { return handler.DeleteEntries({"X.TXT"}); }},
        {"extract", [&] { return handler.Extract(target, 0, 0, 0); }}};
    for (const auto& [name, command] : commands) {
        presenter.messages.clear();
        EXPECT_EQ(command(), 0) << name;
        EXPECT_TRUE(OnlyMessageIs(kNotInstalled, MB_ICONWARNING)) << name;
    }
    EXPECT_EQ(CurrentDirectory(), target);   // extracting has already entered the target
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ArjHandlerTest, NoOutputIsReportedAndTheListFileIsLeftInTheTemporaryFolder) {
    // No listing file for the double: it prints nothing.
    EXPECT_EQ(handler.Refresh(), 0);
    EXPECT_TRUE(OnlyMessageIs("Cannot read list file!", MB_ICONERROR));
    const std::string listFile = ListFilePath();
    EXPECT_TRUE(FileExists(listFile)) << listFile;
    DeleteFileA(listFile.c_str());
}

TEST_F(ArjHandlerTest, AListFileThatCannotBeWrittenIsReported) {
    // A folder of that name can be neither replaced by the redirection nor read as a file.
    const std::string blocker = ListFilePath();
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    UseListing(kListing);
    EXPECT_EQ(handler.Refresh(), 0);
    RemoveDirectoryA(blocker.c_str());
    EXPECT_TRUE(OnlyMessageIs("Cannot open list file!", MB_ICONERROR));
    EXPECT_TRUE(view.rows.empty());
}

TEST_F(ArjHandlerTest, ExtractRunsArjOncePerSelectedName) {
    view.selection = {"README.TXT", "SUB\\DATA.BIN", "LAST.TXT"};
    std::string target = folder / "out";
    ASSERT_EQ(handler.Extract(target, 0, 0, 0), 1);
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_EQ(CurrentDirectory(), target);
    const std::string archiveArg = ShortUpperPath(archive);
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"x", archiveArg, "README.TXT"}, {"x", archiveArg, "SUB\\DATA.BIN"},
                                                 {"x", archiveArg, "LAST.TXT"}}));
}

TEST_F(ArjHandlerTest, ExtractWithoutFolderNamesUsesECommandAndAllNames) {
    view.all = {"ONE.TXT", "TWO.TXT"};
    view.selection = {"ONE.TXT"};
    ASSERT_EQ(handler.Extract(folder.Path(), 1, 1, 1), 1);
    const std::string archiveArg = ShortUpperPath(archive);
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"e", archiveArg, "ONE.TXT"}, {"e", archiveArg, "TWO.TXT"}}));
}

TEST_F(ArjHandlerTest, ExtractWithNothingSelectedDoesNothing) {
    WriteSettingText("Locations", "ARJ.EXE", "");
    std::string target = folder / "never";
    EXPECT_EQ(handler.Extract(target, 0, 0, 0), 1);
    EXPECT_FALSE(PathExists(target));
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ArjHandlerTest, ExtractWithoutMemoryForTheNamesAsksToQuit) {
    view.failNames = true;
    view.selection = {"README.TXT"};
    EXPECT_EQ(handler.Extract(folder / "out", 0, 0, 0), 0);
    EXPECT_TRUE(OnlyMessageIs("Out of memory!", MB_ICONERROR));
    EXPECT_EQ(presenter.quitRequests, 1);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ArjHandlerTest, ExtractIntoAFolderThatCannotBeMadeIsReported) {
    view.selection = {"README.TXT"};
    EXPECT_EQ(handler.Extract(folder / "no\\such\\parent", 0, 0, 0), 0);
    EXPECT_TRUE(OnlyMessageIs("Cannot create the specified directory!", MB_ICONERROR));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ArjHandlerTest, AddBuildsSwitchesFromTheOptions) {
    std::string file = folder / "DOC.TXT";
    WriteFileBytes(file, "text");
    ASSERT_EQ(handler.AddFile(file, 0, 1, 9), 1);
    ASSERT_EQ(handler.AddFile(file, 1, 0, 1), 1);
    ASSERT_EQ(handler.AddFile(file, 1, 0, 4), 1);
    EXPECT_TRUE(presenter.messages.empty());
    const std::string archiveArg = ShortUpperPath(archive), fileArg = ShortUpperPath(file);
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"a", "-e", "-r", "-m4", "-va", archiveArg, fileArg},
                                                 {"a", "-m0", "-va", archiveArg, fileArg},
                                                 {"a", "-m2", "-va", archiveArg, fileArg}}));
}

TEST_F(ArjHandlerTest, AddPassesPatternsAndNamesWithBlanksWhole) {
    ASSERT_EQ(handler.AddFile(folder / "my notes*.txt", 1, 0, 5), 1);
    std::vector<FakeArjCall> calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].arguments.size(), 5u);
    // A pattern has no short form; it only changes case.
    std::string expected = folder / "my notes*.txt";
    CharUpperA(&expected[0]);
    EXPECT_EQ(calls[0].arguments[4], expected);
}

TEST_F(ArjHandlerTest, DeleteRunsArjOncePerNameInUpperCase) {
    ASSERT_EQ(handler.DeleteEntries({"readme.txt", "sub/data.bin"}), 1);
    const std::string archiveArg = ShortUpperPath(archive);
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"d", archiveArg, "README.TXT"}, {"d", archiveArg, "SUB/DATA.BIN"}}));
}

TEST_F(ArjHandlerTest, DeleteNamesAreNotTakenForFilesOfTheCurrentFolder) {
    WriteFileBytes(folder / "longentryname.txt", "a file, not the entry");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    ASSERT_EQ(handler.DeleteEntries({"longentryname.txt"}), 1);
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"d", ShortUpperPath(archive), "LONGENTRYNAME.TXT"}}));
}

TEST_F(ArjHandlerTest, SelfExtractorsAreRefused) {
    EXPECT_EQ(handler.MakeExe(folder / "A.EXE"), 0);
    EXPECT_EQ(handler.MakeWin95Exe(folder / "A.EXE"), 0);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[1].text, "This operation is not supported for ARJ files!");
    EXPECT_EQ(presenter.messages[1].style, static_cast<unsigned int>(MB_ICONWARNING));
    EXPECT_FALSE(PathExists(folder / "A.EXE"));
    EXPECT_TRUE(Calls().empty());
}

// Entry names come from the archive, so whoever made it chose them.
TEST_F(ArjHandlerTest, HostileEntryNamesArriveWholeAndRunNothing) {
    // Were the quotes lost, these would delete the canary, pipe into "format" and write a file.
    view.selection = {"a&del /Q CANARY.TXT", "x|format", "b&echo taken>TAKEN.TXT", "c(d)^e<f"};
    std::string target = folder / "out";
    CreateDirectoryA(target.c_str(), nullptr);
    WriteFileBytes(target + "\\CANARY.TXT", "still here");
    ASSERT_EQ(handler.Extract(target, 0, 0, 0), 1);
    EXPECT_TRUE(presenter.messages.empty());
    std::vector<FakeArjCall> calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        ASSERT_EQ(calls[i].arguments.size(), 3u) << calls[i].commandLine;
        EXPECT_EQ(calls[i].arguments[2], view.selection[i]);
    }
    EXPECT_FALSE(PathExists(target + "\\TAKEN.TXT"));
    EXPECT_TRUE(FileExists(target + "\\CANARY.TXT"));
}

TEST_F(ArjHandlerTest, NamesThatCannotBeQuotedSafelyAreRefusedBeforeAnyRun) {
    const std::vector<std::string> refused = {"-r", "/Y", "%PATH%.txt", "say \"hi\"", "!list", "two\nlines"};
    for (const std::string& bad : refused) {
        presenter.messages.clear();
        view.selection = {"GOOD.TXT", bad};
        EXPECT_EQ(handler.Extract(folder / "out", 0, 0, 0), 0) << bad;
        EXPECT_EQ(handler.DeleteEntries({"GOOD.TXT", bad}), 0) << bad;
        ASSERT_EQ(presenter.messages.size(), 2u) << bad;
        EXPECT_EQ(presenter.messages[0].style, static_cast<unsigned int>(MB_ICONERROR));
        EXPECT_NE(presenter.messages[0].text.find(bad), std::string::npos) << presenter.messages[0].text;
    }
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(handler.AddFile("-r", 0, 0, 9), 0);
    EXPECT_TRUE(Calls().empty());
}

// An entry called "*" exists only in archives made elsewhere; deleting it must not delete all.
TEST_F(ArjHandlerTest, DeletingAWildcardNameIsRefusedButExtractingItIsNot) {
    EXPECT_EQ(handler.DeleteEntries({"GOOD.TXT", "*.*"}), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.style, static_cast<unsigned int>(MB_ICONERROR));
    EXPECT_NE(message.text.find("\"*.*\""), std::string::npos);
    EXPECT_TRUE(Calls().empty());
    view.selection = {"*.*"};
    EXPECT_EQ(handler.Extract(folder / "out", 0, 0, 0), 1);
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"x", ShortUpperPath(archive), "*.*"}}));
}

TEST_F(ArjHandlerTest, AnArjPathWithBlanksIsQuoted) {
    std::string spaced = folder / "ARJ Program.exe";
    ASSERT_TRUE(CopyFileA(FakeArjPath().c_str(), spaced.c_str(), FALSE));
    WriteSettingText("Locations", "ARJ.EXE", spaced);
    ASSERT_EQ(handler.DeleteEntries({"X.TXT"}), 1);
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"d", ShortUpperPath(archive), "X.TXT"}}));
}

// ARJ's console closes when it ends, so a failure it reports must reach the user as a message,
// and the operation must say it failed: Move Files deletes a file only after AddFile succeeded.
TEST_F(ArjHandlerTest, AFailingArjIsReportedOnceAndFailsTheOperation) {
    const std::string file = folder / "NOTE.TXT";
    WriteFileBytes(file, "note");
    {
        EnvironmentSetting failAdd{"BRINDLE_FAKE_ARJ_FAIL_ON", "a"};
        EXPECT_EQ(handler.AddFile(file, 0, 0, 9), 0);
    }
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_NE(message.text.find("exit code 2"), std::string::npos) << message.text;
    EXPECT_TRUE(FileExists(file));

    // Extracting and deleting stop at the first name ARJ fails on.
    presenter.messages.clear();
    view.selection = {"ONE.TXT", "TWO.TXT", "THREE.TXT"};
    {
        EnvironmentSetting failOnTwo{"BRINDLE_FAKE_ARJ_FAIL_ON", "TWO.TXT"};
        EXPECT_EQ(handler.Extract(folder / "out", 0, 0, 0), 0);
        EXPECT_EQ(handler.DeleteEntries(view.selection), 0);
    }
    EXPECT_EQ(presenter.messages.size(), 2u);
    std::vector<FakeArjCall> calls = Calls();
    ASSERT_EQ(calls.size(), 5u);   // the add, two extract runs, two delete runs
    EXPECT_EQ(calls[2].arguments.back(), "TWO.TXT");
    EXPECT_EQ(calls[4].arguments.back(), "TWO.TXT");

    // And success stays silent.
    presenter.messages.clear();
    EXPECT_EQ(handler.AddFile(file, 0, 0, 9), 1);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ArjHandlerTest, DeleteCommandAsksThenDeletesEachNameAndListsAgain) {
    UseListing(kListing);
    view.selection = {"data.bin"};
    presenter.answers = {IDNO};
    EXPECT_EQ(handler.DeleteCommand(), 1);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(view.clearCount, 0);

    presenter.answers = {IDYES};
    EXPECT_EQ(handler.DeleteCommand(), 1);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[1].text, "Are you sure you want to delete selected files?");
    const std::string archiveArg = ShortUpperPath(archive);
    EXPECT_EQ(Arguments(), (std::vector<Columns>{{"d", archiveArg, "DATA.BIN"}, {"v", archiveArg}}));
    EXPECT_EQ(view.rows.size(), 2u);

    // Without ARJ the delete fails with its notice, and the list is still read again.
    WriteSettingText("Locations", "ARJ.EXE", "");
    WriteSettingInt("Settings", "PromptOnDelete", 0);
    EXPECT_EQ(handler.DeleteCommand(), 0);
    EXPECT_EQ(presenter.messages.back().text, kNotInstalled);
    EXPECT_EQ(view.clearCount, 2);
}
