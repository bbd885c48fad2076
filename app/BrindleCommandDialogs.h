#pragma once
// The archive window's side of the command dialogs (engine/CommandDialogs.h). Each dialog
// is one public function over the main window, in its own file (AddDialogs.cpp,
// ExtractDialog.cpp ...).

#include <windows.h>

#include <string>

#include "CommandDialogs.h"

// The Add command's file-open dialog with the wildcard panel (template 138).
bool ChooseFilesToAdd(HWND owner, NameList& names);
// The Add Files dialog (template 133).
bool ShowAddFilesDialog(HWND owner, AddOptions& options);
// The Extract dialog (template 130).
bool ShowExtractDialog(HWND owner, ExtractOptions& options);

// The Select dialog (template 145): the wildcard whose matching rows are selected.
struct SelectPatternRequest {
    std::string pattern;
};
bool AskSelectPattern(HWND owner, SelectPatternRequest& request);

// Installs the window's dialogs for the engine's commands, unless a test has installed its
// own; UninstallBrindleCommandDialogs removes only ours.
void InstallBrindleCommandDialogs();
void UninstallBrindleCommandDialogs();
