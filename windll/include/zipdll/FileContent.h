#pragma once
// Whether a file holds anything, asked the same way by the engine, the window and Zip32.dll.
// The size comes from the file's directory entry, not from an exclusive open: a file that
// another program holds open still has its data, and callers delete "empty" archives.

#include <windows.h>

enum class FileContent { Missing, Empty, NotEmpty };   // a folder counts as missing

inline FileContent ExamineFileContent(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &attributes)) return FileContent::Missing;
    if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FileContent::Missing;
    return attributes.nFileSizeHigh == 0 && attributes.nFileSizeLow == 0 ? FileContent::Empty : FileContent::NotEmpty;
}
