#include "OpenFileDialog.h"

#include <commdlg.h>

#include <utility>
#include <vector>

namespace {

OpenFileChooser& InstalledChooser() {
    static OpenFileChooser chooser;
    return chooser;
}

bool RunCommonOpenDialog(HWND owner, const OpenFileRequest& request, std::string& chosenPath) {
    // The dialog wants the filter's pairs separated by NULs, not bars.
    std::vector<char> filter(request.filter.begin(), request.filter.end());
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');
    filter.push_back('\0');
    char fileName[MAX_PATH * 2] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.data();
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = sizeof fileName;
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = request.flags | OFN_EXPLORER;
    if (!GetOpenFileNameA(&dialog)) return false;
    chosenPath = fileName;
    return true;
}

}  // namespace

bool ChooseOpenFile(HWND owner, const OpenFileRequest& request, std::string& chosenPath) {
    if (InstalledChooser()) return InstalledChooser()(owner, request, chosenPath);
    return RunCommonOpenDialog(owner, request, chosenPath);
}

void SetOpenFileChooser(OpenFileChooser chooser) { InstalledChooser() = std::move(chooser); }
