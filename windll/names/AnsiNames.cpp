#include "AnsiNames.h"

#include <windows.h>

#include <cctype>
#include <unordered_map>
#include <unordered_set>

namespace zipdll {
namespace {

std::string Folded(const std::string& name) {
    std::string key = name;
    for (char& c : key) c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

}  // namespace

AnsiMatch MatchAnsiNames(const std::vector<zipcore::Entry>& entries, const std::vector<std::string>& requestedAnsi) {
    // Indexed once, so that many selected names against a large archive stay linear.
    std::unordered_multimap<std::string, std::size_t> byAnsi;
    byAnsi.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) byAnsi.emplace(Folded(zipcore::AnsiFromUtf8(entries[i].name)), i);
    AnsiMatch match;
    std::unordered_set<std::size_t> taken;
    for (const std::string& wanted : requestedAnsi) {
        const auto range = byAnsi.equal_range(Folded(wanted));
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

std::wstring WideFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

}  // namespace zipdll
