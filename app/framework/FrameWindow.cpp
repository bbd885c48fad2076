#include "framework/FrameWindow.h"
#include "framework/FrameworkIds.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "framework/Application.h"
#include "framework/Document.h"
#include "framework/View.h"

namespace {

const char kFrameClass[] = "BrindleFrame";

constexpr UINT kViewToolBarCommand = ID_VIEW_TOOLBAR;
constexpr UINT kViewStatusBarCommand = ID_VIEW_STATUS_BAR;
constexpr UINT kExitCommand = ID_APP_EXIT;
constexpr UINT kHelpIndexCommand = ID_HELP_INDEX;
constexpr UINT kHelpCommand = ID_HELP;
constexpr UINT kContextHelpCommand = ID_CONTEXT_HELP;
constexpr UINT kDefaultHelpCommand = ID_DEFAULT_HELP;

}  // namespace

CFrameWindow::CFrameWindow() = default;

CFrameWindow::~CFrameWindow() {
    // The window goes before the view object it holds, so that no message reaches a view
    // that no longer exists.
    if (GetHandle() != nullptr && IsWindow(GetHandle())) DestroyWindow(GetHandle());
}

bool CFrameWindow::LoadFrame(UINT resourceId, CDocument& frameDocument, ViewFactory createView) {
    document = &frameDocument;
    viewFactory = std::move(createView);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    frameIcon = LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
    if (!RegisterWindowClass(kFrameClass, CS_DBLCLKS, frameIcon, LoadCursorA(nullptr, IDC_ARROW),
                             reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        return false;
    accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
    std::string title = GetApplicationTitle();
    if (!CreateWindowOfClass(0, kFrameClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu)) {
        // A window that failed in WM_CREATE has destroyed its menu with it; one that was
        // never made has not.
        if (menu != nullptr && IsMenu(menu)) DestroyMenu(menu);
        return false;
    }
    return true;
}

int CFrameWindow::OnCreate(CREATESTRUCTA&) {
    if (!viewFactory || document == nullptr) return -1;
    view = viewFactory();
    if (!view || !view->CreateView(*this, *document)) {
        view.reset();
        return -1;
    }
    document->AttachView(view.get());
    return 0;
}

void CFrameWindow::AttachBars(CToolBar* toolBarToUse, CStatusBar* statusBarToUse) {
    toolBar = toolBarToUse;
    statusBar = statusBarToUse;
    RecalcLayout();
}

void CFrameWindow::SetMessageText(const std::string& text) {
    if (statusBar != nullptr && statusBar->GetHandle() != nullptr) statusBar->SetPaneText(0, text);
}

void CFrameWindow::SetMessageTextFromCommand(UINT id) { SetMessageText(LoadPromptText(id)); }

void CFrameWindow::ShowIdleMessage() { SetMessageText(std::string()); }

bool CFrameWindow::RouteCommand(UINT id) {
    if (view && view->OnCommand(id)) return true;
    if (document != nullptr && document->OnCommand(id)) return true;
    if (OnCommand(id)) return true;
    CApplication* application = GetApplication();
    return application != nullptr && application->OnCommand(id);
}

bool CFrameWindow::RouteDroppedFiles(std::vector<std::string> paths) {
    droppedFiles = std::move(paths);
    const bool handled = RouteCommand(kDropFilesCommand);
    // A target that did not take them leaves nothing behind for the next drop.
    droppedFiles.clear();
    return handled;
}

std::vector<std::string> CFrameWindow::TakeDroppedFiles() { return std::move(droppedFiles); }

CommandState CFrameWindow::QueryRouteState(UINT id) {
    CommandState state;
    if (view && view->QueryCommandState(id, state)) return state;
    state = CommandState{};
    if (document != nullptr && document->QueryCommandState(id, state)) return state;
    state = CommandState{};
    if (QueryCommandState(id, state)) return state;
    state = CommandState{};
    CApplication* application = GetApplication();
    if (application != nullptr && application->QueryCommandState(id, state)) return state;
    return CommandState{};
}

void CFrameWindow::UpdateMenuStates(HMENU popup) {
    int count = GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position) {
        UINT id = GetMenuItemID(popup, position);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;   // separator or sub-menu
        CommandState state = QueryRouteState(id);
        EnableMenuItem(popup, static_cast<UINT>(position), MF_BYPOSITION | (state.enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(popup, static_cast<UINT>(position), MF_BYPOSITION | (state.checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CFrameWindow::RecalcLayout() {
    if (GetHandle() == nullptr || IsIconic(GetHandle())) return;
    RECT area{};
    GetClientRect(GetHandle(), &area);
    if (statusBar != nullptr && statusBar->GetHandle() != nullptr && IsWindowVisible(statusBar->GetHandle())) {
        // The status bar places itself along the bottom when told the parent's size changed.
        SendMessageA(statusBar->GetHandle(), WM_SIZE, 0, 0);
        area.bottom -= statusBar->GetHeight();
    }
    if (toolBar != nullptr && toolBar->GetHandle() != nullptr && IsWindowVisible(toolBar->GetHandle())) {
        int thickness = toolBar->GetThickness();
        RECT bar = area;
        switch (toolBar->GetDockSide()) {
        case DockSide::Top:
            bar.bottom = area.top + thickness;
            area.top = bar.bottom;
            break;
        case DockSide::Bottom:
            bar.top = area.bottom - thickness;
            area.bottom = bar.top;
            break;
        case DockSide::Left:
            bar.right = area.left + thickness;
            area.left = bar.right;
            break;
        case DockSide::Right:
            bar.left = area.right - thickness;
            area.right = bar.left;
            break;
        }
        MoveWindow(toolBar->GetHandle(), bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, TRUE);
    }
    if (view && view->GetHandle() != nullptr) {
        MoveWindow(view->GetHandle(), area.left, area.top, std::max<LONG>(0, area.right - area.left),
                   std::max<LONG>(0, area.bottom - area.top), TRUE);
    }
}

bool CFrameWindow::TranslateAccelerators(MSG& message) {
    return accelerators != nullptr && GetHandle() != nullptr &&
           TranslateAcceleratorA(GetHandle(), accelerators, &message) != 0;
}

void CFrameWindow::OnIdleUpdate() {
    if (toolBar != nullptr && toolBar->GetHandle() != nullptr && IsWindowVisible(toolBar->GetHandle()))
        toolBar->UpdateButtonStates();
}

void CFrameWindow::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && menu == nullptr) {   // the menu closed
        ShowIdleMessage();
        return;
    }
    if ((flags & (MF_POPUP | MF_SEPARATOR)) != 0 || item == 0) {
        ShowIdleMessage();
        return;
    }
    SetMessageTextFromCommand(item);
}

void CFrameWindow::OnInitMenuPopup(HMENU popup) {
    if (CApplication* application = GetApplication()) application->GetRecentFileList().UpdateMenu(popup);
    UpdateMenuStates(popup);
}

void CFrameWindow::ToggleBar(CWindow* bar) {
    if (bar == nullptr || bar->GetHandle() == nullptr) return;
    ShowWindow(bar->GetHandle(), IsWindowVisible(bar->GetHandle()) ? SW_HIDE : SW_SHOWNA);
    RecalcLayout();
}

void CFrameWindow::QueryBarState(CWindow* bar, CommandState& state) {
    state.enabled = bar != nullptr && bar->GetHandle() != nullptr;
    state.checked = state.enabled && IsWindowVisible(bar->GetHandle());
}

void CFrameWindow::ToggleToolBar() { ToggleBar(toolBar); }
void CFrameWindow::UpdateToolBarState(CommandState& state) { QueryBarState(toolBar, state); }
void CFrameWindow::ToggleStatusBar() { ToggleBar(statusBar); }
void CFrameWindow::UpdateStatusBarState(CommandState& state) { QueryBarState(statusBar, state); }

void CFrameWindow::OpenHelpFile() {
    if (CApplication* application = GetApplication()) application->OpenHelpFile(GetHandle());
}

void CFrameWindow::CloseFrame() { PostMessageA(GetHandle(), WM_CLOSE, 0, 0); }

const CommandTable<CFrameWindow>& CFrameWindow::Commands() {
    static const CommandHandler<CFrameWindow> handlers[] = {
        {kViewToolBarCommand, &CFrameWindow::ToggleToolBar},
        {kViewStatusBarCommand, &CFrameWindow::ToggleStatusBar},
        {kExitCommand, &CFrameWindow::CloseFrame},
        {kHelpIndexCommand, &CFrameWindow::OpenHelpFile},
        {kHelpCommand, &CFrameWindow::OpenHelpFile},
        {kContextHelpCommand, &CFrameWindow::OpenHelpFile},
        {kDefaultHelpCommand, &CFrameWindow::OpenHelpFile},
    };
    static const CommandRule<CFrameWindow> rules[] = {
        {&CFrameWindow::UpdateToolBarState, {kViewToolBarCommand}},
        {&CFrameWindow::UpdateStatusBarState, {kViewStatusBarCommand}},
    };
    static const CommandTable<CFrameWindow> table{handlers, rules};
    return table;
}

void CFrameWindow::OnClose() {
    if (CApplication* application = GetApplication(); application != nullptr && application->GetMainFrame() == this)
        application->CloseMainFrame();
    else
        DestroyWindow(GetHandle());
}

static BOOL CALLBACK PassSystemColourChange(HWND child, LPARAM) {
    SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

LRESULT CFrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(*reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) RecalcLayout();
        return 0;
    case WM_SETFOCUS:
        // Keys belong to the list, not to the frame around it.
        if (view && view->GetHandle() != nullptr) SetFocus(view->GetHandle());
        return 0;
    case WM_COMMAND: {
        UINT id = LOWORD(wParam);
        HWND source = reinterpret_cast<HWND>(lParam);
        bool fromToolBar = toolBar != nullptr && source != nullptr && source == toolBar->GetToolBarControl();
        if (source == nullptr || fromToolBar) {
            // A disabled command never runs, whether it came by menu, button or accelerator.
            if (QueryRouteState(id).enabled) RouteCommand(id);
            return 0;
        }
        break;
    }
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam)) OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_NOTIFY: {
        NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (view && header.hwndFrom == view->GetHandle() && view->OnReflectedNotify(header, result)) return result;
        break;
    }
    case WM_SYSCOLORCHANGE:
        // Only top-level windows hear of new system colours; the bars and the list draw
        // with them too.
        EnumChildWindows(GetHandle(), &PassSystemColourChange, 0);
        break;
    case WM_DROPFILES:
        if (view) view->OnDropFiles(reinterpret_cast<HDROP>(wParam));
        else DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}
