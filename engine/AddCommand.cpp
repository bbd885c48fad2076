// The Add command, the same for every archive kind: choose the names (file dialog or typed
// pattern), then the Add Files dialog and one AddFile per name.

#include <windows.h>

#include <zlib.h>

#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "ArchiveHandler.h"
#include "CommandDialogs.h"
#include "CommandRunner.h"
#include "Handles.h"
#include "LongWork.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "UserMessages.h"
#include "WaitCursor.h"

namespace {

// The size and the CRC-32 of a file's bytes as they are now; false when it cannot be read.
bool ReadSizeAndCrc(const std::string& path, unsigned long long& size, unsigned long& crc) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    std::vector<unsigned char> buffer(1 << 16);
    uLong running = crc32(0L, Z_NULL, 0);
    size = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) break;
        running = crc32(running, buffer.data(), got);
        size += got;
    }
    crc = static_cast<unsigned long>(running);
    return true;
}

// A moved source goes only once the archive, read back after the add, holds an entry of its
// file name with exactly its size and CRC: an archiver that said it succeeded without storing
// the file (an outside ARJ.EXE can), or a later name that replaced the entry (two files of
// one name from different folders, stored without folder names), must not cost the user the
// only copy. Every file kept is named in the log.
void RemoveStoredSources(CArchiveHandler& handler, const NameList& moved, std::string& log) {
    std::vector<StoredEntry> entries;
    if (!handler.ReadStoredEntries(entries)) {
        log += "The archive could not be read back, so no moved file was removed.\r\n";
        return;
    }
    std::unordered_multimap<std::string, const StoredEntry*> byFileName;
    byFileName.reserve(entries.size());
    for (const StoredEntry& entry : entries) byFileName.emplace(UpperFileName(entry.name), &entry);
    for (const std::string& source : moved) {
        unsigned long long size = 0;
        unsigned long crc = 0;
        bool held = false;
        if (ReadSizeAndCrc(source, size, crc)) {
            const auto range = byFileName.equal_range(UpperFileName(source));
            for (auto it = range.first; it != range.second && !held; ++it)
                held = it->second->size == size && it->second->crc == crc;
        }
        if (held && DeleteFileA(source.c_str())) continue;
        log += held ? "Kept " + source + ": it could not be removed.\r\n"
                    : "Kept " + source + ": the archive holds no entry of its name with its contents.\r\n";
    }
}

// The archive as it was before an add that takes several archiver calls, each of which
// rewrites it: a Cancel between them puts it back, byte for byte. The copy lies in the
// temporary folder, not beside the archive, where a pattern being added could take it in.
class ArchiveBeforeAdd {
public:
    explicit ArchiveBeforeAdd(const std::string& archivePath) : archivePath(archivePath) {
        existed = !IsFileEmptyOrMissing(archivePath);
        char name[MAX_PATH];
        if (!GetTempFileNameA(TemporaryFolder().c_str(), "BRK", 0, name)) return;
        copyPath = name;
        if (existed && !CopyFileA(archivePath.c_str(), name, FALSE)) {
            DeleteFileA(name);
            copyPath.clear();
        }
    }
    ~ArchiveBeforeAdd() {
        if (!copyPath.empty()) DeleteFileA(copyPath.c_str());
    }
    ArchiveBeforeAdd(const ArchiveBeforeAdd&) = delete;
    ArchiveBeforeAdd& operator=(const ArchiveBeforeAdd&) = delete;

    // False when there was no copy to put back, or it would not go.
    bool PutBack() {
        if (copyPath.empty()) return false;
        const bool done = existed ? MoveFileExA(copyPath.c_str(), archivePath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0
                                  : DeleteFileA(archivePath.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
        if (done && existed) copyPath.clear();
        return done;
    }

private:
    std::string archivePath;
    std::string copyPath;
    bool existed = false;
};

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
    bool cancelled = false;
    bool putBack = true;
    {
        LongOperation operation("Adding", archivePath);
        if (AddAllAtOnce(list, options.storePath, options.recurse, options.level)) {
            if (options.action == AddOptions::kMove) stored = list;
        } else {
            // One call for one name leaves the archive as it was when it is cancelled; more
            // calls need the copy to go back to.
            std::unique_ptr<ArchiveBeforeAdd> before;
            if (list.size() > 1 || options.recurse) before.reset(new ArchiveBeforeAdd(archivePath));
            for (const std::string& name : list) {
                result = AddFile(name, options.storePath, options.recurse, options.level);
                if (!result || operation.Cancelled()) break;
                if (options.action == AddOptions::kMove) stored.push_back(name);
            }
            if (operation.Cancelled() && before) putBack = before->PutBack();
        }
        cancelled = operation.Cancelled();
    }
    // Nothing moved goes after a Cancel: the archive no longer holds what was added.
    if (cancelled) {
        stored.clear();
        result = 1;
    }
    Refresh();
    if (cancelled)
        messageLog += putBack ? "Cancelled; the archive is as it was before the add.\r\n"
                              : "Cancelled; the names added before the Cancel stay in the archive.\r\n";
    if (!stored.empty()) {
        try {
            RemoveStoredSources(*this, stored, messageLog);
        } catch (const std::bad_alloc&) {
            // What was not checked stays where it is.
            ShowMessage("Not enough memory to check the moved files; they were kept.", MB_ICONEXCLAMATION);
        }
    }
    return result;
}
