#include "SaveFileDialog.h"

#include <commdlg.h>

#include <utility>
#include <vector>

#include "resource.h"

namespace {

SaveFileChooser& InstalledChooser() {
    static SaveFileChooser chooser;
    return chooser;
}

// The New dialog's OK button says what it does. The hook sits on the child template, so
// the common dialog itself is its parent.
UINT_PTR CALLBACK NewArchiveHook(HWND hook, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(GetParent(hook), IDOK, "New");
        return TRUE;
    }
    return 0;
}

// The common dialog wants its filter as NUL-separated pairs ending in two NULs; we keep it
// in the readable '|' form.
std::vector<char> FilterForDialog(const std::string& filter) {
    std::vector<char> converted(filter.begin(), filter.end());
    for (char& c : converted)
        if (c == '|') c = '\0';
    converted.push_back('\0');
    converted.push_back('\0');
    return converted;
}

bool ShowRealSaveDialog(HWND owner, const SaveFileRequest& request, std::string& chosenPath) {
    std::vector<char> fileName(MAX_PATH * 4, '\0');
    request.initialName.copy(fileName.data(), fileName.size() - 1);
    std::vector<char> filter = FilterForDialog(request.filter);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.data();
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = static_cast<DWORD>(fileName.size());
    dialog.lpstrTitle = request.title.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = request.flags | OFN_EXPLORER;
    if (request.newArchiveTemplate) {
        dialog.hInstance = GetModuleHandleA(nullptr);
        dialog.lpTemplateName = MAKEINTRESOURCEA(IDD_NEW_ARCHIVE_TEMPLATE);
        dialog.lpfnHook = NewArchiveHook;
        dialog.Flags |= OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
    }
    if (!GetSaveFileNameA(&dialog)) return false;
    chosenPath = fileName.data();
    return true;
}

}  // namespace

bool ChooseSaveFile(HWND owner, const SaveFileRequest& request, std::string& chosenPath) {
    const SaveFileChooser& chooser = InstalledChooser();
    if (chooser) return chooser(owner, request, chosenPath);
    return ShowRealSaveDialog(owner, request, chosenPath);
}

void SetSaveFileChooser(SaveFileChooser chooser) {
    InstalledChooser() = std::move(chooser);
}
