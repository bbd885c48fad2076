// The settings sheet opened by the Settings command and driven for real: what its pages show
// with nothing stored, the folder field's enable rule, the restart notice, the Browse buttons,
// and what OK and Cancel leave in the settings store.

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "FrameTestSupport.h"
#include "Settings.h"
#include "TestSupport/ScriptedDialogs.h"
#include "framework/Dialog.h"
#include "resource.h"

namespace {

const char kNotice[] = "You will need to restart Brindle for this option to take effect";

class SettingsSheetTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        WriteSettingInt("Settings", "ShowStartupScreen", 0);
        ASSERT_TRUE(Start());
        // Forget what start-up itself stored, so that OK is seen writing each key.
        RegDeleteTreeA(HKEY_CURRENT_USER, settings.SectionPath("Settings").c_str());
    }

    // Opens the sheet through the Settings command and runs script on the live sheet; the
    // script ends it by pressing OK or Cancel.
    void RunSheet(const std::function<void(HWND sheet)>& script) {
        dialogs.propertySheet = [&](PROPSHEETHEADERA& header) -> INT_PTR {
            // The real sheet without its modal loop, so that the test can work its controls.
            header.dwFlags |= PSH_MODELESS;
            HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
            if (sheet == nullptr) return -1;
            script(sheet);
            closed = SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) == 0;
            DestroyWindow(sheet);
            return 1;
        };
        ChooseCommand(ID_FILE_SETTINGS);
        ASSERT_EQ(dialogs.sheetCaptions, std::vector<std::string>{"Settings"});
        EXPECT_TRUE(closed);
    }

    static HWND CurrentPage(HWND sheet) {
        return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    static void Click(HWND page, int id) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    // Clicks a check box as the user would: it changes, then tells its page.
    static void Toggle(HWND page, int id) {
        SetItemChecked(page, id, !IsItemChecked(page, id));
        Click(page, id);
    }
    void Screenshot(HWND sheet, const char* name) {
        RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        for (int round = 0; round < 20; ++round) {
            Pump();
            Sleep(10);
        }
        EXPECT_TRUE(SaveWindowBitmap(sheet, ScreenshotFolder() + "\\" + name));
    }
    // The registry type of a stored value; REG_NONE when nothing is stored.
    DWORD StoredType(const char* section, const char* key) {
        DWORD type = REG_NONE;
        if (RegGetValueA(HKEY_CURRENT_USER, settings.SectionPath(section).c_str(), key, RRF_RT_ANY, &type, nullptr,
                         nullptr) != ERROR_SUCCESS)
            return REG_NONE;
        return type;
    }

    ScriptedDialogs dialogs;
    bool closed = false;
};

}  // namespace

TEST_F(SettingsSheetTest, GeneralOpensWithDefaultsAndOkStoresEveryValueButNotTheUnseenPage) {
    RunSheet([&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        for (int id : {IDC_SETTINGS_PLAY_SOUNDS, IDC_SETTINGS_ICONS, IDC_SETTINGS_PROMPT_DELETE, IDC_SETTINGS_STARTUP,
                       IDC_SETTINGS_TO_DOWNLOAD, IDC_SETTINGS_DEFAULT_ZIP})
            EXPECT_TRUE(IsItemChecked(page, id)) << id;
        EXPECT_EQ(GetItemText(page, IDC_SETTINGS_DOWNLOAD_DIR), "C:\\Downloads");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SETTINGS_DOWNLOAD_DIR)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SETTINGS_DEFAULT_ZIP)));
        Screenshot(sheet, "settings_general.bmp");
        Toggle(page, IDC_SETTINGS_PLAY_SOUNDS);
        Toggle(page, IDC_SETTINGS_PROMPT_DELETE);
        SetItemText(page, IDC_SETTINGS_DOWNLOAD_DIR, "D:\\Inbox");
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    EXPECT_EQ(ReadSettingInt("Settings", "PlaySounds", 7), 0);
    EXPECT_EQ(ReadSettingInt("Settings", "PromptOnDelete", 7), 0);
    EXPECT_EQ(ReadSettingText("Settings", "DownloadDir", "unset"), "D:\\Inbox");
    for (const char* key : {"CAssoc", "DisplayIcons", "ShowStartupScreen", "ExtractToDownload"}) {
        EXPECT_EQ(ReadSettingInt("Settings", key, 7), 1) << key;
        EXPECT_EQ(StoredType("Settings", key), static_cast<DWORD>(REG_DWORD)) << key;
    }
    EXPECT_EQ(StoredType("Settings", "PlaySounds"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(StoredType("Settings", "DownloadDir"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StoredType("Locations", "ARJ.EXE"), static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(StoredType("Locations", "Viewer"), static_cast<DWORD>(REG_NONE));
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(SettingsSheetTest, FolderFieldFollowsItsBoxNoticeComesOnEveryClickAndCancelStoresNothing) {
    WriteSettingInt("Settings", "ExtractToDownload", 0);
    RunSheet([&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        HWND folder = GetDlgItem(page, IDC_SETTINGS_DOWNLOAD_DIR);
        EXPECT_FALSE(IsItemChecked(page, IDC_SETTINGS_TO_DOWNLOAD));
        EXPECT_FALSE(IsWindowEnabled(folder));
        Toggle(page, IDC_SETTINGS_TO_DOWNLOAD);
        EXPECT_TRUE(IsWindowEnabled(folder));
        Toggle(page, IDC_SETTINGS_TO_DOWNLOAD);
        EXPECT_FALSE(IsWindowEnabled(folder));
        Toggle(page, IDC_SETTINGS_ICONS);
        Toggle(page, IDC_SETTINGS_ICONS);
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    ASSERT_EQ(presenter.messages.size(), 2u);
    for (const RecordedMessage& message : presenter.messages) {
        EXPECT_EQ(message.text, kNotice);
        EXPECT_EQ(message.style & MB_ICONMASK, static_cast<unsigned>(MB_ICONINFORMATION));
    }
    for (const char* key : {"CAssoc", "DisplayIcons", "PlaySounds", "PromptOnDelete", "ShowStartupScreen", "DownloadDir"})
        EXPECT_EQ(StoredType("Settings", key), static_cast<DWORD>(REG_NONE)) << key;
    EXPECT_EQ(ReadSettingInt("Settings", "ExtractToDownload", 7), 0);
}

TEST_F(SettingsSheetTest, ProgramLocationsBrowseKeepsWhatWasTypedAndOkStoresBothPaths) {
    dialogs.openFiles = [&](const FileDialogRequest& request, std::vector<std::string>& paths) {
        if (dialogs.openRequests.size() > 1) return false;   // the second Browse is cancelled
        EXPECT_EQ(request.filter, "Program Files (*.EXE) |*.EXE||");
        EXPECT_EQ(request.defaultExtension, "EXE");
        EXPECT_TRUE(request.initialName.empty());
        EXPECT_TRUE(request.flags & OFN_HIDEREADONLY);
        paths = {"C:\\TOOLS\\ARJ.EXE"};
        return true;
    };
    RunSheet([&](HWND sheet) {
        SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
        HWND page = CurrentPage(sheet);
        EXPECT_EQ(GetItemText(page, IDC_SETTINGS_ARJ_PATH), "");
        EXPECT_EQ(GetItemText(page, IDC_SETTINGS_VIEWER), "Notepad.exe");
        Screenshot(sheet, "settings_locations.bmp");
        SetItemText(page, IDC_SETTINGS_VIEWER, "C:\\typed\\view.exe");
        Click(page, IDC_SETTINGS_ARJ_BROWSE);
        EXPECT_EQ(GetItemText(page, IDC_SETTINGS_ARJ_PATH), "C:\\TOOLS\\ARJ.EXE");
        EXPECT_EQ(GetItemText(page, IDC_SETTINGS_VIEWER), "C:\\typed\\view.exe");
        SetItemText(page, IDC_SETTINGS_ARJ_PATH, "C:\\typed\\arj.exe");
        Click(page, IDC_SETTINGS_VIEWER_BROWSE);
        EXPECT_EQ(GetItemText(page, IDC_SETTINGS_ARJ_PATH), "C:\\typed\\arj.exe");
        EXPECT_EQ(GetItemText(page, IDC_SETTINGS_VIEWER), "C:\\typed\\view.exe");
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    EXPECT_EQ(dialogs.openRequests.size(), 2u);
    EXPECT_EQ(ReadSettingText("Locations", "ARJ.EXE", "unset"), "C:\\typed\\arj.exe");
    EXPECT_EQ(ReadSettingText("Locations", "Viewer", "unset"), "C:\\typed\\view.exe");
    EXPECT_EQ(StoredType("Locations", "Viewer"), static_cast<DWORD>(REG_SZ));
}
