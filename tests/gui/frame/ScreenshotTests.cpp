// Pictures of the start-up picture, the main window and the About box for a person to
// look at, taken while each is on the screen; the About box's contents are checked too.

#include "FrameTestSupport.h"

#include <algorithm>

#include "Settings.h"
#include "StartupScreen.h"
#include "TestSupport/ModalScript.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

struct AboutBoxSeen {
    bool found = false;
    std::string caption;
    std::vector<std::string> texts;
    RECT bounds{};
    bool saved = false;
};
AboutBoxSeen aboutBoxSeen;

BOOL CALLBACK CollectText(HWND control, LPARAM) {
    char text[1024] = "";
    GetWindowTextA(control, text, sizeof text);
    aboutBoxSeen.texts.push_back(text);
    return TRUE;
}

// Looks at the box, takes the picture, presses OK.
void InspectAboutBox(HWND box) {
    aboutBoxSeen.found = true;
    char caption[256] = "";
    GetWindowTextA(box, caption, sizeof caption);
    aboutBoxSeen.caption = caption;
    EnumChildWindows(box, &CollectText, 0);
    RECT dialogUnits{0, 0, 227, 166};
    MapDialogRect(box, &dialogUnits);
    aboutBoxSeen.bounds = dialogUnits;
    UpdateWindow(box);
    aboutBoxSeen.saved = SaveWindowBitmap(box, ScreenshotFolder() + "\\frame_about_box.bmp");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(FrameTest, StartupPictureScreenshot) {
    WriteSettingInt("Settings", "ShowStartupScreen", 1);
    ASSERT_TRUE(Start());
    HWND picture = FindThreadWindow("BrindleStartupScreen", nullptr);
    ASSERT_NE(picture, nullptr);
    UpdateWindow(picture);
    EXPECT_TRUE(SaveWindowBitmap(picture, ScreenshotFolder() + "\\frame_startup_picture.bmp"));
    CStartupScreen::CloseStartupScreen();
}

TEST_F(FrameTest, MainWindowScreenshot) {
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    ASSERT_TRUE(Start());
    Pump();
    UpdateWindow(MainWindow());
    EXPECT_TRUE(SaveWindowBitmap(MainWindow(), ScreenshotFolder() + "\\frame_main_window.bmp"));
}

TEST_F(FrameTest, AboutBoxShowsVersionAndCreditsAndClosesWithOk) {
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    ASSERT_TRUE(Start());
    aboutBoxSeen = AboutBoxSeen{};
    ModalScript modals;
    ASSERT_TRUE(modals.Running());
    modals.When("About Brindle", &InspectAboutBox);
    SendMessageA(MainWindow(), WM_COMMAND, ID_APP_ABOUT, 0);   // returns when the box is closed
    ASSERT_TRUE(aboutBoxSeen.found);
    EXPECT_EQ(aboutBoxSeen.caption, "About Brindle");
    auto has = [](const std::string& text) {
        return std::find(aboutBoxSeen.texts.begin(), aboutBoxSeen.texts.end(), text) != aboutBoxSeen.texts.end();
    };
    EXPECT_TRUE(has("Brindle Version 3.0"));
    EXPECT_TRUE(has("OK"));
    EXPECT_EQ(aboutBoxSeen.texts.size(), 7u);   // icon, version, three credits, the note and OK
    EXPECT_TRUE(aboutBoxSeen.saved);
    EXPECT_FALSE(FindThreadWindow("#32770", "About Brindle"));
}
