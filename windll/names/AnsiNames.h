#pragma once
// The engine is an ANSI program: every entry name it sees is the ANSI form the listing gave
// (WC_NO_BEST_FIT_CHARS, '?' for what the code page lacks), and every name it hands back is
// in that form. The library works in UTF-8. These turn the one into the other.

#include <string>
#include <vector>

#include "zipcore/ZipArchive.h"

namespace zipdll {

// The UTF-8 names of the entries a requested name means by the library's rule
// (zipcore::EntryNameIndex) applied to their ANSI forms. A requested name that matches no entry is
// passed on converted from ANSI, so that the library reports it as missing under that name.
std::vector<std::string> EntryNamesForAnsi(const std::vector<zipcore::Entry>& entries,
                                           const std::vector<std::string>& requestedAnsi);

// The same, in a form that lets the caller tell found names from missing ones.
struct AnsiMatch {
    std::vector<std::string> entryNames;   // UTF-8, each entry once
    std::vector<std::string> notFound;     // as requested (ANSI)
};
AnsiMatch MatchAnsiNames(const std::vector<zipcore::Entry>& entries, const std::vector<std::string>& requestedAnsi);

}  // namespace zipdll
