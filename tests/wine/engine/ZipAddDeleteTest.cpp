// Adding files and patterns (with the walk through sub-folders) and deleting entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "EngineTestSupport.h"
#include "ZipHandler.h"
#include "zipcore/ZipArchive.h"

namespace {

zipcore::Entry EntryNamed(const std::string& archive, const std::string& name) {
    for (const zipcore::Entry& entry : ArchiveEntries(archive))
        if (entry.name == name) return entry;
    ADD_FAILURE() << name << " not in " << archive;
    return zipcore::Entry();
}

std::size_t PositionOf(const std::vector<std::string>& names, const std::string& tail) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (EndsWith(names[i], tail)) return i;
    ADD_FAILURE() << "no entry ending in " << tail;
    return names.size();
}

class ZipAdd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(handler.Init(), 1);
        MakeFolder(tree);
        SetCurrentDirectoryA(tree.c_str());
        handler.Open(archive);
    }
    CurrentDirectoryKeeper keeper;
    ScratchFolder scratch{"engtest"};
    const std::string tree = scratch / "tree";
    const std::string archive = scratch / "out.zip";
    RecordingView view;
    RecordingPresenter presenter;
    CZipHandler handler{&view};
};

TEST_F(ZipAdd, LevelZeroStoresAndLevelNineDeflates) {
    WriteFileBytes(tree + "\\plain.txt", RepeatedLine(20000));
    WriteFileBytes(tree + "\\packed.txt", RepeatedLine(20000));
    EXPECT_EQ(handler.AddFile("plain.txt", 0, 0, 0), 1);
    EXPECT_EQ(handler.AddFile("packed.txt", 0, 0, 9), 1);
    const zipcore::Entry plain = EntryNamed(archive, "plain.txt");
    const zipcore::Entry packed = EntryNamed(archive, "packed.txt");
    EXPECT_EQ(plain.method, 0);
    EXPECT_EQ(plain.compressedSize, 20000u);
    EXPECT_EQ(packed.method, 8);
    EXPECT_LT(packed.compressedSize, 5000u);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ZipAdd, SeveralFilesAreStoredInOneStepOrNothingChanges) {
    for (const char* name : {"one.txt", "two.txt", "three.txt"}) WriteFileBytes(tree + "\\" + name, RepeatedLine(20000));
    ASSERT_EQ(handler.AddFile("one.txt", 0, 0, 6), 1);
    const std::string before = ReadFileBytes(archive);
    const std::string log = handler.GetErrorLog();
    // A missing name: the library refuses the whole call, and the caller goes name by name.
    EXPECT_EQ(handler.AddAllAtOnce({tree + "\\two.txt", tree + "\\missing.txt"}, 0, 0, 6), 0);
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_EQ(handler.GetErrorLog(), log);
    EXPECT_EQ(handler.AddAllAtOnce({tree + "\\two.txt", tree + "\\three.txt"}, 0, 0, 0), 1);
    EXPECT_EQ(EntryNamed(archive, "one.txt").method, 8);
    EXPECT_EQ(EntryNamed(archive, "two.txt").uncompressedSize, 20000u);
    EXPECT_EQ(EntryNamed(archive, "three.txt").method, 0);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ZipAdd, WithoutStorePathOnlyTheFileNameIsKept) {
    MakeFolder(tree + "\\sub");
    WriteFileBytes(tree + "\\sub\\deep.txt", "deep");
    EXPECT_EQ(handler.AddFile(tree + "\\sub\\deep.txt", 0, 0, 6), 1);
    EXPECT_EQ(EntryNames(archive), std::vector<std::string>{"deep.txt"});
}

TEST_F(ZipAdd, RecursivePatternVisitsSubFoldersFirstAndKeepsTheirPaths) {
    MakeFolder(tree + "\\one");
    MakeFolder(tree + "\\one\\inner");
    MakeFolder(tree + "\\two");
    WriteFileBytes(tree + "\\top.txt", "t");
    WriteFileBytes(tree + "\\one\\a.txt", "a");
    WriteFileBytes(tree + "\\one\\inner\\b.txt", "b");
    WriteFileBytes(tree + "\\two\\c.txt", "c");
    WriteFileBytes(tree + "\\two\\skip.dat", "not matched");

    EXPECT_EQ(handler.AddFile("*.txt", 1, 1, 6), 1);
    EXPECT_EQ(CurrentDirectory(), tree);
    EXPECT_TRUE(presenter.messages.empty());

    const std::vector<std::string> names = EntryNames(archive);
    ASSERT_EQ(names.size(), 4u) << testing::PrintToString(names);
    // Each library call appends, so the entry order is the order of the calls.
    const std::size_t top = PositionOf(names, "tree/top.txt");
    const std::size_t a = PositionOf(names, "tree/one/a.txt");
    const std::size_t b = PositionOf(names, "tree/one/inner/b.txt");
    const std::size_t c = PositionOf(names, "tree/two/c.txt");
    EXPECT_EQ(top, 3u);
    EXPECT_LT(b, a);
    EXPECT_LT(c, top);
}

TEST_F(ZipAdd, PatternMatchingNothingInSomeFoldersDoesNotEndTheWalk) {
    // Whatever order the folders come in, the empty ones must not stop the others.
    for (const char* folder : {"\\e1", "\\e2", "\\full", "\\e3"}) MakeFolder(tree + folder);
    WriteFileBytes(tree + "\\e1\\x.dat", "x");
    WriteFileBytes(tree + "\\full\\found.txt", "found");
    EXPECT_EQ(handler.AddFile("*.txt", 0, 1, 6), 1);
    EXPECT_EQ(EntryNames(archive), std::vector<std::string>{"found.txt"});
    EXPECT_EQ(CurrentDirectory(), tree);
}

TEST_F(ZipAdd, PatternMatchingNothingAnywhereSucceedsWithALogLine) {
    MakeFolder(tree + "\\sub");
    EXPECT_EQ(handler.AddFile("*.none", 0, 1, 6), 1);
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_NE(handler.GetErrorLog().find("*.none"), std::string::npos) << handler.GetErrorLog();
    EXPECT_FALSE(PathExists(archive));
}

TEST_F(ZipAdd, MissingPlainFileFailsWithOneMessage) {
    // Move Files deletes a source only after success: a file not stored must not count.
    EXPECT_EQ(handler.AddFile("missing.txt", 0, 0, 9), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text.rfind("Cannot add missing.txt to the archive.", 0), 0u) << message.text;
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_FALSE(PathExists(archive));
}

TEST_F(ZipAdd, MissingFileInARecursiveAddIsReportedOnceNotPerFolder) {
    for (const char* folder : {"\\s1", "\\s2", "\\s3"}) MakeFolder(tree + folder);
    EXPECT_EQ(handler.AddFile("missing.txt", 0, 1, 9), 0);
    OnlyMessage(presenter.messages);
    EXPECT_EQ(CurrentDirectory(), tree);
}

TEST_F(ZipAdd, ArchiveThatCannotBeWrittenFailsAndSaysWhy) {
    WriteFileBytes(tree + "\\file.txt", "data");
    handler.Open(scratch / "no such folder\\out.zip");
    EXPECT_EQ(handler.AddFile("file.txt", 0, 0, 9), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    const std::string& text = message.text;
    EXPECT_EQ(text.rfind("Cannot add file.txt to the archive.", 0), 0u) << text;
    // The library's own explanation travels with the message, since the refresh after an
    // add empties the log.
    EXPECT_NE(text.find("error"), std::string::npos) << text;
}

TEST_F(ZipAdd, DamagedArchiveIsNotReplacedAndTheAddFails) {
    WriteFileBytes(tree + "\\file.txt", "data");
    WriteFileBytes(archive, "not a zip archive at all");
    EXPECT_EQ(handler.AddFile("file.txt", 0, 0, 9), 0);
    EXPECT_EQ(ReadFileBytes(archive), "not a zip archive at all");
}

std::wstring LongForm(const std::string& path) {
    std::wstring wide(path.begin(), path.end());   // the scratch paths are plain ASCII
    return L"\\\\?\\" + wide;
}

// A chain of folders whose full path passes MAX_PATH; only the wide long-path form can
// make or remove it.
class DeepFolderChain {
public:
    explicit DeepFolderChain(const std::string& root) {
        std::string path = root;
        while (path.size() < MAX_PATH + 20) {
            path += "\\" + std::string(40, 'f');
            levels.push_back(path);
            if (!CreateDirectoryW(LongForm(path).c_str(), nullptr)) made = false;
        }
    }
    ~DeepFolderChain() {
        for (auto level = levels.rbegin(); level != levels.rend(); ++level) RemoveDirectoryW(LongForm(*level).c_str());
    }
    DeepFolderChain(const DeepFolderChain&) = delete;
    DeepFolderChain& operator=(const DeepFolderChain&) = delete;
    bool made = true;

private:
    std::vector<std::string> levels;
};

TEST_F(ZipAdd, SubFolderBeyondWindowsPathLimitIsLeftOutAndReported) {
    DeepFolderChain deep(tree);
    ASSERT_TRUE(deep.made);
    WriteFileBytes(tree + "\\near.txt", "near");
    EXPECT_EQ(handler.AddFile("*.txt", 0, 1, 6), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_NE(message.text.find("longer than Windows allows"), std::string::npos) << message.text;
    // What could be reached was still stored.
    EXPECT_EQ(EntryNames(archive), std::vector<std::string>{"near.txt"});
    EXPECT_EQ(CurrentDirectory(), tree);
}

class ZipDelete : public ZipAdd {
protected:
    void SetUp() override {
        ZipAdd::SetUp();
        WriteFileBytes(tree + "\\keep.txt", RepeatedLine(5000));
        WriteFileBytes(tree + "\\drop.txt", "drop");
        WriteFileBytes(tree + "\\also.txt", "also");
        ASSERT_EQ(handler.AddFile("*.txt", 0, 0, 0), 1);
    }
};

TEST_F(ZipDelete, NamedEntriesGoAndTheRestStayAsTheyWere) {
    EXPECT_EQ(handler.DeleteEntries(NameList{"drop.txt", "also.txt"}), 1);
    EXPECT_EQ(EntryNames(archive), std::vector<std::string>{"keep.txt"});
    // Deleting rewrites nothing else: the stored entry stays stored.
    EXPECT_EQ(EntryNamed(archive, "keep.txt").method, 0);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ZipDelete, NamesNotInTheArchiveChangeNothing) {
    EXPECT_EQ(handler.DeleteEntries(NameList{"absent.txt"}), 1);
    EXPECT_EQ(EntryNames(archive).size(), 3u);
}

TEST_F(ZipDelete, ArchiveThatCannotBeReadFailsWithMessage) {
    WriteFileBytes(scratch / "bad.zip", "garbage");
    handler.Open(scratch / "bad.zip");
    EXPECT_EQ(handler.DeleteEntries(NameList{"keep.txt"}), 0);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.style, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_EQ(ReadFileBytes(scratch / "bad.zip"), "garbage");
}

}  // namespace
