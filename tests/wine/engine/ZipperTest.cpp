// Zipper's command-line rules, and the program itself run on a real file.
#include <gtest/gtest.h>

#include <memory>

#include "EngineTestSupport.h"
#include "ZipperCommandLine.h"
#include "zipcore/ZipArchive.h"

namespace {

TEST(ZipperCommandLine, ProgramNameAndTheBlanksAfterItAreSkipped) {
    EXPECT_EQ(ArgumentsAfterProgramName("Zipper.exe C:\\DOCS\\REPORT.TXT"), "C:\\DOCS\\REPORT.TXT");
    EXPECT_EQ(ArgumentsAfterProgramName("Zipper.exe \t  report.txt"), "report.txt");
    EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\Program Files\\Zipper.exe\" report.txt"), "report.txt");
}

TEST(ZipperCommandLine, RestIsKeptWholeWithBlanksAndQuotationMarks) {
    EXPECT_EQ(ArgumentsAfterProgramName("Zipper.exe my file.txt  "), "my file.txt  ");
    EXPECT_EQ(ArgumentsAfterProgramName("Zipper.exe \"C:\\A B\\x.txt\""), "\"C:\\A B\\x.txt\"");
}

TEST(ZipperCommandLine, NoArgumentsGivesEmptyText) {
    EXPECT_EQ(ArgumentsAfterProgramName("Zipper.exe"), "");
    EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\Zipper.exe\"   "), "");
    EXPECT_EQ(ArgumentsAfterProgramName(""), "");
    // A quoted program name without its closing mark swallows the whole line.
    EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\Zipper.exe report.txt"), "");
}

TEST(ZipperArchiveName, ExtensionIsReplacedByZip) {
    EXPECT_EQ(ArchiveNameFor("C:\\DOCS\\REPORT.TXT"), "C:\\DOCS\\REPORT.zip");
}

TEST(ZipperArchiveName, NameWithoutDotGetsZipAppended) {
    EXPECT_EQ(ArchiveNameFor("C:\\DOCS\\README"), "C:\\DOCS\\README.zip");
}

TEST(ZipperArchiveName, OnlyThePartAfterTheLastDotGoes) {
    EXPECT_EQ(ArchiveNameFor("C:\\DOCS\\DATA.TAR.GZ"), "C:\\DOCS\\DATA.TAR.zip");
}

TEST(ZipperArchiveName, ADotInAFolderNameIsNoExtension) {
    EXPECT_EQ(ArchiveNameFor("C:\\MY.DIR\\README"), "C:\\MY.DIR\\README.zip");
    EXPECT_EQ(ArchiveNameFor("C:\\MY.DIR/README"), "C:\\MY.DIR/README.zip");
    EXPECT_EQ(ArchiveNameFor("C:\\MY.DIR\\READ.ME"), "C:\\MY.DIR\\READ.zip");
    EXPECT_EQ(ArchiveNameFor("C:.PROFILE"), "C:.zip");
}

TEST(ZipperArchiveName, AQuotedPathIsThePathInsideTheQuotes) {
    EXPECT_EQ(PathFromCommandLine("\"C:\\MY DOCS\\REPORT.TXT\""), "C:\\MY DOCS\\REPORT.TXT");
    EXPECT_EQ(PathFromCommandLine("\"C:\\MY DOCS\\REPORT.TXT"), "C:\\MY DOCS\\REPORT.TXT");
    EXPECT_EQ(PathFromCommandLine("my file.txt  "), "my file.txt  ");
    EXPECT_EQ(ArchiveNameFor(PathFromCommandLine("\"C:\\DOCS\\REPORT.TXT\"")), "C:\\DOCS\\REPORT.zip");
}

TEST(ZipperArchiveName, EmptyCommandLineGivesBareExtension) { EXPECT_EQ(ArchiveNameFor(""), ".zip"); }

std::string ZipperProgram() { return TestProgramFolder() + "\\Zipper.exe"; }

TEST(ZipperProgram, PacksTheFileBesideItWithoutItsFolder) {
    CurrentDirectoryKeeper keeper;
    ScratchFolder scratch{"engtest"};
    const std::string source = scratch / "REPORT.TXT";
    const std::string contents = RepeatedLine(30000);
    WriteFileBytes(source, contents);

    EXPECT_EQ(RunAndWait("\"" + ZipperProgram() + "\" " + source), 0);

    const std::string archive = scratch / "REPORT.zip";
    zipcore::Error error;
    std::unique_ptr<zipcore::Reader> reader = zipcore::Reader::Open(archive, error);
    ASSERT_TRUE(reader) << error.message;
    ASSERT_EQ(reader->entries().size(), 1u);
    const zipcore::Entry& entry = reader->entries()[0];
    EXPECT_EQ(entry.name, "REPORT.TXT");
    EXPECT_EQ(entry.method, 8);   // level 9 deflates
    std::string unpacked;
    EXPECT_FALSE(reader->ReadEntry(0, [&](const uint8_t* data, std::size_t size) {
        unpacked.append(reinterpret_cast<const char*>(data), size);
        return true;
    }));
    EXPECT_EQ(unpacked, contents);
}

TEST(ZipperProgram, RelativeNameIsTakenFromItsStartingFolderAndBlanksNeedNoQuotes) {
    ScratchFolder scratch{"engtest"};
    WriteFileBytes(scratch / "my notes.txt", "notes");
    EXPECT_EQ(RunAndWait("\"" + ZipperProgram() + "\" my notes.txt", scratch.Path()), 0);
    EXPECT_EQ(EntryNames(scratch / "my notes.zip"), std::vector<std::string>{"my notes.txt"});
}

TEST(ZipperProgram, AQuotedPathAsSendToGivesItIsPackedBesideItself) {
    ScratchFolder scratch{"engtest"};
    MakeFolder(scratch / "my.dir");
    WriteFileBytes(scratch / "my.dir\\read me", "read me");
    EXPECT_EQ(RunAndWait("\"" + ZipperProgram() + "\" \"" + (scratch / "my.dir\\read me") + "\""), 0);
    EXPECT_EQ(EntryNames(scratch / "my.dir\\read me.zip"), std::vector<std::string>{"read me"});
    EXPECT_FALSE(FileExists(scratch / "my.zip"));
}

}  // namespace
