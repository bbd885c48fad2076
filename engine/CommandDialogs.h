#pragma once
// The dialogs of the handlers' user-level commands. The commands are the same for every
// archive kind and live in the engine; their dialogs need the archive window's resources,
// so the window installs the real ones at start-up (Zipper has none). Tests install a
// double that answers without a window. Each method shows its dialog modally over the
// main window and only fills its options from what it is given and what the user chose;
// the commands read the settings into the options before and write them after OK.

#include <string>

#include "ArchiveView.h"

// What the Add Files dialog shows and, after OK, leaves.
struct AddOptions {
    enum Action { kAdd = 1, kMove = 2 };
    int action = kAdd;   // combo box: "Add Files" or "Move Files"; not stored
    int level = 9;       // slider 0..9, "Add"/"Comp"
    int storePath = 0;   // "Store path names", "Add"/"StorePath"
    int recurse = 0;     // "Recurse into sub-folders", always starts unchecked
    int dos83 = 0;       // "Store filenames in DOS 8.3 form", shown from "Add"/"DOS83", not editable
};

// The Extract dialog's input (from the handler, its view and the settings) and, after OK,
// its options.
struct ExtractOptions {
    std::string archivePath;   // in: the handler's archive path
    int selectedCount = 0;     // in: entries selected in the view; none greys "Extract All Files"
    int entryCount = 0;        // in: all entries of the view
    std::string targetDir;     // in/out: the "Extract To:" text, stored in "SavedDirs"/"ExtractToDir"
    int overwrite = 0;         // in/out: "Overwrite Existing Files"
    int useFolderNames = 1;    // in/out: "Use Folder Names"
    int extractAll = 0;        // in/out: "Extract All Files"; comes in set when nothing is selected
};

// The folder the Extract command proposes under the download folder for an archive.
std::string FolderUnderDownloads(const std::string& downloadFolder, const std::string& archivePath);

class ICommandDialogs {
public:
    // The Add command's file-open dialog ("Add", multiple selection, the wildcard panel),
    // opening in the current directory. True with the chosen files' full paths in dialog
    // order, or with the one pattern typed in the wildcard panel; false when nothing was
    // chosen.
    virtual bool ChooseFilesToAdd(NameList& names) = 0;
    // The Add Files dialog, showing options. True on OK with options filled; false on Cancel.
    virtual bool AskAddOptions(AddOptions& options) = 0;
    // The Extract dialog, showing options. True on OK with the options filled; false on
    // Cancel. Never asked over an empty list.
    virtual bool AskExtractOptions(ExtractOptions& options) = 0;

protected:
    ~ICommandDialogs() = default;
};

// The installed dialogs; with none installed, every dialog answers Cancel without showing.
ICommandDialogs& CommandDialogs();
// nullptr uninstalls. Not owned.
void SetCommandDialogs(ICommandDialogs* dialogs);
ICommandDialogs* GetInstalledCommandDialogs();
