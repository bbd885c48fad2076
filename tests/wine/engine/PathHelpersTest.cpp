#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "Handles.h"
#include "PathHelpers.h"

namespace {

TEST(ShortPath, PathThatDoesNotExistIsOnlyUpperCased) {
    std::string path = "c:\\no such folder\\report.txt";
    ToShortPath(path);
    EXPECT_EQ(path, "C:\\NO SUCH FOLDER\\REPORT.TXT");
}

TEST(ShortPath, ExistingLongNameBecomesShortAndUpperCased) {
    ScratchFolder scratch{"engtest"};
    const std::string longName = scratch / "a rather long file name.text";
    WriteFileBytes(longName, "x");
    std::string path = longName;
    ToShortPath(path);
    EXPECT_EQ(path.find(' '), std::string::npos) << path;
    EXPECT_EQ(path.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos) << path;
    // The short form still names the same file.
    EXPECT_TRUE(FileExists(path)) << path;
}

TEST(ShortPath, LongerThanAnyFixedBufferSurvives) {
    std::string path = "c:\\" + std::string(3000, 'q') + "\\end.zip";
    ToShortPath(path);
    EXPECT_EQ(path, "C:\\" + std::string(3000, 'Q') + "\\END.ZIP");
}

TEST(ProgramDir, IsTheFolderOfTheRunningProgramWithoutTrailingBackslash) {
    std::string dir = "unchanged";
    GetProgramDir(dir);
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
    EXPECT_EQ(dir.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos) << dir;
    // The DLLs are built beside the tests, so the folder must hold them.
    EXPECT_TRUE(FileExists(dir + "\\UnZip32.dll")) << dir;
    std::string expected = TestProgramFolder();
    ToShortPath(expected);
    EXPECT_EQ(dir, expected);
}

TEST(ProgramDir, ProgramInTheRootOfADriveGivesDriveLetterAndColon) {
    char self[MAX_PATH + 1];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string copy = "C:\\engprobe" + std::to_string(GetCurrentProcessId()) + ".exe";
    ScratchFolder scratch{"engtest"};
    const std::string report = scratch / "dir.txt";
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    const int code = RunAndWait("\"" + copy + "\" --program-dir-probe \"" + report + "\"");
    DeleteFileA(copy.c_str());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadFileBytes(report), "C:");
}

TEST(PathComponents, CutLastComponentDropsTheBackslashAndWhatFollows) {
    std::string path = "C:\\DIR\\FILE.ZIP";
    CutLastComponent(path);
    EXPECT_EQ(path, "C:\\DIR");
    CutLastComponent(path);
    EXPECT_EQ(path, "C:");
}

TEST(PathComponents, LastComponentKeepsTheBackslash) {
    std::string path = "C:\\DIR\\NAME";
    LastComponent(path);
    EXPECT_EQ(path, "\\NAME");
    std::string bare = "NAME";
    LastComponent(bare);
    EXPECT_EQ(bare, "NAME");
}

TEST(PathComponents, ExtensionIsUpperCasedTextAfterTheLastDot) {
    std::string extension = "before";
    GetExtension("archive.tar.gz", extension);
    EXPECT_EQ(extension, "GZ");
    GetExtension("C:\\DIR\\report.Zip", extension);
    EXPECT_EQ(extension, "ZIP");
}

TEST(PathComponents, NameWithoutDotLeavesExtensionAsItWas) {
    std::string extension = "before";
    GetExtension("README", extension);
    EXPECT_EQ(extension, "before");
    // A dot in a folder name, of a path or of an entry inside an archive, is no extension.
    GetExtension("C:\\OLD.ARJ\\README", extension);
    EXPECT_EQ(extension, "before");
    GetExtension("docs.v2/readme", extension);
    EXPECT_EQ(extension, "before");
    GetExtension("C:\\OLD.ARJ\\NEW.Zip", extension);
    EXPECT_EQ(extension, "ZIP");
}

TEST(PathComponents, UpperFileNameIsWhatFollowsTheLastSeparatorOrDriveColon) {
    const std::pair<const char*, const char*> cases[] = {{"C:\\Dir\\a.txt", "A.TXT"}, {"dir/b.txt", "B.TXT"},
                                                         {"C:c.txt", "C.TXT"},         {"plain", "PLAIN"},
                                                         {"dir\\", ""}};
    for (const auto& c : cases) EXPECT_EQ(UpperFileName(c.first), c.second) << c.first;
}

// A path the system cannot make full (too long for the ANSI calls, or empty) keeps its text.
TEST(Folders, FullPathKeepsWhatCannotBeMadeFullAndTheTemporaryFolderEndsInABackslash) {
    ScratchFolder scratch{"engtest"};
    CurrentDirectoryKeeper keeper;
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.Path().c_str()));
    EXPECT_EQ(FullPath("sub\\..\\x.txt"), CurrentFolder() + "\\x.txt");
    for (const std::string& text : {std::string(600, 'n') + "\\x.txt", std::string()}) EXPECT_EQ(FullPath(text), text);
    const std::string temporary = TemporaryFolder();
    EXPECT_TRUE(FolderExists(temporary) && temporary.back() == '\\') << temporary;
}

TEST(EmptyOrMissing, ZeroLengthFileIsEmptyAndOneByteIsNot) {
    ScratchFolder scratch{"engtest"};
    WriteFileBytes(scratch / "empty.zip", "");
    WriteFileBytes(scratch / "one.zip", "x");
    EXPECT_EQ(IsFileEmptyOrMissing(scratch / "empty.zip"), 1);
    EXPECT_EQ(IsFileEmptyOrMissing(scratch / "one.zip"), 0);
}

TEST(EmptyOrMissing, MissingFileAndFolderCountAsEmpty) {
    ScratchFolder scratch{"engtest"};
    EXPECT_EQ(IsFileEmptyOrMissing(scratch / "missing.zip"), 1);
    EXPECT_EQ(IsFileEmptyOrMissing(scratch.Path()), 1);
}

TEST(EmptyOrMissing, FileHeldOpenByAnotherProgramStillHasItsData) {
    // The document deletes "empty" archives; one that is merely in use must not qualify.
    ScratchFolder scratch{"engtest"};
    const std::string path = scratch / "busy.zip";
    WriteFileBytes(path, "PK data");
    FileHandle held(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(IsFileEmptyOrMissing(path), 0);
}

}  // namespace
