#pragma once
// The one document of the archive window: the archive that is open. It chooses the
// handler by the file's extension, owns both handlers for the life of the program, and
// carries the file-level commands. The archive changes only through the handlers, so the
// document is never saved through the framework.

#include <memory>
#include <string>

#include "ArchiveView.h"
#include "framework/Document.h"

class CArchiveHandler;
class CZipHandler;
class CArjHandler;

class CBrindleDoc : public CCommandTableTarget<CBrindleDoc, CDocument> {
public:
    CBrindleDoc();
    ~CBrindleDoc() override;
    CBrindleDoc(const CBrindleDoc&) = delete;
    CBrindleDoc& operator=(const CBrindleDoc&) = delete;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const std::string& path) override;
    BOOL OnSaveDocument(const std::string& path) override;
    void OnCloseDocument() override;

    // The file-level commands and every archive command; New is always available, the view
    // decides the others (it comes first on the route).
    static const CommandTable<CBrindleDoc>& Commands();

    int IsOpen() const { return isOpen; }

    // Entry-level commands from the view; each returns 0 and does nothing while no archive
    // is open, else the current handler's result.
    int ExtractCommand();
    int AddCommand();
    int DeleteCommand();
    int ViewCommand();
    int AddDroppedFiles(NameList paths);

    // Makes the handler for the extension of shortPath current, creating it the first time.
    int SelectHandler(const std::string& shortPath);

    CArchiveHandler* GetCurrentHandler() const { return currentHandler; }

    // The commands the document's command table runs: every archive command reaches the
    // handler from here and nowhere else (the view only decides their state).
    void OnAdd() { AddCommand(); }
    void OnExtract() { ExtractCommand(); }
    void OnView() { ViewCommand(); }
    void OnDelete() { DeleteCommand(); }
    void OnNewArchive();
    void OnCopyArchive();
    void OnMoveArchive();
    void OnViewErrorLog();
    void OnMakeExe();
    void OnMakeWin95Exe();
    // Files dropped on the window: the frame holds them while the route runs.
    void OnDropFiles();

private:
    // Copy and Move differ only in their texts and the file operation.
    void TransferArchive(const char* emptyMessage, const char* dialogTitle, const char* failureMessage,
                         bool move);
    // After a failed Open or Refresh: show the previous archive again, or nothing at all.
    void RecoverFromFailedOpen(CArchiveHandler* previousHandler, const std::string& previousArchivePath,
                               int wasOpen);
    IArchiveView* GetArchiveView() const;
    bool OpenNamedFile(const std::string& path);

    CArchiveHandler* currentHandler = nullptr;   // zipHandler or arjHandler, or none yet
    std::unique_ptr<CZipHandler> zipHandler;
    std::unique_ptr<CArjHandler> arjHandler;
    int isOpen = 0;
};
