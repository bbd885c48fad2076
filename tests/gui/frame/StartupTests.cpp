// The program's start-up: defaults, stored placement, command line, the start-up picture,
// and a window that cannot be built.

#include "FrameTestSupport.h"

#include "BrindleDoc.h"
#include "BrindleView.h"
#include "MainFrame.h"
#include "Settings.h"
#include "StartupScreen.h"
#include "TestSupport/ZipEntries.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

RECT WindowBounds(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return bounds;
}

class StartupTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        // Most tests want the keys they send to arrive; the picture's own tests switch it on.
        WriteSettingInt("Settings", "ShowStartupScreen", 0);
    }

    // A zip archive with one small stored file, made by the zip library.
    std::string MakeZip(const std::string& name) {
        std::string content = MakeFile("content.txt", "brindle test content\r\n");
        std::string archive = ScratchPath(name);
        MakeZipOf(archive, "", {content}, {0, false});
        DeleteFileA(content.c_str());
        return archive;
    }
};

}  // namespace

TEST_F(StartupTest, FirstStartGivesTheDefaultSizeAndTheStartupText) {
    ASSERT_TRUE(Start());
    RECT bounds = WindowBounds(MainWindow());
    EXPECT_EQ(bounds.right - bounds.left, 450);
    EXPECT_EQ(bounds.bottom - bounds.top, 350);
    EXPECT_FALSE(IsZoomed(MainWindow()));
    EXPECT_TRUE(IsWindowVisible(MainWindow()));
    EXPECT_EQ(PaneText(0), "Choose \"New\" to create or \"Open\" to open an archive");
    EXPECT_EQ(PaneText(1), "");
    EXPECT_EQ(Caption(), " - Brindle");
    EXPECT_TRUE(GetWindowLongPtrA(MainWindow(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(StartupTest, StatusPanesAreAQuarterOfTheScreenEachAndDoNotStretch) {
    ASSERT_TRUE(Start());
    int edges[4] = {};
    int parts = static_cast<int>(
        SendMessageA(Frame().GetStatusBar()->GetHandle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)));
    int quarter = GetSystemMetrics(SM_CXSCREEN) / 4;
    ASSERT_EQ(parts, 2);
    EXPECT_EQ(edges[0], quarter);
    EXPECT_EQ(edges[1], 2 * quarter);   // a fixed edge, not -1: nothing stretches
}

TEST_F(StartupTest, StoredPlacementIsUsedAsStoredEvenOffTheScreen) {
    WriteSettingInt("Window", "x", -2000);
    WriteSettingInt("Window", "y", 40);
    WriteSettingInt("Window", "cx", 517);
    WriteSettingInt("Window", "cy", 303);
    ASSERT_TRUE(Start());
    RECT bounds = WindowBounds(MainWindow());
    EXPECT_EQ(bounds.left, -2000);
    EXPECT_EQ(bounds.top, 40);
    EXPECT_EQ(bounds.right - bounds.left, 517);
    EXPECT_EQ(bounds.bottom - bounds.top, 303);
}

TEST_F(StartupTest, MaximisedStartIgnoresTheStoredRectangle) {
    WriteSettingInt("Window", "fMaximized", 1);
    WriteSettingInt("Window", "x", 11);
    WriteSettingInt("Window", "y", 13);
    WriteSettingInt("Window", "cx", 333);
    WriteSettingInt("Window", "cy", 222);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(IsZoomed(MainWindow()));
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(MainWindow(), &placement));
    RECT normal = placement.rcNormalPosition;
    EXPECT_NE(normal.right - normal.left, 333);
    EXPECT_NE(normal.bottom - normal.top, 222);
}

TEST_F(StartupTest, ViewFillsTheAreaBetweenToolbarAndStatusBar) {
    ASSERT_TRUE(Start());
    RECT view = WindowBounds(ViewWindow());
    RECT bar = WindowBounds(Frame().GetToolBar()->GetHandle());
    RECT status = WindowBounds(Frame().GetStatusBar()->GetHandle());
    EXPECT_EQ(view.top, bar.bottom);
    EXPECT_EQ(view.bottom, status.top);
    EXPECT_GT(view.bottom - view.top, 50);
}

TEST_F(StartupTest, CommandLineArchiveOpensAfterTheEmptyWindow) {
    std::string archive = MakeZip("Report.zip");
    ASSERT_TRUE(Start("\"" + archive + "\"", true));
    EXPECT_TRUE(TakeMessageTexts().empty());
    auto& document = static_cast<CBrindleDoc&>(*application->GetDocument());
    EXPECT_EQ(document.IsOpen(), 1);
    EXPECT_EQ(document.GetPathName(), archive);
    EXPECT_EQ(document.GetTitle(), "Report.zip");
    EXPECT_EQ(Caption(), "Report.zip - Brindle");
    auto& view = static_cast<CBrindleView&>(*Frame().GetActiveView());
    EXPECT_EQ(view.GetRowCount(), 1);
    ASSERT_GE(application->GetRecentFileList().GetCount(), 1u);
    EXPECT_EQ(application->GetRecentFileList()[0], archive);
}

TEST_F(StartupTest, CommandLineFileOfAnotherTypeEndsTheStartup) {
    std::string notes = MakeFile("notes.txt", "not an archive");
    EXPECT_FALSE(Start(notes, true));
    EXPECT_EQ(TakeMessageTexts(), std::vector<std::string>{"File type not supported!"});
}

TEST_F(StartupTest, CommandLineNamingAMissingFileSaysItWasNotFound) {
    std::string missing = ScratchPath("gone.zip");
    EXPECT_FALSE(Start(missing));
    EXPECT_EQ(TakeMessageTexts(), std::vector<std::string>{missing + " was not found."});
    EXPECT_FALSE(Events().Contains("open " + missing));
}

TEST_F(StartupTest, PrintAndDdeSwitchesGiveTheEmptyWindow) {
    std::string archive = MakeFile("data.zip");
    for (const std::string& commandLine : {"/p " + archive, "/pt " + archive + " printer driver port",
                                           std::string("/dde"), "-Embedding " + archive}) {
        Events() = FrameEvents{};
        ASSERT_TRUE(Start(commandLine)) << commandLine;
        EXPECT_TRUE(application->GetDocument()->GetPathName().empty()) << commandLine;
        EXPECT_FALSE(Events().Contains("open " + archive)) << commandLine;
        EXPECT_TRUE(IsWindowVisible(MainWindow()));
        application->ExitInstance();
        application.reset();
    }
}

TEST_F(StartupTest, FailedViewCreationReportsTheEmptyDocumentFailure) {
    Events().failViewCreation = true;
    EXPECT_FALSE(Start());
    EXPECT_EQ(Events().viewCreations, 1);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "Failed to create empty document.");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONEXCLAMATION));
    EXPECT_EQ(application->GetMainFrame(), nullptr);
    EXPECT_EQ(FindThreadWindow("BrindleFrame", nullptr), nullptr);
}

TEST_F(StartupTest, StartupPictureClosesOnAKeyThatIsNotDelivered) {
    WriteSettingInt("Settings", "ShowStartupScreen", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(CStartupScreen::IsShowing());
    HWND picture = FindThreadWindow("BrindleStartupScreen", nullptr);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(GetWindow(picture, GW_OWNER), MainWindow());
    RECT bounds = WindowBounds(picture);
    EXPECT_EQ(bounds.right - bounds.left, 401);
    EXPECT_EQ(bounds.bottom - bounds.top, 237);

    PressKey(VK_DOWN, false);
    EXPECT_FALSE(CStartupScreen::IsShowing());
    EXPECT_FALSE(IsWindow(picture));
    EXPECT_FALSE(Events().Contains("key " + std::to_string(VK_DOWN)));
    // Once it is gone, keys reach the list again.
    PressKey(VK_DOWN, false);
    EXPECT_TRUE(Events().Contains("key " + std::to_string(VK_DOWN)));
}

TEST_F(StartupTest, StartupPictureClosesOnAMouseButtonAnywhere) {
    WriteSettingInt("Settings", "ShowStartupScreen", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(CStartupScreen::IsShowing());
    PostMessageA(Frame().GetStatusBar()->GetHandle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    Pump();
    EXPECT_FALSE(CStartupScreen::IsShowing());
}

TEST_F(StartupTest, StartupPictureClosesByItselfAfterItsTimer) {
    WriteSettingInt("Settings", "ShowStartupScreen", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(CStartupScreen::IsShowing());
    EXPECT_TRUE(PumpUntil([] { return !CStartupScreen::IsShowing(); }));
    EXPECT_EQ(FindThreadWindow("BrindleStartupScreen", nullptr), nullptr);
}

TEST_F(StartupTest, SwitchedOffStartupPictureIsNotShown) {
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    ASSERT_TRUE(Start());
    EXPECT_FALSE(CStartupScreen::IsShowing());
    EXPECT_EQ(FindThreadWindow("BrindleStartupScreen", nullptr), nullptr);
}

TEST_F(StartupTest, ExitClosesTheDocumentThenDestroysTheFrameThenDeletesTheDocument) {
    ASSERT_TRUE(Start());
    ChooseCommand(ID_APP_EXIT);
    Pump();
    int closed = Events().IndexOf("close document");
    int destroyed = Events().IndexOf("view destroyed");
    ASSERT_GE(closed, 0);
    ASSERT_GT(destroyed, closed);
    EXPECT_FALSE(Events().Contains("document deleted"));   // not before the loop has ended
    application->ExitInstance();
    EXPECT_GT(Events().IndexOf("document deleted"), destroyed);
    application.reset();
}

TEST_F(FrameTest, StartupPictureIsShownWhenNothingIsStored) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(CStartupScreen::IsShowing());
    EXPECT_NE(FindThreadWindow("BrindleStartupScreen", nullptr), nullptr);
}
