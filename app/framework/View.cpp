#include "framework/View.h"

#include "framework/FrameWindow.h"

void CView::OnDropFiles(HDROP drop) { DragFinish(drop); }

bool CView::OnReflectedNotify(NMHDR&, LRESULT&) { return false; }

bool CListViewBase::CreateView(CFrameWindow& frame, CDocument& document) {
    Attach(frame, document);
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | GetListStyle();
    HWND control = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style, 0, 0, 0, 0, frame.GetHandle(),
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kViewChildId)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control == nullptr) return false;
    if (!Subclass(control) || !OnViewCreated()) {
        DestroyWindow(control);
        return false;
    }
    return true;
}
