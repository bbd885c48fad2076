#include "BrindleApp.h"

#include <winsock.h>

#include <memory>

#include "AboutDialog.h"
#include "BrindleCommandDialogs.h"
#include "BrindleDoc.h"
#include "BrindleView.h"
#include "MainFrame.h"
#include "framework/PlatformDialogs.h"
#include "PathHelpers.h"
#include "ProgressWindow.h"
#include "Settings.h"
#include "StartupScreen.h"
#include "UserMessages.h"
#include "resource.h"

namespace {

const char kOpenFilter[] =
    "Zip Archives (*.ZIP) |*.Zip|Arj Archives(*.A]|*.A??|Self-Extracting Archives (*.EXE)|*.EXE||";

}  // namespace

const CommandTable<CBrindleApp>& CBrindleApp::Commands() {
    static const CommandHandler<CBrindleApp> handlers[] = {
        {ID_FILE_OPEN, &CBrindleApp::OnFileOpen},
        {ID_APP_ABOUT, &CBrindleApp::OnAppAbout},
    };
    static const CommandTable<CBrindleApp> table{handlers};
    return table;
}

CBrindleApp::CBrindleApp(std::string settingsCompany) : settingsCompany(std::move(settingsCompany)) {
    // The help file is named after the program and lies beside it.
    std::string programDir;
    GetProgramDir(programDir);
    SetHelpFilePath(programDir + "\\Brindle.hlp");
}

CBrindleApp::~CBrindleApp() {
    UninstallProgressWindow();
    UninstallBrindleCommandDialogs();
    if (socketsStarted) WSACleanup();
}

BOOL CBrindleApp::InitInstance() {
    WSADATA socketsData{};
    if (WSAStartup(MAKEWORD(1, 1), &socketsData) != 0) {
        ShowMessage(LoadResourceString(IDS_SOCKETS_INIT_FAILED), MB_OK);
        return FALSE;
    }
    socketsStarted = true;
    if (socketsData.wVersion != MAKEWORD(1, 1)) {
        ShowMessage(LoadResourceString(IDS_SOCKETS_INIT_FAILED), MB_OK);
        return FALSE;
    }

    SetSettingsCompany(settingsCompany);
    InstallBrindleCommandDialogs();
    // The main window is its owner, found when work begins, so the first archive opened from
    // the command line already reads with the window alive.
    InstallProgressWindow();
    LoadRecentFileList();
    CStartupScreen::EnableStartupScreen(ReadSettingInt("Settings", "ShowStartupScreen") != 0);

    SetDocumentTemplate(CreateDocumentTemplate());

    // Whatever the command line asked for, the window starts with the empty document;
    // only a plain file name is then opened into it.
    CommandLineInfo commandLine = ParseCommandLine(GetCommandLine());
    if (!CreateNewDocument()) return FALSE;
    if (commandLine.request == CommandLineInfo::Request::OpenFile && !OpenDocumentFile(commandLine.fileName))
        return FALSE;

    HWND frame = GetMainFrame()->GetHandle();
    ShowWindow(frame, GetMainFrame()->GetInitialShowCommand());
    UpdateWindow(frame);
    DragAcceptFiles(frame, TRUE);
    return TRUE;
}

DocumentTemplate CBrindleApp::CreateDocumentTemplate() {
    DocumentTemplate documentTemplate;
    documentTemplate.resourceId = IDR_MAINFRAME;
    documentTemplate.createDocument = [] { return std::unique_ptr<CDocument>(new CBrindleDoc()); };
    documentTemplate.createFrame = [] { return std::unique_ptr<CFrameWindow>(new CMainFrame()); };
    documentTemplate.createView = [] { return std::unique_ptr<CView>(new CBrindleView()); };
    return documentTemplate;
}

int CBrindleApp::ExitInstance() {
    CStartupScreen::CloseStartupScreen();
    UninstallProgressWindow();
    int result = CApplication::ExitInstance();
    if (socketsStarted) {
        WSACleanup();
        socketsStarted = false;
    }
    return result;
}

BOOL CBrindleApp::PreTranslateMessage(MSG& message) {
    if (CStartupScreen::PreTranslateAppMessage(message)) return TRUE;
    // Keys typed into the filter box edit its text: Del, Ctrl+V and the keypad's + are
    // the box's there, not the accelerators of the archive commands.
    auto* view = GetMainFrame() ? dynamic_cast<CBrindleView*>(GetMainFrame()->GetActiveView()) : nullptr;
    if (view != nullptr && message.hwnd != nullptr && message.hwnd == view->GetFilterBox()) return FALSE;
    return CApplication::PreTranslateMessage(message);
}

void CBrindleApp::OnFileOpen() {
    // The dialog starts where the last archive was opened; a folder that is gone leaves
    // the current directory as it is.
    std::string folder = ReadSettingText("SavedDirs", "OpenFileDir");
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
    FileDialogRequest request;
    request.defaultExtension = "ZIP";
    request.filter = kOpenFilter;
    request.flags = OFN_HIDEREADONLY;
    std::string chosen;
    if (ChooseOpenFile(GetMainFrame()->GetHandle(), request, chosen)) OpenDocumentFile(chosen);
}

void CBrindleApp::OnAppAbout() { ShowAboutDialog(GetMainFrame()->GetHandle()); }

std::string CBrindleApp::ReadProfileText(const char* section, const char* key) {
    return ReadSettingText(section, key);
}

void CBrindleApp::WriteProfileText(const char* section, const char* key, const std::string& value) {
    WriteSettingText(section, key, value);
}
