#include "MainFrame.h"

#include <shellapi.h>

#include "BrindleView.h"
#include "Settings.h"
#include "SettingsSheet.h"
#include "StartupScreen.h"
#include "resource.h"

const char kWebSiteAddress[] = "https://brindle.example.org/";
const char kStartupStatusText[] = "Choose \"New\" to create or \"Open\" to open an archive";

CMainFrame::~CMainFrame() {
    // The bars are members: their windows must go before they do.
    if (GetHandle() != nullptr && IsWindow(GetHandle())) DestroyWindow(GetHandle());
}

const CommandTable<CMainFrame>& CMainFrame::Commands() {
    static const CommandHandler<CMainFrame> handlers[] = {
        {ID_FILE_SETTINGS, &CMainFrame::OnSettings},
        {ID_HELP_WEB_SITE, &CMainFrame::OnWebSite},
    };
    static const CommandTable<CMainFrame> table{handlers};
    return table;
}

int CMainFrame::OnCreate(CREATESTRUCTA& create) {
    if (CFrameWindow::OnCreate(create) == -1) return -1;
    CStartupScreen::ShowStartupScreen(GetHandle());
    // The frame's own client area is covered by the bars and the list; without a class
    // cursor the pointer keeps whatever shape the child under it last gave it.
    SetClassLongPtrA(GetHandle(), GCLP_HCURSOR, 0);

    if (!toolBar.CreateToolBar(*this, ID_VIEW_TOOLBAR, IDR_MAINFRAME)) return -1;
    // The list's filter box rides at the right end of the toolbar.
    auto* listView = dynamic_cast<CBrindleView*>(GetActiveView());
    if (listView != nullptr && !listView->CreateFilterBox(toolBar.GetToolBarControl())) return -1;
    if (!statusBar.CreateStatusBar(*this, ID_VIEW_STATUS_BAR, 2)) return -1;
    int paneWidth = GetSystemMetrics(SM_CXSCREEN) / 4;
    statusBar.SetPaneWidths({paneWidth, paneWidth});
    statusBar.SetPaneText(0, kStartupStatusText);

    AttachBars(&toolBar, &statusBar);
    toolBar.DockAt(DockSide::Top);
    RestorePlacement();
    return 0;
}

void CMainFrame::RestorePlacement() {
    if (ReadSettingInt("Window", "fMaximized") != 0) {
        // The stored rectangle belongs to the restored window of an earlier run and is
        // left alone; restoring gives what the system chose for this one.
        SetInitialShowCommand(SW_SHOWMAXIMIZED);
        return;
    }
    RECT placed{};
    GetWindowRect(GetHandle(), &placed);
    int height = ReadSettingInt("Window", "cy");
    int width = ReadSettingInt("Window", "cx");
    int top = ReadSettingInt("Window", "y", placed.top);
    int left = ReadSettingInt("Window", "x", placed.left);
    // Used as stored: a window saved on a screen that is gone stays where it was put.
    MoveWindow(GetHandle(), left, top, width, height, TRUE);
}

void CMainFrame::OnSettings() { ShowSettingsSheet(GetHandle()); }

void CMainFrame::OnWebSite() { ShellExecuteA(nullptr, "open", kWebSiteAddress, nullptr, nullptr, SW_RESTORE); }
