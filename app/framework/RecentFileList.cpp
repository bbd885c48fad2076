#include "framework/RecentFileList.h"
#include "framework/FrameworkIds.h"

namespace {

const char kSection[] = "Recent File List";
constexpr UINT kFirstRecentFileCommand = ID_FILE_MRU_FIRST;
constexpr UINT kLastRecentFileCommand = ID_FILE_MRU_LAST;
const char kPlaceholderText[] = "Recent File";   // stands in the menu while the list is empty

bool IsRecentFileCommand(UINT id) { return id >= kFirstRecentFileCommand && id <= kLastRecentFileCommand; }

std::string EntryKey(std::size_t index) { return "File" + std::to_string(index + 1); }

// "&1 C:\A.ZIP" .. "1&0 C:\J.ZIP"; an ampersand in a path must not become a mnemonic.
std::string MenuLabel(std::size_t index, const std::string& path) {
    std::string number = std::to_string(index + 1);
    std::string label = number.substr(0, number.size() - 1) + "&" + number.back() + " ";
    for (char c : path) {
        if (c == '&') label += '&';
        label += c;
    }
    return label;
}

}  // namespace

CRecentFileList::CRecentFileList(std::size_t capacity) : capacity(capacity) {}

void CRecentFileList::ReadList(IProfileStore& profile) {
    paths.clear();
    for (std::size_t index = 0; index < capacity; ++index) {
        std::string path = profile.ReadProfileText(kSection, EntryKey(index).c_str());
        if (!path.empty()) paths.push_back(path);
    }
}

void CRecentFileList::WriteList(IProfileStore& profile) const {
    // Every slot is written, so entries that were removed do not come back at the next start.
    for (std::size_t index = 0; index < capacity; ++index)
        profile.WriteProfileText(kSection, EntryKey(index).c_str(),
                                 index < paths.size() ? paths[index] : std::string());
}

void CRecentFileList::Add(const std::string& path) {
    if (path.empty() || capacity == 0) return;
    for (std::size_t index = 0; index < paths.size(); ++index) {
        if (lstrcmpiA(paths[index].c_str(), path.c_str()) == 0) {
            paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(index));
            break;
        }
    }
    paths.insert(paths.begin(), path);
    if (paths.size() > capacity) paths.resize(capacity);
}

void CRecentFileList::Remove(std::size_t index) {
    if (index < paths.size()) paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(index));
}

void CRecentFileList::UpdateMenu(HMENU menu) const {
    int count = GetMenuItemCount(menu);
    int insertAt = -1;
    for (int position = count - 1; position >= 0; --position) {
        UINT id = GetMenuItemID(menu, position);
        if (!IsRecentFileCommand(id)) continue;
        DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
        insertAt = position;
    }
    if (insertAt < 0) return;   // not the menu that shows the list
    if (paths.empty()) {
        InsertMenuA(menu, static_cast<UINT>(insertAt), MF_BYPOSITION | MF_STRING | MF_GRAYED, kFirstRecentFileCommand,
                    kPlaceholderText);
        return;
    }
    for (std::size_t index = 0; index < paths.size(); ++index) {
        std::string label = MenuLabel(index, paths[index]);
        InsertMenuA(menu, static_cast<UINT>(insertAt) + static_cast<UINT>(index), MF_BYPOSITION | MF_STRING,
                    kFirstRecentFileCommand + index, label.c_str());
    }
}
