// The self-extractor builder and the Make EXE commands: the command lines it runs, what it
// checks before and after them, and what it says.

#include <windows.h>

#include <gtest/gtest.h>

#include "PathHelpers.h"
#include "SelfExtractor.h"
#include "SelfExtractorTestSupport.h"
#include "TestSupport/RecordingPresenter.h"
#include "TestSupport/ZipEntries.h"
#include "ZipHandler.h"

namespace {

bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SelfExtractorBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        files = MakeSampleTree(data / "tree");
        MakeArchive(archive, data / "tree", files);
        archiveBytes = ReadFileBytes(archive);
    }

    int Build(const std::string& stub = "UNZIPSFX.EXE") {
        return BuildSelfExtractor(stub, archive, target, program.Path());
    }

    CurrentDirectoryKeeper keeper;
    ProgramFolder program;
    ScratchFolder data{"sfxdata"};
    std::string archive = data / "REPORT.ZIP";
    std::string target = data / "REPORT.exe";
    std::vector<std::string> files;
    std::string archiveBytes;
    RecordingPresenter presenter;
};

TEST_F(SelfExtractorBuilder, CopiesThenAdjustsHiddenInTheProgramFolderAndSaysWhere) {
    ASSERT_EQ(Build(), 1);

    std::vector<ProgramFolder::Run> runs = program.Runs();
    ASSERT_EQ(runs.size(), 2u);
    const std::string copyHead = "Cmd.exe /C \"COPY /B UNZIPSFX.EXE+\"" + archive + "\" \"";
    EXPECT_TRUE(StartsWith(runs[0].line, copyHead)) << runs[0].line;
    // The copy writes a new name beside the target, which the adjustment then works on.
    std::string built = runs[0].line.substr(copyHead.size());
    built = built.substr(0, built.find('"'));
    EXPECT_TRUE(StartsWith(built, data.Path() + "\\")) << built;
    EXPECT_EQ(runs[1].line, "Cmd.exe /C \"ZIP386.EXE /A \"" + built + "\"\"");
    for (const ProgramFolder::Run& run : runs) {
        EXPECT_EQ(lstrcmpiA(run.folder.c_str(), program.Path().c_str()), 0) << run.folder;
        EXPECT_EQ(run.show, SW_HIDE);
    }
    EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), program.Path().c_str()), 0);
    EXPECT_FALSE(PathExists(built));

    const std::string stub = ReadFileBytes(program / "UNZIPSFX.EXE");
    const std::string result = ReadFileBytes(target);
    ASSERT_EQ(result.size(), stub.size() + archiveBytes.size());
    EXPECT_EQ(result.compare(0, stub.size(), stub), 0);
    EXPECT_EQ(EntryNames(target), EntryNames(archive));
    EXPECT_EQ(ReadFileBytes(archive), archiveBytes);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "The self-extractor was written to " + target + ".");
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONINFORMATION));
}

TEST_F(SelfExtractorBuilder, TheWindowsStubIsKestrel) {
    ASSERT_EQ(Build("KESTREL.EXE"), 1);
    EXPECT_TRUE(StartsWith(ReadFileBytes(target), ReadFileBytes(program / "KESTREL.EXE")));
    EXPECT_TRUE(Contains(program.Runs().at(0).line, "COPY /B KESTREL.EXE+"));
    EXPECT_EQ(EntryNames(target), EntryNames(archive));
}

TEST_F(SelfExtractorBuilder, AMissingStubOrOffsetToolIsNamedAndNothingRuns) {
    for (const char* missing : {"UNZIPSFX.EXE", "ZIP386.EXE", "UnZip32.dll"}) {
        SCOPED_TRACE(missing);
        WriteFileBytes(program / "keep", ReadFileBytes(program / missing));
        ASSERT_TRUE(DeleteFileA((program / missing).c_str()));
        presenter.messages.clear();
        EXPECT_EQ(Build(), 0);
        RecordedMessage message = OnlyMessage(presenter.messages);
        EXPECT_EQ(message.text, std::string("Cannot find ") + missing + " in " + program.Path() +
                                    ". The self-extractor " + target + " was not made.");
        EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONERROR));
        EXPECT_TRUE(program.Runs().empty());
        EXPECT_FALSE(PathExists(target));
        ASSERT_TRUE(MoveFileA((program / "keep").c_str(), (program / missing).c_str()));
    }
}

// An archive whose own extension is .EXE names the target itself: copying would destroy it.
TEST_F(SelfExtractorBuilder, AnArchiveNamedLikeItsTargetIsRefusedAndKept) {
    ASSERT_TRUE(MoveFileA(archive.c_str(), target.c_str()));
    archive = target;
    std::string shortName = target;
    ToShortPath(shortName);
    for (const std::string& name : {target, shortName}) {
        presenter.messages.clear();
        EXPECT_EQ(BuildSelfExtractor("UNZIPSFX.EXE", name, SelfExtractorTarget(name), program.Path()), 0);
        RecordedMessage message = OnlyMessage(presenter.messages);
        EXPECT_TRUE(Contains(message.text, "would be overwritten")) << message.text;
    }
    EXPECT_TRUE(program.Runs().empty());
    EXPECT_EQ(ReadFileBytes(target), archiveBytes);
}

TEST_F(SelfExtractorBuilder, AnExistingFileOfTheTargetNameIsReplacedOnlyWhenTheUserAgrees) {
    WriteFileBytes(target, "someone's own program");
    presenter.answers = {IDNO};
    EXPECT_EQ(Build(), 1);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, target + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(program.Runs().empty());
    EXPECT_EQ(ReadFileBytes(target), "someone's own program");

    presenter.answers = {IDYES};
    EXPECT_EQ(Build(), 1);
    EXPECT_EQ(EntryNames(target), EntryNames(archive));
}

TEST_F(SelfExtractorBuilder, ACopyOrAdjustmentThatFailsIsReportedAndLeavesNothing) {
    WriteFileBytes(target, "old");
    presenter.answers = {IDYES};
    program.MakeShellIdle();   // neither command does anything
    EXPECT_EQ(Build(), 0);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[1].text,
              "Copying UNZIPSFX.EXE and the archive into " + target + " failed. The self-extractor " + target +
                  " was not made.");
    EXPECT_EQ(ReadFileBytes(target), "old");

    // An offset tool that does not adjust: the copy is there, its offsets are not.
    SetEnvironmentVariableA("BRINDLE_SFX_SHELL_IDLE", nullptr);
    ASSERT_TRUE(CopyFileA((program / "UNZIPSFX.EXE").c_str(), (program / "ZIP386.EXE").c_str(), FALSE));
    presenter.messages.clear();
    presenter.answers = {IDYES};
    EXPECT_EQ(Build(), 0);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_TRUE(StartsWith(presenter.messages[1].text, "ZIP386.EXE did not adjust " + target))
        << presenter.messages[1].text;
    EXPECT_EQ(ReadFileBytes(target), "old");

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((data / "SFX*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left behind: " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST(SelfExtractorTarget, EndsTheArchiveNameInExe) {
    EXPECT_EQ(SelfExtractorTarget("D:\\MAIL\\REPORT.ZIP"), "D:\\MAIL\\REPORT.exe");
    EXPECT_EQ(SelfExtractorTarget("C:\\DATA\\QUARTE~1.ZIP"), "C:\\DATA\\QUARTE~1.exe");
    EXPECT_EQ(SelfExtractorTarget("C:\\DATA\\A.B.ZIP"), "C:\\DATA\\A.B.exe");
    // No dot in the name: never cut inside a folder name.
    EXPECT_EQ(SelfExtractorTarget("C:\\V1.0\\ARCHIVE"), "C:\\V1.0\\ARCHIVE.exe");
    EXPECT_EQ(SelfExtractorTarget("C:\\ARCHIVE"), "C:\\ARCHIVE.exe");
}

// The commands as the Actions menu runs them, with the stubs beside the test program.
TEST(MakeExeCommands, BuildBesideTheArchiveFromTheProgramFolder) {
    CurrentDirectoryKeeper keeper;
    ScratchFolder data{"sfxcmd"};
    std::vector<std::string> files = MakeSampleTree(data / "tree");
    std::string archive = data / "SAMPLE.ZIP";
    MakeArchive(archive, data / "tree", files);
    ToShortPath(archive);
    RecordingPresenter presenter;
    CZipHandler handler(nullptr);
    handler.Open(archive);

    EXPECT_EQ(handler.MakeExeCommand(), 1);
    std::string target = SelfExtractorTarget(archive);
    EXPECT_EQ(EntryNames(target), EntryNames(archive));
    EXPECT_TRUE(StartsWith(ReadFileBytes(target), ReadFileBytes(TestProgramFolder() + "\\UNZIPSFX.EXE")));

    presenter.answers = {IDYES};
    EXPECT_EQ(handler.MakeWin95ExeCommand(), 1);
    EXPECT_TRUE(StartsWith(ReadFileBytes(target), ReadFileBytes(TestProgramFolder() + "\\Kestrel.exe")));
    EXPECT_EQ(EntryNames(target), EntryNames(archive));
    ASSERT_EQ(presenter.messages.size(), 3u);
    EXPECT_EQ(presenter.messages[2].text, "The self-extractor was written to " + target + ".");
}

}  // namespace
