#pragma once
// The handler for zip archives (and self-extracting zip archives named .EXE), working
// through UnZip32.dll and Zip32.dll loaded from the program's folder.

#include "ArchiveHandler.h"
#include "Handles.h"
#include "zipdll/ZipDllInterface.h"

class CZipHandler : public CArchiveHandler {
public:
    explicit CZipHandler(IArchiveView* view);
    ~CZipHandler() override;

    int Init() override;
    int Refresh() override;
    int Extract(const std::string& targetFolder, int overwrite, int junkPaths, int extractAll) override;
    int AddFile(const std::string& name, int storePath, int recurse, int level) override;
    int DeleteEntries(const NameList& names) override;

    // Asks "Overwrite <name> ?"; UNZIP_REPLACE for Yes, UNZIP_KEEP for No.
    int ConfirmOverwrite(const std::string& fileName);

private:
    WindllUnzipFunction windllUnzip = nullptr;
    DllZipUpFilesFunction dllZipUpFiles = nullptr;
    UnzipCallbacks callbacks{};
    ModuleHandle unzipLibrary;
    ModuleHandle zipLibrary;
};
