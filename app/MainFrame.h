#pragma once
// The main window of the archive manager: menu, toolbar, two-pane status bar, the stored
// placement, the start-up picture, dropped files, and the window-level commands.

#include "ToolBarEx.h"
#include "framework/FrameWindow.h"

// The product's web page, opened by "Brindle Web Site".
extern const char kWebSiteAddress[];
// Pane 0 at start, until the first listing or menu use replaces it.
extern const char kStartupStatusText[];

class CMainFrame : public CCommandTableTarget<CMainFrame, CFrameWindow> {
public:
    CMainFrame() = default;
    ~CMainFrame() override;

    // Settings and the web site.
    static const CommandTable<CMainFrame>& Commands();

protected:
    int OnCreate(CREATESTRUCTA& create) override;

private:
    void OnSettings();
    void OnWebSite();
    void RestorePlacement();

    CStatusBar statusBar;
    CToolBarEx toolBar;
};
