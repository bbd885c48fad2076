#pragma once
// A double for the window's platform dialogs: each kind of request is recorded and answered
// by the function a test puts in; a request with no function is cancelled. Installs itself
// for the length of its life.

#include <functional>
#include <string>
#include <vector>

#include "framework/PlatformDialogs.h"

class ScriptedDialogs : public IPlatformDialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    bool ChooseOpenFiles(HWND owner, const FileDialogRequest& request, std::vector<std::string>& paths) override;
    bool ChooseSaveFile(HWND owner, const FileDialogRequest& request, std::string& path) override;
    bool ChooseFolder(HWND owner, const FolderRequest& request, std::string& folder) override;
    INT_PTR ShowPropertySheet(PROPSHEETHEADERA& header) override;

    std::function<bool(const FileDialogRequest&, std::vector<std::string>&)> openFiles;
    std::function<bool(const FileDialogRequest&, std::string&)> saveFile;
    std::function<bool(const FolderRequest&, std::string&)> folder;
    std::function<INT_PTR(PROPSHEETHEADERA&)> propertySheet;

    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<FolderRequest> folderRequests;
    std::vector<std::string> sheetCaptions;
};
