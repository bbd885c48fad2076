#pragma once
// The main window's toolbar with its own look: flat buttons that raise a frame under the
// mouse, sunken checked and pressed buttons, embossed disabled ones, etched separators and
// a double gripper. The parent window is offered each drawing stage as a custom-draw
// notification. Layout, docking, tooltips and commands stay the framework toolbar's.

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "Handles.h"
#include "framework/ControlBars.h"

class CToolBarEx;

// What the parent receives with NM_CUSTOMDRAW: the platform's record, then what it answered
// so far and the two objects involved.
struct ToolBarCustomDraw {
    NMCUSTOMDRAW draw;
    LRESULT prePaintResult;   // the answer to CDDS_PREPAINT
    LRESULT itemResult;       // the answer to the last item stage
    CToolBarEx* toolBar;
    CWindow* target;          // null when the target window is gone or not one of ours
};

class CToolBarEx : public CToolBar {
public:
    CToolBarEx();
    ~CToolBarEx() override = default;

    void UpdateButtonStates() override;

    // Index of the button under the mouse, -1 for none.
    int GetHotButton() const { return hotButton; }
    COLORREF GetFaceColour() const { return faceColour; }
    COLORREF GetHighlightColour() const { return highlightColour; }
    COLORREF GetShadowColour() const { return shadowColour; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT HandleControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void AdjustClientArea(RECT& client) const override;
    void PaintNonClient(HDC windowDC) const override;

private:
    // The image list a paint uses: the control's own, or one built for this paint only.
    struct PaintImages {
        HIMAGELIST list = nullptr;
        ImageListHandle own;
    };

    void ReadColours();
    void ComputeImageOffsets();
    PaintImages AcquireImages() const;
    // Draws every button that meets update into dc, with the parent's say at each stage.
    void PaintButtons(HDC dc, const RECT& update, const PaintImages& images);
    void PaintButton(HDC dc, const TBBUTTON& button, const RECT& bounds, HIMAGELIST images,
                     POINT mouse, LRESULT prePaintAnswer, LRESULT& itemAnswer);
    void PaintDisabledLook(HDC dc, const RECT& bounds) const;
    void PaintSeparator(HDC dc, const RECT& bounds) const;
    void Draw3dRect(HDC dc, const RECT& bounds, COLORREF topLeft, COLORREF bottomRight) const;
    LRESULT Notify(DWORD stage, HDC dc, const RECT& bounds, UINT command, UINT itemState);
    void OnMouseMove(POINT point);
    void OnHotTimer();
    bool IsHorizontal() const;
    bool IsFloating() const { return false; }   // the frame docks its bar; it never floats
    int ButtonCount() const;
    bool GetButton(int index, TBBUTTON& button) const;
    RECT ButtonRect(int index) const;
    SIZE ButtonSize() const;

    int flatLook = 1;
    int imageOffsetX = 0;
    int imageOffsetY = 0;
    COLORREF faceColour = 0;
    COLORREF highlightColour = 0;
    COLORREF shadowColour = 0;
    int hotButton = -1;
    UINT_PTR hotTimer = 0;
    std::vector<UINT> savedStates;
    HWND notificationTarget = nullptr;
    int ownImageList = 0;
    SIZE imageSize{16, 15};    // the control's defaults until the bar sets its own
    SIZE buttonSize{23, 22};
    LRESULT prePaintResult = 0;
    LRESULT itemResult = 0;
};
