// Stands in for ARJ.EXE in the end-to-end tests and hands the work to Debian's own arj,
// which Wine starts like any program. The handler speaks in Windows paths, short and
// upper-cased; a Unix program needs the files' real names, so every absolute path argument
// is turned into its long form and then into the Unix path Wine maps it to. Questions arj
// would ask in its console window are answered yes ("-y"), as a user at the console would.

#include <windows.h>

#include <cctype>
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

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

int main(int argc, char** argv) {
    const char* program = std::getenv("BRINDLE_UNIX_ARJ");
    std::string line = Quoted(program && *program ? program : "/usr/bin/arj");
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        line += " " + Quoted(IsAbsoluteWindowsPath(argument) ? UnixPath(argument) : argument);
        if (i == 1) line += " -y";
    }
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 127;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}
