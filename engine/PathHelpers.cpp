#include "PathHelpers.h"

#include <windows.h>

#include <new>

#include "UserMessages.h"
#include "zipdll/FileContent.h"

namespace {

// Upper-cases in the user's locale, as the DOS tools and the archive names compare.
void UpperCaseInPlace(std::string& text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
}

// The short form of path, or path itself when it has none (missing file, entry name).
std::string ShortFormOf(const std::string& path) {
    std::string shortForm =
        ReadSystemText([&](DWORD size, char* buffer) { return GetShortPathNameA(path.c_str(), buffer, size); });
    return shortForm.empty() ? path : shortForm;
}

std::string ModuleFileName() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        // A full buffer means the name was cut short.
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

}  // namespace

void ToShortPath(std::string& path) {
    try {
        std::string shortForm = ShortFormOf(path);
        UpperCaseInPlace(shortForm);
        path.swap(shortForm);
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(OutOfMemory::Buffer);
    }
}

void GetProgramDir(std::string& dir) {
    try {
        std::string folder = ShortFormOf(ModuleFileName());
        UpperCaseInPlace(folder);
        std::string::size_type slash = folder.find_last_of('\\');
        if (slash != std::string::npos) folder.erase(slash);
        dir.swap(folder);
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(OutOfMemory::Buffer);
    }
}

void CutLastComponent(std::string& path) {
    std::string::size_type slash = path.find_last_of('\\');
    if (slash != std::string::npos) path.erase(slash);
}

void GetExtension(const std::string& name, std::string& extension) {
    std::string::size_type dot = name.find_last_of('.');
    if (dot == std::string::npos) return;
    // Only the last component counts: a dot in a folder name (C:\OLD.ARJ\README) is none.
    if (name.find_first_of("\\/", dot) != std::string::npos) return;
    extension = name.substr(dot + 1);
    UpperCaseInPlace(extension);
}

void LastComponent(std::string& path) {
    std::string::size_type slash = path.find_last_of('\\');
    if (slash != std::string::npos) path.erase(0, slash);
}

int IsFileEmptyOrMissing(const std::string& path) {
    return ExamineFileContent(path.c_str()) == FileContent::NotEmpty ? 0 : 1;
}

std::string TemporaryFolder() {
    std::string folder = ReadSystemText([](DWORD size, char* buffer) { return GetTempPathA(size, buffer); });
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::string CurrentFolder() {
    return ReadSystemText([](DWORD size, char* buffer) { return GetCurrentDirectoryA(size, buffer); });
}

std::string UpperFileName(const std::string& path) {
    const std::string::size_type cut = path.find_last_of("\\/:");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    UpperCaseInPlace(name);
    return name;
}
