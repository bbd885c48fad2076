// The Extract dialog: the target folder the command proposes, Browse, and the three options.

#include "BrindleCommandDialogs.h"
#include "framework/Dialog.h"
#include "framework/PlatformDialogs.h"
#include "resource.h"

namespace {

class CExtractDialog : public CDialog {
public:
    explicit CExtractDialog(ExtractOptions& options) : CDialog(IDD_EXTRACT), options(options) {}

protected:
    BOOL OnInit() override {
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
    CExtractDialog dialog(options);
    return dialog.Run(owner) == IDOK;
}
