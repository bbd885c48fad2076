#pragma once
// Entry names: making stored names safe to create on disk, normalising names for storing,
// comparing names and matching wildcard patterns.

#include <string>
#include <vector>

namespace zipcore::names {

struct SafePath {
    std::vector<std::string> components;  // relative, never "", "." or ".."
    bool changed = false;                 // drive letters, leading separators or ".." were removed
    std::string problem;                  // why the name was refused
};

// false: the name must not be created (device name, forbidden character); see problem.
bool MakeSafe(const std::string& stored, SafePath& out);
bool IsDeviceName(const std::string& component);
bool HasForbiddenCharacter(const std::string& component);

// The form a path takes inside an archive: '/' separators, no drive letter, no leading
// separator, no "." or ".." components.
std::string ForStoring(const std::string& path);
// A key that is equal for two names exactly when they mean the same entry: '\' equals '/',
// and letter case counts on Windows only (zipcore::EntryNameKey).
std::string ComparisonKey(const std::string& name);
// '*' and '?' wildcards over one path component.
bool MatchesPattern(const std::string& pattern, const std::string& name);
bool HasWildcard(const std::string& text);

}  // namespace zipcore::names
