#pragma once
// A check of where a zip archive's stored offsets count from, read straight from its end
// records. The reader finds an archive behind a stub whether or not its offsets were adjusted;
// this tells the two apart.

#include <string>

namespace zipcore {

// True when the central directory offset stored in the end records is the directory's real
// position in the file, i.e. the offsets count from the start of the file (as they must in a
// self-extractor). False, with a reason, when they do not or the end records cannot be read.
bool StoredOffsetsCountFromStart(const std::string& path, std::string& problem);

}  // namespace zipcore
