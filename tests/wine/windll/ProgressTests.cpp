// Progress and stop through both DLLs: reports come on the calling thread with figures that
// only grow, and a stop at the first report, inside the large entry or between entries leaves
// only whole files, or the archive as it was with no temporary file beside it.

#include "WindllFixture.h"

#include "TestSupport/Contents.h"

#include <windows.h>

using namespace windll_test;

namespace {

enum class Op { Extract, List, Test, Add, Delete, Cleared };
// A stop at the first report naming stopName (any entry when empty) that has reached stopBytes;
// none when stopName is null. Entries up to mustHave must be on disk whole afterwards, up to
// mayHave they may be (small files queued), none after; a listing lists mustHave entries.
struct Case {
    const char* what;
    Op op;
    const char* stopName;
    unsigned long long stopBytes;
    int result;
    std::size_t mustHave, mayHave;
};

struct Watcher {
    const Case& test;
    DWORD thread;
    bool foreignThread;
    std::vector<WindllProgressReport> seen;
    std::vector<std::string> names;
    static int WINAPI Report(void* context, const WindllProgressReport* report) {
        Watcher& self = *static_cast<Watcher*>(context);
        self.foreignThread |= GetCurrentThreadId() != self.thread;
        self.seen.push_back(*report);
        self.names.emplace_back(report->entryName);
        return self.test.stopName && (!*self.test.stopName || self.names.back() == self.test.stopName) &&
               report->bytesDone >= self.test.stopBytes;
    }
};

// Two small files, a large one that streams through several reports, then many small ones.
const std::vector<std::pair<std::string, std::string>>& Sources() {
    static const auto files = [] {
        std::vector<std::pair<std::string, std::string>> made{
            {"a.txt", Words(1000, 1)}, {"big.bin", Noise(12 << 20, 2)}, {"c.txt", Words(2000, 3)}};
        for (int i = 10; i < 30; ++i) made.emplace_back("s" + std::to_string(i) + ".txt", Words(300 + i, i));
        return made;
    }();
    return files;
}

}  // namespace

TEST(Progress, ReportsOnTheCallingThreadAndAStopLeavesEverythingWhole) {
    const Case cases[] = {
        {"extraction stopped at the first report", Op::Extract, "", 0, UNZIP_CANCELLED, 0, 0},
        {"extraction stopped inside the large entry", Op::Extract, "big.bin", 1001, UNZIP_CANCELLED, 1, 1},
        {"extraction stopped between entries", Op::Extract, "c.txt", 0, UNZIP_CANCELLED, 2, 2},
        {"extraction stopped among small files", Op::Extract, "s20.txt", 0, UNZIP_CANCELLED, 2, 13},
        {"extraction to the end", Op::Extract, nullptr, 0, UNZIP_OK, 23, 23},
        {"extraction after the record was cleared", Op::Cleared, "", 0, UNZIP_OK, 23, 23},
        {"listing stopped among the entries", Op::List, "s15.txt", 0, UNZIP_CANCELLED, 8, 0},
        {"listing to the end", Op::List, nullptr, 0, UNZIP_OK, 23, 0},
        {"testing stopped inside the large entry", Op::Test, "big.bin", 1001, UNZIP_CANCELLED, 0, 0},
        {"testing to the end", Op::Test, nullptr, 0, UNZIP_OK, 0, 0},
        {"adding stopped at the first report", Op::Add, "", 0, ZIP_CANCELLED, 0, 0},
        {"adding stopped inside the large file", Op::Add, "big.bin", 1001, ZIP_CANCELLED, 0, 0},
        {"adding stopped between files", Op::Add, "c.txt", 0, ZIP_CANCELLED, 0, 0},
        {"adding to the end", Op::Add, nullptr, 0, ZIP_OK, 0, 0},
        {"deleting stopped at the first report", Op::Delete, "", 0, ZIP_CANCELLED, 0, 0},
        {"deleting stopped copying the large entry", Op::Delete, "big.bin", 4 << 20, ZIP_CANCELLED, 0, 0},
        {"deleting to the end", Op::Delete, nullptr, 0, ZIP_OK, 0, 0},
    };
    ScratchFolder inputs{"progress-"};
    zipcore::UpdateOptions pack;
    unsigned long long sourceBytes = 0;
    for (const auto& [name, bytes] : Sources()) {
        WriteFileBytes(inputs / name, bytes);
        pack.add.push_back(inputs / name);
        sourceBytes += bytes.size();
    }
    pack.storePaths = false;
    ASSERT_EQ(zipcore::Update(inputs / "in.zip", pack).status, zipcore::Status::Ok);
    const std::string original = ReadFileBytes(inputs / "in.zip");
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ScratchFolder out{"progress-out-", ScratchFolder::MakeCurrent};
        const std::string archive = out / "x.zip";
        WriteFileBytes(archive, original);
        const bool zipping = test.op == Op::Add || test.op == Op::Delete;
        ZipUp();   // loads Zip32.dll
        const auto set = zipping ? reinterpret_cast<WindllZipSetProgressFunction>(reinterpret_cast<void (*)()>(
                                       GetProcAddress(GetModuleHandleA("Zip32.dll"), "windll_zip_set_progress")))
                                 : UnzipExport<WindllUnzipSetProgressFunction>("windll_unzip_set_progress");
        ASSERT_NE(set, nullptr);
        Watcher watcher{test, GetCurrentThreadId(), false, {}, {}};
        const WindllProgress record{sizeof(WindllProgress), &Watcher::Report, &watcher};
        const WindllProgress grown{sizeof(WindllProgress) + 4, nullptr, nullptr};
        EXPECT_EQ(set(&record), 1);
        EXPECT_EQ(set(&grown), 0);   // refused, so the record before still holds
        if (test.op == Op::Cleared) {
            EXPECT_EQ(set(nullptr), 1);
        }
        ZipCall call{archive, {"a.txt"}};
        call.deleteEntries = test.op == Op::Delete;
        call.dropFolderNames = true;
        call.level = '0';   // stored this time, so that a finished add changes the archive
        if (test.op == Op::Add) call.names = pack.add;
        UnzipCommand command = test.op == Op::List ? ListingCommand(archive) : ExtractCommand(archive, true, true);
        command.testOnly = test.op == Op::Test;
        const int result = zipping ? CallZip(call) : CallUnzip(command).result;
        set(nullptr);
        EXPECT_EQ(result, test.result) << Recorded().printed;
        // Stopped within the entry: it was never finished ("updating: big.bin (stored 0%)").
        const bool stoppedInEntry = result == ZIP_CANCELLED && test.stopName && *test.stopName;
        EXPECT_TRUE(!stoppedInEntry || Recorded().printed.find(std::string(test.stopName) + " (") == std::string::npos)
            << Recorded().printed;

        const bool byArchive = test.op == Op::List || test.op == Op::Delete;
        const unsigned long long total = byArchive ? original.size() : sourceBytes;
        const unsigned long entries = test.op == Op::Delete ? 22 : 23;
        EXPECT_FALSE(watcher.foreignThread);
        EXPECT_EQ(watcher.seen.empty(), test.op == Op::Cleared);
        for (std::size_t i = 0; i < watcher.seen.size(); ++i) {
            const WindllProgressReport& seen = watcher.seen[i];
            EXPECT_TRUE(seen.bytesTotal == total && seen.entriesTotal == entries) << seen.bytesTotal;
            EXPECT_TRUE(i == 0 || (seen.bytesDone >= watcher.seen[i - 1].bytesDone &&
                                   seen.entriesDone >= watcher.seen[i - 1].entriesDone))
                << watcher.names[i] << " at " << seen.bytesDone;
        }
        EXPECT_TRUE(watcher.seen.empty() || result != 0 ||
                    (watcher.seen.back().bytesDone == total && watcher.seen.back().entriesDone == entries));
        EXPECT_TRUE(test.op != Op::List || Recorded().entries.size() == test.mustHave) << Recorded().entries.size();

        // Whole files of entries started before the stop, and the archive as it was unless changed.
        EXPECT_EQ(ReadFileBytes(archive) == original, !zipping || result != ZIP_OK);
        for (const std::string& name : FolderTree(out.Path())) {
            std::size_t i = 0;
            while (i < test.mayHave && Sources()[i].first != name) ++i;
            EXPECT_TRUE(name == "x.zip" || (i < test.mayHave && ReadFileBytes(out / name) == Sources()[i].second))
                << name << " should not be there, or not so";
        }
        for (std::size_t i = 0; i < test.mustHave && test.op != Op::List; ++i)
            EXPECT_TRUE(FileExists(out / Sources()[i].first)) << Sources()[i].first;
    }
}
