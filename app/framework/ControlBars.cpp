#include "framework/ControlBars.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "framework/FrameWindow.h"

namespace {

const char kDockBarClass[] = "BrindleDockBar";
constexpr int kGripperThickness = 8;   // the strip at the bar's leading edge that starts a drag
constexpr int kBarPadding = 2;         // around the buttons, inside the bar
constexpr UINT kToolBarControlId = 1;
constexpr WORD kToolBarResourceType = 241;

// The toolbar resource exists in two layouts: 16-bit fields led by a version word, as the
// classic resource compilers write it, and 32-bit fields without a version, as windres
// writes it. The size tells them apart.
bool ParseToolBarResource(const BYTE* data, DWORD size, SIZE& imageSize, std::vector<UINT>& ids) {
    auto word = [data](DWORD offset) { return static_cast<UINT>(data[offset] | (data[offset + 1] << 8)); };
    auto dword = [&word](DWORD offset) { return word(offset) | (word(offset + 2) << 16); };
    if (size >= 8 && word(0) == 1 && size == 8 + 2 * word(6)) {
        imageSize = SIZE{static_cast<LONG>(word(2)), static_cast<LONG>(word(4))};
        for (UINT i = 0; i < word(6); ++i) ids.push_back(word(8 + 2 * i));
        return true;
    }
    if (size >= 12 && size == 12 + 4 * dword(8)) {
        imageSize = SIZE{static_cast<LONG>(dword(0)), static_cast<LONG>(dword(4))};
        for (UINT i = 0; i < dword(8); ++i) ids.push_back(dword(12 + 4 * i));
        return true;
    }
    return false;
}

bool IsVertical(DockSide side) { return side == DockSide::Left || side == DockSide::Right; }

}  // namespace

bool CToolBar::CreateToolBar(CFrameWindow& parentFrame, UINT controlId, UINT resourceId) {
    frame = &parentFrame;
    if (!RegisterWindowClass(kDockBarClass, CS_DBLCLKS, nullptr, LoadCursorA(nullptr, IDC_ARROW),
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    if (!CreateWindowOfClass(0, kDockBarClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                             frame->GetHandle(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId))))
        return false;
    HWND created = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                   WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN |
                                       CCS_NODIVIDER,
                                   0, 0, 0, 0, GetHandle(),
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kToolBarControlId)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (created == nullptr || !control.Subclass(created)) return false;
    SendMessageA(created, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (!LoadButtons(resourceId)) return false;
    ArrangeButtons();
    return true;
}

bool CToolBar::LoadButtons(UINT resourceId) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(kToolBarResourceType));
    HGLOBAL loaded = resource != nullptr ? LoadResource(instance, resource) : nullptr;
    const BYTE* data = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    SIZE imageSize{};
    if (data == nullptr || !ParseToolBarResource(data, SizeofResource(instance, resource), imageSize, buttonIds))
        return false;

    // The strip's light grey background becomes transparent, so the buttons take the
    // system's face colour and the disabled look is drawn from the mask.
    images.reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(resourceId), imageSize.cx, 0, RGB(192, 192, 192),
                                      IMAGE_BITMAP, LR_CREATEDIBSECTION));
    if (!images) return false;
    buttonBitmapId = resourceId;
    SendMessageA(GetToolBarControl(), TB_SETBITMAPSIZE, 0, MAKELPARAM(imageSize.cx, imageSize.cy));
    SendMessageA(GetToolBarControl(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));

    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (UINT id : buttonIds) {
        TBBUTTON button{};
        if (id == 0) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = 6;
        } else {
            button.iBitmap = image++;
            button.idCommand = static_cast<int>(id);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    if (!SendMessageA(GetToolBarControl(), TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())))
        return false;
    // Room for the image plus the button's raised edges, as the classic bars had.
    buttonSize = SIZE{imageSize.cx + 7, imageSize.cy + 6};
    SendMessageA(GetToolBarControl(), TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonSize.cx, buttonSize.cy));
    LRESULT actual = SendMessageA(GetToolBarControl(), TB_GETBUTTONSIZE, 0, 0);
    buttonSize = SIZE{LOWORD(actual), HIWORD(actual)};
    return true;
}

UINT CToolBar::GetButtonCommand(int index) const {
    return index >= 0 && index < GetButtonCount() ? buttonIds[static_cast<std::size_t>(index)] : 0;
}

void CToolBar::DockAt(DockSide side) {
    dockSide = side;
    // The non-client strip moves to the new leading edge.
    SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ArrangeButtons();
    if (frame != nullptr) frame->RecalcLayout();
}

void CToolBar::ArrangeButtons() {
    if (GetToolBarControl() == nullptr) return;
    // Standing at a side, every button ends a row, so the bar becomes one column; a
    // separator then makes a horizontal gap.
    bool vertical = IsVertical(dockSide);
    for (int index = 0; index < GetButtonCount(); ++index) {
        TBBUTTON button{};
        SendMessageA(GetToolBarControl(), TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
        BYTE newState = button.fsState;
        newState = vertical ? static_cast<BYTE>(newState | TBSTATE_WRAP) : static_cast<BYTE>(newState & ~TBSTATE_WRAP);
        TBBUTTONINFOA info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STATE | TBIF_BYINDEX;
        info.fsState = newState;
        SendMessageA(GetToolBarControl(), TB_SETBUTTONINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
    }
    LONG_PTR style = GetWindowLongPtrA(GetToolBarControl(), GWL_STYLE);
    style = vertical ? (style | CCS_VERT) : (style & ~static_cast<LONG_PTR>(CCS_VERT));
    SetWindowLongPtrA(GetToolBarControl(), GWL_STYLE, style);
    SendMessageA(GetToolBarControl(), TB_AUTOSIZE, 0, 0);
}

int CToolBar::GetThickness() const {
    return (IsVertical(dockSide) ? buttonSize.cx : buttonSize.cy) + 2 * kBarPadding + 2;
}

RECT CToolBar::GetGripperRect() const {
    // The non-client strip before the client area's leading edge, in client coordinates.
    RECT window{};
    GetWindowRect(GetHandle(), &window);
    MapWindowPoints(nullptr, GetHandle(), reinterpret_cast<POINT*>(&window), 2);
    if (IsVertical(dockSide)) window.bottom = 0;
    else window.right = 0;
    return window;
}

void CToolBar::AdjustClientArea(RECT& client) const {
    if (IsVertical(dockSide)) client.top += kGripperThickness;
    else client.left += kGripperThickness;
}

void CToolBar::EraseNonClient(HDC windowDC) const {
    RECT window{};
    GetWindowRect(GetHandle(), &window);
    RECT client{};
    GetClientRect(GetHandle(), &client);
    MapWindowPoints(GetHandle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    OffsetRect(&window, -window.left, -window.top);
    int saved = SaveDC(windowDC);
    ExcludeClipRect(windowDC, client.left, client.top, client.right, client.bottom);
    FillRect(windowDC, &window, GetSysColorBrush(COLOR_BTNFACE));
    RestoreDC(windowDC, saved);
}

void CToolBar::PaintNonClient(HDC windowDC) const {
    EraseNonClient(windowDC);
    RECT window{};
    GetWindowRect(GetHandle(), &window);
    OffsetRect(&window, -window.left, -window.top);
    // Two raised ridges along the leading edge, the conventional handle of a movable bar.
    for (int offset : {2, 5}) {
        RECT ridge = IsVertical(dockSide) ? RECT{window.left + 2, offset, window.right - 2, offset + 3}
                                          : RECT{offset, window.top + 2, offset + 3, window.bottom - 2};
        DrawEdge(windowDC, &ridge, BDR_RAISEDINNER, BF_RECT);
    }
}

void CToolBar::PaintBorder(HDC dc) const {
    // The border between the bar and the view.
    RECT client{};
    GetClientRect(GetHandle(), &client);
    UINT edge = dockSide == DockSide::Top ? BF_BOTTOM
                : dockSide == DockSide::Bottom ? BF_TOP
                : dockSide == DockSide::Left ? BF_RIGHT
                                             : BF_LEFT;
    DrawEdge(dc, &client, EDGE_ETCHED, edge);
}

DockSide CToolBar::ChooseSideForPoint(POINT screenPoint) const {
    RECT client{};
    GetClientRect(frame->GetHandle(), &client);
    MapWindowPoints(frame->GetHandle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    // The edge nearest to where the gripper was let go.
    struct Candidate {
        DockSide side;
        long distance;
    } candidates[] = {
        {DockSide::Top, std::labs(screenPoint.y - client.top)},
        {DockSide::Bottom, std::labs(client.bottom - screenPoint.y)},
        {DockSide::Left, std::labs(screenPoint.x - client.left)},
        {DockSide::Right, std::labs(client.right - screenPoint.x)},
    };
    const Candidate* nearest = &candidates[0];
    for (const Candidate& candidate : candidates)
        if (candidate.distance < nearest->distance) nearest = &candidate;
    return nearest->side;
}

void CToolBar::UpdateButtonStates() {
    if (GetToolBarControl() == nullptr || frame == nullptr) return;
    for (UINT id : buttonIds) {
        if (id == 0) continue;
        CommandState state = frame->QueryRouteState(id);
        bool enabled = SendMessageA(GetToolBarControl(), TB_ISBUTTONENABLED, id, 0) != 0;
        bool checked = SendMessageA(GetToolBarControl(), TB_ISBUTTONCHECKED, id, 0) != 0;
        // Only real changes, so an idle update does not make the bar flicker.
        if (enabled != state.enabled) SendMessageA(GetToolBarControl(), TB_ENABLEBUTTON, id, MAKELPARAM(state.enabled, 0));
        if (checked != state.checked) SendMessageA(GetToolBarControl(), TB_CHECKBUTTON, id, MAKELPARAM(state.checked, 0));
    }
}

void CToolBar::OnHoveredButtonChanged(UINT command) {
    if (command == hoveredCommand) return;
    hoveredCommand = command;
    if (frame == nullptr) return;
    if (command != 0) frame->SetMessageTextFromCommand(command);
    else frame->ShowIdleMessage();
}

LRESULT CToolBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        RECT client{};
        GetClientRect(GetHandle(), &client);
        MoveWindow(GetToolBarControl(), kBarPadding, kBarPadding, std::max<LONG>(0, client.right - 2 * kBarPadding),
                   std::max<LONG>(0, client.bottom - 2 * kBarPadding), TRUE);
        InvalidateRect(GetHandle(), nullptr, TRUE);
        RedrawWindow(GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        return 0;
    }
    case WM_NCCALCSIZE: {
        // The gripper lies outside the client area, so that the buttons and their layout
        // never have to step around it.
        LRESULT result = DefaultHandling(message, wParam, lParam);
        AdjustClientArea(*reinterpret_cast<RECT*>(lParam));
        return result;
    }
    case WM_NCHITTEST: {
        // The gripper answers like the client area, so a press on it arrives as a plain
        // button-down with client coordinates left of or above the client area.
        LRESULT hit = DefaultHandling(message, wParam, lParam);
        return hit == HTNOWHERE || hit == HTBORDER ? HTCLIENT : hit;
    }
    case WM_NCPAINT: {
        WindowDC windowDC = WindowDC::Whole(GetHandle());
        if (windowDC) PaintNonClient(windowDC.get());
        return 0;
    }
    case WM_PAINT: {
        PaintDC dc(GetHandle());
        PaintBorder(dc.get());
        return 0;
    }
    case WM_SETCURSOR: {
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(GetHandle(), &cursor);
        RECT gripper = GetGripperRect();
        if (dragging || PtInRect(&gripper, cursor)) {
            SetCursor(LoadCursorA(nullptr, IDC_SIZEALL));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONDOWN: {
        POINT point = PointFromLParam(lParam);
        RECT gripper = GetGripperRect();
        if (PtInRect(&gripper, point)) {
            dragging = true;
            SetCapture(GetHandle());
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (dragging) {
            dragging = false;
            POINT point = PointFromLParam(lParam);
            ClientToScreen(GetHandle(), &point);
            if (GetCapture() == GetHandle()) ReleaseCapture();
            DockSide side = ChooseSideForPoint(point);
            if (side != dockSide) DockAt(side);
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging = false;
        return 0;
    case WM_COMMAND:
        // Button clicks come to the holder; the frame routes them like menu commands.
        if (frame != nullptr && reinterpret_cast<HWND>(lParam) == GetToolBarControl())
            return SendMessageA(frame->GetHandle(), WM_COMMAND, wParam, lParam);
        break;
    case WM_NOTIFY: {
        NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.code == TTN_GETDISPINFOA) {
            NMTTDISPINFOA& info = *reinterpret_cast<NMTTDISPINFOA*>(lParam);
            std::string tip = LoadTooltipText(static_cast<UINT>(header.idFrom));
            lstrcpynA(info.szText, tip.c_str(), static_cast<int>(sizeof info.szText));
            info.lpszText = info.szText;
            return 0;
        }
        if (header.code == TTN_GETDISPINFOW) {
            NMTTDISPINFOW& info = *reinterpret_cast<NMTTDISPINFOW*>(lParam);
            std::string tip = LoadTooltipText(static_cast<UINT>(header.idFrom));
            MultiByteToWideChar(CP_ACP, 0, tip.c_str(), -1, info.szText, static_cast<int>(std::size(info.szText)));
            info.szText[std::size(info.szText) - 1] = L'\0';
            info.lpszText = info.szText;
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

LRESULT CToolBarControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return bar.HandleControlMessage(message, wParam, lParam);
}

LRESULT CToolBar::HandleControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        // Fly-by: the message line follows the pointer from button to button.
        POINT point = PointFromLParam(lParam);
        HWND window = GetToolBarControl();
        int index = static_cast<int>(SendMessageA(window, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
        OnHoveredButtonChanged(GetButtonCommand(index));
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        break;
    }
    case WM_MOUSELEAVE:
        OnHoveredButtonChanged(0);
        break;
    default:
        break;
    }
    return CallControl(message, wParam, lParam);
}

bool CStatusBar::CreateStatusBar(CFrameWindow& frame, UINT controlId, int paneCount) {
    HWND control = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                   frame.GetHandle(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control == nullptr || !Subclass(control)) return false;
    SetPaneWidths(std::vector<int>(static_cast<std::size_t>(paneCount), 100));
    return true;
}

void CStatusBar::SetPaneWidths(const std::vector<int>& widths) {
    paneWidths = widths;
    // Right edges; the last one is a real edge, not -1, so no pane stretches.
    std::vector<int> edges;
    int edge = 0;
    for (int width : widths) edges.push_back(edge += width);
    SendMessageA(GetHandle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CStatusBar::SetPaneText(int pane, const std::string& text) {
    SendMessageA(GetHandle(), SB_SETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.c_str()));
}

std::string CStatusBar::GetPaneText(int pane) const {
    LRESULT lengthAndType = SendMessageA(GetHandle(), SB_GETTEXTLENGTHA, static_cast<WPARAM>(pane), 0);
    std::string text(LOWORD(lengthAndType) + 1u, '\0');
    SendMessageA(GetHandle(), SB_GETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

int CStatusBar::GetHeight() const {
    RECT bounds{};
    GetWindowRect(GetHandle(), &bounds);
    return bounds.bottom - bounds.top;
}
