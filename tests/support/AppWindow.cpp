#include "TestSupport/AppWindow.h"

#include <shlobj.h>

#include <algorithm>

#include "framework/FrameWindow.h"
#include "framework/View.h"

void AppWindowTest::TearDown() {
    if (application) {
        application->ExitInstance();
        application.reset();
    }
    // A WM_QUIT left by a closed window must not end the next test's pumping.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

void AppWindowTest::Pump() {
    if (application) application->ProcessPendingMessages();
}

void AppWindowTest::ChooseCommand(UINT id) {
    PostMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
}

void AppWindowTest::RunCommand(UINT id) {
    SendMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
}

bool AppWindowTest::IsEnabled(UINT id) { return Frame().QueryRouteState(id).enabled; }

void AppWindowTest::DropFiles(HWND window, const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    names += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::copy(names.begin(), names.end(), reinterpret_cast<char*>(drop + 1));
    GlobalUnlock(memory);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    Pump();
}

CFrameWindow& AppWindowTest::Frame() const { return *application->GetMainFrame(); }

HWND AppWindowTest::MainWindow() const { return Frame().GetHandle(); }

HWND AppWindowTest::ViewWindow() const { return Frame().GetActiveView()->GetHandle(); }

std::string AppWindowTest::PaneText(int pane) const { return Frame().GetStatusBar()->GetPaneText(pane); }

std::string AppWindowTest::Caption() const {
    char text[512] = "";
    GetWindowTextA(MainWindow(), text, sizeof text);
    return text;
}

std::vector<std::string> AppWindowTest::MenuTexts(int popupIndex) {
    HMENU popup = GetSubMenu(GetMenu(MainWindow()), popupIndex);
    SendMessageA(MainWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(popupIndex, FALSE));
    std::vector<std::string> texts;
    for (int position = 0; position < GetMenuItemCount(popup); ++position) {
        char text[512] = "";
        GetMenuStringA(popup, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

UINT AppWindowTest::MenuItemState(int popupIndex, UINT id) {
    HMENU popup = GetSubMenu(GetMenu(MainWindow()), popupIndex);
    SendMessageA(MainWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(popupIndex, FALSE));
    return GetMenuState(popup, id, MF_BYCOMMAND);
}
