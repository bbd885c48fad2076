#pragma once
// The frame's bars: a toolbar that can be docked at any edge of the frame by dragging its
// gripper, and a status bar with fixed-width text panes.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Handles.h"
#include "framework/Window.h"

class CFrameWindow;
class CToolBar;

// The toolbar control inside the bar, taken over so that its messages reach the bar.
class CToolBarControl : public CWindow {
public:
    explicit CToolBarControl(CToolBar& bar) : bar(bar) {}
    // The control's own handling of a message.
    LRESULT CallControl(UINT message, WPARAM wParam, LPARAM lParam) { return DefaultHandling(message, wParam, lParam); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CToolBar& bar;
};

enum class DockSide { Top, Bottom, Left, Right };

// A holder window that draws a gripper at its leading edge and carries a toolbar control.
// Dragging the gripper and letting go near another edge of the frame docks it there.
class CToolBar : public CWindow {
public:
    CToolBar() = default;
    ~CToolBar() override = default;

    // Creates the bar as a visible child of frame with child id controlId and loads the
    // toolbar resource resourceId (button ids, separators and the bitmap of the same id).
    bool CreateToolBar(CFrameWindow& frame, UINT controlId, UINT resourceId);

    HWND GetToolBarControl() const { return control.GetHandle(); }
    DockSide GetDockSide() const { return dockSide; }
    void DockAt(DockSide side);
    // The size the bar needs across its dock side (height at top/bottom, width at the sides).
    int GetThickness() const;
    // Enables and checks the buttons through the frame's command route (called when idle).
    virtual void UpdateButtonStates();
    int GetButtonCount() const { return static_cast<int>(buttonIds.size()); }
    // Command id of button index (0 for a separator).
    UINT GetButtonCommand(int index) const;
    // The toolbar resource's bitmap, which the bar's images were cut from.
    UINT GetButtonBitmapId() const { return buttonBitmapId; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Messages to the toolbar control; the default keeps the message line following the
    // pointer and passes everything to the control.
    virtual LRESULT HandleControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The non-client area is the gripper strip at the leading edge of the bar: client is
    // the rectangle left after the default calculation, in parent coordinates.
    virtual void AdjustClientArea(RECT& client) const;
    // Draws the non-client area into the window's device context (origin at the window's
    // top left corner); the default erases it and draws the framework's gripper.
    virtual void PaintNonClient(HDC windowDC) const;
    // Fills the non-client area with the face colour, leaving the client area alone.
    void EraseNonClient(HDC windowDC) const;
    LRESULT CallControl(UINT message, WPARAM wParam, LPARAM lParam) { return control.CallControl(message, wParam, lParam); }

private:
    bool LoadButtons(UINT resourceId);
    void ArrangeButtons();
    void PaintBorder(HDC dc) const;
    RECT GetGripperRect() const;
    DockSide ChooseSideForPoint(POINT screenPoint) const;
    void OnHoveredButtonChanged(UINT command);

    friend class CToolBarControl;

    CFrameWindow* frame = nullptr;
    CToolBarControl control{*this};
    ImageListHandle images;   // the toolbar control does not free it
    std::vector<UINT> buttonIds;
    UINT buttonBitmapId = 0;
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
