// View and Delete: the two commands that work on the entries selected in the list.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <new>
#include <vector>

#include "ArchiveHandler.h"
#include "PathHelpers.h"
#include "Settings.h"
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

// The program Windows associates with the file, else the viewer; neither result is reported.
void OpenExtractedFile(const std::string& file, const std::string& viewer) {
    const HINSTANCE opened = ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_RESTORE);
    if (reinterpret_cast<INT_PTR>(opened) > 32 || viewer.empty()) return;
    // Quoted, so that a viewer that splits its command line gets a name with blanks whole.
    const std::string parameters = "\"" + file + "\"";
    ShellExecuteA(nullptr, "open", viewer.c_str(), parameters.c_str(), nullptr, SW_RESTORE);
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
        // Without a temporary folder the extraction below fails and says so; nothing is removed.
        const std::string folder = TemporaryFolder();
        WaitCursor wait;
        NameList names;
        if (view && !view->GetSelectedNames(names)) return ReportOutOfMemory(OutOfMemory::Selection);
        // The copies an earlier View left go first (extraction would replace them anyway):
        // a file found afterwards is then one this extraction wrote, never a stale copy of
        // an entry that failed or is no longer in the archive.
        std::vector<std::string> files;
        for (const std::string& name : names) {
            std::string file;
            if (!ExtractedFile(*this, folder, name, file)) continue;
            if (IsFile(file)) DeleteFileA(file.c_str());
            files.push_back(file);
        }
        if (!Extract(folder, 1, 0, 0)) return 0;
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
        result = DeleteEntries(names);
        NameList().swap(names);
        // The list shows what the archive holds now, whether or not the delete went through.
        Refresh();
    }
    return result;
}
