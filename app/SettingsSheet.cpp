#include "SettingsSheet.h"

#include <string>
#include <vector>

#include "Settings.h"
#include "UserMessages.h"
#include "framework/Dialog.h"
#include "framework/PlatformDialogs.h"
#include "resource.h"

namespace {

// One control of a settings page: the setting it shows, and the page member that holds the
// value between the controls and the store. A check box holds an integer, an edit box a text.
// The defaults are the store's own.
template <typename Page>
struct SettingBinding {
    UINT control;
    const char* section;
    const char* key;
    int Page::*number;         // a check box's setting, or null
    std::string Page::*text;   // an edit box's setting, or null
};

template <typename Page, std::size_t Count>
void ReadBoundSettings(Page& page, const SettingBinding<Page> (&bindings)[Count]) {
    for (const SettingBinding<Page>& binding : bindings) {
        if (binding.number) page.*binding.number = ReadSettingInt(binding.section, binding.key);
        if (binding.text) page.*binding.text = ReadSettingText(binding.section, binding.key);
    }
}

template <typename Page, std::size_t Count>
void WriteBoundSettings(const Page& page, const SettingBinding<Page> (&bindings)[Count]) {
    for (const SettingBinding<Page>& binding : bindings) {
        if (binding.number) WriteSettingInt(binding.section, binding.key, page.*binding.number);
        if (binding.text) WriteSettingText(binding.section, binding.key, page.*binding.text);
    }
}

template <typename Page, std::size_t Count>
void ShowBoundMembers(HWND dialog, const Page& page, const SettingBinding<Page> (&bindings)[Count]) {
    for (const SettingBinding<Page>& binding : bindings) {
        if (binding.number) SetItemChecked(dialog, binding.control, page.*binding.number != 0);
        if (binding.text) SetItemText(dialog, binding.control, page.*binding.text);
    }
}

template <typename Page, std::size_t Count>
void TakeBoundMembers(HWND dialog, Page& page, const SettingBinding<Page> (&bindings)[Count]) {
    for (const SettingBinding<Page>& binding : bindings) {
        if (binding.number) page.*binding.number = IsItemChecked(dialog, binding.control) ? 1 : 0;
        if (binding.text) page.*binding.text = GetItemText(dialog, binding.control);
    }
}

// A page whose controls are all bound: it reads the settings when it is first shown and
// writes them on Apply only if it was shown, so an unvisited page leaves its settings alone.
template <typename Page>
class CBoundSettingsPage : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;

protected:
    BOOL OnInit() override {
        ReadBoundSettings(AsPage(), Page::kBindings);
        OnSettingsRead();
        MembersToControls();
        shown = true;
        return TRUE;
    }

    bool OnApply() override {
        if (!shown) return true;
        ControlsToMembers();
        WriteBoundSettings(AsPage(), Page::kBindings);
        return true;
    }

    virtual void OnSettingsRead() {}
    void MembersToControls() { ShowBoundMembers(GetHandle(), AsPage(), Page::kBindings); }
    void ControlsToMembers() { TakeBoundMembers(GetHandle(), AsPage(), Page::kBindings); }

private:
    Page& AsPage() { return static_cast<Page&>(*this); }

    bool shown = false;
};

class CSettingsPage1 : public CBoundSettingsPage<CSettingsPage1> {
public:
    CSettingsPage1() : CBoundSettingsPage(IDD_SETTINGS_GENERAL, "General") {}

    static const SettingBinding<CSettingsPage1> kBindings[];

private:
    void OnSettingsRead() override {
        EnableItem(GetHandle(), IDC_SETTINGS_DOWNLOAD_DIR, extractToDownload != 0);
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

    int defaultZipManager = 0;
    int associationIcons = 0;
    int startupScreen = 0;
    int playSounds = 0;
    int promptOnDelete = 0;
    std::string downloadDir;
    int extractToDownload = 0;
};

const SettingBinding<CSettingsPage1> CSettingsPage1::kBindings[] = {
    {IDC_SETTINGS_DEFAULT_ZIP, "Settings", "CAssoc", &CSettingsPage1::defaultZipManager, nullptr},
    {IDC_SETTINGS_ICONS, "Settings", "DisplayIcons", &CSettingsPage1::associationIcons, nullptr},
    {IDC_SETTINGS_STARTUP, "Settings", "ShowStartupScreen", &CSettingsPage1::startupScreen, nullptr},
    {IDC_SETTINGS_PLAY_SOUNDS, "Settings", "PlaySounds", &CSettingsPage1::playSounds, nullptr},
    {IDC_SETTINGS_PROMPT_DELETE, "Settings", "PromptOnDelete", &CSettingsPage1::promptOnDelete, nullptr},
    {IDC_SETTINGS_DOWNLOAD_DIR, "Settings", "DownloadDir", nullptr, &CSettingsPage1::downloadDir},
    {IDC_SETTINGS_TO_DOWNLOAD, "Settings", "ExtractToDownload", &CSettingsPage1::extractToDownload, nullptr},
};

class CSettingsPage2 : public CBoundSettingsPage<CSettingsPage2> {
public:
    CSettingsPage2() : CBoundSettingsPage(IDD_SETTINGS_LOCATIONS, "Program Locations") {}

    static const SettingBinding<CSettingsPage2> kBindings[];

private:
    bool OnCommand(UINT id, UINT code, HWND) override {
        if (code != BN_CLICKED) return false;
        if (id == IDC_SETTINGS_ARJ_BROWSE) return Browse(arjPath), true;
        if (id == IDC_SETTINGS_VIEWER_BROWSE) return Browse(viewer), true;
        return false;
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

    std::string arjPath;
    std::string viewer;
};

const SettingBinding<CSettingsPage2> CSettingsPage2::kBindings[] = {
    {IDC_SETTINGS_ARJ_PATH, "Locations", "ARJ.EXE", nullptr, &CSettingsPage2::arjPath},
    {IDC_SETTINGS_VIEWER, "Locations", "Viewer", nullptr, &CSettingsPage2::viewer},
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
