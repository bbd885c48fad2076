// The entry list: row order, icons, status-bar totals, command states, the right-button
// menu, dropped files and the layout saved at exit.

#include "DocumentTestSupport.h"

#include <commctrl.h>
#include <shlobj.h>

#include "BrindleDoc.h"
#include "BrindleView.h"
#include "Settings.h"
#include "TestSupport/ModalScript.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

class ListView : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        StartWindow();
        TakeMessages();
    }

    void Add(const char* name, const char* size = "1K", const char* packed = "1K") {
        View().AddEntry(EntryRow{name, "05/01/98", "12:30", size, "50%", packed});
    }

    // A key going up in the list, as after any key press: the control does nothing with
    // Shift alone, so only the status update shows.
    void ReleaseShiftInList() {
        SendMessageA(List(), WM_KEYUP, VK_SHIFT, 0xC0000001);
        Pump();
    }

    int ImageOfRow(int row) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = -7;
        SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }

    POINT ScreenPointOfRow(int row) {
        RECT bounds{};
        bounds.left = LVIR_LABEL;
        SendMessageA(List(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        POINT point{bounds.left + 5, (bounds.top + bounds.bottom) / 2};
        ClientToScreen(List(), &point);
        return point;
    }
};

// The states of the popup menu that was up.
struct PopupMenuProbe {
    bool seen = false;
    bool viewEnabled = true, deleteEnabled = true, addEnabled = false, makeExeEnabled = false;
};

}  // namespace

TEST_F(ListView, RowsAppearInReverseOrderOfArrival) {
    Add("A");
    Add("B");
    Add("C");
    Pump();
    ASSERT_EQ(ControlRowCount(), 3);
    EXPECT_EQ(CellText(0, 0), "C");
    EXPECT_EQ(CellText(1, 0), "B");
    EXPECT_EQ(CellText(2, 0), "A");
    NameList all;
    ASSERT_EQ(View().GetAllNames(all), 1);
    EXPECT_EQ(all, (NameList{"C", "B", "A"}));
}

TEST_F(ListView, EveryColumnShowsItsText) {
    View().AddEntry(EntryRow{"docs/readme.txt", "31/12/99", "23:59", "12K", "-05%", "13K"});
    Pump();
    const char* expected[] = {"docs/readme.txt", "31/12/99", "23:59", "12K", "-05%", "13K"};
    for (int column = 0; column < 6; ++column) EXPECT_EQ(CellText(0, column), expected[column]) << column;
}

TEST_F(ListView, ArchiveEntriesAreListedLastFirst) {
    std::string archive = ScratchPath("abc.zip");
    MakeZip(archive, {{"A.txt", 10}, {"B.txt", 20}, {"C.txt", 30}});
    ASSERT_TRUE(OpenArchive(archive));
    ASSERT_EQ(ControlRowCount(), 3);
    EXPECT_EQ(CellText(0, 0), "C.txt");
    EXPECT_EQ(CellText(2, 0), "A.txt");
}

TEST_F(ListView, ClearingEmptiesTheListAndTheSelection) {
    Add("A");
    Add("B");
    Pump();
    SelectRows({0, 1});
    View().ClearEntries();
    EXPECT_EQ(ControlRowCount(), 0);
    NameList names{"stale"};
    EXPECT_EQ(View().GetSelectedNames(names), 1);
    EXPECT_TRUE(names.empty());
    Add("C");
    Pump();
    EXPECT_EQ(SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

TEST_F(ListView, SelectedNamesComeTopToBottom) {
    for (const char* name : {"one", "two", "three", "four"}) Add(name);
    Pump();
    SelectRows({3, 1});
    NameList names;
    ASSERT_EQ(View().GetSelectedNames(names), 1);
    EXPECT_EQ(names, (NameList{"three", "one"}));
}

TEST_F(ListView, RowsAddedWhileSomethingIsSelectedKeepTheSelectionOnTheSameEntries) {
    Add("old1");
    Add("old2");
    Pump();
    SelectRows({0});   // old2
    Add("new1");
    Add("new2");
    NameList names;
    ASSERT_EQ(View().GetSelectedNames(names), 1);
    EXPECT_EQ(names, (NameList{"old2"}));
}

TEST_F(ListView, IconFollowsTheExtensionOfTheName) {
    EXPECT_EQ(CBrindleView::IconIndexForName("PICTURE.BMP"), 0);
    EXPECT_EQ(CBrindleView::IconIndexForName("lib/zlib.dll"), 1);
    EXPECT_EQ(CBrindleView::IconIndexForName("SETUP.EXE"), 2);
    EXPECT_EQ(CBrindleView::IconIndexForName("help.hlp"), 3);
    EXPECT_EQ(CBrindleView::IconIndexForName("win.ini"), 4);
    EXPECT_EQ(CBrindleView::IconIndexForName("docs/setup.inf"), 5);
    EXPECT_EQ(CBrindleView::IconIndexForName("readme.txt"), 6);
    EXPECT_EQ(CBrindleView::IconIndexForName("inner.Zip"), 7);
    EXPECT_EQ(CBrindleView::IconIndexForName("Makefile"), 8);
    EXPECT_EQ(CBrindleView::IconIndexForName("archive.tar.gz"), 8);
    EXPECT_EQ(CBrindleView::IconIndexForName("notes.txt.bak"), 8);
}

TEST_F(ListView, RowsShowTheirIconFromTheImageList) {
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(List(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images, View().GetIconList());
    EXPECT_EQ(ImageList_GetImageCount(images), 9);
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);

    Add("readme.txt");
    Add("docs/setup.inf");
    Add("Makefile");
    Add("archive.tar.gz");
    Pump();
    EXPECT_EQ(ImageOfRow(3), 6);
    EXPECT_EQ(ImageOfRow(2), 5);
    EXPECT_EQ(ImageOfRow(1), 8);
    EXPECT_EQ(ImageOfRow(0), 8);
}

class IconsSwitchedOff : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        WriteSettingInt("Settings", "DisplayIcons", 0);
        StartWindow();
    }
};

TEST_F(IconsSwitchedOff, NoImageListIsAttached) {
    EXPECT_EQ(View().GetIconList(), nullptr);
    EXPECT_EQ(SendMessageA(List(), LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
    // Read once: switching it back on does not change the running window.
    WriteSettingInt("Settings", "DisplayIcons", 1);
    View().AddEntry(EntryRow{"readme.txt", "", "", "0K", "", "0K"});
    Pump();
    EXPECT_EQ(View().GetIconList(), nullptr);
    EXPECT_EQ(SendMessageA(List(), LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

TEST_F(ListView, StatusPanesTotalAllRowsAndTheSelection) {
    Add("big", "10K", "4K");
    Add("middle", "7K", "2K");
    Add("small", "3K", "1K");
    Pump();
    SelectRows({0, 2});   // small and big
    ReleaseShiftInList();
    EXPECT_EQ(PaneText(0), "Total 3 file(s): 20K, 7K comp.");
    EXPECT_EQ(PaneText(1), "Selected 2 file(s): 13K, 5K comp.");

    SelectRows({});
    ReleaseShiftInList();
    EXPECT_EQ(PaneText(0), "Total 3 file(s): 20K, 7K comp.");
    EXPECT_EQ(PaneText(1), "");
}

TEST_F(ListView, TextsThatAreNotNumbersCountNothing) {
    Add("a", "5K", "2K");
    Add("b", "K", "");
    Add("c", "junk", "x9K");
    Pump();
    SelectRows({0, 1, 2});
    ReleaseShiftInList();
    EXPECT_EQ(PaneText(1), "Selected 3 file(s): 5K, 2K comp.");
}

TEST_F(ListView, TotalsOfHugeEntriesDoNotWrapAround) {
    Add("disk1.img", "2000000000K", "1500000000K");
    Add("disk2.img", "2000000000K", "1500000000K");
    Pump();
    SelectRows({0, 1});
    ReleaseShiftInList();
    EXPECT_EQ(PaneText(0), "Total 2 file(s): 4000000000K, 3000000000K comp.");
    EXPECT_EQ(PaneText(1), "Selected 2 file(s): 4000000000K, 3000000000K comp.");
}

TEST_F(ListView, KeyGoingDownUpdatesBeforeItActs) {
    Add("a", "1K", "1K");
    Add("b", "2K", "2K");
    Pump();
    SelectRows({0});
    LVITEMA focus{};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageA(List(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    // Down moves the selection to row 1, but the panes show what was selected before.
    SendMessageA(List(), WM_KEYDOWN, VK_DOWN, 0x00500001);
    EXPECT_EQ(PaneText(1), "Selected 1 file(s): 2K, 2K comp.");
    SendMessageA(List(), WM_KEYUP, VK_DOWN, 0xC0500001);
    Pump();
    EXPECT_EQ(PaneText(1), "Selected 1 file(s): 1K, 1K comp.");
}

TEST_F(ListView, ClickOnARowSelectsItAndUpdatesThePanes) {
    Add("a", "1K", "1K");
    Add("b", "4K", "3K");
    Pump();
    POINT point = ScreenPointOfRow(0);
    ScreenToClient(List(), &point);
    const LPARAM where = MAKELPARAM(point.x, point.y);
    // The button comes up before the control looks for it, as a quick click does.
    PostMessageA(List(), WM_LBUTTONUP, 0, where);
    SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, where);
    Pump();
    EXPECT_EQ(PaneText(0), "Total 2 file(s): 5K, 4K comp.");
    EXPECT_EQ(PaneText(1), "Selected 1 file(s): 4K, 3K comp.");
}

TEST_F(ListView, EmptyArchiveLeavesBothPanesEmptyAfterAClick) {
    std::string archive = ScratchPath("empty.zip");
    WriteFileBytes(archive, std::string("PK\x05\x06", 4) + std::string(18, '\0'));   // the end record alone
    ASSERT_TRUE(OpenArchive(archive));
    ASSERT_EQ(ControlRowCount(), 0);
    Frame().GetStatusBar()->SetPaneText(1, "left over");
    PostMessageA(List(), WM_LBUTTONUP, 0, MAKELPARAM(20, 40));
    SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 40));
    Pump();
    EXPECT_EQ(PaneText(0), "");
    EXPECT_EQ(PaneText(1), "");
}

TEST_F(ListView, SetStatusTextWritesOnlyTheFirstPane) {
    Frame().GetStatusBar()->SetPaneText(1, "kept");
    View().SetStatusText("Total 9 file(s): 1K, 1K comp.");
    EXPECT_EQ(PaneText(0), "Total 9 file(s): 1K, 1K comp.");
    EXPECT_EQ(PaneText(1), "kept");
}

TEST_F(ListView, CommandStatesFollowTheSelectionAndTheOpenArchive) {
    const UINT openCommands[] = {ID_ACTIONS_ADD,       ID_ACTIONS_EXTRACT,  ID_ACTIONS_VIEW_ERROR_LOG,
                                 ID_FILE_COPY_ARCHIVE, ID_FILE_MOVE_ARCHIVE, ID_ACTIONS_MAKE_EXE,
                                 ID_ACTIONS_MAKE_WIN95_EXE};
    for (UINT id : openCommands) EXPECT_FALSE(IsEnabled(id)) << id;
    EXPECT_FALSE(IsEnabled(ID_ACTIONS_VIEW));
    EXPECT_FALSE(IsEnabled(ID_ACTIONS_DELETE));
    EXPECT_TRUE(IsEnabled(ID_FILE_NEW_ARCHIVE));
    EXPECT_TRUE(IsEnabled(ID_FILE_OPEN));
    EXPECT_TRUE(IsEnabled(ID_HELP_TOPICS));

    std::string archive = ScratchPath("states.zip");
    MakeZip(archive, {{"a", 10}, {"b", 10}});
    ASSERT_TRUE(OpenArchive(archive));
    for (UINT id : openCommands) EXPECT_TRUE(IsEnabled(id)) << id;
    EXPECT_FALSE(IsEnabled(ID_ACTIONS_VIEW));
    EXPECT_FALSE(IsEnabled(ID_ACTIONS_DELETE));

    SelectRows({1});
    EXPECT_TRUE(IsEnabled(ID_ACTIONS_VIEW));
    EXPECT_TRUE(IsEnabled(ID_ACTIONS_DELETE));
}

TEST_F(ListView, SelectionAloneEnablesViewAndDeleteEvenWithNothingOpen) {
    Add("loose row");
    Pump();
    SelectRows({0});
    EXPECT_TRUE(IsEnabled(ID_ACTIONS_VIEW));
    EXPECT_TRUE(IsEnabled(ID_ACTIONS_DELETE));
    EXPECT_FALSE(IsEnabled(ID_ACTIONS_EXTRACT));
}

TEST_F(ListView, RightClickShowsTheMenuWithoutSelectingTheRow) {
    std::string archive = ScratchPath("menu.zip");
    MakeZip(archive, {{"a", 10}, {"b", 10}});
    ASSERT_TRUE(OpenArchive(archive));
    POINT point = ScreenPointOfRow(0);
    ScreenToClient(List(), &point);

    PopupMenuProbe probe;
    ModalScript modals;
    modals.When("", [&probe](HWND menuWindow) {
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        if (menu != nullptr) {
            probe.seen = true;
            auto enabled = [menu](UINT id) { return !(GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)); };
            probe.viewEnabled = enabled(ID_ACTIONS_VIEW);
            probe.deleteEnabled = enabled(ID_ACTIONS_DELETE);
            probe.addEnabled = enabled(ID_ACTIONS_ADD);
            probe.makeExeEnabled = enabled(ID_ACTIONS_MAKE_EXE);
        }
        EndMenu();
    }, "#32768");
    SendMessageA(List(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
    Pump();

    ASSERT_TRUE(probe.seen) << "the right-button menu did not come up";
    EXPECT_EQ(SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_FALSE(probe.viewEnabled);
    EXPECT_FALSE(probe.deleteEnabled);
    EXPECT_TRUE(probe.addEnabled);
    EXPECT_TRUE(probe.makeExeEnabled);
}

TEST_F(ListView, DroppedFilesAreIgnoredWhileNothingIsOpen) {
    std::string dropped = ScratchPath("dropped.txt");
    WriteFileBytes(dropped, "dropped bytes");
    DropFiles(MainWindow(), {dropped});
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(Document().IsOpen(), 0);
    EXPECT_EQ(ControlRowCount(), 0);
    EXPECT_EQ(ReadFileBytes(dropped), "dropped bytes");
}

class SavedLayout : public WindowTest {};

TEST_F(SavedLayout, ColumnWidthsAreStoredUnderTheirTitlesAtExit) {
    StartWindow();
    const int widths[] = {201, 71, 62, 55, 44, 93};
    for (int column = 0; column < 6; ++column) SendMessageA(List(), LVM_SETCOLUMNWIDTH, column, widths[column]);
    CloseWindow();
    const char* titles[] = {"Name", "Date", "Time", "Size", "Ratio", "Packed"};
    for (int column = 0; column < 6; ++column) EXPECT_EQ(ReadSettingInt("Window", titles[column], -1), widths[column]);

    // And the next window starts with them.
    StartWindow();
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(SendMessageA(List(), LVM_GETCOLUMNWIDTH, column, 0), widths[column]) << titles[column];
}

TEST_F(SavedLayout, FirstStartShowsTheDefaultColumns) {
    StartWindow();
    const int widths[] = {135, 65, 60, 60, 40, 60};
    const char* titles[] = {"Name", "Date", "Time", "Size", "Ratio", "Packed"};
    for (int column = 0; column < 6; ++column) {
        char title[50] = "";
        LVCOLUMNA info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        info.pszText = title;
        info.cchTextMax = sizeof title;
        ASSERT_TRUE(SendMessageA(List(), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info)));
        EXPECT_STREQ(title, titles[column]);
        EXPECT_EQ(info.cx, widths[column]);
        EXPECT_EQ(info.fmt & LVCFMT_JUSTIFYMASK, column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT) << titles[column];
    }
    LONG style = GetWindowLongA(List(), GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_FALSE(style & LVS_SINGLESEL);
}

TEST_F(SavedLayout, RestoredWindowStoresItsOuterRectangle) {
    StartWindow();
    MoveWindow(MainWindow(), 33, 44, 520, 410, TRUE);
    RECT outer{};
    GetWindowRect(MainWindow(), &outer);
    CloseWindow();
    EXPECT_EQ(ReadSettingInt("Window", "fMaximized", -1), 0);
    EXPECT_EQ(ReadSettingInt("Window", "x", -1), outer.left);
    EXPECT_EQ(ReadSettingInt("Window", "y", -1), outer.top);
    EXPECT_EQ(ReadSettingInt("Window", "cx", -1), outer.right - outer.left);
    EXPECT_EQ(ReadSettingInt("Window", "cy", -1), outer.bottom - outer.top);
    EXPECT_EQ(outer.right - outer.left, 520);
}

TEST_F(SavedLayout, MaximisedWindowKeepsThePreviousRectangle) {
    WriteSettingInt("Window", "x", 11);
    WriteSettingInt("Window", "y", 12);
    WriteSettingInt("Window", "cx", 413);
    WriteSettingInt("Window", "cy", 314);
    StartWindow();
    ShowWindow(MainWindow(), SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(IsZoomed(MainWindow()));
    CloseWindow();
    EXPECT_EQ(ReadSettingInt("Window", "fMaximized", -1), 1);
    EXPECT_EQ(ReadSettingInt("Window", "x", -1), 11);
    EXPECT_EQ(ReadSettingInt("Window", "y", -1), 12);
    EXPECT_EQ(ReadSettingInt("Window", "cx", -1), 413);
    EXPECT_EQ(ReadSettingInt("Window", "cy", -1), 314);
}

TEST_F(SavedLayout, MinimisedWindowIsNotMaximisedAndKeepsThePreviousRectangle) {
    WriteSettingInt("Window", "fMaximized", 1);
    WriteSettingInt("Window", "x", 21);
    WriteSettingInt("Window", "cx", 401);
    StartWindow();
    ShowWindow(MainWindow(), SW_MINIMIZE);
    Pump();
    ASSERT_TRUE(IsIconic(MainWindow()));
    CloseWindow();
    EXPECT_EQ(ReadSettingInt("Window", "fMaximized", -1), 0);
    EXPECT_EQ(ReadSettingInt("Window", "x", -1), 21);
    EXPECT_EQ(ReadSettingInt("Window", "cx", -1), 401);
}
