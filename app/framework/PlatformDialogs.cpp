#include "framework/PlatformDialogs.h"

#include <shlobj.h>

namespace {

IPlatformDialogs* installedDialogs = nullptr;

// Room for a multiple selection of a good many files.
constexpr std::size_t kFileBufferSize = 64 * 1024;

void FillFileDialog(OPENFILENAMEA& dialog, HWND owner, const FileDialogRequest& request, std::vector<char>& filter,
                    std::vector<char>& fileName) {
    filter = FilterForDialog(request.filter);
    fileName.assign(kFileBufferSize, '\0');
    request.initialName.copy(fileName.data(), fileName.size() - 2);
    dialog = OPENFILENAMEA{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.data();
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = static_cast<DWORD>(fileName.size());
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = request.flags | OFN_EXPLORER;
    if (request.childTemplate != 0 && request.hook != nullptr) {
        dialog.hInstance = GetModuleHandleA(nullptr);
        dialog.lpTemplateName = MAKEINTRESOURCEA(request.childTemplate);
        dialog.lpfnHook = request.hook;
        dialog.lCustData = request.hookData;
        dialog.Flags |= OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
    } else if (request.hook != nullptr) {
        dialog.lpfnHook = request.hook;
        dialog.lCustData = request.hookData;
        dialog.Flags |= OFN_ENABLEHOOK;
    }
}

class RealDialogs : public IPlatformDialogs {
public:
    bool ChooseOpenFiles(HWND owner, const FileDialogRequest& request, std::vector<std::string>& paths) override {
        OPENFILENAMEA dialog;
        std::vector<char> filter, fileName;
        FillFileDialog(dialog, owner, request, filter, fileName);
        if (!GetOpenFileNameA(&dialog)) return false;
        // Without multiple selection the buffer may hold what is left of a longer initial
        // name after the chosen path's terminator.
        if ((request.flags & OFN_ALLOWMULTISELECT) != 0)
            paths = SplitChosenFiles(fileName.data());
        else
            paths.assign(1, std::string(fileName.data()));
        return !paths.empty() && !paths.front().empty();
    }

    bool ChooseSaveFile(HWND owner, const FileDialogRequest& request, std::string& path) override {
        OPENFILENAMEA dialog;
        std::vector<char> filter, fileName;
        FillFileDialog(dialog, owner, request, filter, fileName);
        if (!GetSaveFileNameA(&dialog)) return false;
        path = fileName.data();
        return true;
    }

    bool ChooseFolder(HWND owner, const FolderRequest& request, std::string& folder) override {
        char displayName[MAX_PATH + 1] = "";
        BROWSEINFOA browse{};
        browse.hwndOwner = owner;
        browse.pszDisplayName = displayName;
        browse.lpszTitle = request.title.c_str();
        browse.ulFlags = BIF_RETURNONLYFSDIRS;
        PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
        if (chosen == nullptr) return false;
        char path[MAX_PATH] = "";
        const bool found = SHGetPathFromIDListA(chosen, path) != FALSE;
        CoTaskMemFree(chosen);
        if (found) folder = path;
        return found;
    }

    INT_PTR ShowPropertySheet(PROPSHEETHEADERA& header) override { return PropertySheetA(&header); }
};

}  // namespace

IPlatformDialogs& RealPlatformDialogs() {
    static RealDialogs dialogs;
    return dialogs;
}

IPlatformDialogs& PlatformDialogs() { return installedDialogs ? *installedDialogs : RealPlatformDialogs(); }

void SetPlatformDialogs(IPlatformDialogs* dialogs) { installedDialogs = dialogs; }

bool ChooseOpenFile(HWND owner, const FileDialogRequest& request, std::string& path) {
    std::vector<std::string> paths;
    if (!PlatformDialogs().ChooseOpenFiles(owner, request, paths) || paths.empty()) return false;
    path = paths.front();
    return true;
}

bool ChooseSaveFile(HWND owner, const FileDialogRequest& request, std::string& path) {
    return PlatformDialogs().ChooseSaveFile(owner, request, path);
}

std::vector<char> FilterForDialog(const std::string& filter) {
    std::vector<char> converted(filter.begin(), filter.end());
    for (char& c : converted)
        if (c == '|') c = '\0';
    converted.push_back('\0');
    converted.push_back('\0');
    return converted;
}

std::vector<std::string> SplitChosenFiles(const char* buffer) {
    std::vector<std::string> paths;
    std::string first = buffer;
    if (first.empty()) return paths;
    const char* name = buffer + first.size() + 1;
    if (*name == '\0') {   // one file: the buffer holds its full path
        paths.push_back(first);
        return paths;
    }
    if (first.back() != '\\') first += '\\';
    for (; *name != '\0'; name += std::string(name).size() + 1) paths.push_back(first + name);
    return paths;
}
