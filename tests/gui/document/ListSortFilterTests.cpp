// The entry list at work: the selection totals through the control's own key and mouse
// handling, sorting by a header click, the filter box and Select... .

#include "DocumentTestSupport.h"

#include <commctrl.h>

#include <functional>

#include "BrindleView.h"
#include "Settings.h"
#include "TestSupport/ModalScript.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

class ListTools : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        StartWindow();
        MoveWindow(MainWindow(), 0, 0, 640, 480, TRUE);
        TakeMessages();
    }

    // Arrival order; the list shows them last-first.
    void AddRows() {
        const char* rows[][3] = {{"file10.txt", "10K", "4K"},
                                 {"File1.txt", "3K", "1K"},
                                 {"notes.doc", "7K", "2K"},
                                 {"file2.txt", "1K", "1K"}};
        for (auto& row : rows) View().AddEntry(EntryRow{row[0], "05/01/98", "12:30", row[1], "50%", row[2]});
        Pump();
    }

    std::vector<std::string> ShownNames() {
        std::vector<std::string> names;
        for (int row = 0; row < ControlRowCount(); ++row) names.push_back(CellText(row, 0));
        return names;
    }

    NameList SelectedNames() {
        NameList names;
        EXPECT_EQ(View().GetSelectedNames(names), 1);
        return names;
    }

    void HoldKeys(bool shift, bool control) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = keys[VK_LCONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    void PressInList(UINT key, bool shift) {
        HoldKeys(shift, false);
        SendMessageA(List(), WM_KEYDOWN, key, 1);
        SendMessageA(List(), WM_KEYUP, key, 0xC0000001);
        HoldKeys(false, false);
    }

    // A quick click: the button is up before the control looks for it.
    void Click(HWND window, POINT point, WPARAM keys = 0) {
        PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(point.x, point.y));
        Pump();
    }

    POINT RowPoint(int row) {
        RECT bounds{};
        bounds.left = LVIR_LABEL;
        SendMessageA(List(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        return POINT{bounds.left + 5, (bounds.top + bounds.bottom) / 2};
    }

    HWND Header() { return reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0)); }

    void ClickHeader(int column) {
        RECT bounds{};
        SendMessageA(Header(), HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&bounds));
        Click(Header(), POINT{(bounds.left + bounds.right) / 2, bounds.bottom / 2});
    }

    int HeaderArrow(int column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(Header(), HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    }

    // Keys reach the filter box through the message loop, as typed keys do.
    void TypeInFilter(const std::string& text) {
        for (char c : text) PostMessageA(View().GetFilterBox(), WM_CHAR, static_cast<unsigned char>(c), 1);
        Pump();
    }
};

}  // namespace

TEST_F(ListTools, SelectionTotalsFollowTheControlsOwnSelecting) {
    for (int index = 0; index < 8; ++index)
        View().AddEntry(EntryRow{"row" + std::to_string(index), "", "", std::to_string(index) + "K", "", "1K"});
    Pump();
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* pane;
    } steps[] = {
        {"click", [&] { Click(List(), RowPoint(2)); }, "Selected 1 file(s): 5K, 1K comp."},
        {"shift+click", [&] { HoldKeys(true, false), Click(List(), RowPoint(5), MK_SHIFT), HoldKeys(false, false); },
         "Selected 4 file(s): 14K, 4K comp."},
        {"ctrl+click", [&] { HoldKeys(false, true), Click(List(), RowPoint(0), MK_CONTROL), HoldKeys(false, false); },
         "Selected 5 file(s): 21K, 5K comp."},
        {"select all", [&] { RunCommand(ID_ACTIONS_SELECT_ALL); }, "Selected 8 file(s): 28K, 8K comp."},
        // With every row selected; the control leaves the focused row alone, so End goes first.
        {"end", [&] { PressInList(VK_END, false); }, "Selected 1 file(s): 0K, 1K comp."},
        {"shift+home", [&] { PressInList(VK_HOME, true); }, "Selected 8 file(s): 28K, 8K comp."},
        {"invert", [&] { RunCommand(ID_ACTIONS_INVERT_SELECTION); }, ""},
        {"invert again", [&] { RunCommand(ID_ACTIONS_INVERT_SELECTION); }, "Selected 8 file(s): 28K, 8K comp."},
        {"click below",
         [&] {
             Click(List(), POINT{20, RowPoint(7).y + 30});
         },
         ""},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(PaneText(1), step.pane) << step.what;
        EXPECT_EQ(View().GetSelectedCount(), SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0)) << step.what;
    }
}

TEST_F(ListTools, HeaderClicksSortReverseAndReturnToArchiveOrder) {
    AddRows();
    SelectRows({2});  // File1.txt
    const std::vector<std::string> archiveOrder{"file2.txt", "notes.doc", "File1.txt", "file10.txt"};
    ASSERT_EQ(ShownNames(), archiveOrder);

    ClickHeader(0);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"File1.txt", "file2.txt", "file10.txt", "notes.doc"}));
    EXPECT_EQ(HeaderArrow(0), HDF_SORTUP);
    EXPECT_EQ(SelectedNames(), NameList{"File1.txt"});  // the selection stays on its entry
    EXPECT_EQ(PaneText(1), "Selected 1 file(s): 3K, 1K comp.");
    ClickHeader(0);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"notes.doc", "file10.txt", "file2.txt", "File1.txt"}));
    EXPECT_EQ(HeaderArrow(0), HDF_SORTDOWN);
    EXPECT_EQ(ReadSettingInt("Settings", "SortColumn"), 0);
    EXPECT_EQ(ReadSettingInt("Settings", "SortDescending"), 1);
    ClickHeader(0);
    EXPECT_EQ(ShownNames(), archiveOrder);
    EXPECT_EQ(HeaderArrow(0), 0);
    EXPECT_EQ(ReadSettingInt("Settings", "SortColumn"), -1);

    // Size by value, and the choice holds at the next start for rows listed then.
    ClickHeader(3);
    CloseWindow();
    StartWindow();
    AddRows();
    EXPECT_EQ(HeaderArrow(3), HDF_SORTUP);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"file2.txt", "File1.txt", "notes.doc", "file10.txt"}));
}

TEST_F(ListTools, FilterBoxShowsTheMatchingRowsAndKeepsItsKeys) {
    std::string archive = ScratchPath("filter.zip");
    MakeZip(archive, {{"a.txt", 4096}, {"b.doc", 10}, {"c.TXT", 10240}, {"d.bin", 10}});
    ASSERT_TRUE(OpenArchive(archive));
    HWND box = View().GetFilterBox();
    ASSERT_EQ(GetDlgCtrlID(box), 1051);
    EXPECT_EQ(GetParent(box), Frame().GetToolBar()->GetToolBarControl());
    SelectRows({0, 3});  // d.bin and a.txt

    TypeInFilter("tx");
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"c.TXT", "a.txt"}));
    EXPECT_EQ(PaneText(0), "Showing 2 of 4 file(s): 14K, 14K comp.");
    EXPECT_EQ(SelectedNames(), NameList{"a.txt"});  // the hidden row is no longer selected
    NameList all;
    ASSERT_EQ(View().GetAllNames(all), 1);
    EXPECT_EQ(all.size(), 4u);  // Extract All Files still takes every entry

    // Del edits the box instead of deleting entries.
    PostMessageA(box, WM_KEYDOWN, VK_DELETE, 1);
    Pump();
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(ControlRowCount(), 2);

    SetWindowTextA(box, "");
    TypeInFilter("?.*");
    EXPECT_EQ(ControlRowCount(), 4);
    TypeInFilter("t");  // "?.*t": a wildcard on the whole name
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"c.TXT", "a.txt"}));

    RunCommand(ID_ACTIONS_FIND);
    EXPECT_EQ(GetFocus(), box);
    PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 1);
    Pump();
    EXPECT_EQ(ControlRowCount(), 4);
    EXPECT_EQ(PaneText(0).rfind("Total 4 file(s): ", 0), 0u) << PaneText(0);
}

TEST_F(ListTools, SelectAsksForAWildcardAndAddsTheMatchingRows) {
    AddRows();
    SelectRows({1});  // notes.doc
    ModalScript modals;
    modals.When("Select", [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_SELECT_PATTERN, "FILE?.*");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ChooseCommand(ID_ACTIONS_SELECT_PATTERN);
    ASSERT_TRUE(PumpUntil([&] { return modals.Pending() == 0; }));
    Pump();
    EXPECT_EQ(SelectedNames(), (NameList{"file2.txt", "notes.doc", "File1.txt"}));
    EXPECT_EQ(PaneText(1), "Selected 3 file(s): 11K, 4K comp.");
}
