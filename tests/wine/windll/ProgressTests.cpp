// Progress and stop through both DLLs: reports on the calling thread with figures that only
// grow, and what a stop at the first report, inside the large entry or between entries leaves.

#include "WindllFixture.h"

#include "TestSupport/Contents.h"

#include <windows.h>

using namespace windll_test;

namespace {

struct Seen {
    std::string name;
    unsigned long long done, total;
    unsigned long entries, entriesTotal;
    DWORD thread;
};

// Records every report and stops at the first one naming stopName (any entry when empty) that
// has reached stopBytes; never when stopName is null.
struct Watcher {
    const char* stopName = nullptr;
    unsigned long long stopBytes = 0;
    std::vector<Seen> seen;

    static int WINAPI Report(void* context, const WindllProgressReport* report) {
        Watcher& self = *static_cast<Watcher*>(context);
        self.seen.push_back({report->entryName, report->bytesDone, report->bytesTotal, report->entriesDone,
                             report->entriesTotal, GetCurrentThreadId()});
        return self.stopName && (!*self.stopName || self.seen.back().name == self.stopName) &&
               report->bytesDone >= self.stopBytes;
    }
    void Check(unsigned long long total, unsigned long entries, bool finished) const {
        ASSERT_FALSE(seen.empty());
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].thread, GetCurrentThreadId());
            EXPECT_EQ(seen[i].total, total);
            EXPECT_EQ(seen[i].entriesTotal, entries);
            EXPECT_TRUE(i == 0 || (seen[i].done >= seen[i - 1].done && seen[i].entries >= seen[i - 1].entries))
                << seen[i].name << " at " << seen[i].done;
        }
        EXPECT_TRUE(!finished || (seen.back().done == total && seen.back().entries == entries)) << seen.back().done;
    }
};

// The watcher as this thread's record for one DLL, cleared again at the end.
template <typename SetFunction>
struct WatchedCalls {
    SetFunction set;
    WatchedCalls(SetFunction function, Watcher& watcher) : set(function) {
        const WindllProgress record{sizeof(WindllProgress), &Watcher::Report, &watcher};
        EXPECT_EQ(set(&record), 1);
    }
    ~WatchedCalls() { set(nullptr); }
};

WindllUnzipSetProgressFunction UnzipSetProgress() {
    return UnzipExport<WindllUnzipSetProgressFunction>("windll_unzip_set_progress");
}
WindllZipSetProgressFunction ZipSetProgress() {
    ZipUp();   // loads the DLL
    return reinterpret_cast<WindllZipSetProgressFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("Zip32.dll"), "windll_zip_set_progress")));
}

// Two small files, a large one that streams for several reports, then many small ones.
const std::vector<std::pair<std::string, std::string>>& Sources() {
    static const auto files = [] {
        std::vector<std::pair<std::string, std::string>> made{
            {"a.txt", Words(1000, 1)}, {"big.bin", Noise(12 << 20, 2)}, {"c.txt", Words(2000, 3)}};
        for (int i = 10; i < 30; ++i) made.emplace_back("s" + std::to_string(i) + ".txt", Words(300 + i, i));
        return made;
    }();
    return files;
}
unsigned long long SourceBytes() {
    unsigned long long bytes = 0;
    for (const auto& source : Sources()) bytes += source.second.size();
    return bytes;
}
// Writes the sources into folder and, when archive is not empty, packs them into it in order.
void MakeSources(const std::string& folder, const std::string& archive) {
    zipcore::UpdateOptions options;
    options.baseDir = folder;
    for (const auto& [name, bytes] : Sources()) {
        WriteFileBytes(folder + "\\" + name, bytes);
        options.add.push_back(name);
    }
    EXPECT_TRUE(archive.empty() || zipcore::Update(archive, options).status == zipcore::Status::Ok);
}

enum class Mode { Extract, List, Test };

}  // namespace

TEST(Progress, UnzipReportsAndStopsLeavingOnlyWholeFiles) {
    // Entries up to mustHave are on disk whole; up to mayHave they may be (queued small files);
    // none after. A listing lists exactly mustHave entries.
    struct Case {
        const char* what;
        Mode mode;
        const char* stopName;
        unsigned long long stopBytes;
        int result;
        std::size_t mustHave, mayHave;
    };
    const Case cases[] = {
        {"extraction stopped at the first report", Mode::Extract, "", 0, UNZIP_CANCELLED, 0, 0},
        {"extraction stopped inside the large entry", Mode::Extract, "big.bin", 1001, UNZIP_CANCELLED, 1, 1},
        {"extraction stopped between entries", Mode::Extract, "c.txt", 0, UNZIP_CANCELLED, 2, 2},
        {"extraction stopped among small files", Mode::Extract, "s20.txt", 0, UNZIP_CANCELLED, 2, 13},
        {"extraction to the end", Mode::Extract, nullptr, 0, UNZIP_OK, 23, 23},
        {"listing stopped among the entries", Mode::List, "s15.txt", 0, UNZIP_CANCELLED, 8, 8},
        {"listing to the end", Mode::List, nullptr, 0, UNZIP_OK, 23, 23},
        {"testing stopped inside the large entry", Mode::Test, "big.bin", 1001, UNZIP_CANCELLED, 0, 0},
        {"testing to the end", Mode::Test, nullptr, 0, UNZIP_OK, 0, 0},
    };
    ScratchFolder inputs{"progress-"};
    MakeSources(inputs / "src", inputs / "in.zip");
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ScratchFolder out{"progress-out-", ScratchFolder::MakeCurrent};
        Watcher watcher{test.stopName, test.stopBytes, {}};
        UnzipCommand command = test.mode == Mode::List ? ListingCommand(inputs / "in.zip")
                                                       : ExtractCommand(inputs / "in.zip", true, true);
        command.testOnly = test.mode == Mode::Test;
        int result;
        {
            WatchedCalls<WindllUnzipSetProgressFunction> watched(UnzipSetProgress(), watcher);
            result = CallUnzip(command).result;
        }
        EXPECT_EQ(result, test.result) << Recorded().printed;
        const unsigned long long total =
            test.mode == Mode::List ? ReadFileBytes(inputs / "in.zip").size() : SourceBytes();
        watcher.Check(total, 23, test.result == UNZIP_OK);
        EXPECT_TRUE(test.mode != Mode::List || Recorded().entries.size() == test.mustHave) << Recorded().entries.size();
        for (const std::string& name : FolderTree(out.Path())) {
            std::size_t i = 0;
            while (i < test.mayHave && Sources()[i].first != name) ++i;
            EXPECT_TRUE(i < test.mayHave && ReadFileBytes(out / name) == Sources()[i].second)
                << name << " should not be there, or not so";
        }
        for (std::size_t i = 0; i < test.mustHave && test.mode == Mode::Extract; ++i)
            EXPECT_TRUE(FileExists(out / Sources()[i].first)) << Sources()[i].first;
    }
}

TEST(Progress, ZipStopsLeavingTheArchiveAsItWasAndNoTemporaryFile) {
    struct Case {
        const char* what;
        bool deleting;
        const char* stopName;
        unsigned long long stopBytes;
        int result;
    };
    const Case cases[] = {
        {"adding stopped at the first report", false, "", 0, ZIP_CANCELLED},
        {"adding stopped inside the large file", false, "big.bin", 1001, ZIP_CANCELLED},
        {"adding stopped between files", false, "c.txt", 0, ZIP_CANCELLED},
        {"adding to the end", false, nullptr, 0, ZIP_OK},
        {"deleting stopped at the first report", true, "", 0, ZIP_CANCELLED},
        {"deleting stopped inside the copy of the large entry", true, "big.bin", 4 << 20, ZIP_CANCELLED},
        {"deleting to the end", true, nullptr, 0, ZIP_OK},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ScratchFolder scratch{"progress-zip-", ScratchFolder::MakeCurrent};
        MakeSources(scratch.Path(), "");
        WriteFileBytes(scratch / "old\\old.txt", Words(500, 9));
        MakeFolder(scratch / "arc");
        ZipCall call{scratch / "arc\\x.zip", {"old\\old.txt"}};
        ASSERT_EQ(CallZip(call), ZIP_OK) << Recorded().printed;
        // Adding the sources to an archive of one file, or deleting that file after them.
        call.names.clear();
        for (const auto& source : Sources()) call.names.push_back(source.first);
        if (test.deleting) {
            ASSERT_EQ(CallZip(call), ZIP_OK) << Recorded().printed;
            call.names = {"old\\old.txt"};
            call.deleteEntries = true;
        }
        const std::string before = ReadFileBytes(call.archive);
        Watcher watcher{test.stopName, test.stopBytes, {}};
        int result;
        {
            WatchedCalls<WindllZipSetProgressFunction> watched(ZipSetProgress(), watcher);
            result = CallZip(call);
        }
        EXPECT_EQ(result, test.result) << Recorded().printed;
        if (test.deleting) watcher.Check(before.size(), 23, result == ZIP_OK);
        else watcher.Check(SourceBytes(), 23, result == ZIP_OK);
        EXPECT_EQ(FolderTree(scratch / "arc"), std::vector<std::string>{"x.zip"});
        EXPECT_EQ(ReadFileBytes(call.archive) == before, result == ZIP_CANCELLED);
    }
}

TEST(Progress, ARecordClearedOrOfAnUnknownSizeIsNotCalled) {
    for (const bool unzipping : {true, false}) {
        SCOPED_TRACE(unzipping ? "UnZip32.dll" : "Zip32.dll");
        ScratchFolder scratch{"progress-none-", ScratchFolder::MakeCurrent};
        WriteFileBytes(scratch / "one.txt", Words(100, 4));
        ZipCall call{scratch / "one.zip", {"one.txt"}};
        ASSERT_EQ(CallZip(call), ZIP_OK);
        Watcher watcher{"", 0, {}};
        const WindllProgress record{sizeof(WindllProgress), &Watcher::Report, &watcher};
        WindllProgress grown = record;
        grown.size += 4;
        const auto set = unzipping ? UnzipSetProgress() : ZipSetProgress();
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set(&grown), 0);
        EXPECT_EQ(set(&record), 1);
        EXPECT_EQ(set(nullptr), 1);
        EXPECT_EQ(unzipping ? CallUnzip(ListingCommand(call.archive)).result : CallZip(call), 0);
        EXPECT_TRUE(watcher.seen.empty());
    }
}
