// Long work through the real window: while an extraction, an add or a delete runs, the window
// answers messages, the progress window shows, and its Cancel (or Esc) leaves every file whole.

#include "DocumentTestSupport.h"

#include <commctrl.h>

#include <functional>

#include "ArchiveHandler.h"
#include "BrindleDoc.h"
#include "TestSupport/Contents.h"
#include "TestSupport/ModalScript.h"
#include "TestSupport/ZipEntries.h"
#include "resource.h"

namespace {

void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The names of the files directly in a folder, sorted by the system.
std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// What a user does from outside the window's thread: waits for the progress window, sees
// that the main window answers a message meanwhile, and stops the work with Cancel or Esc.
class UserWhoCancels {
public:
    UserWhoCancels(HWND mainWindow, std::string caption, bool withEscape)
        : mainWindow(mainWindow), caption(std::move(caption)), withEscape(withEscape) {
        thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
    }
    ~UserWhoCancels() { Finish(); }
    UserWhoCancels(const UserWhoCancels&) = delete;
    UserWhoCancels& operator=(const UserWhoCancels&) = delete;

    void Finish() {
        if (!thread) return;
        WaitForSingleObject(thread, 60000);
        CloseHandle(thread);
        thread = nullptr;
    }

    bool sawProgress = false;
    bool answered = false;
    bool cancelEnabled = false;

private:
    static DWORD WINAPI Run(void* parameter) {
        auto& user = *static_cast<UserWhoCancels*>(parameter);
        HWND progress = FindProcessWindow(GetCurrentProcessId(), "#32770", user.caption.c_str(), 30000);
        if (!progress) return 0;
        user.sawProgress = true;
        DWORD_PTR result = 0;
        user.answered = SendMessageTimeoutA(user.mainWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
        user.cancelEnabled = IsWindowEnabled(GetDlgItem(progress, IDCANCEL)) != FALSE;
        if (user.withEscape)
            PostMessageA(GetDlgItem(progress, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
        else
            Click(progress, IDCANCEL);
        return 0;
    }

    HWND mainWindow;
    std::string caption;
    bool withEscape;
    HANDLE thread = nullptr;
};

constexpr int kManyFiles = 6000;
constexpr std::size_t kSmallFile = 8000;
constexpr std::size_t kLargeFile = 96 << 20;

class LongWork : public WindowTest {
public:
    // The cases: each makes its archive and answers the command's dialogs, then checks what
    // the Cancel left besides the archive, which stays byte for byte as it was.
    void MakeManyFiles(const std::string& archive) {
        std::vector<std::pair<std::string, std::size_t>> files;
        for (int index = 0; index < kManyFiles; ++index)
            files.emplace_back("d" + std::to_string(index / 500) + "/f" + std::to_string(index) + ".bin", kSmallFile);
        MakeZip(archive, files);
    }

    void PrepareExtract(const std::string& archive) {
        MakeManyFiles(archive);
        target = ScratchPath("extracted");
        modals.When("Extract", [this](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_EXTRACT_FOLDER, target.c_str());
            Click(dialog, IDOK);
        });
    }
    // The files MakeZip made are noise seeded by their place; none on disk may be partial.
    void CheckExtract() {
        int found = 0;
        for (int index = 0; index < kManyFiles; ++index) {
            const std::string path = target + "\\d" + std::to_string(index / 500) + "\\f" + std::to_string(index) + ".bin";
            if (!PathExists(path)) continue;
            ++found;
            EXPECT_EQ(ReadFileBytes(path), Noise(kSmallFile, index + 1)) << path << " is not whole";
        }
        EXPECT_GT(found, 0) << "the extraction had begun";
        EXPECT_LT(found, kManyFiles) << "the Cancel came too late to stop anything";
        EXPECT_NE(Log().find("Cancelled: "), std::string::npos) << Log();
    }

    void PrepareAdd(const std::string& archive) {
        MakeZip(archive, {{"first.txt", 1000}, {"second.txt", 2000}});
        bigFile = ScratchPath("source big\\big.txt");
        WriteFileBytes(bigFile, Words(kLargeFile, 5));
        dialogs.openFiles = [this](const FileDialogRequest&, std::vector<std::string>& paths) {
            paths = {bigFile};
            return true;
        };
        modals.When("Add Files", [](HWND dialog) {
            SendDlgItemMessageA(dialog, IDC_ADD_ACTION, CB_SETCURSEL, 1, 0);   // Move: the source must stay
            SendDlgItemMessageA(dialog, IDC_ADD_LEVEL, TBM_SETPOS, TRUE, 9);
            Click(dialog, IDOK);
        });
    }
    void CheckAdd() {
        EXPECT_TRUE(ReadFileBytes(bigFile) == Words(kLargeFile, 5)) << "the moved file stays after a Cancel";
        EXPECT_EQ(ControlRowCount(), 2);
        EXPECT_NE(Log().find("Cancelled"), std::string::npos) << Log();
    }

    // A rewrite copies what it keeps: it takes long only when that is large.
    void PrepareDelete(const std::string& archive) {
        MakeZip(archive, {{"small.txt", 100}, {"big1.bin", 128 << 20}, {"big2.bin", 128 << 20},
                          {"big3.bin", 128 << 20}, {"big4.bin", 128 << 20}});
    }
    void CheckDelete() {
        EXPECT_EQ(ControlRowCount(), 5);
        EXPECT_NE(Log().find("Delete cancelled"), std::string::npos) << Log();
    }

protected:
    void TearDown() override {
        EXPECT_EQ(modals.Pending(), 0u) << "dialog steps never ran";
        modals.Stop();
        WindowTest::TearDown();
    }

    std::string Log() { return Document().GetCurrentHandler()->GetErrorLog(); }

    ModalScript modals;
    std::string target;
    std::string bigFile;
};

struct CancelCase {
    const char* what;
    const char* archiveName;
    UINT command;
    const char* verb;
    bool withEscape;
    void (LongWork::*prepare)(const std::string& archive);
    void (LongWork::*check)();
};

TEST_F(LongWork, TheWindowAnswersAndCancelLeavesEverythingWhole) {
    const CancelCase cases[] = {
        {"Extract All", "EXTRACT.ZIP", ID_ACTIONS_EXTRACT, "Extracting", false, &LongWork::PrepareExtract,
         &LongWork::CheckExtract},
        {"Add of a large file", "ADD.ZIP", ID_ACTIONS_ADD, "Adding", true, &LongWork::PrepareAdd, &LongWork::CheckAdd},
        {"Delete", "DELETE.ZIP", ID_ACTIONS_DELETE, "Deleting", false, &LongWork::PrepareDelete,
         &LongWork::CheckDelete},
    };
    StartWindow();
    for (const CancelCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = ScratchPath(c.archiveName) + ".folder";
        MakeFolders(folder);
        const std::string archive = folder + "\\" + c.archiveName;
        (this->*c.prepare)(archive);
        ASSERT_TRUE(OpenArchive(archive));
        if (c.command == ID_ACTIONS_DELETE) SelectRows({4});
        const std::string before = ReadFileBytes(archive);
        const std::vector<std::string> besideBefore = FileNames(folder);

        UserWhoCancels user(MainWindow(), std::string(c.verb) + " " + c.archiveName, c.withEscape);
        RunCommand(c.command);
        user.Finish();
        EXPECT_TRUE(user.sawProgress) << "no progress window";
        EXPECT_TRUE(user.answered) << "the window did not answer while the work ran";
        EXPECT_TRUE(user.cancelEnabled);
        EXPECT_TRUE(IsWindowEnabled(MainWindow())) << "the window is usable again";
        EXPECT_EQ(FindThreadWindow("#32770", (std::string(c.verb) + " " + c.archiveName).c_str()), nullptr)
            << "the progress window has gone";
        EXPECT_TRUE(ReadFileBytes(archive) == before) << "the archive changed";
        EXPECT_EQ(FileNames(folder), besideBefore) << "a file was left beside the archive";
        (this->*c.check)();
        TakeMessages();
    }
}

}  // namespace
