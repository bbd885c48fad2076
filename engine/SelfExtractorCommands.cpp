// The two self-extractor commands of the Actions menu, the same for every archive kind: the
// program is named after the archive, and the handler builds it (or, for arj, refuses).

#include "ArchiveHandler.h"
#include "SelfExtractor.h"

int CArchiveHandler::MakeExeCommand() { return MakeExe(SelfExtractorTarget(archivePath)); }

int CArchiveHandler::MakeWin95ExeCommand() { return MakeWin95Exe(SelfExtractorTarget(archivePath)); }
