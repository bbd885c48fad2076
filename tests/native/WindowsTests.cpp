// Windows paths and file sharing, run under Wine in the mingw build: drive letters and
// backslashes, long names, case-insensitive replacing, files held open by someone else.
#include "TestSupport.h"
#include "zipcore/TestHooks.h"
#include "zipcore/ZipArchive.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/utime.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace ziptest;
using zipcore::Status;

namespace {

// Opens a file the way another program might: reading allowed to others, writing denied.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path) {
        _sopen_s(&fd_, path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYWR, _S_IREAD);
    }
    ~HeldOpen() {
        if (fd_ >= 0) _close(fd_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// pack.zip in dir, holding these entries.
std::string WritePack(const ScratchFolder& dir, std::vector<RawEntry> entries) {
    RawZip zip;
    zip.entries = std::move(entries);
    const std::string archive = dir.Path() + "\\pack.zip";
    WriteFileBytes(archive, zip.Build());
    return archive;
}

// Extracts every entry into target, replacing the files already there.
zipcore::ExtractResult ExtractReplacing(const std::string& archive, const std::string& target) {
    zipcore::ExtractOptions options;
    options.targetDir = target;
    options.overwrite = zipcore::Overwrite::Always;
    return zipcore::Extract(archive, options);
}

std::string Shouted(std::string path) {
    for (char& c : path) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return path;
}

// A scratch folder with pack.zip holding a.txt, and the options that added it.
struct WindowsPack : ::testing::Test {
    ScratchFolder dir;
    const std::string archive = dir.Path() + "\\pack.zip";
    zipcore::UpdateOptions add;

    void MakePack(const std::string& aContent) {
        WriteFileBytes(dir.Path() + "\\a.txt", aContent);
        add.baseDir = dir.Path();
        add.add = {"a.txt"};
        ASSERT_EQ(zipcore::Update(archive, add).status, Status::Ok);
    }
};

}  // namespace

TEST(WindowsPaths, DriveLettersAndBackslashesInEveryPath) {
    ScratchFolder dir;
    ASSERT_EQ(dir.Path()[1], ':') << dir.Path();
    WriteFileBytes(dir.Path() + "\\src\\sub\\a.txt", "alpha");
    WriteFileBytes(dir.Path() + "\\src\\sub\\b.dat", "beta");
    const std::string archive = dir.Path() + "\\pack.zip";
    zipcore::UpdateOptions add;
    add.baseDir = dir.Path() + "\\src\\";
    add.add = {"sub\\*.txt", "sub/b.dat"};
    ASSERT_EQ(zipcore::Update(archive, add).status, Status::Ok);
    EXPECT_EQ(EntryNames(archive), (std::vector<std::string>{"sub/a.txt", "sub/b.dat"}));
    // Neither level exists yet.
    EXPECT_EQ(ExtractReplacing(archive, dir.Path() + "/out\\two\\levels").status, Status::Ok);
    EXPECT_EQ(ReadFileBytes(dir.Path() + "\\out\\two\\levels\\sub\\a.txt"), "alpha");
    // A trailing backslash, as folder pickers give.
    EXPECT_EQ(ExtractReplacing(archive, dir.Path() + "\\again\\").status, Status::Ok);
    EXPECT_EQ(ReadFileBytes(dir.Path() + "\\again\\sub\\b.dat"), "beta");
}

TEST(WindowsPaths, AbsolutePatternStoresThePathWithoutTheDrive) {
    ScratchFolder dir;
    WriteFileBytes(dir.Path() + "\\src\\x.txt", "x");
    const std::string archive = dir.Path() + "\\pack.zip";
    zipcore::UpdateOptions add;
    add.add = {dir.Path() + "\\src\\*.txt"};
    ASSERT_EQ(zipcore::Update(archive, add).status, Status::Ok);
    std::vector<std::string> names = EntryNames(archive);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].find(':'), std::string::npos);
    EXPECT_EQ(names[0].find('\\'), std::string::npos);
    EXPECT_NE(names[0].front(), '/');
    EXPECT_EQ(names[0].substr(names[0].size() - 9), "src/x.txt");
}

TEST(WindowsPaths, LongNamesRoundTrip) {
    ScratchFolder dir;
    const std::string longName = std::string(150, 'n') + ".txt";
    WriteFileBytes(dir.Path() + "\\" + longName, "long");
    const std::string archive = dir.Path() + "\\pack.zip";
    zipcore::UpdateOptions add;
    add.baseDir = dir.Path();
    add.add = {longName};
    ASSERT_EQ(zipcore::Update(archive, add).status, Status::Ok);
    zipcore::ExtractOptions extract;
    extract.targetDir = dir.Path() + "\\out";
    ASSERT_EQ(zipcore::Extract(archive, extract).status, Status::Ok);
    EXPECT_EQ(ReadFileBytes(dir.Path() + "\\out\\" + longName), "long");
}

TEST(WindowsPaths, ReplacingIgnoresCase) {
    ScratchFolder dir;
    const std::string archive = WritePack(dir, {{"Docs/README.TXT", "old"}, {"other", "o"}});
    WriteFileBytes(dir.Path() + "\\docs\\readme.txt", "new");
    zipcore::UpdateOptions add;
    add.baseDir = dir.Path();
    add.add = {"docs\\readme.txt"};
    zipcore::UpdateResult result = zipcore::Update(archive, add);
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.replaced, 1);
    EXPECT_EQ(EntryNames(archive), (std::vector<std::string>{"docs/readme.txt", "other"}));
}

TEST(WindowsPaths, NamesThatOpenOneFileAreWrittenInArchiveOrder) {
    ScratchFolder dir;
    RawZip zip;
    for (const std::string n : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"})
        for (const char* entry : {"\xC3\x89", "\xC3\xA9", "d", "d."}) zip.entries.push_back({n + entry, entry});
    for (RawEntry& entry : zip.entries) entry.flags = 0x800;   // UTF-8 names
    WriteFileBytes(dir / "pairs.zip", zip.Build());
    const std::string out = dir / "out";
    EXPECT_EQ(ExtractReplacing(dir / "pairs.zip", out).status, Status::Ok);
    for (const std::string n : {"1", "6", "12"}) {   // the later entry of each pair wins
        std::ifstream accented(std::filesystem::u8path(out + "\\" + n + "\xC3\xA9"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(accented), {}), "\xC3\xA9") << n;
        EXPECT_EQ(ReadFileBytes(out + "\\" + n + "d"), "d.") << n;
    }
}

TEST_F(WindowsPack, ArchiveHeldOpenByAnotherProgramStaysWhole) {
    ASSERT_NO_FATAL_FAILURE(MakePack(Words(50000, 1)));
    WriteFileBytes(dir.Path() + "\\b.txt", "bee");
    const std::string before = ReadFileBytes(archive);
    add.add = {"b.txt"};
    {
        HeldOpen other(archive);
        ASSERT_TRUE(other.ok());
        std::vector<std::string> lines;
        add.report = [&](zipcore::Status, const std::string& line) { lines.push_back(line); };
        zipcore::UpdateResult result = zipcore::Update(archive, add);
        EXPECT_EQ(result.status, Status::IoError);
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find("pack.zip"), std::string::npos) << lines.back();
    }
    EXPECT_TRUE(ReadFileBytes(archive) == before);
    EXPECT_EQ(FilesBelow(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt", "pack.zip"}));
    add.report = nullptr;
    EXPECT_EQ(zipcore::Update(archive, add).status, Status::Ok);  // once released, it works
    EXPECT_EQ(EntryNames(archive), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(WindowsSharing, ReplacingAReadOnlyFileLeavesNothingBehind) {
    ScratchFolder dir;
    const std::string archive = WritePack(dir, {{"locked.txt", "new"}});
    const std::string target = dir.Path() + "\\out\\locked.txt";
    WriteFileBytes(target, "old");
    ASSERT_EQ(_chmod(target.c_str(), _S_IREAD), 0);
    EXPECT_EQ(ExtractReplacing(archive, dir.Path() + "\\out").status, Status::Ok);
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(FilesBelow(dir.Path() + "\\out"), std::vector<std::string>{"locked.txt"});
}

TEST(WindowsSharing, ExtractingOverAFileHeldOpenFailsCleanly) {
    ScratchFolder dir;
    const std::string archive = WritePack(dir, {{"busy.txt", "new"}, {"free.txt", "free"}});
    WriteFileBytes(dir.Path() + "\\out\\busy.txt", "in use");
    HeldOpen other(dir.Path() + "\\out\\busy.txt");
    ASSERT_TRUE(other.ok());
    zipcore::ExtractResult result = ExtractReplacing(archive, dir.Path() + "\\out");
    EXPECT_EQ(result.status, Status::IoError);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.extracted, 1);
    EXPECT_EQ(ReadFileBytes(dir.Path() + "\\out\\busy.txt"), "in use");
    EXPECT_EQ(FilesBelow(dir.Path() + "\\out"), (std::vector<std::string>{"busy.txt", "free.txt"}));
}

TEST_F(WindowsPack, AFailureBetweenTheTwoRenamesBringsTheOldArchiveBack) {
    ASSERT_NO_FATAL_FAILURE(MakePack("alpha"));
    WriteFileBytes(dir.Path() + "\\b.txt", "beta");
    const std::string before = ReadFileBytes(archive);
    bool asideWhileFailing = false;
    zipcore::testhooks::betweenRenames = [&] {
        // The old archive has been moved aside under another name by now.
        asideWhileFailing = !PathExists(archive);
        return false;
    };
    add.add = {"b.txt"};
    const zipcore::UpdateResult result = zipcore::Update(archive, add);
    zipcore::testhooks::betweenRenames = nullptr;
    EXPECT_TRUE(asideWhileFailing);
    EXPECT_EQ(result.status, Status::IoError);
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_EQ(FilesBelow(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt", "pack.zip"}));
}

// An update keeps the archive's name as it stands on disk, whatever spelling it is given (the
// window passes an upper-cased short path), and removes the temporary files that updates
// killed half-way left beside it: only its own, and only those no program has open.
TEST_F(WindowsPack, AnUpdateKeepsTheArchiveNameAndClearsOnlyItsOwnUnusedLeftovers) {
    ASSERT_NO_FATAL_FAILURE(MakePack("alpha"));
    WriteFileBytes(dir.Path() + "\\b.txt", "beta");
    const char* const leftovers[][2] = {{".zu1f2e", "from a killed update"},
                                        {".zu3d4c", "an update still writing"},
                                        {".zunot-hex", "someone else's"},
                                        {".zt5b6a", "a file being replaced"}};
    for (const auto& leftover : leftovers) WriteFileBytes(archive + leftover[0], leftover[1]);
    WriteFileBytes(dir.Path() + "\\other.zip.zu77", "another archive's");
    HeldOpen running(archive + ".zu3d4c");
    ASSERT_TRUE(running.ok());
    add.add = {"b.txt"};
    ASSERT_EQ(zipcore::Update(Shouted(archive), add).status, Status::Ok);
    EXPECT_EQ(FilesBelow(dir.Path()),
              (std::vector<std::string>{"a.txt", "b.txt", "other.zip.zu77", "pack.zip", "pack.zip.zt5b6a",
                                        "pack.zip.zu3d4c", "pack.zip.zunot-hex"}));
    EXPECT_EQ(EntryNames(archive), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(WindowsPack, TheArchiveIsKnownByIdentityNotByNameSizeAndTime) {
    ASSERT_NO_FATAL_FAILURE(MakePack("alpha"));
    // Another file of the same name, size and time is a file like any other.
    const std::string twin = dir.Path() + "\\other\\pack.zip";
    WriteFileBytes(twin, ReadFileBytes(archive));
    struct _stat64 stamp;
    ASSERT_EQ(_stat64(archive.c_str(), &stamp), 0);
    struct __utimbuf64 times {stamp.st_mtime, stamp.st_mtime};
    ASSERT_EQ(_utime64(twin.c_str(), &times), 0);
    add.add = {"other\\pack.zip"};
    ASSERT_EQ(zipcore::Update(archive, add).status, Status::Ok);
    EXPECT_EQ(EntryNames(archive), (std::vector<std::string>{"a.txt", "other/pack.zip"}));
    // The archive itself under another spelling is still left out.
    add.add = {Shouted(archive), "a.txt"};
    std::vector<std::string> lines;
    add.report = [&](zipcore::Status, const std::string& line) { lines.push_back(line); };
    ASSERT_EQ(zipcore::Update(archive, add).status, Status::Ok);
    EXPECT_EQ(EntryNames(archive), (std::vector<std::string>{"a.txt", "other/pack.zip"}));
    EXPECT_TRUE(AnyLineHas(lines, "not added"));
}
#endif
