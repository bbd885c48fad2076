// The Extract dialog: the target folder (proposed under the download folder, or the one
// used last), Browse, and the three options.

#include "BrindleCommandDialogs.h"
#include "Settings.h"
#include "UserMessages.h"
#include "framework/Dialog.h"
#include "framework/PlatformDialogs.h"
#include "resource.h"

// The archive's own folder under the download folder: C:\Downloads with D:\MAIL\REPORT.ZIP
// gives C:\Downloads\REPORT. The archive path is the short form in capitals that the
// document keeps, so a long name shows as its 8.3 name. The extension goes by its dot, so
// a short name (A.Z) keeps its name and the cut never reaches into the folder part; the two
// parts meet at exactly one backslash.
std::string FolderUnderDownloads(const std::string& downloadFolder, const std::string& archivePath) {
    const std::size_t slash = archivePath.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? archivePath : archivePath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);

    std::string folder = downloadFolder;
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (name.empty()) return folder;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder + name;
}

namespace {

class CExtractDialog : public CDialog {
public:
    explicit CExtractDialog(ExtractOptions& options) : CDialog(IDD_EXTRACT), options(options) {}

protected:
    BOOL OnInit() override {
        options.overwrite = 0;
        options.useFolderNames = 1;
        options.extractAll = options.selectedCount == 0 ? 1 : 0;
        if (ReadSettingInt("Settings", "ExtractToDownload") != 0) {
            const std::string downloadFolder = ReadSettingText("Settings", "DownloadDir");
            // One level; the per-archive folder below it is made by Extract.
            CreateDirectoryA(downloadFolder.c_str(), nullptr);
            options.targetDir = FolderUnderDownloads(downloadFolder, options.archivePath);
        } else {
            options.targetDir = ReadSettingText("SavedDirs", "ExtractToDir");
        }
        // With nothing selected there is nothing else to extract.
        EnableItem(GetHandle(), IDC_EXTRACT_ALL, options.selectedCount != 0);
        ShowOptions();
        return TRUE;
    }

    bool OnCommand(UINT id, UINT, HWND) override {
        if (id != IDC_EXTRACT_BROWSE) return false;
        TakeOptions();
        std::string folder;
        if (PlatformDialogs().ChooseFolder(GetHandle(), FolderRequest{"Extract to"}, folder)) {
            options.targetDir = folder;
            ShowOptions();
        }
        return true;
    }

    bool OnOk() override {
        TakeOptions();
        // Not checked here: Extract reports a folder it cannot make.
        WriteSettingText("SavedDirs", "ExtractToDir", options.targetDir);
        return true;
    }

private:
    void ShowOptions() {
        HWND dialog = GetHandle();
        SetItemText(dialog, IDC_EXTRACT_FOLDER, options.targetDir);
        SetItemChecked(dialog, IDC_EXTRACT_ALL, options.extractAll != 0);
        SetItemChecked(dialog, IDC_EXTRACT_OVERWRITE, options.overwrite != 0);
        SetItemChecked(dialog, IDC_EXTRACT_FOLDER_NAMES, options.useFolderNames != 0);
    }

    void TakeOptions() {
        HWND dialog = GetHandle();
        options.targetDir = GetItemText(dialog, IDC_EXTRACT_FOLDER);
        options.extractAll = IsItemChecked(dialog, IDC_EXTRACT_ALL) ? 1 : 0;
        options.overwrite = IsItemChecked(dialog, IDC_EXTRACT_OVERWRITE) ? 1 : 0;
        options.useFolderNames = IsItemChecked(dialog, IDC_EXTRACT_FOLDER_NAMES) ? 1 : 0;
    }

    ExtractOptions& options;
};

}  // namespace

bool ShowExtractDialog(HWND owner, ExtractOptions& options) {
    // Nothing selected and nothing to select: said before any dialog shows.
    if (options.selectedCount == 0 && options.entryCount == 0) {
        ShowMessage("Empty zip file; nothing to extract!", MB_ICONERROR);
        return false;
    }
    CExtractDialog dialog(options);
    return dialog.Run(owner) == IDOK;
}
