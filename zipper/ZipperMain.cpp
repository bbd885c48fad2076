// Zipper: packs the file named on its command line into a zip archive of the same name
// beside it, at the highest level, and ends. No window, no settings, exit code always 0.

#include <windows.h>

#include "UserMessages.h"
#include "ZipHandler.h"
#include "ZipperCommandLine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        SetMessageCaption("Zipper");
        // Taken whole: a name with blanks needs no quotation marks, but may have them.
        const std::string fileArgument = PathFromCommandLine(ArgumentsAfterProgramName(GetCommandLineA()));
        const std::string archive = ArchiveNameFor(fileArgument);
        CZipHandler handler(nullptr);
        if (handler.Init() && handler.Open(archive)) handler.AddFile(fileArgument, 0, 0, 9);
    } catch (...) {
        // Nothing useful can be said without memory; the exit code stays 0 regardless.
    }
    return 0;
}
