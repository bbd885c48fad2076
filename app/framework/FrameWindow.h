#pragma once
// The main window: menu bar, accelerators, the bars, the view filling the rest, the
// message line in status-bar pane 0, and the command route view - document - frame -
// application.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/CommandTarget.h"
#include "framework/ControlBars.h"
#include "framework/FrameworkIds.h"
#include "framework/Window.h"

class CDocument;
class CView;

using ViewFactory = std::function<std::unique_ptr<CView>()>;

// Files dropped on the window travel the command route as this command.
constexpr UINT kDropFilesCommand = ID_DROP_FILES;

class CFrameWindow : public CWindow, public CCommandTableTarget<CFrameWindow> {
public:
    CFrameWindow();
    ~CFrameWindow() override;

    // Creates the overlapped window with menu, accelerators and icon resourceId and the
    // view made by createView as its client. False when the window or the view cannot be
    // created.
    bool LoadFrame(UINT resourceId, CDocument& document, ViewFactory createView);

    CView* GetActiveView() const { return view.get(); }
    CDocument* GetDocument() const { return document; }

    // Pane 0 of the status bar.
    void SetMessageText(const std::string& text);
    // Shows the prompt (first line of the string resource) of command id in pane 0.
    void SetMessageTextFromCommand(UINT id);
    // The text pane 0 shows when no menu item or button is highlighted: empty.
    void ShowIdleMessage();

    // Walks the route view, document, frame, application.
    bool RouteCommand(UINT id);
    // Routes kDropFilesCommand with the dropped paths, which the target that answers it
    // takes with TakeDroppedFiles while the route runs.
    bool RouteDroppedFiles(std::vector<std::string> paths);
    std::vector<std::string> TakeDroppedFiles();
    CommandState QueryRouteState(UINT id);
    // Enables and checks every item of popup by the route (also used for the right-button menu).
    void UpdateMenuStates(HMENU popup);

    // Places the bars and the view in the client area.
    void RecalcLayout();

    bool TranslateAccelerators(MSG& message);
    // Toolbar button states, refreshed when the message queue runs empty.
    void OnIdleUpdate();

    // SW_SHOWMAXIMIZED when the frame asked for it while it was being created.
    int GetInitialShowCommand() const { return initialShowCommand; }

    CToolBar* GetToolBar() const { return toolBar; }
    CStatusBar* GetStatusBar() const { return statusBar; }

    // The View menu's bar toggles, Exit and the help commands.
    static const CommandTable<CFrameWindow>& Commands();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // WM_CREATE: the base creates the view; derived frames add their bars after it.
    // Returns 0 or -1 as WM_CREATE does.
    virtual int OnCreate(CREATESTRUCTA& create);
    // Closing the window (WM_CLOSE, Exit): the application runs its exit steps.
    virtual void OnClose();

    // The derived frame registers the bars it owns, so that layout, the message line and
    // the View menu toggles find them.
    void AttachBars(CToolBar* toolBarToUse, CStatusBar* statusBarToUse);
    void SetInitialShowCommand(int showCommand) { initialShowCommand = showCommand; }

private:
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    void OnInitMenuPopup(HMENU popup);
    // The toolbar and the status bar are shown, hidden and checked alike.
    void ToggleBar(CWindow* bar);
    void QueryBarState(CWindow* bar, CommandState& state);
    void ToggleToolBar();
    void UpdateToolBarState(CommandState& state);
    void ToggleStatusBar();
    void UpdateStatusBarState(CommandState& state);
    void OpenHelpFile();
    void CloseFrame();

    CDocument* document = nullptr;
    std::vector<std::string> droppedFiles;   // only while RouteDroppedFiles runs
    ViewFactory viewFactory;
    std::unique_ptr<CView> view;
    CToolBar* toolBar = nullptr;
    CStatusBar* statusBar = nullptr;
    HACCEL accelerators = nullptr;   // resource owned by the module
    HICON frameIcon = nullptr;
    int initialShowCommand = SW_SHOWNORMAL;
};
