#include "framework/Application.h"
#include "framework/FrameworkIds.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cctype>

#include "FilePaths.h"
#include "UserMessages.h"
#include "WaitCursor.h"
#include "framework/Document.h"
#include "framework/View.h"

namespace {

CApplication* currentApplication = nullptr;

constexpr UINT kFailedToCreateDocumentString = IDS_FAILED_EMPTY_DOCUMENT;
constexpr UINT kFirstRecentFileCommand = ID_FILE_MRU_FIRST;
constexpr UINT kLastRecentFileCommand = ID_FILE_MRU_LAST;

std::string ToLower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Splits the way the C runtime does: blanks separate, double quotes group and vanish.
std::vector<std::string> SplitArguments(const std::string& arguments) {
    std::vector<std::string> result;
    std::string current;
    bool inQuotes = false;
    bool haveArgument = false;
    for (char c : arguments) {
        if (c == '"') {
            inQuotes = !inQuotes;
            haveArgument = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (haveArgument) result.push_back(current);
            current.clear();
            haveArgument = false;
        } else {
            current += c;
            haveArgument = true;
        }
    }
    if (haveArgument) result.push_back(current);
    return result;
}

bool EndsWithShortcutExtension(const std::string& path) {
    return path.size() > 4 && ToLower(path.substr(path.size() - 4)) == ".lnk";
}

// The target of a shell shortcut, or "" when path is not one that can be resolved.
std::string ResolveShortcut(const std::string& path) {
    HRESULT initialised = CoInitialize(nullptr);
    std::string target;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t widePath[MAX_PATH];
            if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) > 0 &&
                SUCCEEDED(file->Load(widePath, STGM_READ))) {
                char targetPath[MAX_PATH] = "";
                WIN32_FIND_DATAA found{};
                if (link->GetPath(targetPath, MAX_PATH, &found, 0) == S_OK) target = targetPath;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised)) CoUninitialize();
    return target;
}

std::string DisplayNameOf(const std::string& fullPath) {
    std::size_t separator = fullPath.find_last_of("\\/:");
    return separator == std::string::npos ? fullPath : fullPath.substr(separator + 1);
}

std::string ReplacePlaceholder(const char* pattern, const std::string& path) {
    std::string text = pattern;
    std::size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}

// The open reads nothing itself, but a file that cannot be read must be reported in plain
// words before the document starts on it.
bool CheckReadable(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    const char* pattern = nullptr;
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
        pattern = "%1 was not found.";
        break;
    case ERROR_ACCESS_DENIED:
        pattern = "%1 could not be accessed.";
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        pattern = "%1 is in use by another program.";
        break;
    default:
        pattern = "%1 could not be opened for reading.";
        break;
    }
    ShowMessage(ReplacePlaceholder(pattern, path), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

}  // namespace

CommandLineInfo ParseCommandLine(const std::string& arguments) {
    CommandLineInfo info;
    bool openRequested = false;
    CommandLineInfo::Request special = CommandLineInfo::Request::NewDocument;
    for (const std::string& argument : SplitArguments(arguments)) {
        if (!argument.empty() && (argument[0] == '/' || argument[0] == '-')) {
            std::string name = ToLower(argument.substr(1));
            if (name == "p") special = CommandLineInfo::Request::Print;
            else if (name == "pt") special = CommandLineInfo::Request::PrintTo;
            else if (name == "dde") special = CommandLineInfo::Request::Dde;
            else if (name == "automation") special = CommandLineInfo::Request::Automation;
            else if (name == "embedding") special = CommandLineInfo::Request::Embedding;
            else if (name == "unregister" || name == "unregserver") special = CommandLineInfo::Request::Unregister;
            continue;
        }
        // The first plain argument is the file; printer, driver and port of /pt follow it.
        if (!openRequested) {
            info.fileName = argument;
            openRequested = true;
        }
    }
    if (special != CommandLineInfo::Request::NewDocument) info.request = special;
    else if (openRequested) info.request = CommandLineInfo::Request::OpenFile;
    return info;
}

CApplication::CApplication() : instance(GetModuleHandleA(nullptr)), recentFiles(10) {
    // The list view, toolbar, status bar and tooltips are common controls: their classes must
    // be registered before the first window, in the program and in tests that build the window.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    currentApplication = this;
}

CApplication::~CApplication() {
    if (currentApplication == this) currentApplication = nullptr;
}

CApplication* GetApplication() { return currentApplication; }

BOOL CApplication::InitInstance() { return TRUE; }

int CApplication::Run() {
    MSG message;
    for (;;) {
        bool idleDone = false;
        while (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!idleDone) {
                OnIdle();
                idleDone = true;
            } else {
                WaitMessage();
            }
        }
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        ProcessMessage(message);
    }
    return ExitInstance();
}

int CApplication::ExitInstance() {
    CloseMainFrameWithoutQuit();
    document.reset();
    frame.reset();
    if (recentListLoaded) recentFiles.WriteList(*this);
    return 0;
}

void CApplication::OpenHelpFile(HWND owner) const {
    ShellExecuteA(owner, "open", helpFilePath.c_str(), nullptr, ".", SW_SHOWMAXIMIZED);
}

BOOL CApplication::PreTranslateMessage(MSG& message) {
    if (!frame || frame->GetHandle() == nullptr) return FALSE;
    HWND target = message.hwnd;
    if (target != frame->GetHandle() && !IsChild(frame->GetHandle(), target)) return FALSE;
    return frame->TranslateAccelerators(message) ? TRUE : FALSE;
}

void CApplication::ProcessMessage(MSG& message) {
    if (PreTranslateMessage(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

bool CApplication::ProcessPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        ProcessMessage(message);
    }
    OnIdle();
    return true;
}

void CApplication::OnIdle() {
    if (frame && frame->GetHandle() != nullptr) frame->OnIdleUpdate();
}

BOOL CApplication::CreateNewDocument() {
    auto fail = [this]() {
        frame.reset();
        document.reset();
        std::string text = LoadResourceString(kFailedToCreateDocumentString);
        ShowMessage(text.empty() ? std::string("Failed to create empty document.") : text, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    };
    if (!documentTemplate.createDocument || !documentTemplate.createFrame) return fail();
    document = documentTemplate.createDocument();
    if (!document) return fail();
    frame = documentTemplate.createFrame();
    if (!frame || !frame->LoadFrame(documentTemplate.resourceId, *document, documentTemplate.createView))
        return fail();
    frameClosed = false;
    if (!document->OnNewDocument()) {
        // The document has said why; only the window has to go again.
        CloseMainFrameWithoutQuit();
        frame.reset();
        document.reset();
        return FALSE;
    }
    return TRUE;
}

BOOL CApplication::OpenDocumentFile(const std::string& path) {
    if (!document) return FALSE;
    std::string fullPath = FullPath(path);
    if (EndsWithShortcutExtension(fullPath)) {
        std::string target = ResolveShortcut(fullPath);
        if (!target.empty()) fullPath = FullPath(target);
    }
    if (!document->GetPathName().empty() && lstrcmpiA(document->GetPathName().c_str(), fullPath.c_str()) == 0) {
        // Already open: nothing is read again.
        if (frame && frame->GetHandle() != nullptr) {
            if (IsIconic(frame->GetHandle())) ShowWindow(frame->GetHandle(), SW_RESTORE);
            SetForegroundWindow(frame->GetHandle());
        }
        return TRUE;
    }
    if (!CheckReadable(fullPath)) return FALSE;

    BOOL opened;
    {
        WaitCursor wait;
        opened = document->OnOpenDocument(fullPath);
    }
    if (!opened) return FALSE;
    document->SetPathName(fullPath);
    document->SetTitle(DisplayNameOf(fullPath));
    return TRUE;
}

void CApplication::CloseMainFrame() {
    if (frameClosed) return;
    CloseMainFrameWithoutQuit();
    PostQuitMessage(0);
}

void CApplication::CloseMainFrameWithoutQuit() {
    if (frameClosed || !frame) return;
    frameClosed = true;
    if (document) document->OnCloseDocument();
    if (frame->GetHandle() != nullptr) DestroyWindow(frame->GetHandle());
}

void CApplication::OpenRecentFile(UINT id) {
    std::size_t index = id - kFirstRecentFileCommand;
    if (index >= recentFiles.GetCount()) return;
    std::string path = recentFiles[index];
    // A file that cannot be opened any more leaves the list; the open has said why.
    if (!OpenDocumentFile(path)) recentFiles.Remove(index);
}

bool CApplication::OnCommand(UINT id) {
    if (id >= kFirstRecentFileCommand && id <= kLastRecentFileCommand) {
        OpenRecentFile(id);
        return true;
    }
    return false;
}

bool CApplication::QueryCommandState(UINT id, CommandState& state) {
    if (id >= kFirstRecentFileCommand && id <= kLastRecentFileCommand) {
        state = CommandState{};
        state.enabled = id - kFirstRecentFileCommand < recentFiles.GetCount();
        return true;
    }
    return false;
}
