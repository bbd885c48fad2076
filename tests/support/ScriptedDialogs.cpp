#include "TestSupport/ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs() { SetPlatformDialogs(this); }

ScriptedDialogs::~ScriptedDialogs() { SetPlatformDialogs(nullptr); }

bool ScriptedDialogs::ChooseOpenFiles(HWND, const FileDialogRequest& request, std::vector<std::string>& paths) {
    openRequests.push_back(request);
    return openFiles && openFiles(request, paths);
}

bool ScriptedDialogs::ChooseSaveFile(HWND, const FileDialogRequest& request, std::string& path) {
    saveRequests.push_back(request);
    return saveFile && saveFile(request, path);
}

bool ScriptedDialogs::ChooseFolder(HWND, const FolderRequest& request, std::string& chosen) {
    folderRequests.push_back(request);
    return folder && folder(request, chosen);
}

INT_PTR ScriptedDialogs::ShowPropertySheet(PROPSHEETHEADERA& header) {
    sheetCaptions.push_back(header.pszCaption != nullptr ? header.pszCaption : "");
    return propertySheet ? propertySheet(header) : 0;
}
