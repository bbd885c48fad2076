#pragma once
// The programs that Brindle and Kestrel start of their own accord (the command interpreter,
// the default viewer) are started by their full path in the system's own folders, never by a
// bare name: for a bare name Windows looks in the program's folder and the current folder
// first, and an archive being extracted or viewed can put a file of that name in either.
// Header only and without the C++ library, so that Kestrel, which links nothing of the other
// programs, uses the same rule.

#include <windows.h>

// path = folder + "\" + fileName, when that fits in size and names an existing file.
inline bool ExistingFileInFolder(const char* folder, const char* fileName, char* path, DWORD size) {
    const int folderLength = lstrlenA(folder);
    if (folderLength == 0 || folderLength + 1 + lstrlenA(fileName) >= static_cast<int>(size)) return false;
    lstrcpyA(path, folder);
    if (path[folderLength - 1] != '\\') lstrcatA(path, "\\");
    lstrcatA(path, fileName);
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The system folder and the Windows folder, in that order, as Windows searches them; false
// (and path empty) when fileName is in neither.
inline bool SystemProgramPath(const char* fileName, char* path, DWORD size) {
    char folder[MAX_PATH];
    for (int which = 0; which < 2; ++which) {
        const UINT length = which == 0 ? GetSystemDirectoryA(folder, MAX_PATH) : GetWindowsDirectoryA(folder, MAX_PATH);
        if (length > 0 && length < MAX_PATH && ExistingFileInFolder(folder, fileName, path, size)) return true;
    }
    if (size > 0) path[0] = '\0';
    return false;
}

// The command interpreter to start: %ComSpec% when it names a file that is in the system
// folder or the Windows folder itself (a ComSpec pointing anywhere else, or without a folder,
// is not trusted), otherwise Cmd.exe (Windows NT) or Command.com from those folders.
inline bool InterpreterPath(bool windowsNt, char* path, DWORD size) {
    char comSpec[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("ComSpec", comSpec, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        char* lastSlash = nullptr;
        for (char* c = comSpec; *c; ++c)
            if (*c == '\\') lastSlash = c;
        if (lastSlash) {
            *lastSlash = '\0';
            char found[MAX_PATH];
            char folder[MAX_PATH];
            for (int which = 0; which < 2; ++which) {
                const UINT folderLength =
                    which == 0 ? GetSystemDirectoryA(folder, MAX_PATH) : GetWindowsDirectoryA(folder, MAX_PATH);
                if (folderLength > 0 && folderLength < MAX_PATH && lstrcmpiA(comSpec, folder) == 0 &&
                    ExistingFileInFolder(folder, lastSlash + 1, found, MAX_PATH) &&
                    lstrlenA(found) < static_cast<int>(size)) {
                    lstrcpyA(path, found);
                    return true;
                }
            }
        }
    }
    return SystemProgramPath(windowsNt ? "cmd.exe" : "command.com", path, size);
}
