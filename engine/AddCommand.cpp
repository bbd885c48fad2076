// The Add command, the same for every archive kind: choose the names (file dialog or typed
// pattern), then the Add Files dialog and one AddFile per name.

#include <windows.h>

#include <new>
#include <unordered_set>

#include "ArchiveHandler.h"
#include "CommandDialogs.h"
#include "CommandRunner.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "UserMessages.h"
#include "WaitCursor.h"

namespace {

// A moved source goes only once the re-read listing shows an entry of its file name: an
// archiver that said it succeeded without storing the file (an outside ARJ.EXE can) must not
// cost the user the file. A listing that cannot be read removes nothing.
void RemoveListedSources(IArchiveView* view, const NameList& stored) {
    NameList entries;
    if (!view || !view->GetAllNames(entries)) return;
    std::unordered_set<std::string> listed;
    listed.reserve(entries.size());
    for (const std::string& entry : entries) listed.insert(UpperFileName(entry));
    for (const std::string& source : stored)
        if (listed.count(UpperFileName(source))) DeleteFileA(source.c_str());
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
        return ReportOutOfMemory(OutOfMemory::ChosenFiles);
    }
    const int result = AddFiles(std::move(names));
    // The file dialog moves the current directory along as the user browses: remember the
    // folder last looked at, also when the Add Files dialog was cancelled.
    const std::string folder = CurrentFolder();
    if (!folder.empty()) WriteSettingText("SavedDirs", "AddDir", folder);
    return result;
}

int CArchiveHandler::AddAllAtOnce(const NameList&, int, int, int) { return 0; }

int CArchiveHandler::AddFiles(NameList names) {
    // The list is ours from the call on, and goes when this frame ends on every path.
    NameList list(std::move(names));
    if (list.empty()) return 1;
    // The dialog shows the stored options; only OK stores what it leaves. The action and
    // recursion start afresh every time.
    AddOptions options;
    options.level = ReadSettingInt("Add", "Comp");
    options.storePath = ReadSettingInt("Add", "StorePath") != 0 ? 1 : 0;
    options.dos83 = ReadSettingInt("Add", "DOS83") != 0 ? 1 : 0;
    if (!CommandDialogs().AskAddOptions(options)) return 1;
    WriteSettingInt("Add", "StorePath", options.storePath);
    WriteSettingInt("Add", "DOS83", options.dos83);
    WriteSettingInt("Add", "Comp", options.level);

    WaitCursor wait;
    PlayWaveResource("BRINDLE_WAV");
    int result = 1;
    // One pass over the names. A source is removed only once its own AddFile has stored it
    // and the listing read afterwards holds it; the first failure stops the loop before any
    // later name is added. A pattern or a folder "moved" is not a file, so it stays.
    NameList stored;
    if (options.dos83)
        for (std::string& name : list) ToShortPath(name);
    if (AddAllAtOnce(list, options.storePath, options.recurse, options.level)) {
        if (options.action == AddOptions::kMove) stored = list;
    } else {
        for (const std::string& name : list) {
            result = AddFile(name, options.storePath, options.recurse, options.level);
            if (!result) break;
            if (options.action == AddOptions::kMove) stored.push_back(name);
        }
    }
    Refresh();
    if (!stored.empty()) RemoveListedSources(view, stored);
    return result;
}
