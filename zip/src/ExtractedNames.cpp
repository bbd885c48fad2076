#include "zipcore/ExtractedNames.h"

#include "FileSystem.h"
#include "Names.h"

namespace zipcore {

bool ExtractedRelativePath(const std::string& storedName, char separator, std::string& relative) {
    relative.clear();
    if (!storedName.empty() && (storedName.back() == '/' || storedName.back() == '\\')) return false;
    names::SafePath safe;
    if (!names::MakeSafe(storedName, safe) || safe.components.empty()) return false;
    for (const std::string& part : safe.components) {
        if (!relative.empty()) relative += separator;
        relative += part;
    }
    return true;
}

std::string ExtractedFileKey(const std::string& path) { return fs::SameFileKey(path); }

}  // namespace zipcore
