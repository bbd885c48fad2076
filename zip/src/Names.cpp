#include "Names.h"
#include "zipcore/ZipArchive.h"

#include <algorithm>
#include <cctype>

namespace zipcore::names {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return i == a.size() && !b[i];
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    parts.push_back(current);
    return parts;
}

bool HasDriveLetter(const std::string& path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

}  // namespace

bool IsDeviceName(const std::string& component) {
    // Windows opens the device for "nul", "NUL.txt" and "nul .txt" alike.
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"})
        if (EqualNoCase(base, device)) return true;
    if (base.size() < 4 || !(EqualNoCase(base.substr(0, 3), "COM") || EqualNoCase(base.substr(0, 3), "LPT")))
        return false;
    const std::string digit = base.substr(3);
    // Windows also takes the superscript digits one to three (UTF-8 C2 B9, C2 B2, C2 B3) for ports.
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
           digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

bool HasForbiddenCharacter(const std::string& component) {
    for (char c : component) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32) return true;
        switch (c) {
        case '<': case '>': case ':': case '"': case '|': case '?': case '*': return true;
        default: break;
        }
    }
    return false;
}

bool MakeSafe(const std::string& stored, SafePath& out) {
    out = SafePath{};
    std::string rest = stored;
    // "C:x" and "C:\x" both lose the drive; several in a row ("C:D:x") all go.
    while (HasDriveLetter(rest)) {
        rest.erase(0, 2);
        out.changed = true;
    }
    std::vector<std::string> parts = Split(rest);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty()) {
            // A leading separator made the name absolute; doubled and trailing ones are harmless.
            if (i == 0 && parts.size() > 1) out.changed = true;
            continue;
        }
        if (part == ".") continue;
        if (part == "..") {
            out.changed = true;
            continue;
        }
        if (IsDeviceName(part)) {
            out.problem = "'" + part + "' is a device name on Windows";
            return false;
        }
        if (HasForbiddenCharacter(part)) {
            out.problem = "'" + part + "' contains a character that Windows does not allow in names";
            return false;
        }
        out.components.push_back(part);
    }
    return true;
}

std::string ForStoring(const std::string& path) {
    std::string rest = path;
    while (HasDriveLetter(rest)) rest.erase(0, 2);
    // ".." takes back the folder before it; one that would climb above the top is dropped.
    std::vector<std::string> kept;
    for (const std::string& part : Split(rest)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string result;
    for (const std::string& part : kept) result += (result.empty() ? "" : "/") + part;
    return result;
}

std::string ComparisonKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c == '\\') c = '/';
#ifdef _WIN32
        c = Lower(c);
#endif
    }
    return key;
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
    // Iterative matcher with one backtrack point: linear in practice, no recursion blow-up.
    std::size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    auto same = [](char x, char y) {
#ifdef _WIN32
        return Lower(x) == Lower(y);
#else
        return x == y;
#endif
    };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && same(pattern[p], name[n])))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

}  // namespace zipcore::names

namespace zipcore {

std::string EntryNameKey(const std::string& name) { return names::ComparisonKey(name); }

namespace {

std::string ExactKey(const std::string& name) {
    std::string key = name;
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

}  // namespace

EntryNameIndex::EntryNameIndex(const std::vector<std::string>& names) {
    exact_.reserve(names.size());
    folded_.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        exact_.emplace(ExactKey(names[i]), i);
        folded_.emplace(names::ComparisonKey(names[i]), i);
    }
}

std::vector<std::size_t> EntryNameIndex::find(const std::string& wanted) const {
    auto range = exact_.equal_range(ExactKey(wanted));
    if (range.first == range.second) range = folded_.equal_range(names::ComparisonKey(wanted));
    std::vector<std::size_t> found;
    for (auto it = range.first; it != range.second; ++it) found.push_back(it->second);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace zipcore
