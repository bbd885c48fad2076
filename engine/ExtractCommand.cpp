// The Extract command, the same for every archive kind: the Extract dialog, then Extract.

#include <windows.h>

#include "ArchiveHandler.h"
#include "CommandDialogs.h"
#include "CommandRunner.h"
#include "Settings.h"
#include "UserMessages.h"
#include "WaitCursor.h"

// The archive's own folder under the download folder: C:\Downloads with D:\MAIL\REPORT.ZIP
// gives C:\Downloads\REPORT. The archive path is the short form in capitals that the
// document keeps, so a long name shows as its 8.3 name. The extension goes by its dot, so
// a short name (A.Z) keeps its name and the cut never reaches into the folder part; the two
// parts meet at exactly one backslash.
std::string FolderUnderDownloads(const std::string& downloadFolder, const std::string& archivePath) {
    const std::size_t slash = archivePath.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? archivePath : archivePath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);

    std::string folder = downloadFolder;
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (name.empty()) return folder;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder + name;
}

int CArchiveHandler::ExtractCommand() {
    messageLog.clear();
    ExtractOptions options;
    options.archivePath = archivePath;
    if (view) {
        options.selectedCount = view->GetSelectedCount();
        options.entryCount = view->GetEntryCount();
    }
    // Nothing selected and nothing to select: said before any dialog shows, and before the
    // download folder is made.
    if (options.selectedCount == 0 && options.entryCount == 0) {
        ShowMessage("Empty zip file; nothing to extract!", MB_ICONERROR);
        return 1;
    }
    // With nothing selected there is nothing else to extract.
    options.extractAll = options.selectedCount == 0 ? 1 : 0;
    if (ReadSettingInt("Settings", "ExtractToDownload") != 0) {
        const std::string downloadFolder = ReadSettingText("Settings", "DownloadDir");
        // One level, made as the dialog opens; the per-archive folder below it is made by
        // Extract, which also reports a folder it cannot make.
        CreateDirectoryA(downloadFolder.c_str(), nullptr);
        options.targetDir = FolderUnderDownloads(downloadFolder, options.archivePath);
    } else {
        options.targetDir = ReadSettingText("SavedDirs", "ExtractToDir");
    }
    if (!CommandDialogs().AskExtractOptions(options)) return 1;
    // Kept unchecked, also when it came from the download folder: it is the proposal the
    // next time that option is off.
    WriteSettingText("SavedDirs", "ExtractToDir", options.targetDir);

    WaitCursor wait;
    PlayWaveResource("BRINDLE_WAV");
    // The listing is not read again: extracting changes nothing in the archive.
    return Extract(options.targetDir, options.overwrite, options.useFolderNames ? 0 : 1, options.extractAll);
}
