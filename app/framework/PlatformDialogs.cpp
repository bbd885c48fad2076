#include "framework/PlatformDialogs.h"

#include <shlobj.h>

#include <new>

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

// A multiple selection may need more room than any fixed buffer holds, and a dialog whose
// buffer is too small ends as if cancelled. The hook below grows the buffer each time the
// selection changes, before the dialog writes the names into it: the dialog reads the
// buffer's address and size from its record when it ends. The request's own hook, if any,
// sees every message after it, and its own data at WM_INITDIALOG.
struct GrowingSelection {
    OPENFILENAMEA* dialog;
    std::vector<char>* fileName;
    LPOFNHOOKPROC hook;
    LPARAM hookData;
};

void MakeRoomForSelection(HWND fileDialog, GrowingSelection& state) {
    // Both answer the length they need, terminator included, when given no buffer. The
    // quoted names of the file-name box take more room than the list they become.
    const LRESULT spec = SendMessageA(fileDialog, CDM_GETSPEC, 0, 0);
    const LRESULT folder = SendMessageA(fileDialog, CDM_GETFOLDERPATH, 0, 0);
    if (spec <= 0 || folder < 0) return;
    const std::size_t needed = static_cast<std::size_t>(spec) + static_cast<std::size_t>(folder) + 2;
    if (needed <= state.fileName->size()) return;
    // Doubling keeps a selection that grows a name at a time to a few copies.
    state.fileName->resize(needed * 2, '\0');
    state.dialog->lpstrFile = state.fileName->data();
    state.dialog->nMaxFile = static_cast<DWORD>(state.fileName->size());
}

UINT_PTR CALLBACK GrowingSelectionHook(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<GrowingSelection*>(GetWindowLongPtrA(child, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        OPENFILENAMEA* dialog = reinterpret_cast<OPENFILENAMEA*>(lParam);
        state = reinterpret_cast<GrowingSelection*>(dialog->lCustData);
        SetWindowLongPtrA(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        if (state->hook == nullptr) return 0;
        OPENFILENAMEA forHook = *dialog;
        forHook.lCustData = state->hookData;
        return state->hook(child, message, wParam, reinterpret_cast<LPARAM>(&forHook));
    }
    if (state == nullptr) return 0;
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_SELCHANGE) {
        try {
            MakeRoomForSelection(GetParent(child), *state);
        } catch (const std::bad_alloc&) {
            // The buffer stays as it is; a selection too long for it ends as a Cancel.
        }
    }
    return state->hook != nullptr ? state->hook(child, message, wParam, lParam) : 0;
}

class RealDialogs : public IPlatformDialogs {
public:
    bool ChooseOpenFiles(HWND owner, const FileDialogRequest& request, std::vector<std::string>& paths) override {
        OPENFILENAMEA dialog;
        std::vector<char> filter, fileName;
        FillFileDialog(dialog, owner, request, filter, fileName);
        GrowingSelection growing{&dialog, &fileName, request.hook, request.hookData};
        if ((request.flags & OFN_ALLOWMULTISELECT) != 0) {
            dialog.lpfnHook = &GrowingSelectionHook;
            dialog.lCustData = reinterpret_cast<LPARAM>(&growing);
            dialog.Flags |= OFN_ENABLEHOOK;
        }
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
