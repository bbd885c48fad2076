#include "SettingsSheet.h"

#include <string>
#include <vector>

#include "Settings.h"
#include "UserMessages.h"
#include "framework/Dialog.h"
#include "framework/PlatformDialogs.h"
#include "resource.h"

namespace {

const char kSettings[] = "Settings";
const char kLocations[] = "Locations";

class CSettingsPage1 : public CPropertyPage {
public:
    CSettingsPage1() : CPropertyPage(IDD_SETTINGS_GENERAL, "General") {}

private:
    BOOL OnInit() override {
        defaultZipManager = ReadSettingInt(kSettings, "CAssoc", 1);
        associationIcons = ReadSettingInt(kSettings, "DisplayIcons", 1);
        playSounds = ReadSettingInt(kSettings, "PlaySounds", 1);
        promptOnDelete = ReadSettingInt(kSettings, "PromptOnDelete", 1);
        startupScreen = ReadSettingInt(kSettings, "ShowStartupScreen", 1);
        extractToDownload = ReadSettingInt(kSettings, "ExtractToDownload", 1);
        downloadDir = ReadSettingText(kSettings, "DownloadDir", "C:\\Downloads");
        EnableItem(GetHandle(), IDC_SETTINGS_DOWNLOAD_DIR, extractToDownload != 0);
        MembersToControls();
        shown = true;
        return TRUE;
    }

    bool OnCommand(UINT id, UINT code, HWND) override {
        if (code != BN_CLICKED) return false;
        switch (id) {
        case IDC_SETTINGS_TO_DOWNLOAD:
            ControlsToMembers();
            EnableItem(GetHandle(), IDC_SETTINGS_DOWNLOAD_DIR, extractToDownload != 0);
            return true;
        case IDC_SETTINGS_ICONS:
            // Said on every click, checking or clearing: the list reads the setting only
            // when it is made.
            ShowMessage("You will need to restart Brindle for this option to take effect", MB_OK | MB_ICONINFORMATION);
            return true;
        default:
            return false;
        }
    }

    bool OnApply() override {
        if (!shown) return true;
        ControlsToMembers();
        WriteSettingInt(kSettings, "CAssoc", defaultZipManager);
        WriteSettingInt(kSettings, "DisplayIcons", associationIcons);
        WriteSettingInt(kSettings, "PlaySounds", playSounds);
        WriteSettingInt(kSettings, "PromptOnDelete", promptOnDelete);
        WriteSettingInt(kSettings, "ShowStartupScreen", startupScreen);
        WriteSettingInt(kSettings, "ExtractToDownload", extractToDownload);
        WriteSettingText(kSettings, "DownloadDir", downloadDir);
        return true;
    }

    void MembersToControls() {
        HWND page = GetHandle();
        SetItemChecked(page, IDC_SETTINGS_DEFAULT_ZIP, defaultZipManager != 0);
        SetItemChecked(page, IDC_SETTINGS_ICONS, associationIcons != 0);
        SetItemChecked(page, IDC_SETTINGS_STARTUP, startupScreen != 0);
        SetItemChecked(page, IDC_SETTINGS_PLAY_SOUNDS, playSounds != 0);
        SetItemChecked(page, IDC_SETTINGS_PROMPT_DELETE, promptOnDelete != 0);
        SetItemText(page, IDC_SETTINGS_DOWNLOAD_DIR, downloadDir);
        SetItemChecked(page, IDC_SETTINGS_TO_DOWNLOAD, extractToDownload != 0);
    }

    void ControlsToMembers() {
        HWND page = GetHandle();
        defaultZipManager = IsItemChecked(page, IDC_SETTINGS_DEFAULT_ZIP);
        associationIcons = IsItemChecked(page, IDC_SETTINGS_ICONS);
        startupScreen = IsItemChecked(page, IDC_SETTINGS_STARTUP);
        playSounds = IsItemChecked(page, IDC_SETTINGS_PLAY_SOUNDS);
        promptOnDelete = IsItemChecked(page, IDC_SETTINGS_PROMPT_DELETE);
        downloadDir = GetItemText(page, IDC_SETTINGS_DOWNLOAD_DIR);
        extractToDownload = IsItemChecked(page, IDC_SETTINGS_TO_DOWNLOAD);
    }

    int defaultZipManager = 0;
    int associationIcons = 0;
    int startupScreen = 0;
    int playSounds = 0;
    int promptOnDelete = 0;
    std::string downloadDir;
    int extractToDownload = 0;
    bool shown = false;
};

class CSettingsPage2 : public CPropertyPage {
public:
    CSettingsPage2() : CPropertyPage(IDD_SETTINGS_LOCATIONS, "Program Locations") {}

private:
    BOOL OnInit() override {
        arjPath = ReadSettingText(kLocations, "ARJ.EXE", "");
        viewer = ReadSettingText(kLocations, "Viewer", "Notepad.exe");
        MembersToControls();
        shown = true;
        return TRUE;
    }

    bool OnCommand(UINT id, UINT code, HWND) override {
        if (code != BN_CLICKED) return false;
        if (id == IDC_SETTINGS_ARJ_BROWSE) return Browse(arjPath), true;
        if (id == IDC_SETTINGS_VIEWER_BROWSE) return Browse(viewer), true;
        return false;
    }

    bool OnApply() override {
        if (!shown) return true;
        ControlsToMembers();
        WriteSettingText(kLocations, "ARJ.EXE", arjPath);
        WriteSettingText(kLocations, "Viewer", viewer);
        return true;
    }

    void Browse(std::string& program) {
        FileDialogRequest request;
        request.defaultExtension = "EXE";
        request.filter = "Program Files (*.EXE) |*.EXE||";
        request.flags = OFN_HIDEREADONLY;
        std::string chosen;
        if (!ChooseOpenFile(GetHandle(), request, chosen)) return;
        // What was typed into the other field since the page last read it stays there.
        ControlsToMembers();
        program = chosen;
        MembersToControls();
    }

    void MembersToControls() {
        SetItemText(GetHandle(), IDC_SETTINGS_ARJ_PATH, arjPath);
        SetItemText(GetHandle(), IDC_SETTINGS_VIEWER, viewer);
    }

    void ControlsToMembers() {
        arjPath = GetItemText(GetHandle(), IDC_SETTINGS_ARJ_PATH);
        viewer = GetItemText(GetHandle(), IDC_SETTINGS_VIEWER);
    }

    std::string arjPath;
    std::string viewer;
    bool shown = false;
};

std::string LoadResourceText(UINT id) {
    char buffer[256] = {};
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The sheet owns its pages and adds them in tab order.
class CSettingsSheet {
public:
    CSettingsSheet() : sheet(LoadResourceText(IDS_SETTINGS_CAPTION)) {
        sheet.AddPage(general);
        sheet.AddPage(locations);
    }
    INT_PTR Run(HWND owner) { return sheet.Run(owner, 0); }

private:
    CSettingsPage1 general;
    CSettingsPage2 locations;
    CPropertySheet sheet;
};

}  // namespace

void ShowSettingsSheet(HWND owner) {
    CSettingsSheet sheet;
    sheet.Run(owner);
}
