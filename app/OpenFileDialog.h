#pragma once
// The Open command's file dialog, through one replaceable chooser so that tests can
// answer it without a modal dialog blocking the message loop.

#include <windows.h>

#include <functional>
#include <string>

struct OpenFileRequest {
    std::string defaultExtension;   // without the dot
    std::string filter;             // '|'-separated pairs ending in "||"
    DWORD flags = 0;                // OFN_* flags besides the explorer style
};

// Returns true with the chosen full path on OK, false on Cancel.
using OpenFileChooser = std::function<bool(HWND owner, const OpenFileRequest& request, std::string& chosenPath)>;

bool ChooseOpenFile(HWND owner, const OpenFileRequest& request, std::string& chosenPath);

// An empty chooser restores the real common dialog.
void SetOpenFileChooser(OpenFileChooser chooser);
