// Makes a self-extractor the way the Actions menu does, for the outside checks of the result,
// or extracts an archive the way Extract does, through UnZip32.dll, for a comparison with it:
//   sfx_build_driver ARCHIVE [win95]
//   sfx_build_driver ARCHIVE extract FOLDER
// The zip handler is given ARCHIVE and runs Make EXE (or Make Win95 EXE); it finds the stubs
// and ZIP386.EXE beside this program. Messages are printed, questions answered Yes. The exit
// code is 0 when the command succeeded.

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "PathHelpers.h"
#include "UserMessages.h"
#include "ZipHandler.h"

namespace {

class PrintingPresenter : public IMessagePresenter {
public:
    int Show(const std::string& text, const std::string&, unsigned int style) override {
        std::printf("message: %s\n", text.c_str());
        return (style & MB_YESNO) ? IDYES : IDOK;
    }
    void QuitRequested() override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 10;
    PrintingPresenter presenter;
    SetMessagePresenter(&presenter);
    CZipHandler handler(nullptr);
    // The document keeps the archive's full path in its short, upper-cased form.
    char full[MAX_PATH];
    if (!GetFullPathNameA(argv[1], sizeof full, full, nullptr)) return 10;
    std::string archive = full;
    ToShortPath(archive);
    handler.Open(archive);
    const bool win95 = argc > 2 && std::strcmp(argv[2], "win95") == 0;
    const bool extract = argc > 3 && std::strcmp(argv[2], "extract") == 0;
    int result = 0;
    if (extract) {
        // Every entry with its folders, into a folder of the caller's own.
        result = handler.Init() && GetFullPathNameA(argv[3], sizeof full, full, nullptr) &&
                 handler.Extract(full, 0, 0, 1);
    } else {
        result = win95 ? handler.MakeWin95ExeCommand() : handler.MakeExeCommand();
    }
    SetMessagePresenter(nullptr);
    return result ? 0 : 1;
}
