#pragma once
// What the archive handlers need of the view that shows an archive's entries.
// The list view implements it; tests implement it with a recording view.

#include <string>
#include <vector>

using NameList = std::vector<std::string>;

// The six display texts of one entry, in column order.
struct EntryRow {
    std::string name;
    std::string date;
    std::string time;
    std::string size;
    std::string ratio;
    std::string packed;
};

class IArchiveView {
public:
    virtual void ClearEntries() = 0;
    virtual void AddEntry(const EntryRow& row) = 0;
    // Name texts of the selected rows (or of all rows), top to bottom. An empty list with
    // success when there are none; 0 when the list cannot be allocated.
    virtual int GetSelectedNames(NameList& names) = 0;
    virtual int GetAllNames(NameList& names) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // How many rows are selected, and how many there are. A list control answers both at
    // once; the defaults count the names.
    virtual int GetSelectedCount() {
        NameList names;
        return GetSelectedNames(names) ? static_cast<int>(names.size()) : 0;
    }
    virtual int GetEntryCount() {
        NameList names;
        return GetAllNames(names) ? static_cast<int>(names.size()) : 0;
    }

protected:
    ~IArchiveView() = default;
};
