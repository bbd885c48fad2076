#include "TestSupport/Windows.h"

#include <algorithm>
#include <fstream>

#include "TestSupport/Files.h"

namespace {

struct WindowSearch {
    const char* className;
    const char* caption;
    HWND found;
    DWORD processId = 0;   // 0: any process (EnumThreadWindows already chose the thread)
};

// A named procedure, not a lambda: the 32-bit build needs the stdcall convention.
BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto& wanted = *reinterpret_cast<WindowSearch*>(parameter);
    char name[256] = "";
    char text[256] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, text, sizeof text);
    if (lstrcmpiA(name, wanted.className) != 0) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (wanted.processId != 0 && owner != wanted.processId) return TRUE;
    if (wanted.caption != nullptr && lstrcmpA(text, wanted.caption) != 0) return TRUE;
    wanted.found = window;
    return FALSE;
}

}  // namespace

HWND FindThreadWindow(const char* className, const char* caption) {
    WindowSearch search{className, caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search{className, caption, nullptr, processId};
        EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found && IsWindowVisible(search.found)) return search.found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

std::string ScreenshotFolder() {
    std::string folder = BRINDLE_SCREENSHOT_DIR;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (!folder.empty() && folder[0] == '\\') folder = "Z:" + folder;   // Wine's drive for the Unix root
    MakeFolders(folder);
    return folder;
}

void KeepOnTopWhileCapturing(HWND window, bool onTop) {
    SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!onTop) return;
    // Only paints are handled here: the caller may be inside a modal loop or wait for a
    // timer of its own. Peeking also lets Wine take in the window manager's answer.
    for (int round = 0; round < 10; ++round) {
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(30);
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

namespace {

bool SaveScreenArea(HWND window, const std::string& path) {
    RECT outer{};
    if (!GetWindowRect(window, &outer)) return false;
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return false;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    // What is really on the screen, so that a window covered or drawn wrongly shows as such.
    BitBlt(memory, 0, 0, width, height, screen, outer.left, outer.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, previous);

    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + stride * height;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * height));
    out.close();
    const bool written = !out.fail();

    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

}  // namespace

bool SaveWindowBitmap(HWND window, const std::string& path) {
    const bool wasOnTop = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (!wasOnTop) KeepOnTopWhileCapturing(window, true);
    const bool saved = SaveScreenArea(window, path);
    if (!wasOnTop) KeepOnTopWhileCapturing(window, false);
    return saved;
}
