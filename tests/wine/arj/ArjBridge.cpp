// Stands in for ARJ.EXE in the end-to-end tests and hands the work to Debian's own arj,
// a Unix program that Wine can start. The handler speaks in Windows paths, short and
// upper-cased; a Unix program needs the files' real names, so every absolute path argument
// is turned into its long form and then into the Unix path Wine maps it to. Questions arj
// would ask in its console window are answered yes ("-y"), as a user at the console would.

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport/Programs.h"

namespace {

bool IsAbsoluteWindowsPath(const std::string& text) {
    return text.size() >= 3 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' &&
           text[2] == '\\';
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = std::getenv("BRINDLE_UNIX_ARJ");
    std::vector<std::string> arguments = {program && *program ? program : "/usr/bin/arj"};
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        arguments.push_back(IsAbsoluteWindowsPath(argument) ? UnixPath(argument) : argument);
        if (i == 1) arguments.push_back("-y");
    }
    // arj writes to the bridge's own standard handles, which the handler has redirected.
    const UnixRun run = RunUnixProgram(arguments, false);
    if (!run.started) return 127;
    return run.exitCode == 0 ? 0 : 1;
}
