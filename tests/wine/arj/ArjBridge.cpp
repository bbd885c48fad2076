// Stands in for ARJ.EXE in the end-to-end tests and hands the work to Debian's own arj,
// a Unix program that Wine can start. The handler speaks in Windows paths, short and
// upper-cased; a Unix program needs the files' real names, so every absolute path argument
// is turned into its long form and then into the Unix path Wine maps it to. Questions arj
// would ask in its console window are answered yes ("-y"), as a user at the console would.

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using UnixFileNameFunction = char*(CDECL*)(const WCHAR*);

bool IsAbsoluteWindowsPath(const std::string& text) {
    return text.size() >= 3 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' &&
           text[2] == '\\';
}

std::string LongForm(const std::string& path) {
    std::vector<char> buffer(32768);
    DWORD length = GetLongPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > 0 && length < buffer.size()) return std::string(buffer.data(), length);
    // A file arj is about to create: only its folder has a long form yet.
    std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash < 3) return path;
    return LongForm(path.substr(0, slash)) + path.substr(slash);
}

std::string UnixPath(const std::string& windowsPath) {
    static UnixFileNameFunction toUnix = reinterpret_cast<UnixFileNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return windowsPath;
    std::string longPath = LongForm(windowsPath);
    int wideLength = MultiByteToWideChar(CP_ACP, 0, longPath.c_str(), -1, nullptr, 0);
    std::vector<WCHAR> wide(static_cast<std::size_t>(wideLength > 0 ? wideLength : 1));
    MultiByteToWideChar(CP_ACP, 0, longPath.c_str(), -1, wide.data(), wideLength);
    char* unixName = toUnix(wide.data());
    if (!unixName) return windowsPath;
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

// Wine's spawn call is asked to wait, but under load it has been seen to return while arj
// was still writing the archive, so the next listing read the old one. The shell therefore
// records arj's exit code in a marker file once arj has ended, and the bridge waits for that.
std::string MarkerUnixPath() {
    char name[96];
    std::snprintf(name, sizeof name, "/tmp/brindle-arj-bridge-%lu-%lu", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()));
    return name;
}

std::string WindowsViewOfUnixPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;   // Wine maps Z: to the Unix root
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

int WaitForMarker(const std::string& marker) {
    const std::string seen = WindowsViewOfUnixPath(marker);
    for (int waited = 0; waited < 300000; waited += 10) {
        HANDLE file = CreateFileA(seen.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char text[16] = {};
            DWORD got = 0;
            ReadFile(file, text, sizeof text - 1, &got, nullptr);
            CloseHandle(file);
            DeleteFileA(seen.c_str());
            return std::atoi(text) == 0 ? 0 : 1;
        }
        Sleep(10);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Wine starts a Unix program from CreateProcess without a process handle to wait on, so
    // the run would seem to end at once; Wine's own spawn call starts it with this program's
    // standard handles, where the interpreter's redirection points.
    using SpawnFunction = LONG(CDECL*)(char* const* arguments, int wait);
    SpawnFunction spawn = reinterpret_cast<SpawnFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn) return 127;

    const char* program = std::getenv("BRINDLE_UNIX_ARJ");
    const std::string marker = MarkerUnixPath();
    // The marker is written under another name and renamed, so it is never read half written.
    std::vector<std::string> unixArguments = {
        "/bin/sh", "-c", "\"$0\" \"$@\"; echo $? > '" + marker + ".part' && mv '" + marker + ".part' '" + marker + "'",
        program && *program ? program : "/usr/bin/arj"};
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        unixArguments.push_back(IsAbsoluteWindowsPath(argument) ? UnixPath(argument) : argument);
        if (i == 1) unixArguments.push_back("-y");
    }
    std::vector<char*> pointers;
    for (std::string& argument : unixArguments) pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);
    if (spawn(pointers.data(), 1) != 0) return 1;
    return WaitForMarker(marker);
}
