// How long Brindle's Add takes for many files chosen at once, next to the library's own work:
// the handler's AddFiles (as after the file dialog and the Add Files dialog) over every file of
// a folder tree, then one Zip32.dll call with the same names into another archive.
//   add_bench <folder> <work folder>
// Both archives are left in the work folder for the caller to compare and remove.

#include <windows.h>

#include <cstdio>
#include <string>

#include "CommandDialogs.h"
#include "Stopwatch.h"
#include "UserMessages.h"
#include "ZipHandler.h"
#include "zipdll/ZipDllInterface.h"

namespace {

class PrintingPresenter : public IMessagePresenter {
public:
    int Show(const std::string& text, const std::string&, unsigned int) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return IDOK;
    }
    void QuitRequested() override {}
};

// Answers the Add Files dialog as a user adding at level 6 without folder names would.
class AnsweringDialogs : public ICommandDialogs {
public:
    bool ChooseFilesToAdd(NameList&) override { return false; }
    bool AskAddOptions(AddOptions& options) override {
        options = AddOptions{};
        options.level = 6;
        return true;
    }
    bool AskExtractOptions(ExtractOptions&) override { return false; }
};

void CollectFiles(const std::string& folder, NameList& names) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CollectFiles(folder + "\\" + name, names);
        else names.push_back(folder + "\\" + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

int WINAPI DropLine(void*, unsigned long length, const char*) { return static_cast<int>(length); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: add_bench <folder> <work folder>\n");
        return 2;
    }
    const std::string source = argv[1], work = argv[2];
    PrintingPresenter presenter;
    SetMessagePresenter(&presenter);
    AnsweringDialogs dialogs;
    SetCommandDialogs(&dialogs);

    NameList names;
    CollectFiles(source, names);
    std::printf("%zu files\n", names.size());
    CreateDirectoryA(work.c_str(), nullptr);

    const std::string handlerArchive = work + "\\handler.zip";
    CZipHandler handler(nullptr);
    if (!handler.Init()) return 1;
    handler.Open(handlerArchive);
    Stopwatch stopwatch;
    const int added = handler.AddFiles(names);
    const double handlerSeconds = stopwatch.Seconds();

    // The library alone: the same names in one call, as the handler's one step makes it.
    HMODULE zip32 = LoadLibraryA("Zip32.dll");
    using Generic = void (*)();
    auto zipUp = zip32 ? reinterpret_cast<DllZipUpFilesFunction>(
                             reinterpret_cast<Generic>(GetProcAddress(zip32, "DllZipUpFiles")))
                       : nullptr;
    if (!zipUp) return 1;
    std::vector<char*> array;
    for (std::string& name : names) array.push_back(&name[0]);
    array.push_back(nullptr);
    const std::string libraryArchive = work + "\\library.zip";
    ZipRequest request{};
    request.print = DropLine;
    request.level[0] = '6';
    request.dropFolderNames = 1;
    request.nameCount = static_cast<int>(names.size());
    request.archivePath = libraryArchive.c_str();
    request.names = array.data();
    stopwatch.Restart();
    const int result = zipUp(&request);
    const double librarySeconds = stopwatch.Seconds();

    std::printf("Brindle's Add (AddFiles): %.2f s%s\n", handlerSeconds, added ? "" : " (failed)");
    std::printf("Zip32.dll, one call:      %.2f s%s\n", librarySeconds, result == ZIP_OK ? "" : " (failed)");
    return added && result == ZIP_OK ? 0 : 1;
}
