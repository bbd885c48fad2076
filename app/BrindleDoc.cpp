#include "BrindleDoc.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <iterator>
#include <new>
#include <utility>

#include "ArjHandler.h"
#include "BrindleView.h"
#include "PathHelpers.h"
#include "framework/PlatformDialogs.h"
#include "Settings.h"
#include "UserMessages.h"
#include "ZipHandler.h"
#include "framework/Application.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

HWND MainWindow() {
    CApplication* application = GetApplication();
    if (application == nullptr || application->GetMainFrame() == nullptr) return nullptr;
    return application->GetMainFrame()->GetHandle();
}

// The New dialog's OK button says what it does. The hook sits on the child template, so
// the common dialog itself is its parent.
UINT_PTR CALLBACK NewArchiveHook(HWND hook, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(GetParent(hook), IDOK, "New");
        return TRUE;
    }
    return 0;
}

}  // namespace

CBrindleDoc::CBrindleDoc() = default;

CBrindleDoc::~CBrindleDoc() {
    // The arj handler goes first, then the zip handler, which unbinds the libraries last.
    currentHandler = nullptr;
    arjHandler.reset();
    zipHandler.reset();
}

BOOL CBrindleDoc::OnNewDocument() {
    isOpen = 0;
    SetTitle(std::string());
    return TRUE;
}

BOOL CBrindleDoc::OnSaveDocument(const std::string&) {
    // Archives change only through the handlers; there is nothing to save.
    return TRUE;
}

void CBrindleDoc::OnCloseDocument() {
    if (currentHandler != nullptr) currentHandler->Close();
    isOpen = 0;
    CDocument::OnCloseDocument();
}

IArchiveView* CBrindleDoc::GetArchiveView() const {
    return dynamic_cast<CBrindleView*>(GetFirstView());
}

BOOL CBrindleDoc::OnOpenDocument(const std::string& path) {
    std::string shortPath = path;
    ToShortPath(shortPath);

    std::string folder = shortPath;
    CutLastComponent(folder);
    WriteSettingText("SavedDirs", "OpenFileDir", folder);

    CArchiveHandler* previousHandler = currentHandler;
    const std::string previousArchivePath = previousHandler ? previousHandler->GetArchivePath() : std::string();
    const int wasOpen = isOpen;

    // The type is settled before anything happens to the file, so that trying to open a
    // file we cannot handle leaves it alone even when it is empty.
    if (!SelectHandler(shortPath)) return FALSE;

    // A zero-length archive (a fresh arj template, for one) is removed; the handler then
    // lists nothing and the first Add writes the archive anew.
    // (DeleteFileA leaves a missing file and a folder as they are.)
    if (IsFileEmptyOrMissing(path)) DeleteFileA(path.c_str());

    SHAddToRecentDocs(SHARD_PATHA, path.c_str());

    if (!currentHandler->Open(shortPath) || !currentHandler->Refresh()) {
        RecoverFromFailedOpen(previousHandler, previousArchivePath, wasOpen);
        return FALSE;
    }
    isOpen = 1;
    return TRUE;
}

void CBrindleDoc::RecoverFromFailedOpen(CArchiveHandler* previousHandler, const std::string& previousArchivePath,
                                        int wasOpen) {
    // The failed handler has cleared the list and may hold the failed path; the framework
    // keeps the previous title. Show the previous archive again so that rows and title agree.
    if (wasOpen && previousHandler != nullptr) {
        currentHandler = previousHandler;
        if (previousHandler->Open(previousArchivePath) && previousHandler->Refresh()) return;
    }
    // Nothing to go back to, or the previous archive cannot be listed any more: an empty window.
    isOpen = 0;
    if (IArchiveView* view = GetArchiveView()) view->ClearEntries();
    if (auto* listView = dynamic_cast<CBrindleView*>(GetFirstView())) listView->UpdateSelectionStatus();
    // The framework's fresh-document state: no path, empty title, recent list untouched.
    if (wasOpen) CDocument::OnNewDocument();
}

int CBrindleDoc::SelectHandler(const std::string& shortPath) {
    IArchiveView* view = GetArchiveView();
    std::string extension;
    GetExtension(shortPath, extension);

    if (extension == "ZIP" || extension == "EXE") {
        if (!zipHandler) {
            zipHandler.reset(new (std::nothrow) CZipHandler(view));
            if (!zipHandler) {
                return ReportOutOfMemory(OutOfMemory::Selection);
            }
            if (!zipHandler->Init()) {
                // Init has said why; a handler that cannot bind its libraries is no use later.
                zipHandler.reset();
                RequestQuit();
                return 0;
            }
        }
        currentHandler = zipHandler.get();
        return 1;
    }
    if (!extension.empty() && extension[0] == 'A') {
        if (!arjHandler) {
            arjHandler.reset(new (std::nothrow) CArjHandler(view));
            if (!arjHandler) {
                return ReportOutOfMemory(OutOfMemory::Selection);
            }
            arjHandler->Init();
        }
        currentHandler = arjHandler.get();
        return 1;
    }
    ShowMessage("File type not supported!", MB_ICONERROR);
    return 0;
}

int CBrindleDoc::ExtractCommand() {
    return isOpen ? currentHandler->ExtractCommand() : 0;
}

int CBrindleDoc::AddCommand() {
    return isOpen ? currentHandler->AddCommand() : 0;
}

int CBrindleDoc::DeleteCommand() {
    return isOpen ? currentHandler->DeleteCommand() : 0;
}

int CBrindleDoc::ViewCommand() {
    return isOpen ? currentHandler->ViewCommand() : 0;
}

int CBrindleDoc::AddDroppedFiles(NameList paths) {
    return isOpen ? currentHandler->AddFiles(std::move(paths)) : 0;
}

void CBrindleDoc::OnDropFiles() {
    CView* view = GetFirstView();
    CFrameWindow* frame = view != nullptr ? view->GetParentFrame() : nullptr;
    if (frame != nullptr) AddDroppedFiles(frame->TakeDroppedFiles());
}

const CommandTable<CBrindleDoc>& CBrindleDoc::Commands() {
    static const CommandHandler<CBrindleDoc> handlers[] = {
        {ID_FILE_NEW_ARCHIVE, &CBrindleDoc::OnNewArchive},
        {ID_FILE_COPY_ARCHIVE, &CBrindleDoc::OnCopyArchive},
        {ID_FILE_MOVE_ARCHIVE, &CBrindleDoc::OnMoveArchive},
        {ID_ACTIONS_VIEW_ERROR_LOG, &CBrindleDoc::OnViewErrorLog},
        {ID_ACTIONS_ADD, &CBrindleDoc::OnAdd},
        {ID_ACTIONS_EXTRACT, &CBrindleDoc::OnExtract},
        {ID_ACTIONS_VIEW, &CBrindleDoc::OnView},
        {ID_ACTIONS_DELETE, &CBrindleDoc::OnDelete},
        {ID_ACTIONS_MAKE_EXE, &CBrindleDoc::OnMakeExe},
        {ID_ACTIONS_MAKE_WIN95_EXE, &CBrindleDoc::OnMakeWin95Exe},
        {kDropFilesCommand, &CBrindleDoc::OnDropFiles},
    };
    static const CommandTable<CBrindleDoc> table{handlers};
    return table;
}

bool CBrindleDoc::OpenNamedFile(const std::string& path) {
    // The framework only brings the window forward for the archive already shown; after New
    // or a copy has rewritten that very file it has to be listed again.
    const std::string fullPath = FullPath(path);
    if (isOpen && lstrcmpiA(fullPath.c_str(), GetPathName().c_str()) == 0) return OnOpenDocument(fullPath) != FALSE;
    CApplication* application = GetApplication();
    return application != nullptr && application->OpenDocumentFile(path) != FALSE;
}

void CBrindleDoc::OnNewArchive() {
    FileDialogRequest request;
    request.title = "New";
    request.defaultExtension = "ZIP";
    request.filter = "Zip Archives (*.ZIP) |*.Zip|Arj Archives (*.arj)|*.arj||";
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    request.childTemplate = IDD_NEW_ARCHIVE_TEMPLATE;
    request.hook = &NewArchiveHook;
    std::string chosenPath;
    if (!ChooseSaveFile(MainWindow(), request, chosenPath)) return;

    std::string extension;
    GetExtension(chosenPath, extension);
    // Any other extension leaves the bare folder as the source, which cannot be copied.
    std::string templatePath;
    GetProgramDir(templatePath);
    if (extension == "ZIP")
        templatePath += "\\Null.zip";
    else if (extension == "ARJ")
        templatePath += "\\Null.arj";

    if (!CopyFileA(templatePath.c_str(), chosenPath.c_str(), FALSE)) {
        ShowMessage("Cannot create archive!", MB_ICONERROR);
        return;
    }
    OpenNamedFile(chosenPath);
}

void CBrindleDoc::TransferArchive(const char* emptyMessage, const char* dialogTitle, const char* failureMessage,
                                  bool move) {
    const std::string sourcePath = GetPathName();
    std::string extension;
    GetExtension(sourcePath, extension);
    if (IsFileEmptyOrMissing(sourcePath)) {
        ShowMessage(emptyMessage, MB_ICONERROR);
        return;
    }

    FileDialogRequest request;
    request.title = dialogTitle;
    request.initialName = sourcePath;
    request.defaultExtension = extension;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    std::string chosenPath;
    if (!ChooseSaveFile(MainWindow(), request, chosenPath)) return;

    // A move never replaces an existing file, even one the user agreed to overwrite.
    BOOL done = move ? MoveFileA(sourcePath.c_str(), chosenPath.c_str())
                     : CopyFileA(sourcePath.c_str(), chosenPath.c_str(), FALSE);
    if (!done) {
        ShowMessage(failureMessage, MB_ICONERROR);
        return;
    }
    OpenNamedFile(chosenPath);
}

void CBrindleDoc::OnCopyArchive() {
    TransferArchive("Cannot copy empty archive!", "Copy to", "Cannot copy file!", false);
}

void CBrindleDoc::OnMoveArchive() {
    TransferArchive("Cannot move empty archive!", "Move to", "Cannot move file!", true);
}

void CBrindleDoc::OnViewErrorLog() {
    if (!isOpen) {
        ShowMessage("You need to open a file first!", MB_ICONEXCLAMATION);
        return;
    }
    const std::string& log = currentHandler->GetErrorLog();
    ShowMessage(log.empty() ? std::string("Log is empty!") : log, MB_ICONINFORMATION | MB_OK);
}

void CBrindleDoc::OnMakeExe() {
    if (isOpen) currentHandler->MakeExeCommand();
}

void CBrindleDoc::OnMakeWin95Exe() {
    if (isOpen) currentHandler->MakeWin95ExeCommand();
}
