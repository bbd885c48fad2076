// The command runner: which interpreter it starts and how, and the list-file capture on top.

#include <gtest/gtest.h>

#include "ArjHandler.h"
#include "ArjTestSupport.h"
#include "CommandRunner.h"
#include "CommandLineSafety.h"
#include "TestSupport/Programs.h"

namespace {

std::string FakeArjPath() { return TestProgramFolder() + "\\fake_arj.exe"; }

// Every command runs in a scratch folder of its own, made current for the length of the test.
class CommandRunner : public testing::Test {
protected:
    ScratchFolder folder{"arj", ScratchFolder::MakeCurrent};
};

}  // namespace

// The recording double, standing in for the interpreter in the system folder, shows exactly
// the line the runner starts.
TEST_F(CommandRunner, StartsCmdWithSlashCAndTheLineInOuterQuotes) {
    SystemFolderCopy standIn(FakeArjPath());
    EnvironmentSetting comSpec("ComSpec", standIn.Path());
    EnvironmentSetting log("BRINDLE_FAKE_ARJ_LOG", folder / "calls.log");
    RunCommand("\"C:\\TOOLS\\ARJ.EXE\" x \"A.ARJ\" \"a&b\"", 0);
    std::vector<FakeArjCall> calls = ReadFakeArjLog(folder / "calls.log");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine, "Cmd.exe /C \"\"C:\\TOOLS\\ARJ.EXE\" x \"A.ARJ\" \"a&b\"\"");
}

// Windows looks for a bare program name in the program's folder and the current folder
// first; an extraction makes its target current, so a Cmd.exe found there would be whatever
// the archive held. Only an interpreter in the system's folders is ever started, whatever
// ComSpec says.
TEST_F(CommandRunner, APlantedCmdExeIsNeverStartedWhateverComSpecNames) {
    const std::string besideProgram = TestProgramFolder() + "\\Cmd.exe";
    ASSERT_TRUE(CopyFileA(FakeArjPath().c_str(), (folder / "Cmd.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(FakeArjPath().c_str(), besideProgram.c_str(), FALSE));
    EnvironmentSetting log("BRINDLE_FAKE_ARJ_LOG", folder / "calls.log");
    for (const std::string& comSpec : {std::string(), std::string("Cmd.exe"), folder / "Cmd.exe", besideProgram}) {
        EnvironmentSetting setting("ComSpec", comSpec);
        DeleteFileA((folder / "RAN.TXT").c_str());
        RunCommand("echo ran> RAN.TXT", 0);
        EXPECT_EQ(ReadFileBytes(folder / "RAN.TXT"), "ran\r\n") << "ComSpec=" << comSpec;
    }
    DeleteFileA(besideProgram.c_str());
    EXPECT_TRUE(ReadFakeArjLog(folder / "calls.log").empty());
}

TEST_F(CommandRunner, RunsInTheCurrentFolderAndWaitsForTheEnd) {
    RunCommand("echo %COMSPEC%> SHELL.TXT", 1);
    // Read straight after the return: the runner waited for the interpreter to finish.
    std::string shell = ReadFileBytes(folder / "SHELL.TXT");
    EXPECT_NE(shell.find("cmd.exe"), std::string::npos) << shell;
}

TEST_F(CommandRunner, QuotedOperatorsReachTheProgramAsOneArgument) {
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

TEST_F(CommandRunner, AProgramThatCannotStartShowsNothing) {
    RecordingPresenter presenter;
    RunCommand("\"Z:\\no\\such\\folder\\program.exe\" argument", 0);
    EXPECT_TRUE(presenter.messages.empty());
}

// An interpreter in the system folder that is no program makes the interpreter itself fail to start.
TEST_F(CommandRunner, AnInterpreterThatCannotStartShowsNothingAndRunsNothing) {
    WriteFileBytes(folder / "Cmd.exe", "not a program");
    SystemFolderCopy broken(folder / "Cmd.exe");
    EnvironmentSetting comSpec("ComSpec", broken.Path());
    RecordingPresenter presenter;
    RunCommand("echo ran> RAN.TXT", 0);
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_FALSE(PathExists(folder / "RAN.TXT"));
}

TEST_F(CommandRunner, ACaptureThatDidNotRunNeverReturnsAnEarlierListFile) {
    const std::string listFile = ListFilePath();
    WriteFileBytes(listFile, "001) STALE.TXT\r\n 11 MS-DOS 10 5 0.5 98-01-01 00:00:00\r\n");
    WriteFileBytes(folder / "Cmd.exe", "not a program");
    SystemFolderCopy broken(folder / "Cmd.exe");
    EnvironmentSetting comSpec("ComSpec", broken.Path());
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

TEST_F(CommandRunner, CaptureReturnsWhatTheCommandPrinted) {
    RecordingPresenter presenter;
    RecordingView view;
    CArjHandler handler(&view);
    const std::string printed = "first line\r\nsecond\tline\r\n\r\nlast, without a line end";
    WriteFileBytes(folder / "listing.txt", printed);
    EnvironmentSetting listing("BRINDLE_FAKE_ARJ_LISTING", folder / "listing.txt");
    std::string output = "stale";
    ASSERT_EQ(handler.RunCaptured(QuoteArgument(FakeArjPath()) + " v", output), 1);
    EXPECT_EQ(output, printed);
    EXPECT_TRUE(presenter.messages.empty());
}
