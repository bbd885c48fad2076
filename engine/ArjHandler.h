#pragma once
// The handler for arj archives: every operation runs the outside ARJ.EXE whose path the
// user sets ("Locations"/"ARJ.EXE"); the listing is read from its captured output.

#include <vector>

#include "ArchiveHandler.h"

class CArjHandler : public CArchiveHandler {
public:
    explicit CArjHandler(IArchiveView* view);

    int Refresh() override;
    int Extract(const std::string& targetFolder, int overwrite, int junkPaths, int extractAll) override;
    int AddFile(const std::string& name, int storePath, int recurse, int level) override;
    int DeleteEntries(const NameList& names) override;
    // Every entry's name, size and CRC, from the archive's own headers: ARJ.EXE prints no CRC.
    int ReadStoredEntries(std::vector<StoredEntry>& entries) override;
    int MakeExe(const std::string& targetPath) override;
    int MakeWin95Exe(const std::string& targetPath) override;

    // The rows of a captured "ARJ.EXE v" listing. An entry starts at a line that begins with
    // its number ("001) NAME", the name being word 1) and the line after it holds the sizes
    // (words 2, 3), date and time (words 5, 6); headings, totals and further lines about an
    // entry (newer ARJ versions print access and creation times) make no rows. A missing word
    // leaves its text empty.
    static void ParseListing(const std::string& text, std::vector<EntryRow>& rows);

    // Removes everything up to and including the first newline.
    static void DropFirstLine(std::string& text);
    // Word `index` (from 0) of the first line; word is left unchanged when the line is shorter.
    static void GetField(const std::string& text, std::string& word, int index);
};
