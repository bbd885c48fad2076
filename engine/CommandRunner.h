#pragma once
// Running outside programs through the command interpreter, and the program's sound.

#include <string>

// Runs "<interpreter> /C <commandLine>" in the current directory, shown or hidden, and
// waits for it to end. Shows the wait cursor meanwhile. Cmd.exe is given the line inside
// one extra pair of quotes, which it strips, so quoted names in commandLine stay quoted.
// The interpreter is started by its full path in the system's folders (see
// SystemPrograms.h), never found in the current folder. Reports nothing when the
// interpreter cannot be started. Returns the interpreter's exit
// code, which for a single program is that program's own; kCommandNotRun when it never ran.
constexpr int kCommandNotRun = -1;
int RunCommand(const std::string& commandLine, int showWindow);

// Plays the program's WAVE resource asynchronously. 1 when sounds are switched off,
// 0 when the resource is missing, else the sound call's result.
int PlayWaveResource(const char* resourceName);
