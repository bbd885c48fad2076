// The Add command's two dialogs: the file-open dialog with the wildcard panel below its own
// controls, and the Add Files dialog.

#include <new>

#include "BrindleCommandDialogs.h"
#include "framework/Dialog.h"
#include "framework/PlatformDialogs.h"
#include "framework/Window.h"
#include "resource.h"

namespace {

// The longest pattern taken from the wildcard panel, as its buffer of 2000 characters holds it.
constexpr std::size_t kLongestPattern = 1998;

// The panel's hook. The file dialog's record brings the address of the command's pattern at
// WM_INITDIALOG; the panel keeps it for the rest of its life. "Add With Wildcards" takes the
// typed text and closes the file dialog as if cancelled, so that the selection is dropped.
// Every message goes on to the dialog's own processing.
UINT_PTR CALLBACK WildcardPanelHook(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const OPENFILENAMEA* dialog = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        SetWindowLongPtrA(panel, DWLP_USER, dialog != nullptr ? dialog->lCustData : 0);
        SetDlgItemTextA(GetParent(panel), IDOK, "Add");
        break;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_WILDCARD_ADD) {
            auto* pattern = reinterpret_cast<std::string*>(GetWindowLongPtrA(panel, DWLP_USER));
            CallBehindBarrier<bool>(
                [&] {
                    if (pattern != nullptr) *pattern = GetItemText(panel, IDC_WILDCARD_PATTERN).substr(0, kLongestPattern);
                    return true;
                },
                false);
            PostMessageA(GetParent(panel), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        break;
    }
    return 0;
}

// ---- Add Files ------------------------------------------------------------------------

class CAddFilesDialog : public CDialog {
public:
    explicit CAddFilesDialog(AddOptions& options) : CDialog(IDD_ADD_FILES), options(options) {}

protected:
    BOOL OnInit() override {
        HWND dialog = GetHandle();
        FillCombo(dialog, IDC_ADD_ACTION, {"Add Files", "Move Files"}, options.action == AddOptions::kMove ? 1 : 0);
        SetTrackBarRange(dialog, IDC_ADD_LEVEL, 0, 9, 1);
        SetTrackBarPosition(dialog, IDC_ADD_LEVEL, options.level);
        SetItemChecked(dialog, IDC_ADD_STORE_PATH, options.storePath != 0);
        SetItemChecked(dialog, IDC_ADD_RECURSE, options.recurse != 0);
        // Shown for what it is; the template keeps it disabled.
        SetItemChecked(dialog, IDC_ADD_DOS83, options.dos83 != 0);
        return TRUE;
    }

    bool OnOk() override {
        HWND dialog = GetHandle();
        options.action = GetComboSelection(dialog, IDC_ADD_ACTION) == 1 ? AddOptions::kMove : AddOptions::kAdd;
        options.level = GetTrackBarPosition(dialog, IDC_ADD_LEVEL);
        options.storePath = IsItemChecked(dialog, IDC_ADD_STORE_PATH) ? 1 : 0;
        options.recurse = IsItemChecked(dialog, IDC_ADD_RECURSE) ? 1 : 0;
        options.dos83 = IsItemChecked(dialog, IDC_ADD_DOS83) ? 1 : 0;
        return true;
    }

private:
    AddOptions& options;
};

}  // namespace

bool ChooseFilesToAdd(HWND owner, NameList& names) {
    std::string pattern;
    FileDialogRequest request;
    request.title = "Add";
    request.flags = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    request.childTemplate = IDD_WILDCARD_PANEL;
    request.hook = &WildcardPanelHook;
    request.hookData = reinterpret_cast<LPARAM>(&pattern);
    std::vector<std::string> chosen;
    if (PlatformDialogs().ChooseOpenFiles(owner, request, chosen)) {
        names.swap(chosen);
        return !names.empty();
    }
    // Cancelled, or closed by "Add With Wildcards": an empty pattern is a plain Cancel.
    if (pattern.empty()) return false;
    names.assign(1, pattern);
    return true;
}

bool ShowAddFilesDialog(HWND owner, AddOptions& options) {
    CAddFilesDialog dialog(options);
    return dialog.Run(owner) == IDOK;
}
