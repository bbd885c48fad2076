// Kestrel driven for real: a Windows self-extractor is built, started as its own process, and
// its dialog worked through window messages, as a user's clicks and keys would arrive.

#include <windows.h>

#include <gtest/gtest.h>

#include "SelfExtractor.h"
#include "SelfExtractorTestSupport.h"
#include "TestSupport/RecordingPresenter.h"
#include "TestSupport/Windows.h"

namespace {

const char kDialogClass[] = "#32770";
const char kMainCaption[] = "Brindle Self-Extracting Archive";
const DWORD kWindowWait = 30000;
const int kFolderField = 1000, kAboutButton = 1001, kUnzipButton = 1002, kBrowseButton = 1003;

void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string FieldText(HWND dialog, int id) {
    char text[1000] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool WaitUntilGone(HWND window) {
    for (int i = 0; i < 200 && IsWindow(window); ++i) Sleep(50);
    return !IsWindow(window);
}

void Screenshot(HWND window, const char* name) {
    Sleep(700);   // let it paint
    EXPECT_TRUE(SaveWindowBitmap(window, ScreenshotFolder() + "\\" + name)) << name;
}

class KestrelProcess {
public:
    KestrelProcess(const std::string& program, const std::string& folder) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string line = "\"" + program + "\"";
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process))
            throw std::runtime_error("cannot start " + program);
    }
    ~KestrelProcess() {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    KestrelProcess(const KestrelProcess&) = delete;
    KestrelProcess& operator=(const KestrelProcess&) = delete;

    HWND Window(const char* caption) { return FindProcessWindow(process.dwProcessId, kDialogClass, caption, kWindowWait); }
    // The exit code, or -1 when it has not ended within a minute.
    int ExitCode() {
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return static_cast<int>(code);
    }

private:
    PROCESS_INFORMATION process{};
};

class KestrelDialog : public ::testing::Test {
protected:
    void SetUp() override {
        files = MakeSampleTree(data / "tree");
        MakeArchive(data / "SAMPLE.ZIP", data / "tree", files);
        RecordingPresenter presenter;
        ASSERT_EQ(BuildSelfExtractor("Kestrel.exe", data / "SAMPLE.ZIP", selfExtractor, TestProgramFolder()), 1);
    }

    CurrentDirectoryKeeper keeper;
    ScratchFolder data{"kestrel"};
    std::vector<std::string> files;
    std::string selfExtractor = data / "SAMPLE.exe";
};

// A Cmd.exe beside the self-extractor (a download folder holds anything) is never the
// interpreter, not even when ComSpec names it without a folder.
TEST_F(KestrelDialog, UnzipsIntoTheTypedFolderWithABlankAndEndsWithOne) {
    WriteFileBytes(data / "Cmd.exe", "not a program");
    EnvironmentSetting comSpec("ComSpec", "Cmd.exe");
    KestrelProcess kestrel(selfExtractor, data.Path());
    HWND dialog = kestrel.Window(kMainCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FieldText(dialog, kFolderField), "");
    const std::string target = data / "un packed";
    SetDlgItemTextA(dialog, kFolderField, target.c_str());
    Screenshot(dialog, "kestrel_dialog.bmp");
    Click(dialog, kUnzipButton);
    EXPECT_EQ(kestrel.ExitCode(), 1);
    EXPECT_EQ(FirstDifference(data / "tree", target, files), "");
}

TEST_F(KestrelDialog, ABrowseCancelledKeepsTheFolderAndCloseEndsWithOne) {
    KestrelProcess kestrel(selfExtractor, data.Path());
    HWND dialog = kestrel.Window(kMainCaption);
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, kFolderField, "C:\\keep this");
    Click(dialog, kBrowseButton);
    HWND browse = kestrel.Window("Browse for Folder");
    ASSERT_NE(browse, nullptr);
    PostMessageA(browse, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(browse));
    EXPECT_EQ(FieldText(dialog, kFolderField), "C:\\keep this");
    EXPECT_TRUE(IsWindow(dialog));
    Click(dialog, IDCANCEL);
    EXPECT_EQ(kestrel.ExitCode(), 1);
    EXPECT_FALSE(PathExists("C:\\keep this"));
}

TEST_F(KestrelDialog, TheAboutBoxClosesOnlyOnOkAndEscEndsWithOne) {
    KestrelProcess kestrel(selfExtractor, data.Path());
    HWND dialog = kestrel.Window(kMainCaption);
    ASSERT_NE(dialog, nullptr);
    Click(dialog, kAboutButton);
    HWND about = kestrel.Window("About Brindle Self-Extractor");
    ASSERT_NE(about, nullptr);
    Screenshot(about, "kestrel_about.bmp");
    PostMessageA(about, WM_COMMAND, IDCANCEL, 0);   // what Esc and the close box send
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(about));
    Click(about, IDOK);
    ASSERT_TRUE(WaitUntilGone(about));
    EXPECT_TRUE(IsWindow(dialog));

    // Esc, through the dialog's own keyboard handling.
    PostMessageA(GetDlgItem(dialog, kFolderField), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(kestrel.ExitCode(), 1);
}

// Built without the carried program: the unpacking fails with its message, and Kestrel ends.
TEST(KestrelWithoutItsResource, SaysSoAndEndsWithOne) {
    ScratchFolder data{"kestrel"};
    KestrelProcess kestrel(TestProgramFolder() + "\\kestrel_without_unzip.exe", data.Path());
    HWND dialog = kestrel.Window(kMainCaption);
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, kFolderField, (data / "out").c_str());
    Click(dialog, kUnzipButton);
    HWND box = kestrel.Window("Brindle Self-Extractor");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(FieldText(box, 0xFFFF), "Cannot find UNZIP resource");
    Screenshot(box, "kestrel_missing_resource.bmp");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(kestrel.ExitCode(), 1);
    EXPECT_FALSE(PathExists(data / "out"));
}

}  // namespace
