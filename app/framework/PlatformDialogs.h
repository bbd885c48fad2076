#pragma once
// Every dialog that Windows itself draws (the common file dialogs, the shell's folder
// browser, property sheets) is shown through one replaceable object, so that tests can
// answer them without a modal loop blocking the test. Message boxes have their own seam
// (ShowMessage).

#include <windows.h>
#include <commdlg.h>
#include <prsht.h>

#include <string>
#include <vector>

// One open or save file dialog.
struct FileDialogRequest {
    std::string title;              // empty: the dialog's own ("Open", "Save As")
    std::string initialName;        // empty: no initial file name
    std::string defaultExtension;   // without the dot; empty: none
    std::string filter;             // '|'-separated pairs ending in "||"; empty: no filter
    DWORD flags = 0;                // OFN_* flags besides the explorer style; OFN_ALLOWMULTISELECT
                                    // makes an open dialog return every chosen file
    // A child template of this program placed below the dialog's own controls, and its
    // hook (both or neither). hookData reaches the hook at WM_INITDIALOG as the
    // OPENFILENAMEA's lCustData.
    UINT childTemplate = 0;
    LPOFNHOOKPROC hook = nullptr;
    LPARAM hookData = 0;
};

// The shell's folder browser, rooted at the desktop, file-system folders only.
struct FolderRequest {
    std::string title;
};

class IPlatformDialogs {
public:
    // An open dialog. True on OK with the full path of every chosen file (one unless
    // OFN_ALLOWMULTISELECT), in the order the dialog gives them; false on Cancel.
    virtual bool ChooseOpenFiles(HWND owner, const FileDialogRequest& request, std::vector<std::string>& paths) = 0;
    // A save dialog. True on OK with the full path chosen.
    virtual bool ChooseSaveFile(HWND owner, const FileDialogRequest& request, std::string& path) = 0;
    // The folder browser. True with the folder's full path when one was picked.
    virtual bool ChooseFolder(HWND owner, const FolderRequest& request, std::string& folder) = 0;
    // A modal property sheet built by CPropertySheet; returns what PropertySheetA returns.
    // The pages' objects are in the page records' lParam.
    virtual INT_PTR ShowPropertySheet(PROPSHEETHEADERA& header) = 0;

protected:
    ~IPlatformDialogs() = default;
};

// The installed dialogs, or the real ones.
IPlatformDialogs& PlatformDialogs();
// nullptr restores the real dialogs. Not owned.
void SetPlatformDialogs(IPlatformDialogs* dialogs);

// The real dialogs, for a test double that answers some requests and passes others on.
IPlatformDialogs& RealPlatformDialogs();

// Shorthands for the single-file open dialog and the save dialog.
bool ChooseOpenFile(HWND owner, const FileDialogRequest& request, std::string& path);
bool ChooseSaveFile(HWND owner, const FileDialogRequest& request, std::string& path);

// '|'-separated filter pairs as the common dialogs want them: NUL-separated, two NULs at the end.
std::vector<char> FilterForDialog(const std::string& filter);
// The buffer a multiple-selection open dialog fills ("folder\0name\0name\0\0", or one
// full path) as full paths.
std::vector<std::string> SplitChosenFiles(const char* buffer);
