#include "SelfExtractor.h"

#include <windows.h>

#include <new>

#include "CommandLineSafety.h"
#include "CommandRunner.h"
#include "DllExports.h"
#include "Handles.h"
#include "LongWork.h"
#include "PathHelpers.h"
#include "UserMessages.h"
#include "ZipHandler.h"

namespace {

const char kOffsetTool[] = "ZIP386.EXE";

bool FileSize(const std::string& path, unsigned long long& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

// By name, then, when both exist, by the file itself: the short and the long name of one file
// differ as text.
bool SameFile(const std::string& a, const std::string& b) {
    if (lstrcmpiA(FullPath(a).c_str(), FullPath(b).c_str()) == 0) return true;
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        bool known = GetFileInformationByHandle(file, &info) != 0;
        CloseHandle(file);
        return known;
    };
    return identify(a, infoA) && identify(b, infoB) && infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

int Fail(const std::string& text) {
    ShowMessage(text, MB_ICONERROR);
    return 0;
}

std::string NotMade(const std::string& target) { return "The self-extractor " + target + " was not made."; }

// A name for the new file in the target's folder that nothing else uses yet. The system makes
// the file to reserve the name; it is removed again so that COPY writes a new file and asks
// nothing.
bool ReserveBuildName(const std::string& targetPath, std::string& buildPath) {
    std::string folder = targetPath;
    std::string::size_type cut = folder.find_last_of("\\/");
    folder = cut == std::string::npos ? std::string(".") : folder.substr(0, cut + 1);
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "SFX", 0, name)) return false;
    DeleteFileA(name);
    buildPath = name;
    return true;
}

std::string CheckBuiltFile(const std::string& buildPath, unsigned long long expectedSize,
                           const std::string& stubName, const std::string& targetPath,
                           WindllUnzipOffsetsFromStartFunction offsetsFromStart) {
    unsigned long long size = 0;
    if (!FileSize(buildPath, size) || size != expectedSize)
        return "Copying " + stubName + " and the archive into " + targetPath + " failed. " + NotMade(targetPath);
    if (!offsetsFromStart(buildPath.c_str()))
        return std::string(kOffsetTool) + " did not adjust " + targetPath + " into a readable zip archive. " +
               NotMade(targetPath);
    return std::string();
}

int Build(const std::string& stubName, const std::string& archivePath, const std::string& targetPath,
          const std::string& programDir) {
    if (SameFile(archivePath, targetPath))
        return Fail("The archive " + archivePath + " already has the name its self-extractor would take, and " +
                    "would be overwritten. Copy the archive to a name ending in .ZIP and make the self-extractor " +
                    "from that.");
    const std::string stubPath = programDir + "\\" + stubName;
    unsigned long long stubSize = 0, archiveSize = 0, toolSize = 0;
    if (!FileSize(stubPath, stubSize))
        return Fail("Cannot find " + stubName + " in " + programDir + ". " + NotMade(targetPath));
    if (!FileSize(programDir + "\\" + kOffsetTool, toolSize))
        return Fail("Cannot find " + std::string(kOffsetTool) + " in " + programDir + ". " + NotMade(targetPath));
    // The result is judged by the reader that will read it, UnZip32.dll, which lies beside the stubs.
    const ModuleHandle unzipLibrary(LoadLibraryA((programDir + "\\UnZip32.dll").c_str()));
    const auto offsetsFromStart = unzipLibrary ? ExportOf<WindllUnzipOffsetsFromStartFunction>(
                                                     unzipLibrary.get(), "windll_unzip_offsets_from_start")
                                               : nullptr;
    if (!offsetsFromStart)
        return Fail("Cannot find UnZip32.dll in " + programDir + ". " + NotMade(targetPath));
    if (!FileSize(archivePath, archiveSize)) return Fail("Cannot read the archive " + archivePath + ".");
    if (GetFileAttributesA(targetPath.c_str()) != INVALID_FILE_ATTRIBUTES &&
        ShowMessage(targetPath + " already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 1;

    std::string buildPath;
    if (!MayGoOnCommandLine(archivePath)) return 0;
    if (!ReserveBuildName(targetPath, buildPath))
        return Fail("Cannot create a file beside " + targetPath + ". " + NotMade(targetPath));
    if (!MayGoOnCommandLine(buildPath)) return 0;
    const std::string quotedArchive = QuoteArgument(archivePath), quotedBuild = QuoteArgument(buildPath);

    // The stub names are bare: both commands run with the program's folder current.
    SetCurrentDirectoryA(programDir.c_str());
    LongOperation operation("Making EXE", archivePath);
    RunCommand("COPY /B " + stubName + "+" + quotedArchive + " " + quotedBuild, 0);
    // Cancelled, the copy goes and the archive and any earlier program of the name stay.
    if (!operation.Cancelled()) RunCommand(std::string(kOffsetTool) + " /A " + quotedBuild, 0);
    if (operation.Cancelled()) {
        DeleteFileA(buildPath.c_str());
        return 1;
    }

    std::string failure = CheckBuiltFile(buildPath, stubSize + archiveSize, stubName, targetPath, offsetsFromStart);
    if (failure.empty() && !MoveFileExA(buildPath.c_str(), targetPath.c_str(), MOVEFILE_REPLACE_EXISTING))
        failure = "Cannot replace " + targetPath + "; it may be in use. " + NotMade(targetPath);
    if (!failure.empty()) {
        DeleteFileA(buildPath.c_str());
        return Fail(failure);
    }
    ShowMessage("The self-extractor was written to " + targetPath + ".", MB_ICONINFORMATION);
    return 1;
}

}  // namespace

std::string SelfExtractorTarget(const std::string& archivePath) {
    std::string::size_type nameStart = archivePath.find_last_of("\\/:");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::string::size_type dot = archivePath.rfind('.');
    std::string stem = dot == std::string::npos || dot < nameStart ? archivePath : archivePath.substr(0, dot);
    return stem + ".exe";
}

int BuildSelfExtractor(const std::string& stubName, const std::string& archivePath, const std::string& targetPath,
                       const std::string& programDir) {
    try {
        return Build(stubName, archivePath, targetPath, programDir);
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(OutOfMemory::Operation);
    }
}

int CZipHandler::MakeExe(const std::string& targetPath) {
    std::string programDir;
    GetProgramDir(programDir);
    return BuildSelfExtractor("UNZIPSFX.EXE", archivePath, targetPath, programDir);
}

int CZipHandler::MakeWin95Exe(const std::string& targetPath) {
    std::string programDir;
    GetProgramDir(programDir);
    return BuildSelfExtractor("KESTREL.EXE", archivePath, targetPath, programDir);
}
