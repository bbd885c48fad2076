#include "StartupScreen.h"

#include <memory>

#include "resource.h"

namespace {

const char kStartupClass[] = "BrindleStartupScreen";
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kShowMilliseconds = 750;

bool startupScreenEnabled = false;
std::unique_ptr<CStartupScreen> currentScreen;

}  // namespace

void CStartupScreen::EnableStartupScreen(bool enable) { startupScreenEnabled = enable; }

bool CStartupScreen::IsShowing() { return currentScreen != nullptr; }

void CStartupScreen::ShowStartupScreen(HWND owner) {
    if (!startupScreenEnabled || currentScreen) return;
    std::unique_ptr<CStartupScreen> screen(new CStartupScreen());
    if (screen->Create(owner)) currentScreen = std::move(screen);
}

bool CStartupScreen::Create(HWND owner) {
    bitmap.reset(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_STARTUP_PICTURE)));
    if (!bitmap) return false;
    BITMAP info{};
    GetObjectA(bitmap.get(), sizeof info, &info);
    bitmapSize = SIZE{info.bmWidth, info.bmHeight};
    ownerWindow = owner;
    if (!RegisterWindowClass(kStartupClass, 0, nullptr, LoadCursorA(nullptr, IDC_ARROW), nullptr)) return false;

    // Centred on the work area: the main window is not visible yet to centre on.
    RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    int x = workArea.left + (workArea.right - workArea.left - bitmapSize.cx) / 2;
    int y = workArea.top + (workArea.bottom - workArea.top - bitmapSize.cy) / 2;
    if (!CreateWindowOfClass(0, kStartupClass, "", WS_POPUP | WS_VISIBLE, x, y, bitmapSize.cx, bitmapSize.cy, owner,
                             nullptr))
        return false;
    SetTimer(GetHandle(), kCloseTimer, kShowMilliseconds, nullptr);
    UpdateWindow(GetHandle());
    return true;
}

void CStartupScreen::CloseStartupScreen() {
    // Taken out first: destroying the window re-enters the message handling.
    std::unique_ptr<CStartupScreen> closing = std::move(currentScreen);
    if (!closing) return;
    HWND owner = closing->ownerWindow;
    if (closing->GetHandle() != nullptr) DestroyWindow(closing->GetHandle());
    if (owner != nullptr && IsWindow(owner)) UpdateWindow(owner);
}

bool CStartupScreen::PreTranslateAppMessage(const MSG& message) {
    if (!currentScreen) return false;
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        CloseStartupScreen();
        return true;
    default:
        return false;
    }
}

LRESULT CStartupScreen::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PaintDC dc(GetHandle());
        // Declared after dc, so the picture is deselected and the memory DC gone before
        // EndPaint.
        MemoryDC memory(CreateCompatibleDC(dc.get()));
        SelectedObject picture(memory.get(), bitmap.get());
        BitBlt(dc.get(), 0, 0, bitmapSize.cx, bitmapSize.cy, memory.get(), 0, 0, SRCCOPY);
        return 0;
    }
    case WM_ERASEBKGND:
        return TRUE;   // the bitmap covers every pixel
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            KillTimer(GetHandle(), kCloseTimer);
            // This object is gone after the call; nothing of it may be touched below.
            CloseStartupScreen();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}
