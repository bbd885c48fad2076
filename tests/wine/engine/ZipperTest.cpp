// Zipper's command-line rules, and the program itself run on a real file.
#include <gtest/gtest.h>

#include <memory>

#include "EngineTestSupport.h"
#include "ZipperCommandLine.h"
#include "zipcore/ZipArchive.h"

namespace {

// The program name and the blanks after it are skipped; the rest is kept whole, blanks and
// quotation marks included. A quoted program name without its closing mark swallows the line.
TEST(ZipperCommandLine, ArgumentsAfterTheProgramName) {
    const std::pair<const char*, const char*> cases[] = {
        {"Zipper.exe C:\\DOCS\\REPORT.TXT", "C:\\DOCS\\REPORT.TXT"},
        {"Zipper.exe \t  report.txt", "report.txt"},
        {"\"C:\\Program Files\\Zipper.exe\" report.txt", "report.txt"},
        {"Zipper.exe my file.txt  ", "my file.txt  "},
        {"Zipper.exe \"C:\\A B\\x.txt\"", "\"C:\\A B\\x.txt\""},
        {"Zipper.exe", ""},
        {"\"C:\\Zipper.exe\"   ", ""},
        {"", ""},
        {"\"C:\\Zipper.exe report.txt", ""},
    };
    for (const auto& [line, arguments] : cases) EXPECT_EQ(ArgumentsAfterProgramName(line), arguments) << line;
}

// The extension (only the part after the last dot of the file name) is replaced by "zip"; a name
// without one gets ".zip" appended; a quoted path is the path inside the quotes.
TEST(ZipperArchiveName, ArchiveNameForEachPath) {
    const std::pair<const char*, const char*> names[] = {
        {"C:\\DOCS\\REPORT.TXT", "C:\\DOCS\\REPORT.zip"},   {"C:\\DOCS\\README", "C:\\DOCS\\README.zip"},
        {"C:\\DOCS\\DATA.TAR.GZ", "C:\\DOCS\\DATA.TAR.zip"}, {"C:\\MY.DIR\\README", "C:\\MY.DIR\\README.zip"},
        {"C:\\MY.DIR/README", "C:\\MY.DIR/README.zip"},     {"C:\\MY.DIR\\READ.ME", "C:\\MY.DIR\\READ.zip"},
        {"C:.PROFILE", "C:.zip"},                           {"", ".zip"},
    };
    for (const auto& [path, archive] : names) EXPECT_EQ(ArchiveNameFor(path), archive) << path;
    const std::pair<const char*, const char*> quoted[] = {
        {"\"C:\\MY DOCS\\REPORT.TXT\"", "C:\\MY DOCS\\REPORT.TXT"},
        {"\"C:\\MY DOCS\\REPORT.TXT", "C:\\MY DOCS\\REPORT.TXT"},
        {"my file.txt  ", "my file.txt  "},
    };
    for (const auto& [line, path] : quoted) EXPECT_EQ(PathFromCommandLine(line), path) << line;
    EXPECT_EQ(ArchiveNameFor(PathFromCommandLine("\"C:\\DOCS\\REPORT.TXT\"")), "C:\\DOCS\\REPORT.zip");
}

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
