#pragma once
// The recent-file list: newest first, at most capacity paths, kept in the program's profile
// under "Recent File List" as "File1".."FileN", shown in the File menu where the
// "Recent File" item (the first recent-file command id) stands.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// Where the program keeps its texts by section and key; an absent key reads "".
class IProfileStore {
public:
    virtual std::string ReadProfileText(const char* section, const char* key) = 0;
    virtual void WriteProfileText(const char* section, const char* key, const std::string& value) = 0;

protected:
    ~IProfileStore() = default;
};

class CRecentFileList {
public:
    explicit CRecentFileList(std::size_t capacity);

    void ReadList(IProfileStore& profile);
    void WriteList(IProfileStore& profile) const;

    // Moves path (compared without regard to case) to the top, dropping the oldest entry
    // when the list is full.
    void Add(const std::string& path);
    void Remove(std::size_t index);
    std::size_t GetCount() const { return paths.size(); }
    const std::string& operator[](std::size_t index) const { return paths[index]; }

    // Replaces the recent-file items (or the placeholder) of menu by the current entries,
    // labelled "&1 path" ... "1&0 path"; an empty list shows the disabled placeholder.
    void UpdateMenu(HMENU menu) const;

private:
    std::size_t capacity;
    std::vector<std::string> paths;
};
