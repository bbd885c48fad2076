// The Add command, the same for every archive kind: choose the names (file dialog or typed
// pattern), then the Add Files dialog and one AddFile per name.

#include <windows.h>

#include <new>

#include "ArchiveHandler.h"
#include "CommandDialogs.h"
#include "CommandRunner.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "UserMessages.h"
#include "WaitCursor.h"

namespace {

std::string CurrentFolder() {
    char folder[1000] = "";
    DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

}  // namespace

int CArchiveHandler::AddCommand() {
    messageLog.clear();
    // The dialog opens in the current directory; a folder that has gone leaves it as it was.
    SetCurrentDirectoryA(ReadSettingText("SavedDirs", "AddDir").c_str());

    NameList names;
    try {
        if (!CommandDialogs().ChooseFilesToAdd(names) || names.empty()) return 1;
    } catch (const std::bad_alloc&) {
        ShowMessage("Not enough memory!", MB_ICONEXCLAMATION);
        return 0;
    }
    const int result = AddFiles(std::move(names));
    // The file dialog moves the current directory along as the user browses: remember the
    // folder last looked at, also when the Add Files dialog was cancelled.
    const std::string folder = CurrentFolder();
    if (!folder.empty()) WriteSettingText("SavedDirs", "AddDir", folder);
    return result;
}

int CArchiveHandler::AddFiles(NameList names) {
    // The list is ours from the call on, and goes when this frame ends on every path.
    NameList list(std::move(names));
    if (list.empty()) return 1;
    AddOptions options;
    if (!CommandDialogs().AskAddOptions(options)) return 1;

    WaitCursor wait;
    PlayWaveResource("BRINDLE_WAV");
    int result = 1;
    // One pass over the names. A source is removed only once its own AddFile has stored it;
    // the first failure stops the loop before any later name is added or removed. A pattern
    // or a folder "moved" is not a file, so its deletion fails harmlessly.
    for (std::string& name : list) {
        if (options.dos83) ToShortPath(name);
        result = AddFile(name, options.storePath, options.recurse, options.level);
        if (!result) break;
        if (options.action == AddOptions::kMove) DeleteFileA(name.c_str());
    }
    Refresh();
    return result;
}
