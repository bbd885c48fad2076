#include "CommandRunner.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "Handles.h"
#include "LongWork.h"
#include "Settings.h"
#include "SystemPrograms.h"
#include "UserMessages.h"
#include "WaitCursor.h"

namespace {

// Cmd.exe keeps the quotes of a /C command only in one narrow case; otherwise it strips the
// first and the last quote character of the line, which would unbalance a line that quotes
// its program and its arguments ("a&b" would then run b). An extra outer pair is what it
// strips instead, and a line without quotes of its own loses nothing by it.
std::string InterpreterCommandLine(bool windowsNt, const std::string& commandLine) {
    if (windowsNt) return "Cmd.exe /C \"" + commandLine + "\"";
    return "Command.com /C " + commandLine;
}

}  // namespace

int RunCommand(const std::string& commandLine, int showWindow) {
    WaitCursor wait;

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) {
        ShowMessage("Cannot get OS version!\n", MB_OK);
        return kCommandNotRun;
    }

    const bool windowsNt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    // The line still names the interpreter as usual; the program started is the one found
    // in the system's folders, whatever lies in the current folder (an extraction's target)
    // or beside this program.
    char interpreter[MAX_PATH];
    if (!InterpreterPath(windowsNt, interpreter, sizeof interpreter)) return kCommandNotRun;
    std::string line = InterpreterCommandLine(windowsNt, commandLine);
    // CreateProcessA may write into the command line it is given.
    std::vector<char> writableLine(line.begin(), line.end());
    writableLine.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showWindow ? SW_SHOWNORMAL : SW_HIDE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(interpreter, writableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, ".", &startup,
                        &process))
        return kCommandNotRun;
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    // The wait is the long part; the window goes on meanwhile.
    RunOffWindowThread([&] { WaitForSingleObject(processHandle.get(), INFINITE); });
    DWORD exitCode = 0;
    const bool known = GetExitCodeProcess(processHandle.get(), &exitCode) != 0;
    return known ? static_cast<int>(exitCode) : kCommandNotRun;
}

int PlayWaveResource(const char* resourceName) {
    if (ReadSettingInt("Settings", "PlaySounds") == 0) return 1;
    HRSRC resource = FindResourceA(nullptr, resourceName, "WAVE");
    if (!resource) return 0;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    if (!loaded) return 0;
    const void* sound = LockResource(loaded);
    if (!sound) return 0;
    // The resource stays mapped for the life of the module, so the asynchronous play may
    // go on reading it after this returns.
    return sndPlaySoundA(static_cast<const char*>(sound), SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
}
