#pragma once
// The document of the single-document window. The framework creates exactly one, opens
// files into it through CApplication::OpenDocumentFile, and at exit calls OnCloseDocument
// before it destroys the frame and deletes the document.

#include <windows.h>

#include <string>

#include "framework/CommandTarget.h"

class CView;

class CDocument : public CCommandTarget {
public:
    CDocument() = default;
    virtual ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    // Run once, at start-up, after the frame and the view exist.
    virtual BOOL OnNewDocument();
    // The framework has already made path full, resolved shortcuts and checked that the
    // file exists and can be read; on TRUE it sets the path name and the title itself.
    virtual BOOL OnOpenDocument(const std::string& path);
    virtual BOOL OnSaveDocument(const std::string& path);   // returns TRUE
    // Called at exit while the frame and the view still exist.
    virtual void OnCloseDocument();

    const std::string& GetPathName() const { return pathName; }
    // Also puts the path at the top of the recent-file list.
    void SetPathName(const std::string& fullPath);
    const std::string& GetTitle() const { return title; }
    // Also sets the caption of the main window: title + " - " + "Brindle".
    void SetTitle(const std::string& newTitle);

    CView* GetFirstView() const { return firstView; }
    // The framework attaches the view once it exists; the document does not own it.
    void AttachView(CView* view) { firstView = view; }

private:
    std::string pathName;
    std::string title;
    CView* firstView = nullptr;
};
