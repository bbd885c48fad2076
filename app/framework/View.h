#pragma once
// The view: a child window filling the frame's client area, the first target on the
// command route. CListViewBase makes the view's window a report-style list control.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "framework/CommandTarget.h"
#include "framework/FrameworkIds.h"
#include "framework/Window.h"

class CDocument;
class CFrameWindow;

class CView : public CWindow, public CCommandTarget {
public:
    CView() = default;
    ~CView() override = default;

    // Creates the window as a child of frame (child id AFX_IDW_PANE_FIRST style 0xE900) and
    // attaches the document. False when the window cannot be created, which makes the
    // frame's creation fail.
    virtual bool CreateView(CFrameWindow& frame, CDocument& document) = 0;

    CDocument* GetDocument() const { return document; }
    CFrameWindow* GetParentFrame() const { return frame; }

    // Files dropped on the main window.
    virtual void OnDropFiles(HDROP drop);
    // WM_NOTIFY messages the control sent to the frame are handed back here; true when
    // handled, with the value to return in result.
    virtual bool OnReflectedNotify(NMHDR& header, LRESULT& result);

protected:
    void Attach(CFrameWindow& parentFrame, CDocument& ownerDocument) {
        frame = &parentFrame;
        document = &ownerDocument;
    }

private:
    CDocument* document = nullptr;
    CFrameWindow* frame = nullptr;
};

constexpr UINT kViewChildId = ID_VIEW_PANE_FIRST;

class CListViewBase : public CView {
public:
    // Creates a SysListView32 (child, visible, sunken edge, LVS_REPORT plus
    // GetListStyle()), subclasses it and then calls OnViewCreated; false if either fails.
    bool CreateView(CFrameWindow& frame, CDocument& document) override;

    HWND GetListControl() const { return GetHandle(); }

protected:
    // Extra list styles the derived view wants (LVS_OWNERDATA, LVS_SHOWSELALWAYS ...).
    virtual DWORD GetListStyle() const { return 0; }
    // The control exists and is subclassed: insert columns, attach images. False fails the
    // view's creation (and the window is destroyed again).
    virtual bool OnViewCreated() { return true; }
};
