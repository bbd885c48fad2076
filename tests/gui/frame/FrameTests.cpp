// The main frame: the message line, tooltips and fly-by prompts, the bars and their
// toggles, docking, accelerators and the command route's enabled states.

#include "FrameTestSupport.h"

#include <shlobj.h>

#include <cstring>

#include "MainFrame.h"
#include "Settings.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

constexpr int kFileMenu = 0;
constexpr int kActionsMenu = 1;
constexpr int kViewMenu = 2;

RECT WindowBounds(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return bounds;
}

class MainFrameTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        WriteSettingInt("Settings", "ShowStartupScreen", 0);
        ASSERT_TRUE(Start());
    }

    HWND ToolBarHolder() const { return Frame().GetToolBar()->GetHandle(); }
    HWND ToolBarControl() const { return Frame().GetToolBar()->GetToolBarControl(); }

    std::string TooltipFor(UINT id) {
        NMTTDISPINFOA info{};
        info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageA(ToolBarControl(), TB_GETTOOLTIPS, 0, 0));
        info.hdr.idFrom = id;
        info.hdr.code = TTN_GETDISPINFOA;
        SendMessageA(ToolBarHolder(), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
        return info.lpszText != nullptr ? std::string(info.lpszText) : std::string();
    }

    POINT ButtonCentre(UINT id) {
        RECT button{};
        SendMessageA(ToolBarControl(), TB_GETRECT, id, reinterpret_cast<LPARAM>(&button));
        return POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    }

    // Drags the bar by its gripper (the strip before its client area) and lets go at a
    // point of the frame's client area.
    void DragToolBarTo(POINT frameClientPoint) {
        RECT bar = WindowBounds(ToolBarHolder());
        POINT gripper{bar.left + 3, bar.top + 3};
        ScreenToClient(ToolBarHolder(), &gripper);
        SendMessageA(ToolBarHolder(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(gripper.x, gripper.y));
        POINT point = frameClientPoint;
        MapWindowPoints(MainWindow(), ToolBarHolder(), &point, 1);
        SendMessageA(ToolBarHolder(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        Pump();
    }

    RECT FrameClient() {
        RECT client{};
        GetClientRect(MainWindow(), &client);
        return client;
    }
};

}  // namespace

TEST_F(MainFrameTest, HighlightedMenuItemShowsItsPromptAndClosingTheMenuEmptiesTheLine) {
    HMENU fileMenu = GetSubMenu(GetMenu(MainWindow()), kFileMenu);
    SendMessageA(MainWindow(), WM_MENUSELECT, MAKEWPARAM(ID_FILE_OPEN, MF_STRING), reinterpret_cast<LPARAM>(fileMenu));
    EXPECT_EQ(PaneText(0), "Open an existing document");
    // Only the first line of a prompt goes to the status bar.
    SendMessageA(MainWindow(), WM_MENUSELECT, MAKEWPARAM(ID_APP_EXIT, MF_STRING), reinterpret_cast<LPARAM>(fileMenu));
    EXPECT_EQ(PaneText(0), "Quit the application; prompts to save documents");
    SendMessageA(MainWindow(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(PaneText(0), "");
    EXPECT_EQ(PaneText(1), "");
}

TEST_F(MainFrameTest, OpeningASubmenuShowsTheIdleText) {
    ASSERT_FALSE(PaneText(0).empty());
    HMENU bar = GetMenu(MainWindow());
    SendMessageA(MainWindow(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(PaneText(0), "");
}

TEST_F(MainFrameTest, RecentFilePromptsReadOpenThisDocument) {
    for (UINT id : {57616u, 57625u, 57631u}) {
        SendMessageA(MainWindow(), WM_MENUSELECT, MAKEWPARAM(id, MF_STRING), 0);
        EXPECT_EQ(PaneText(0), "Open this document") << id;
    }
}

TEST_F(MainFrameTest, TooltipsAreTheSecondLinesOfThePrompts) {
    EXPECT_EQ(TooltipFor(ID_VIEW_TOOLBAR), "Toggle ToolBar");
    EXPECT_EQ(TooltipFor(ID_VIEW_STATUS_BAR), "Toggle StatusBar");
    EXPECT_EQ(TooltipFor(ID_APP_EXIT), "Exit");
    EXPECT_EQ(TooltipFor(ID_FILE_OPEN), "");   // a prompt of one line has no tooltip
}

TEST_F(MainFrameTest, PointerOverAButtonShowsItsPromptUntilItLeaves) {
    POINT open = ButtonCentre(ID_FILE_OPEN);
    SendMessageA(ToolBarControl(), WM_MOUSEMOVE, 0, MAKELPARAM(open.x, open.y));
    EXPECT_EQ(PaneText(0), "Open an existing document");
    POINT add = ButtonCentre(ID_ACTIONS_ADD);
    SendMessageA(ToolBarControl(), WM_MOUSEMOVE, 0, MAKELPARAM(add.x, add.y));
    EXPECT_EQ(PaneText(0), "Add file(s) to the archive");
    SendMessageA(ToolBarControl(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(PaneText(0), "");
}

TEST_F(MainFrameTest, ToolbarHasTheSevenButtonsAndOneSeparatorInOrder) {
    const UINT expected[] = {ID_FILE_NEW_ARCHIVE, ID_FILE_OPEN,       ID_ACTIONS_VIEW_ERROR_LOG, 0,
                             ID_ACTIONS_ADD,      ID_ACTIONS_EXTRACT, ID_ACTIONS_DELETE,         ID_ACTIONS_VIEW};
    ASSERT_EQ(SendMessageA(ToolBarControl(), TB_BUTTONCOUNT, 0, 0), 8);
    for (int index = 0; index < 8; ++index) {
        TBBUTTON button{};
        SendMessageA(ToolBarControl(), TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
        if (expected[index] == 0) EXPECT_TRUE(button.fsStyle & BTNS_SEP) << index;
        else EXPECT_EQ(static_cast<UINT>(button.idCommand), expected[index]) << index;
    }
    RECT button{};
    SendMessageA(ToolBarControl(), TB_GETRECT, ID_FILE_OPEN, reinterpret_cast<LPARAM>(&button));
    EXPECT_GE(button.right - button.left, 46);
    EXPECT_GE(button.bottom - button.top, 41);
}

TEST_F(MainFrameTest, ToolbarButtonsFollowTheCommandStatesWhenIdle) {
    Events().disabledCommands = {ID_ACTIONS_DELETE};
    Pump();
    EXPECT_FALSE(SendMessageA(ToolBarControl(), TB_ISBUTTONENABLED, ID_ACTIONS_DELETE, 0));
    EXPECT_TRUE(SendMessageA(ToolBarControl(), TB_ISBUTTONENABLED, ID_ACTIONS_ADD, 0));
    Events().disabledCommands.clear();
    Pump();
    EXPECT_TRUE(SendMessageA(ToolBarControl(), TB_ISBUTTONENABLED, ID_ACTIONS_DELETE, 0));
}

TEST_F(MainFrameTest, ToolbarButtonClickRunsTheCommand) {
    SendMessageA(ToolBarHolder(), WM_COMMAND, ID_ACTIONS_ADD, reinterpret_cast<LPARAM>(ToolBarControl()));
    EXPECT_TRUE(Events().Contains("command " + std::to_string(ID_ACTIONS_ADD)));
}

TEST_F(MainFrameTest, MenuItemsAreGreyedAndCheckedByTheRoute) {
    Events().disabledCommands = {ID_ACTIONS_VIEW};
    EXPECT_TRUE(MenuItemState(kActionsMenu, ID_ACTIONS_VIEW) & MF_GRAYED);
    EXPECT_FALSE(MenuItemState(kActionsMenu, ID_ACTIONS_ADD) & MF_GRAYED);
    EXPECT_TRUE(MenuItemState(kViewMenu, ID_VIEW_TOOLBAR) & MF_CHECKED);
    EXPECT_TRUE(MenuItemState(kViewMenu, ID_VIEW_STATUS_BAR) & MF_CHECKED);
}

TEST_F(MainFrameTest, RightButtonMenuOwnedByTheFrameIsUpdatedByTheSameRoute) {
    Events().disabledCommands = {ID_ACTIONS_DELETE};
    HMENU loaded = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ENTRY_CONTEXT_MENU));
    ASSERT_NE(loaded, nullptr);
    HMENU actions = GetSubMenu(loaded, 0);
    ASSERT_EQ(GetMenuItemCount(actions), 7);
    SendMessageA(MainWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(actions), 0);
    EXPECT_TRUE(GetMenuState(actions, ID_ACTIONS_DELETE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(actions, ID_ACTIONS_EXTRACT, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(loaded);
}

TEST_F(MainFrameTest, ViewMenuHidesAndShowsTheStatusBar) {
    HWND status = Frame().GetStatusBar()->GetHandle();
    ChooseCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(IsWindowVisible(status));
    EXPECT_FALSE(MenuItemState(kViewMenu, ID_VIEW_STATUS_BAR) & MF_CHECKED);
    // The list takes the room the bar had.
    RECT client = FrameClient();
    MapWindowPoints(MainWindow(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(WindowBounds(ViewWindow()).bottom, client.bottom);
    ChooseCommand(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(IsWindowVisible(status));
    EXPECT_TRUE(MenuItemState(kViewMenu, ID_VIEW_STATUS_BAR) & MF_CHECKED);
    EXPECT_EQ(WindowBounds(ViewWindow()).bottom, WindowBounds(status).top);
}

TEST_F(MainFrameTest, ViewMenuHidesAndShowsTheToolbar) {
    ChooseCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(IsWindowVisible(ToolBarHolder()));
    EXPECT_FALSE(MenuItemState(kViewMenu, ID_VIEW_TOOLBAR) & MF_CHECKED);
    RECT client = FrameClient();
    MapWindowPoints(MainWindow(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(WindowBounds(ViewWindow()).top, client.top);
    ChooseCommand(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(IsWindowVisible(ToolBarHolder()));
    EXPECT_EQ(WindowBounds(ViewWindow()).top, WindowBounds(ToolBarHolder()).bottom);
}

TEST_F(MainFrameTest, HiddenStatusBarIsShownAgainAtTheNextStart) {
    ChooseCommand(ID_VIEW_STATUS_BAR);
    ASSERT_FALSE(IsWindowVisible(Frame().GetStatusBar()->GetHandle()));
    application->ExitInstance();
    application.reset();
    ASSERT_TRUE(Start());
    EXPECT_TRUE(IsWindowVisible(Frame().GetStatusBar()->GetHandle()));
}

TEST_F(MainFrameTest, ToolbarDocksAtEachEdgeItIsDraggedTo) {
    RECT client = FrameClient();
    LONG middleX = (client.left + client.right) / 2;
    LONG middleY = (client.top + client.bottom) / 2;

    DragToolBarTo(POINT{middleX, client.bottom - 2});
    EXPECT_EQ(Frame().GetToolBar()->GetDockSide(), DockSide::Bottom);
    EXPECT_EQ(WindowBounds(ToolBarHolder()).bottom, WindowBounds(Frame().GetStatusBar()->GetHandle()).top);
    EXPECT_EQ(WindowBounds(ViewWindow()).bottom, WindowBounds(ToolBarHolder()).top);

    DragToolBarTo(POINT{client.left + 2, middleY});
    EXPECT_EQ(Frame().GetToolBar()->GetDockSide(), DockSide::Left);
    RECT holder = WindowBounds(ToolBarHolder());
    EXPECT_GT(holder.bottom - holder.top, holder.right - holder.left);   // standing upright
    EXPECT_EQ(WindowBounds(ViewWindow()).left, holder.right);

    DragToolBarTo(POINT{client.right - 2, middleY});
    EXPECT_EQ(Frame().GetToolBar()->GetDockSide(), DockSide::Right);
    EXPECT_EQ(WindowBounds(ViewWindow()).right, WindowBounds(ToolBarHolder()).left);

    DragToolBarTo(POINT{middleX, client.top + 2});
    EXPECT_EQ(Frame().GetToolBar()->GetDockSide(), DockSide::Top);
    EXPECT_EQ(WindowBounds(ViewWindow()).top, WindowBounds(ToolBarHolder()).bottom);
}

TEST_F(MainFrameTest, PressingOutsideTheGripperDoesNotMoveTheToolbar) {
    RECT client = FrameClient();
    RECT holder{};
    GetClientRect(ToolBarHolder(), &holder);
    SendMessageA(ToolBarHolder(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(holder.right - 2, holder.bottom - 2));
    POINT bottom{(client.left + client.right) / 2, client.bottom - 2};
    MapWindowPoints(MainWindow(), ToolBarHolder(), &bottom, 1);
    SendMessageA(ToolBarHolder(), WM_LBUTTONUP, 0, MAKELPARAM(bottom.x, bottom.y));
    EXPECT_EQ(Frame().GetToolBar()->GetDockSide(), DockSide::Top);
}

TEST_F(MainFrameTest, AcceleratorsReachTheirCommands) {
    PressKey('V', true);
    PressKey('A', true);
    PressKey(VK_DELETE, false);
    PressKey(VK_ADD, false);
    PressKey('F', true);
    std::vector<std::string> commands;
    for (const std::string& entry : Events().log)
        if (entry.rfind("command ", 0) == 0) commands.push_back(entry);
    EXPECT_EQ(commands, (std::vector<std::string>{"command " + std::to_string(ID_ACTIONS_VIEW),
                                                  "command " + std::to_string(ID_ACTIONS_SELECT_ALL),
                                                  "command " + std::to_string(ID_ACTIONS_DELETE),
                                                  "command " + std::to_string(ID_ACTIONS_SELECT_PATTERN),
                                                  "command " + std::to_string(ID_ACTIONS_FIND)}));
    // A translated accelerator is not also delivered as a key.
    EXPECT_FALSE(Events().Contains("key " + std::to_string(VK_DELETE)));
}

TEST_F(MainFrameTest, DisabledCommandDoesNothingHoweverItArrives) {
    Events().disabledCommands = {ID_ACTIONS_VIEW};
    PressKey('V', true);
    ChooseCommand(ID_ACTIONS_VIEW);
    SendMessageA(ToolBarHolder(), WM_COMMAND, ID_ACTIONS_VIEW, reinterpret_cast<LPARAM>(ToolBarControl()));
    EXPECT_FALSE(Events().Contains("command " + std::to_string(ID_ACTIONS_VIEW)));
}

TEST_F(MainFrameTest, PlainLetterWithoutCtrlIsAKeyForTheList) {
    PressKey('V', false);
    EXPECT_FALSE(Events().Contains("command " + std::to_string(ID_ACTIONS_VIEW)));
    EXPECT_TRUE(Events().Contains("key " + std::to_string('V')));
}

TEST_F(MainFrameTest, FrameCarriesTheProgramIconAndTheMenuBar) {
    EXPECT_NE(GetClassLongPtrA(MainWindow(), GCLP_HICON), 0);
    EXPECT_EQ(GetClassLongPtrA(MainWindow(), GCLP_HCURSOR), 0);   // the class cursor is removed
    HMENU bar = GetMenu(MainWindow());
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    EXPECT_EQ(MenuTexts(kActionsMenu),
              (std::vector<std::string>{"&Add...", "&Extract...\tCtrl+E", "&View\tCtrl+V", "&Delete\tDel", "",
                                        "Select A&ll\tCtrl+A", "&Select...\tNum +", "&Invert Selection", "",
                                        "&Make EXE", "Make &Win95 EXE", "", "&View Error Log"}));
}

TEST_F(MainFrameTest, ExitCommandClosesTheWindowAndEndsTheLoop) {
    HWND window = MainWindow();
    PostMessageA(window, WM_COMMAND, ID_APP_EXIT, 0);
    bool quitSeen = false;
    for (int round = 0; round < 100 && !quitSeen; ++round) quitSeen = !application->ProcessPendingMessages();
    EXPECT_TRUE(quitSeen);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainFrameTest, FilesDroppedOnTheFrameGoToTheView) {
    // A drop as the shell hands it over: the header, then NUL-separated paths, then a NUL.
    const char paths[] = "C:\\IN\\ONE.TXT\0C:\\IN\\TWO.TXT\0";
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof paths);
    ASSERT_NE(memory, nullptr);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), paths, sizeof paths);
    GlobalUnlock(memory);
    SendMessageA(MainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_TRUE(Events().Contains("drop 2 C:\\IN\\ONE.TXT"));
}
