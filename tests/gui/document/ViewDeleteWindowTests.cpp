// View and Delete reached the way a user reaches them: a double-click on an entry, Ctrl+V
// and the Del key on the list. The viewer is the ARJ double, which writes down what it is
// given; the entries' extension has no association, so each one reaches the viewer.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "ArjTestSupport.h"
#include "BrindleDoc.h"
#include "DocumentTestSupport.h"
#include "Settings.h"
#include "TestSupport/Programs.h"
#include "TestSupport/ZipEntries.h"

namespace {

class ViewDeleteWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        MakeFolder(temp);
        WriteSettingText("Locations", "Viewer", TestProgramFolder() + "\\fake_arj.exe");
        MakeZip(archive, {{"a.qqv", 10}, {"b.qqv", 20}, {"c.qqv", 30}});
        StartWindow();
        ASSERT_TRUE(OpenArchive(archive));
    }

    int RowOf(const std::string& name) {
        for (int row = 0; row < ControlRowCount(); ++row)
            if (CellText(row, 0) == name) return row;
        ADD_FAILURE() << name << " is not listed";
        return -1;
    }

    void PressKey(WORD key, bool control) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageA(List(), WM_KEYDOWN, key, 1);
        PostMessageA(List(), WM_KEYUP, key, 0xC0000001);
        Pump();
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
        SetKeyboardState(keys);
    }

    std::vector<std::string> ViewerPaths(std::size_t count) {
        std::vector<std::string> paths;
        for (int round = 0; round < 300 && paths.size() < count; ++round) {
            if (round) Sleep(100);
            paths.clear();
            for (const FakeArjCall& call : ReadFakeArjLog(logPath))
                paths.insert(paths.end(), call.arguments.begin(), call.arguments.end());
        }
        // Each View extracts into a folder of its own under temp, written here as "<view>".
        for (std::string& path : paths) {
            const std::size_t cut = path.find('\\', temp.size() + 1);
            if (path.compare(0, temp.size() + 1, temp + "\\") == 0 && cut != std::string::npos)
                path = temp + "\\<view>" + path.substr(cut);
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    const std::string temp = ScratchPath("temp");
    const std::string archive = ScratchPath("entries.zip");
    const std::string logPath = ScratchPath("viewer.log");
    EnvironmentSetting tmp{"TMP", temp};
    EnvironmentSetting tempSetting{"TEMP", temp};
    EnvironmentSetting viewerLog{"BRINDLE_FAKE_ARJ_LOG", logPath};
};

}  // namespace

TEST_F(ViewDeleteWindow, DoubleClickAndCtrlVViewTheEntryAndDelDeletesIt) {
    const int row = RowOf("b.qqv");
    SelectRows({row});
    RECT cell{};
    cell.left = LVIR_LABEL;
    SendMessageA(List(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    SendMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(cell.left + 2, (cell.top + cell.bottom) / 2));
    Pump();
    EXPECT_EQ(ViewerPaths(1), std::vector<std::string>{temp + "\\<view>\\b.qqv"});

    SelectRows({RowOf("c.qqv")});
    PressKey('V', true);
    EXPECT_EQ(ViewerPaths(2), (std::vector<std::string>{temp + "\\<view>\\b.qqv", temp + "\\<view>\\c.qqv"}));
    EXPECT_TRUE(TakeMessages().empty());

    SelectRows({RowOf("b.qqv")});
    presenter.answers = {IDYES};
    PressKey(VK_DELETE, false);
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "Are you sure you want to delete selected files?");
    const InfoZipVerdict verdict = JudgeWithInfoZip(archive);
    EXPECT_EQ(verdict.names, (std::vector<std::string>{"a.qqv", "c.qqv"})) << verdict.output;
    EXPECT_TRUE(verdict.intact) << verdict.output;
    EXPECT_EQ(ControlRowCount(), 2);
}
