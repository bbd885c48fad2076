// The capture of a command's printed output, through the interpreter's redirection into a
// list file. Only the arj listing uses it.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "ArchiveHandler.h"
#include "CommandLineSafety.h"
#include "CommandRunner.h"
#include "Handles.h"
#include "PathHelpers.h"
#include "UserMessages.h"

namespace {

// Named by thread so that two running copies of the program never share one list file; in
// the temporary folder, as the program's own folder is often not writable (in the current
// folder when the system has no temporary folder).
std::string ListFilePath() {
    char name[32];
    std::snprintf(name, sizeof name, "%lX.lst", static_cast<unsigned long>(GetCurrentThreadId()));
    return TemporaryFolder() + name;
}

}  // namespace

int CArchiveHandler::RunCaptured(const std::string& commandLine, std::string& output) {
    const std::string listFile = ListFilePath();
    if (!MayGoOnCommandLine(listFile)) return 0;
    // A list file left behind by an earlier failed read must not pass for this run's output
    // when this command does not start at all.
    DeleteFileA(listFile.c_str());

    RunCommand(commandLine + "  >  " + QuoteArgument(listFile), 0);

    FileHandle file(CreateFileA(listFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ShowMessage("Cannot open list file!", MB_ICONERROR);
        return 0;
    }
    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart <= 0) {
        ShowMessage("Cannot read list file!", MB_ICONERROR);
        return 0;
    }
    std::string text;
    try {
        if (static_cast<unsigned long long>(fileSize.QuadPart) >= text.max_size()) throw std::bad_alloc();
        text.resize(static_cast<std::size_t>(fileSize.QuadPart));
    } catch (const std::exception&) {
        return ReportOutOfMemory(OutOfMemory::Operation);
    }
    std::size_t filled = 0;
    while (filled < text.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - filled, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), &text[filled], chunk, &got, nullptr) || got == 0) break;
        filled += got;
    }
    if (filled == 0) {
        ShowMessage("Cannot read list file!", MB_ICONERROR);
        return 0;
    }
    text.resize(filled);
    file.reset();
    DeleteFileA(listFile.c_str());
    output.swap(text);
    return 1;
}
