#pragma once
// The frame's bars: a toolbar that can be docked at any edge of the frame by dragging its
// gripper, and a status bar with fixed-width text panes.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Window.h"

class CFrameWindow;

enum class DockSide { Top, Bottom, Left, Right };

// A holder window that draws a gripper at its leading edge and carries a toolbar control.
// Dragging the gripper and letting go near another edge of the frame docks it there.
class CToolBar : public CWindow {
public:
    CToolBar() = default;
    ~CToolBar() override;

    // Creates the bar as a visible child of frame with child id controlId and loads the
    // toolbar resource resourceId (button ids, separators and the bitmap of the same id).
    bool CreateToolBar(CFrameWindow& frame, UINT controlId, UINT resourceId);

    HWND GetToolBarControl() const { return toolBarControl; }
    DockSide GetDockSide() const { return dockSide; }
    void DockAt(DockSide side);
    // The size the bar needs across its dock side (height at top/bottom, width at the sides).
    int GetThickness() const;
    // Enables and checks the buttons through the frame's command route (called when idle).
    void UpdateButtonStates();
    int GetButtonCount() const { return static_cast<int>(buttonIds.size()); }
    // Command id of button index (0 for a separator).
    UINT GetButtonCommand(int index) const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Draws the face of the buttons; the default leaves it to the control.
    virtual bool OnCustomDraw(NMTBCUSTOMDRAW& draw, LRESULT& result);

private:
    bool LoadButtons(UINT resourceId);
    void ArrangeButtons();
    void PaintGripper(HDC dc) const;
    RECT GetGripperRect() const;
    DockSide ChooseSideForPoint(POINT screenPoint) const;
    void OnHoveredButtonChanged(UINT command);
    static LRESULT CALLBACK ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CFrameWindow* frame = nullptr;
    HWND toolBarControl = nullptr;
    WNDPROC toolBarOriginalProcedure = nullptr;
    HIMAGELIST images = nullptr;   // owned: the toolbar control does not free it
    std::vector<UINT> buttonIds;
    SIZE buttonSize{};
    DockSide dockSide = DockSide::Top;
    bool dragging = false;
    UINT hoveredCommand = 0;
};

class CStatusBar : public CWindow {
public:
    CStatusBar() = default;
    ~CStatusBar() override = default;

    // A visible child of frame at its bottom, with paneCount plain sunken panes.
    bool CreateStatusBar(CFrameWindow& frame, UINT controlId, int paneCount);
    // Pane widths in pixels; the panes do not stretch with the window.
    void SetPaneWidths(const std::vector<int>& widths);
    void SetPaneText(int pane, const std::string& text);
    std::string GetPaneText(int pane) const;
    int GetHeight() const;

private:
    std::vector<int> paneWidths;
};
