// A picture of the window with an archive open and a selection, for a person to look at.

#include "DocumentTestSupport.h"

#include <commctrl.h>

#include "BrindleView.h"

namespace {

class Screenshot : public WindowTest {};

}  // namespace

TEST_F(Screenshot, WindowWithAnArchiveAndASelection) {
    std::vector<std::pair<std::string, std::size_t>> files;
    const char* names[] = {"readme.txt", "setup.exe", "zlib.dll", "help.hlp", "win.ini", "setup.inf",
                           "logo.bmp",   "inner.zip", "Makefile", "notes.txt"};
    for (int index = 0; index < 36; ++index) {
        std::string name = names[index % 10];
        if (index >= 10) name = "dir" + std::to_string(index / 10) + "/" + name;
        files.push_back({name, static_cast<std::size_t>(700 + index * 1531)});
    }
    std::string archive = ScratchPath("Screenshot Sample.zip");
    MakeZip(archive, files);

    StartWindow();
    MoveWindow(MainWindow(), 40, 40, 640, 480, TRUE);
    ASSERT_TRUE(OpenArchive(archive));
    ASSERT_EQ(ControlRowCount(), 36);
    SelectRows({1, 2, 4});
    SendMessageA(List(), WM_KEYUP, VK_SHIFT, 0xC0000001);
    SetForegroundWindow(MainWindow());
    SetFocus(List());
    RedrawWindow(MainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int round = 0; round < 10; ++round) {
        Pump();
        Sleep(50);
    }
    EXPECT_NE(PaneText(1).find("Selected 3 file(s)"), std::string::npos);

    std::string file = ScreenshotFolder() + "\\document-window.bmp";
    ASSERT_TRUE(SaveWindowBitmap(MainWindow(), file)) << file;
}
