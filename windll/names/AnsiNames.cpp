#include "AnsiNames.h"

#include <unordered_set>

namespace zipdll {

AnsiMatch MatchAnsiNames(const std::vector<zipcore::Entry>& entries, const std::vector<std::string>& requestedAnsi) {
    // Indexed once, so that many selected names against a large archive stay linear.
    std::vector<std::string> ansiNames;
    ansiNames.reserve(entries.size());
    for (const zipcore::Entry& entry : entries) ansiNames.push_back(zipcore::AnsiFromUtf8(entry.name));
    const zipcore::EntryNameIndex index(ansiNames);
    AnsiMatch match;
    std::unordered_set<std::size_t> taken;
    for (const std::string& wanted : requestedAnsi) {
        const std::vector<std::size_t> found = index.find(wanted);
        if (found.empty()) match.notFound.push_back(wanted);
        for (std::size_t i : found)
            if (taken.insert(i).second) match.entryNames.push_back(entries[i].name);
    }
    return match;
}

std::vector<std::string> EntryNamesForAnsi(const std::vector<zipcore::Entry>& entries,
                                           const std::vector<std::string>& requestedAnsi) {
    AnsiMatch match = MatchAnsiNames(entries, requestedAnsi);
    for (const std::string& missing : match.notFound) match.entryNames.push_back(zipcore::Utf8FromAnsi(missing));
    return match.entryNames;
}

}  // namespace zipdll
