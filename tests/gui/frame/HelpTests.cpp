// The user's guide beside the program: the build writes it, the help engine shows it under
// its title, and Help Topics and the framework's help commands have the shell open it.

#include "FrameTestSupport.h"

#include <cstring>

#include "Settings.h"
#include "resource.h"

namespace {

const char kGuideTitle[] = "Brindle Help";

std::string GuidePath() { return TestProgramFolder() + "\\Brindle.hlp"; }

struct HelpWindowSearch {
    DWORD ownProcess;
    HWND found;
};

// A named procedure, not a lambda: the 32-bit build needs the stdcall convention.
BOOL CALLBACK MatchHelpWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<HelpWindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search.ownProcess || !IsWindowVisible(window)) return TRUE;
    char caption[512] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strncmp(caption, kGuideTitle, sizeof kGuideTitle - 1) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

// A visible top-level window of another process whose caption starts with the guide's title:
// the help engine names its window after the help file it shows.
HWND FindHelpWindow() {
    HelpWindowSearch search{GetCurrentProcessId(), nullptr};
    EnumWindows(&MatchHelpWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Closes the help engine that a test started and waits until its process has gone, so that
// the next test cannot mistake its window for a new one.
void CloseHelpEngine(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (process == nullptr) return;
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
}

class HelpTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        ASSERT_TRUE(FileExists(GuidePath())) << "the build writes the guide beside the programs";
        ASSERT_EQ(FindHelpWindow(), nullptr) << "a help window from elsewhere is open";
    }

    // The help engine is a separate program that may take a while to start under load.
    HWND WaitForHelpWindow() {
        for (int round = 0; round < 600; ++round) {
            if (application) Pump();
            if (HWND window = FindHelpWindow()) return window;
            Sleep(50);
        }
        return nullptr;
    }
};

}  // namespace

TEST_F(HelpTest, GuideIsAWinHelpFileThatTheHelpEngineShowsUnderItsTitle) {
    const std::string guide = ReadFileBytes(GuidePath());
    ASSERT_GE(guide.size(), 16u);
    EXPECT_EQ(guide.substr(0, 4), std::string("\x3F\x5F\x03\x00", 4)) << "WinHelp file signature";
    EXPECT_TRUE(FileExists(TestProgramFolder() + "\\Brindle.cnt")) << "the contents file goes with it";

    std::string commandLine = "winhlp32.exe \"" + GuidePath() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &started));
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);

    HWND window = WaitForHelpWindow();
    ASSERT_NE(window, nullptr) << "no help window captioned \"" << kGuideTitle << "\"";
    DWORD shownBy = 0;
    GetWindowThreadProcessId(window, &shownBy);
    EXPECT_EQ(shownBy, started.dwProcessId);
    CloseHelpEngine(window);
}

TEST_F(HelpTest, HelpTopicsHasTheShellOpenTheGuideBesideTheProgramMaximised) {
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    ASSERT_TRUE(Start("", true));
    ChooseCommand(ID_HELP_TOPICS);

    HWND window = WaitForHelpWindow();
    ASSERT_NE(window, nullptr) << "Help Topics opened no window captioned \"" << kGuideTitle << "\"";
    EXPECT_TRUE(IsZoomed(window));
    // A picture of the guide for a person to look at, once the engine has drawn it.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(1000);
    EXPECT_TRUE(SaveWindowBitmap(window, ScreenshotFolder() + "\\help_window.bmp"));
    CloseHelpEngine(window);
}

TEST_F(HelpTest, FrameworkHelpCommandsOpenTheGuideAndReportNothing) {
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    ASSERT_TRUE(Start("", true));
    for (UINT id : {57667u, 57670u, 57669u, 57671u}) {
        EXPECT_TRUE(Frame().QueryRouteState(id).enabled) << id;
        ChooseCommand(id);
        HWND window = WaitForHelpWindow();
        ASSERT_NE(window, nullptr) << "command " << id << " opened no guide";
        CloseHelpEngine(window);
    }
    EXPECT_TRUE(presenter.messages.empty());
}
