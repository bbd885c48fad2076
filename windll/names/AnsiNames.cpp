#include "AnsiNames.h"

#include <unordered_map>
#include <unordered_set>

namespace zipdll {

AnsiMatch MatchAnsiNames(const std::vector<zipcore::Entry>& entries, const std::vector<std::string>& requestedAnsi) {
    // Indexed once, so that many selected names against a large archive stay linear.
    std::unordered_multimap<std::string, std::size_t> byAnsi;
    byAnsi.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        byAnsi.emplace(zipcore::EntryNameKey(zipcore::AnsiFromUtf8(entries[i].name)), i);
    AnsiMatch match;
    std::unordered_set<std::size_t> taken;
    for (const std::string& wanted : requestedAnsi) {
        const auto range = byAnsi.equal_range(zipcore::EntryNameKey(wanted));
        if (range.first == range.second) match.notFound.push_back(wanted);
        for (auto it = range.first; it != range.second; ++it)
            if (taken.insert(it->second).second) match.entryNames.push_back(entries[it->second].name);
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
