// The command runner: which interpreter it starts and how, and the list-file capture on top.

#include <gtest/gtest.h>

#include <cstdio>

#include "ArjHandler.h"
#include "ArjTestSupport.h"
#include "CommandRunner.h"
#include "CommandLineSafety.h"
#include "TestSupport/Programs.h"

namespace {

std::string FakeArjPath() { return TestProgramFolder() + "\\fake_arj.exe"; }

}  // namespace

// The recording double, standing in for the interpreter in the system folder, shows exactly
// the line the runner starts.
TEST(CommandRunner, StartsCmdWithSlashCAndTheLineInOuterQuotes) {
    ScratchFolder folder{"arj"};
    CurrentDirectoryKeeper keeper;
    SystemFolderCopy standIn(FakeArjPath());
    EnvironmentSetting comSpec("ComSpec", standIn.Path());
    EnvironmentSetting log("BRINDLE_FAKE_ARJ_LOG", folder / "calls.log");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    RunCommand("\"C:\\TOOLS\\ARJ.EXE\" x \"A.ARJ\" \"a&b\"", 0);
    std::vector<FakeArjCall> calls = ReadFakeArjLog(folder / "calls.log");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine, "Cmd.exe /C \"\"C:\\TOOLS\\ARJ.EXE\" x \"A.ARJ\" \"a&b\"\"");
}

// Windows looks for a bare program name in the program's folder and the current folder
// first; an extraction makes its target current, so a Cmd.exe found there would be whatever
// the archive held. Only an interpreter in the system's folders is ever started, whatever
// ComSpec says.
TEST(CommandRunner, APlantedCmdExeIsNeverStartedWhateverComSpecNames) {
    ScratchFolder folder{"arj"};
    CurrentDirectoryKeeper keeper;
    const std::string besideProgram = TestProgramFolder() + "\\Cmd.exe";
    ASSERT_TRUE(CopyFileA(FakeArjPath().c_str(), (folder / "Cmd.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(FakeArjPath().c_str(), besideProgram.c_str(), FALSE));
    EnvironmentSetting log("BRINDLE_FAKE_ARJ_LOG", folder / "calls.log");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    for (const std::string& comSpec : {std::string(), std::string("Cmd.exe"), folder / "Cmd.exe", besideProgram}) {
        EnvironmentSetting setting("ComSpec", comSpec);
        DeleteFileA((folder / "RAN.TXT").c_str());
        RunCommand("echo ran> RAN.TXT", 0);
        EXPECT_EQ(ReadFileBytes(folder / "RAN.TXT"), "ran\r\n") << "ComSpec=" << comSpec;
    }
    DeleteFileA(besideProgram.c_str());
    EXPECT_TRUE(ReadFakeArjLog(folder / "calls.log").empty());
}

TEST(CommandRunner, RunsInTheCurrentFolderAndWaitsForTheEnd) {
    ScratchFolder folder{"arj"};
    CurrentDirectoryKeeper keeper;
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    RunCommand("echo %COMSPEC%> SHELL.TXT", 1);
    // Read straight after the return: the runner waited for the interpreter to finish.
    std::string shell = ReadFileBytes(folder / "SHELL.TXT");
    EXPECT_NE(shell.find("cmd.exe"), std::string::npos) << shell;
}

TEST(CommandRunner, QuotedOperatorsReachTheProgramAsOneArgument) {
    ScratchFolder folder{"arj"};
    CurrentDirectoryKeeper keeper;
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    EnvironmentSetting log("BRINDLE_FAKE_ARJ_LOG", folder / "calls.log");
    RunCommand(QuoteArgument(FakeArjPath()) + " x " + QuoteArgument("a&echo run>RAN.TXT") + " " +
                   QuoteArgument("x|sort") + " " + QuoteArgument("p>q"),
               0);
    std::vector<FakeArjCall> calls = ReadFakeArjLog(folder / "calls.log");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].arguments, (std::vector<std::string>{"x", "a&echo run>RAN.TXT", "x|sort", "p>q"}));
    EXPECT_FALSE(PathExists(folder / "RAN.TXT"));
    EXPECT_FALSE(PathExists(folder / "q"));
}

TEST(CommandRunner, AProgramThatCannotStartShowsNothing) {
    RecordingPresenter presenter;
    RunCommand("\"Z:\\no\\such\\folder\\program.exe\" argument", 0);
    EXPECT_TRUE(presenter.messages.empty());
}

// An interpreter in the system folder that is no program makes the interpreter itself fail to start.
TEST(CommandRunner, AnInterpreterThatCannotStartShowsNothingAndRunsNothing) {
    ScratchFolder folder{"arj"};
    CurrentDirectoryKeeper keeper;
    WriteFileBytes(folder / "Cmd.exe", "not a program");
    SystemFolderCopy broken(folder / "Cmd.exe");
    EnvironmentSetting comSpec("ComSpec", broken.Path());
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    RecordingPresenter presenter;
    RunCommand("echo ran> RAN.TXT", 0);
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_FALSE(PathExists(folder / "RAN.TXT"));
}

TEST(CommandRunner, ACaptureThatDidNotRunNeverReturnsAnEarlierListFile) {
    ScratchFolder folder{"arj"};
    CurrentDirectoryKeeper keeper;
    char temp[MAX_PATH + 1];
    GetTempPathA(sizeof temp, temp);
    char name[32];
    std::snprintf(name, sizeof name, "%lX.lst", GetCurrentThreadId());
    const std::string listFile = std::string(temp) + name;
    WriteFileBytes(listFile, "001) STALE.TXT\r\n 11 MS-DOS 10 5 0.5 98-01-01 00:00:00\r\n");
    WriteFileBytes(folder / "Cmd.exe", "not a program");
    SystemFolderCopy broken(folder / "Cmd.exe");
    EnvironmentSetting comSpec("ComSpec", broken.Path());
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    RecordingPresenter presenter;
    RecordingView view;
    CArjHandler handler(&view);
    std::string output;
    EXPECT_EQ(handler.RunCaptured("echo fresh", output), 0);
    DeleteFileA(listFile.c_str());
    EXPECT_EQ(output, "");
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "Cannot open list file!");
}

TEST(CommandRunner, CaptureReturnsWhatTheCommandPrinted) {
    RecordingPresenter presenter;
    RecordingView view;
    CArjHandler handler(&view);
    ScratchFolder folder{"arj"};
    const std::string printed = "first line\r\nsecond\tline\r\n\r\nlast, without a line end";
    WriteFileBytes(folder / "listing.txt", printed);
    EnvironmentSetting listing("BRINDLE_FAKE_ARJ_LISTING", folder / "listing.txt");
    std::string output = "stale";
    ASSERT_EQ(handler.RunCaptured(QuoteArgument(FakeArjPath()) + " v", output), 1);
    EXPECT_EQ(output, printed);
    EXPECT_TRUE(presenter.messages.empty());
}
