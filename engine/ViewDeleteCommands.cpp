// View and Delete: the two commands that work on the entries selected in the list.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "ArchiveHandler.h"
#include "LongWork.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "SystemPrograms.h"
#include "UserMessages.h"
#include "WaitCursor.h"

namespace {

bool StartsWithNoCase(const std::string& text, const std::string& head) {
    return text.size() > head.size() && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text.c_str(),
                                                       static_cast<int>(head.size()), head.c_str(),
                                                       static_cast<int>(head.size())) == CSTR_EQUAL;
}

// Where extracting entryName into folder puts its file, by the handler's own answer, and only
// when that lies inside folder: whatever answers to a raw hostile name is not ours to open.
bool ExtractedFile(CArchiveHandler& handler, const std::string& folder, const std::string& entryName,
                   std::string& file) {
    std::string relative;
    if (!handler.ExtractedRelativePath(entryName, relative)) return false;
    const std::string root = FullPath(folder);
    file = FullPath(folder + relative);
    return !root.empty() && StartsWithNoCase(file, root);
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder of this View's own under the temporary folder, made here and so holding nothing
// but what this extraction writes: no file of anyone else's is ever replaced or opened.
// Empty when none can be made.
std::string FreshViewFolder() {
    const std::string parent = TemporaryFolder();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "BrView%lX-%lX-%X", static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()), attempt);
        const std::string folder = parent + name;
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::string();
}

bool IsAbsolutePath(const std::string& path) {
    return (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) || path.compare(0, 2, "\\\\") == 0;
}

// The viewer as a full path. A bare name (the default "Notepad.exe") is looked for in the
// system's folders only: found in the current folder it could be a file the archive put
// there. Any other relative path would be taken from the current folder, and is refused.
std::string ViewerProgram(const std::string& viewer) {
    if (IsAbsolutePath(viewer)) return viewer;
    if (viewer.empty() || viewer.find_first_of("\\/:") != std::string::npos) return std::string();
    const std::string fileName = viewer.find('.') == std::string::npos ? viewer + ".exe" : viewer;
    char path[MAX_PATH];
    return SystemProgramPath(fileName.c_str(), path, sizeof path) ? std::string(path) : std::string();
}

// The program Windows associates with the file, else the viewer; neither result is reported.
void OpenExtractedFile(const std::string& file, const std::string& viewer) {
    const HINSTANCE opened = ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_RESTORE);
    if (reinterpret_cast<INT_PTR>(opened) > 32) return;
    const std::string program = ViewerProgram(viewer);
    if (program.empty()) return;
    // Quoted, so that a viewer that splits its command line gets a name with blanks whole.
    const std::string parameters = "\"" + file + "\"";
    ShellExecuteA(nullptr, "open", program.c_str(), parameters.c_str(), nullptr, SW_RESTORE);
}

}  // namespace

bool CArchiveHandler::ExtractedRelativePath(const std::string& entryName, std::string& relative) {
    relative = entryName;
    std::replace(relative.begin(), relative.end(), '/', '\\');
    if (relative.find(':') != std::string::npos) return false;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(relative.find('\\', start), relative.size());
        const std::string part = relative.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (end == relative.size()) return true;
        start = end + 1;
    }
}

int CArchiveHandler::ViewCommand() {
    try {
        const std::string viewer = ReadSettingText("Locations", "Viewer", "Notepad.exe");
        messageLog.clear();
        WaitCursor wait;
        NameList names;
        if (view && !view->GetSelectedNames(names)) return ReportOutOfMemory(OutOfMemory::Selection);
        if (names.empty()) return 1;
        // In a folder of its own, a file found after the extraction is one it wrote, never a
        // stale copy of an entry that failed, nor another program's file of the same name.
        const std::string folder = FreshViewFolder();
        if (folder.empty()) {
            ShowMessage("Cannot create a folder for viewing in the temporary folder!", MB_ICONERROR);
            return 0;
        }
        std::vector<std::string> files;
        for (const std::string& name : names) {
            std::string file;
            if (ExtractedFile(*this, folder, name, file)) files.push_back(file);
        }
        // The same operation as the extraction's own, so that its Cancel is seen here.
        LongOperation operation("Extracting", archivePath);
        if (!Extract(folder, 1, 0, 0)) {
            RemoveDirectoryA(folder.c_str());   // only when the failed extraction left it empty
            return 0;
        }
        if (operation.Cancelled()) return 1;   // the user stopped it: nothing is opened
        for (const std::string& file : files)
            if (IsFile(file)) OpenExtractedFile(file, viewer);
        return 1;
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Selection);
    }
}

int CArchiveHandler::DeleteCommand() {
    int result;
    {
        NameList names;
        try {
            if (view && !view->GetSelectedNames(names)) return ReportOutOfMemory(OutOfMemory::Selection);
        } catch (const std::bad_alloc&) {
            return ReportOutOfMemory(OutOfMemory::Selection);
        }
        if (names.empty()) {
            ShowMessage("No files are selected", MB_ICONEXCLAMATION);
            return 1;
        }
        if (ReadSettingInt("Settings", "PromptOnDelete", 1) != 0 &&
            ShowMessage("Are you sure you want to delete selected files?", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return 1;
        WaitCursor wait;
        bool cancelled = false;
        {
            LongOperation operation("Deleting", archivePath);
            result = DeleteEntries(names);
            cancelled = operation.Cancelled();
        }
        NameList().swap(names);
        // The list shows what the archive holds now, whether or not the delete went through.
        Refresh();
        if (cancelled) messageLog += "Delete cancelled.\r\n";
    }
    return result;
}
