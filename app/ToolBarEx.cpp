#include "ToolBarEx.h"

namespace {

constexpr UINT_PTR kHotTimerId = 1;
constexpr UINT kHotTimerPeriod = 250;   // ms: how soon a frame goes once the cursor has left the bar
constexpr int kHorizontalGripperShift = 4;
constexpr int kVerticalGripperShift = 6;
constexpr int kWidestDrawnSeparator = 8;   // a wider one makes room for a control
// Where the source is ink, the brush colour; elsewhere the screen as it was.
constexpr DWORD kPaintInkWithBrush = 0x00E20746;

// A button's style in the low word and its state in the high word, so that one comparison
// sees any change of either.
UINT StyleAndState(const TBBUTTON& button) {
    return static_cast<UINT>(button.fsStyle) | (static_cast<UINT>(button.fsState) << 16);
}

void FillSolid(HDC dc, const RECT& bounds, COLORREF colour) {
    BrushHandle brush(CreateSolidBrush(colour));
    FillRect(dc, &bounds, brush.get());
}

bool Meets(const RECT& a, const RECT& b) {
    RECT common{};
    return IntersectRect(&common, &a, &b) != FALSE;
}

}  // namespace

CToolBarEx::CToolBarEx() {
    ReadColours();
    ComputeImageOffsets();
}

void CToolBarEx::ReadColours() {
    faceColour = GetSysColor(COLOR_BTNFACE);
    highlightColour = GetSysColor(COLOR_BTNHIGHLIGHT);
    shadowColour = GetSysColor(COLOR_BTNSHADOW);
}

void CToolBarEx::ComputeImageOffsets() {
    imageOffsetX = (buttonSize.cx - imageSize.cx) / 2;
    imageOffsetY = (buttonSize.cy - imageSize.cy) / 2;
}

bool CToolBarEx::IsHorizontal() const {
    return GetDockSide() == DockSide::Top || GetDockSide() == DockSide::Bottom;
}

int CToolBarEx::ButtonCount() const {
    return static_cast<int>(SendMessageA(GetToolBarControl(), TB_BUTTONCOUNT, 0, 0));
}

bool CToolBarEx::GetButton(int index, TBBUTTON& button) const {
    button = TBBUTTON{};
    return SendMessageA(GetToolBarControl(), TB_GETBUTTON, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&button)) != 0;
}

RECT CToolBarEx::ButtonRect(int index) const {
    RECT bounds{};
    SendMessageA(GetToolBarControl(), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&bounds));
    return bounds;
}

SIZE CToolBarEx::ButtonSize() const {
    LRESULT size = SendMessageA(GetToolBarControl(), TB_GETBUTTONSIZE, 0, 0);
    return SIZE{LOWORD(size), HIWORD(size)};
}

LRESULT CToolBarEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        LRESULT result = CToolBar::HandleMessage(message, wParam, lParam);
        // The parent at creation keeps receiving the drawing notifications, wherever the
        // bar is docked later.
        if (result != -1) notificationTarget = reinterpret_cast<CREATESTRUCTA*>(lParam)->hwndParent;
        return result;
    }
    return CToolBar::HandleMessage(message, wParam, lParam);
}

void CToolBarEx::AdjustClientArea(RECT& client) const {
    CToolBar::AdjustClientArea(client);
    // Both edges move, so the client area keeps its size and the strip before it is wide
    // enough for the double gripper.
    if (IsHorizontal()) OffsetRect(&client, kHorizontalGripperShift, 0);
    else OffsetRect(&client, 0, kVerticalGripperShift);
}

void CToolBarEx::PaintNonClient(HDC windowDC) const {
    EraseNonClient(windowDC);
    if (IsFloating()) return;
    RECT gripper{};
    GetWindowRect(GetHandle(), &gripper);
    OffsetRect(&gripper, -gripper.left, -gripper.top);
    InflateRect(&gripper, -4, -4);
    if (IsHorizontal()) gripper.right = gripper.left + 3;
    else gripper.bottom = gripper.top + 3;
    Draw3dRect(windowDC, gripper, highlightColour, shadowColour);
    if (IsHorizontal()) OffsetRect(&gripper, 3, 0);
    else OffsetRect(&gripper, 0, 3);
    Draw3dRect(windowDC, gripper, highlightColour, shadowColour);
}

LRESULT CToolBarEx::HandleControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND control = GetToolBarControl();
    switch (message) {
    case WM_PAINT: {
        PaintImages images = AcquireImages();
        if (!flatLook || images.list == nullptr) break;
        RECT update{};
        if (!GetUpdateRect(control, &update, FALSE)) return 0;
        PaintDC dc(control);
        PaintButtons(dc.get(), update, images);
        return 0;
    }
    case WM_PRINTCLIENT: {
        // The same drawing into someone else's device context (PrintWindow, tests).
        RECT client{};
        GetClientRect(control, &client);
        HDC dc = reinterpret_cast<HDC>(wParam);
        PaintImages images = AcquireImages();
        if (!flatLook || images.list == nullptr) break;
        if (lParam & PRF_ERASEBKGND) FillSolid(dc, client, faceColour);
        PaintButtons(dc, client, images);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (flatLook) OnMouseMove(PointFromLParam(lParam));
        break;
    case WM_TIMER:
        if (wParam == hotTimer && hotTimer != 0 && hotButton != -1) {
            OnHotTimer();
            return 0;
        }
        break;
    case WM_SYSCOLORCHANGE: {
        LRESULT result = CToolBar::HandleControlMessage(message, wParam, lParam);
        ReadColours();
        return result;
    }
    case TB_SETBUTTONSIZE:
    case TB_SETBITMAPSIZE: {
        LRESULT result = CToolBar::HandleControlMessage(message, wParam, lParam);
        if (result) {
            const POINT extent = PointFromLParam(lParam);   // the same two signed words
            const SIZE size{extent.x, extent.y};
            if (message == TB_SETBITMAPSIZE) imageSize = size;
            buttonSize = ButtonSize();
            ComputeImageOffsets();
        }
        return result;
    }
    case WM_NCDESTROY:
        hotTimer = 0;
        hotButton = -1;
        break;
    default:
        break;
    }
    return CToolBar::HandleControlMessage(message, wParam, lParam);
}

CToolBarEx::PaintImages CToolBarEx::AcquireImages() const {
    PaintImages images;
    images.list = reinterpret_cast<HIMAGELIST>(SendMessageA(GetToolBarControl(), TB_GETIMAGELIST, 0, 0));
    if (images.list != nullptr || GetButtonBitmapId() == 0) return images;

    // The bar's bitmap, its light grey background turned into the current face colour,
    // copied into a bitmap the screen can draw and cut into a masked list.
    COLORMAP background{RGB(192, 192, 192), faceColour};
    BitmapHandle mapped(CreateMappedBitmap(GetModuleHandleA(nullptr), static_cast<INT_PTR>(GetButtonBitmapId()), 0,
                                        &background, 1));
    BITMAP shape{};
    if (!mapped || !GetObjectA(mapped.get(), sizeof shape, &shape)) return images;
    WindowDC screen = WindowDC::Client(nullptr);
    BitmapHandle copy(CreateCompatibleBitmap(screen.get(), shape.bmWidth, shape.bmHeight));
    MemoryDC from(CreateCompatibleDC(screen.get()));
    MemoryDC to(CreateCompatibleDC(screen.get()));
    if (!copy || !from || !to) return images;
    {
        SelectedObject source(from.get(), mapped.get());
        SelectedObject target(to.get(), copy.get());
        BitBlt(to.get(), 0, 0, shape.bmWidth, shape.bmHeight, from.get(), 0, 0, SRCCOPY);
    }
    int count = imageSize.cx > 0 ? shape.bmWidth / imageSize.cx : 0;
    images.own.reset(ImageList_Create(imageSize.cx, imageSize.cy, ILC_COLORDDB | ILC_MASK, count, 1));
    if (!images.own) return images;
    ImageList_SetBkColor(images.own.get(), faceColour);
    ImageList_AddMasked(images.own.get(), copy.get(), faceColour);
    images.list = images.own.get();
    return images;
}

void CToolBarEx::PaintButtons(HDC dc, const RECT& update, const PaintImages& images) {
    ownImageList = images.own ? 1 : 0;

    POINT mouse{};
    GetCursorPos(&mouse);
    ScreenToClient(GetToolBarControl(), &mouse);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, faceColour);

    prePaintResult = Notify(CDDS_PREPAINT, dc, RECT{}, 0, 0);
    int count = ButtonCount();
    for (int index = 0; index < count; ++index) {
        TBBUTTON button{};
        if (!GetButton(index, button)) continue;
        RECT bounds = ButtonRect(index);
        if (button.fsState & TBSTATE_HIDDEN) continue;
        if (button.fsStyle & BTNS_SEP) {
            if (!((button.fsState & TBSTATE_WRAP) && IsFloating())) PaintSeparator(dc, bounds);
            continue;
        }
        if (!Meets(bounds, update)) continue;
        PaintButton(dc, button, bounds, images.list, mouse, prePaintResult, itemResult);
    }
    // While the device context is still the parent's to draw on.
    if (prePaintResult & CDRF_NOTIFYPOSTPAINT) Notify(CDDS_POSTPAINT, dc, RECT{}, 0, 0);
    ownImageList = 0;
}

void CToolBarEx::PaintButton(HDC dc, const TBBUTTON& button, const RECT& bounds, HIMAGELIST images,
                             POINT mouse, LRESULT prePaintAnswer, LRESULT& itemAnswer) {
    bool enabled = (button.fsState & TBSTATE_ENABLED) != 0;
    bool sunken = (button.fsState & (TBSTATE_CHECKED | TBSTATE_PRESSED)) != 0;
    UINT command = static_cast<UINT>(button.idCommand);
    UINT itemState = (enabled ? 0u : static_cast<UINT>(CDIS_DISABLED)) | (sunken ? static_cast<UINT>(CDIS_CHECKED) : 0u);
    int offsetX = (bounds.right - bounds.left - imageSize.cx) / 2;

    if (prePaintAnswer & CDRF_NOTIFYITEMDRAW) {
        itemAnswer = Notify(CDDS_ITEMPREPAINT, dc, bounds, command, itemState);
        if (itemAnswer & CDRF_SKIPDEFAULT) {
            if (itemAnswer & CDRF_NOTIFYPOSTPAINT) Notify(CDDS_ITEMPOSTPAINT, dc, bounds, command, itemState);
            return;
        }
    }

    FillSolid(dc, bounds, faceColour);
    if (sunken) {
        Draw3dRect(dc, bounds, shadowColour, highlightColour);
    } else if (enabled) {
        if (PtInRect(&bounds, mouse)) Draw3dRect(dc, bounds, highlightColour, shadowColour);
        else Draw3dRect(dc, bounds, faceColour, faceColour);
    }
    int shift = sunken ? 1 : 0;
    ImageList_Draw(images, button.iBitmap, dc, bounds.left + offsetX + shift, bounds.top + imageOffsetY + shift,
                   ILD_TRANSPARENT);
    if (!enabled) PaintDisabledLook(dc, bounds);

    if ((prePaintAnswer & CDRF_NOTIFYITEMDRAW) && (itemAnswer & CDRF_NOTIFYPOSTPAINT))
        Notify(CDDS_ITEMPOSTPAINT, dc, bounds, command, itemState);
}

void CToolBarEx::PaintDisabledLook(HDC dc, const RECT& bounds) const {
    int width = bounds.right - bounds.left;
    int height = bounds.bottom - bounds.top;
    MemoryDC inkDC(CreateCompatibleDC(dc));
    BitmapHandle ink(CreateBitmap(width, height, 1, 1, nullptr));
    if (!inkDC || !ink) return;
    SelectedObject inkSelected(inkDC.get(), ink.get());
    PatBlt(inkDC.get(), 0, 0, width, height, WHITENESS);
    // Face and highlight become white, everything else black: the button's ink.
    COLORREF background = SetBkColor(dc, faceColour);
    BitBlt(inkDC.get(), 0, 0, width, height, dc, bounds.left, bounds.top, SRCCOPY);
    SetBkColor(dc, highlightColour);
    BitBlt(inkDC.get(), 0, 0, width, height, dc, bounds.left, bounds.top, SRCPAINT);

    FillSolid(dc, bounds, faceColour);
    // A monochrome source lends its 0 bits the text colour and its 1 bits the background
    // colour: ink must come out as all ones for the raster operation to paint the brush.
    COLORREF text = SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    for (int pass = 0; pass < 2; ++pass) {
        BrushHandle brush(CreateSolidBrush(pass == 0 ? highlightColour : shadowColour));
        SelectedObject brushSelected(dc, brush.get());
        int offset = pass == 0 ? 1 : 0;
        BitBlt(dc, bounds.left + offset, bounds.top + offset, width, height, inkDC.get(), 0, 0, kPaintInkWithBrush);
    }
    SetTextColor(dc, text);
    SetBkColor(dc, background);
}

void CToolBarEx::PaintSeparator(HDC dc, const RECT& bounds) const {
    // Its thickness along the bar: a standing bar stacks its buttons, so there it is the
    // height of the gap.
    LONG thickness = IsHorizontal() ? bounds.right - bounds.left : bounds.bottom - bounds.top;
    if (thickness > kWidestDrawnSeparator) return;
    RECT line{};
    if (IsHorizontal()) {
        int middle = (bounds.left + bounds.right) / 2;
        line = RECT{middle - 1, bounds.top, middle + 1, bounds.bottom};
    } else {
        // Standing upright, the separator is a gap between two rows: the line lies across
        // the bar, as wide as a button.
        int centre = (bounds.top + bounds.bottom) / 2;
        line = RECT{bounds.left, centre - 1, bounds.left + ButtonSize().cx, centre + 1};
    }
    Draw3dRect(dc, line, shadowColour, highlightColour);
}

void CToolBarEx::Draw3dRect(HDC dc, const RECT& bounds, COLORREF topLeft, COLORREF bottomRight) const {
    LONG width = bounds.right - bounds.left;
    LONG height = bounds.bottom - bounds.top;
    FillSolid(dc, RECT{bounds.left, bounds.top, bounds.left + width - 1, bounds.top + 1}, topLeft);
    FillSolid(dc, RECT{bounds.left, bounds.top, bounds.left + 1, bounds.top + height - 1}, topLeft);
    FillSolid(dc, RECT{bounds.right - 1, bounds.top, bounds.right, bounds.bottom}, bottomRight);
    FillSolid(dc, RECT{bounds.left, bounds.bottom - 1, bounds.right, bounds.bottom}, bottomRight);
}

LRESULT CToolBarEx::Notify(DWORD stage, HDC dc, const RECT& bounds, UINT command, UINT itemState) {
    ToolBarCustomDraw record{};
    record.draw.hdr.hwndFrom = GetToolBarControl();
    record.draw.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(GetHandle()));
    record.draw.hdr.code = NM_CUSTOMDRAW;
    record.draw.dwDrawStage = stage;
    record.draw.hdc = dc;
    record.draw.rc = bounds;
    record.draw.dwItemSpec = command;
    record.draw.uItemState = itemState;
    record.draw.lItemlParam = 0;
    record.prePaintResult = prePaintResult;
    record.itemResult = itemResult;
    record.toolBar = this;
    bool targetAlive = notificationTarget != nullptr && IsWindow(notificationTarget);
    record.target = targetAlive ? CWindow::FromHandle(notificationTarget) : nullptr;
    if (!targetAlive) return CDRF_DODEFAULT;
    return SendMessageA(notificationTarget, WM_NOTIFY, record.draw.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
}

void CToolBarEx::OnMouseMove(POINT point) {
    HWND control = GetToolBarControl();
    int previous = hotButton;
    hotButton = -1;
    int count = ButtonCount();
    for (int index = 0; index < count; ++index) {
        TBBUTTON button{};
        if (!GetButton(index, button) || (button.fsStyle & BTNS_SEP) || !(button.fsState & TBSTATE_ENABLED)) continue;
        RECT bounds = ButtonRect(index);
        if (PtInRect(&bounds, point)) {
            hotButton = index;
            if (index != previous) InvalidateRect(control, &bounds, FALSE);
        } else if (index == previous) {
            InvalidateRect(control, &bounds, FALSE);
        }
    }
    if (hotTimer != 0) KillTimer(control, hotTimer);
    hotTimer = SetTimer(control, kHotTimerId, kHotTimerPeriod, nullptr);
}

void CToolBarEx::OnHotTimer() {
    HWND control = GetToolBarControl();
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT window{};
    GetWindowRect(control, &window);
    if (PtInRect(&window, cursor)) return;
    RECT bounds = ButtonRect(hotButton);
    InvalidateRect(control, &bounds, FALSE);
    hotButton = -1;
    KillTimer(control, hotTimer);
    hotTimer = 0;
}

void CToolBarEx::UpdateButtonStates() {
    if (!flatLook) {
        CToolBar::UpdateButtonStates();
        return;
    }
    int count = ButtonCount();
    savedStates.assign(static_cast<std::size_t>(count), 0);
    for (int index = 0; index < count; ++index) {
        TBBUTTON button{};
        if (GetButton(index, button)) savedStates[static_cast<std::size_t>(index)] = StyleAndState(button);
    }
    CToolBar::UpdateButtonStates();
    for (int index = 0; index < count; ++index) {
        TBBUTTON button{};
        if (!GetButton(index, button) || StyleAndState(button) == savedStates[static_cast<std::size_t>(index)]) continue;
        RECT bounds = ButtonRect(index);
        InvalidateRect(GetToolBarControl(), &bounds, TRUE);
    }
}
