#include "framework/Document.h"

#include "framework/Application.h"
#include "framework/FrameWindow.h"

CDocument::~CDocument() = default;

BOOL CDocument::OnNewDocument() {
    pathName.clear();
    SetTitle(std::string());
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const std::string&) { return TRUE; }

BOOL CDocument::OnSaveDocument(const std::string&) { return TRUE; }

void CDocument::OnCloseDocument() {}

void CDocument::SetPathName(const std::string& fullPath) {
    pathName = fullPath;
    if (CApplication* application = GetApplication()) application->GetRecentFileList().Add(fullPath);
}

void CDocument::SetTitle(const std::string& newTitle) {
    title = newTitle;
    CApplication* application = GetApplication();
    CFrameWindow* frame = application != nullptr ? application->GetMainFrame() : nullptr;
    if (frame != nullptr && frame->GetHandle() != nullptr) {
        std::string caption = title + " - " + GetApplicationTitle();
        SetWindowTextA(frame->GetHandle(), caption.c_str());
    }
}
