#pragma once
// The save-file dialogs of the document's New, Copy Archive and Move Archive commands.
// They go through one replaceable chooser so that tests can answer them without a modal
// dialog blocking the message loop.

#include <windows.h>

#include <functional>
#include <string>

struct SaveFileRequest {
    std::string title;              // "New", "Copy to", "Move to"
    std::string initialName;        // empty: no initial file name
    std::string defaultExtension;   // without the dot; empty: none
    std::string filter;             // '|'-separated pairs ending in "||"; empty: no filter
    DWORD flags = 0;                // OFN_* flags besides the explorer style
    bool newArchiveTemplate = false;  // the New dialog: child template and an OK button reading "New"
};

// Returns true with the chosen full path on OK, false on Cancel.
using SaveFileChooser = std::function<bool(HWND owner, const SaveFileRequest& request, std::string& chosenPath)>;

// Shows the request through the installed chooser, or the real common dialog.
bool ChooseSaveFile(HWND owner, const SaveFileRequest& request, std::string& chosenPath);

// An empty chooser restores the real common dialog.
void SetSaveFileChooser(SaveFileChooser chooser);
