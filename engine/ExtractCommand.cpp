// The Extract command, the same for every archive kind: the Extract dialog, then Extract.

#include <windows.h>

#include "ArchiveHandler.h"
#include "CommandDialogs.h"
#include "CommandRunner.h"
#include "WaitCursor.h"

int CArchiveHandler::ExtractCommand() {
    messageLog.clear();
    ExtractOptions options;
    options.archivePath = archivePath;
    if (view) {
        options.selectedCount = view->GetSelectedCount();
        options.entryCount = view->GetEntryCount();
    }
    // Cancelled, or the dialog closed itself over an empty list (it has said so).
    if (!CommandDialogs().AskExtractOptions(options)) return 1;

    WaitCursor wait;
    PlayWaveResource("BRINDLE_WAV");
    // The listing is not read again: extracting changes nothing in the archive.
    return Extract(options.targetDir, options.overwrite, options.useFolderNames ? 0 : 1, options.extractAll);
}
