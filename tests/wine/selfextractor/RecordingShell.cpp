// Stands in for Cmd.exe in the self-extractor builder tests: a copy of this program in the
// system folder, named by ComSpec, is started instead of the real one. It appends to the log named by BRINDLE_SFX_SHELL_LOG a "LINE" line
// with its whole command line, a "DIR" line with the current folder and a "SHOW" line with the
// show state it was given; then, unless BRINDLE_SFX_SHELL_IDLE is set, it hands the same
// arguments to the real interpreter and returns its exit code.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestSupport/Programs.h"

namespace {

void AppendToLog() {
    const char* logPath = std::getenv("BRINDLE_SFX_SHELL_LOG");
    if (!logPath || !*logPath) return;
    FILE* log = std::fopen(logPath, "ab");
    if (!log) return;
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    std::fprintf(log, "LINE\t%s\nDIR\t%s\nSHOW\t%d\n", GetCommandLineA(), folder, show);
    std::fclose(log);
}

// The command line without this program's own name, as the C runtime would skip it.
const char* Arguments() {
    const char* line = GetCommandLineA();
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line)
        if (*line == '"') quoted = !quoted;
    return line;
}

}  // namespace

int main() {
    AppendToLog();
    if (std::getenv("BRINDLE_SFX_SHELL_IDLE")) return 0;
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string line = std::string("\"") + system + "\\cmd.exe\"" + Arguments();
    const int code = RunAndWait(line);
    return code == -1 ? 9009 : code;   // what the interpreter says of a program it cannot find
}
