#pragma once
// Path and file helpers shared by the engine and the window. Paths are ANSI strings.

#include <string>

#include "FilePaths.h"   // FullPath, which the window framework shares

// Replaces path with its upper-cased short (8.3) form; a path without a short form
// (missing, or a name inside an archive) keeps its text, upper-cased.
void ToShortPath(std::string& path);

// The program's own folder, short and upper-cased, without a trailing backslash.
void GetProgramDir(std::string& dir);

// C:\DIR\FILE.ZIP becomes C:\DIR.
void CutLastComponent(std::string& path);

// The upper-cased text after the last dot of the last component; extension is left as it
// was when that component has no dot.
void GetExtension(const std::string& name, std::string& extension);

// C:\DIR\NAME becomes \NAME.
void LastComponent(std::string& path);

// 1 when the file is missing, cannot be examined, or is zero bytes long; else 0.
int IsFileEmptyOrMissing(const std::string& path);

// The system's temporary folder, ending in a backslash; empty when the system gives none.
std::string TemporaryFolder();

// The current directory, of any length; empty when it cannot be read.
std::string CurrentFolder();

// The file name of a path or an entry name, after its last '\', '/' or drive colon,
// upper-cased as the DOS tools compare names.
std::string UpperFileName(const std::string& path);
