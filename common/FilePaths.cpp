#include "FilePaths.h"

#include <windows.h>

std::string FullPath(const std::string& path) {
    std::string full = ReadSystemText(
        [&](DWORD size, char* buffer) { return GetFullPathNameA(path.c_str(), size, buffer, nullptr); });
    return full.empty() ? path : full;
}
