#pragma once
// Where Extract puts an entry: callers that open what was extracted ask here rather than
// joining the stored name to the target folder themselves, which a name with "..", a drive
// or a leading slash would lead out of the folder.

#include <string>

namespace zipcore {

// The path below the target folder that Extract (keeping folder names) writes the stored
// name to, its components joined by separator. False when Extract refuses the name or
// nothing of it is usable, and for folder entries, which have no file to open.
bool ExtractedRelativePath(const std::string& storedName, char separator, std::string& relative);

// Extract writes entries whose paths have equal keys one after the other, in archive order,
// because the file system may take them for one file: equal up to letter case (as Windows
// folds it) and trailing dots and blanks of each component.
std::string ExtractedFileKey(const std::string& path);

}  // namespace zipcore
