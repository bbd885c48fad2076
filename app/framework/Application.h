#pragma once
// The application object: one document, one frame, one view, made together from a
// template; the message loop; the framework's open of a named file; the recent-file list.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/CommandTarget.h"
#include "framework/FrameWindow.h"
#include "framework/RecentFileList.h"

class CDocument;
class CView;

// The single-document template: the resource id of menu, accelerators, icon and document
// string, and how to make the three objects.
struct DocumentTemplate {
    UINT resourceId = 0;
    std::function<std::unique_ptr<CDocument>()> createDocument;
    std::function<std::unique_ptr<CFrameWindow>()> createFrame;
    ViewFactory createView;
};

// What the command line asks for, by the usual rules: the first argument that is not a
// switch (/ or -) names a file; print, DDE, automation, embedding and unregistration
// switches override it.
struct CommandLineInfo {
    enum class Request { NewDocument, OpenFile, Print, PrintTo, Dde, Automation, Embedding, Unregister };
    Request request = Request::NewDocument;
    std::string fileName;
};
CommandLineInfo ParseCommandLine(const std::string& arguments);

// The program supplies its profile (where the recent-file list is kept) and its help file.
class CApplication : public CCommandTarget, public IProfileStore {
public:
    CApplication();
    ~CApplication() override;
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // The arguments after the program name (WinMain's command line).
    void SetCommandLine(const std::string& arguments) { commandLine = arguments; }
    const std::string& GetCommandLine() const { return commandLine; }

    virtual BOOL InitInstance();
    // The message loop; returns ExitInstance's value.
    int Run();
    virtual int ExitInstance();

    // Offered every message before accelerators and dispatch; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG& message);
    // Pre-translation, accelerators, translation and dispatch of one message.
    void ProcessMessage(MSG& message);
    // Handles every message waiting in the queue, then the idle update. False once
    // WM_QUIT was seen (tests drive the window with it).
    bool ProcessPendingMessages();
    virtual void OnIdle();

    // Opens path into the document: full path, shortcut resolved, the same file only
    // brings the window forward; on success path, title and recent list are set.
    BOOL OpenDocumentFile(const std::string& path);

    CFrameWindow* GetMainFrame() const { return frame.get(); }
    CDocument* GetDocument() const { return document.get(); }
    HINSTANCE GetInstance() const { return instance; }
    CRecentFileList& GetRecentFileList() { return recentFiles; }

    void SetHelpFilePath(std::string path) { helpFilePath = std::move(path); }
    // Hands the help file to the shell; whether anything can show it is the shell's
    // business, so a failure is not reported.
    void OpenHelpFile(HWND owner) const;

    // Runs the exit steps: document close, frame destroyed, WM_QUIT posted. The document
    // itself is deleted and the recent list written in ExitInstance.
    void CloseMainFrame();

    bool OnCommand(UINT id) override;
    bool QueryCommandState(UINT id, CommandState& state) override;

protected:
    void SetDocumentTemplate(DocumentTemplate newTemplate) { documentTemplate = std::move(newTemplate); }
    // Creates document, frame and view and runs OnNewDocument. Shows "Failed to create
    // empty document." and returns FALSE when one of them fails.
    BOOL CreateNewDocument();
    void LoadRecentFileList() {
        recentFiles.ReadList(*this);
        recentListLoaded = true;
    }

private:
    void OpenRecentFile(UINT id);
    // The exit steps without the quit message, for exits outside the message loop.
    void CloseMainFrameWithoutQuit();

    HINSTANCE instance;
    std::string commandLine;
    DocumentTemplate documentTemplate;
    std::unique_ptr<CDocument> document;
    std::unique_ptr<CFrameWindow> frame;
    CRecentFileList recentFiles;
    std::string helpFilePath;
    bool frameClosed = false;
    bool recentListLoaded = false;   // a list never read must not overwrite the stored one
};

// The one application object of the process.
CApplication* GetApplication();
