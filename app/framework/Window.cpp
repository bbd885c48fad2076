#include "framework/Window.h"
#include "framework/FrameworkIds.h"

#include <exception>

#include "UserMessages.h"

void ReportEscapedException(const char* what) {
    if (what != nullptr)
        ShowMessage(std::string("Unexpected error: ") + what, MB_OK | MB_ICONERROR);
    else
        ShowMessage("Unexpected error.", MB_OK | MB_ICONERROR);
}

CWindow::~CWindow() {
    // A wrapper dying before its window must not leave the procedure a dangling pointer.
    if (handle != nullptr && IsWindow(handle)) {
        SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
        if (controlProcedure != nullptr)
            SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProcedure));
        DestroyWindow(handle);
    }
}

bool CWindow::RegisterWindowClass(const char* className, UINT classStyle, HICON icon, HCURSOR cursor,
                                  HBRUSH background) {
    WNDCLASSA windowClass{};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoA(instance, className, &windowClass)) return true;
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = &CWindow::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindow::CreateWindowOfClass(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                                  int y, int width, int height, HWND parent, HMENU menuOrId) {
    HWND created = CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                   GetModuleHandleA(nullptr), this);
    // WM_NCCREATE already stored the handle; a creation that failed in WM_CREATE has
    // destroyed the window again and cleared it.
    if (created == nullptr) handle = nullptr;
    return created != nullptr;
}

bool CWindow::Subclass(HWND control) {
    if (control == nullptr || handle != nullptr) return false;
    handle = control;
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    controlProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindow::SubclassProcedure)));
    return controlProcedure != nullptr;
}

CWindow* CWindow::FromHandle(HWND window) {
    if (window == nullptr) return nullptr;
    WNDPROC procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (procedure != &CWindow::WindowProcedure && procedure != &CWindow::SubclassProcedure) return nullptr;
    return reinterpret_cast<CWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(message, wParam, lParam);
}

LRESULT CWindow::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    if (controlProcedure != nullptr) return CallWindowProcA(controlProcedure, handle, message, wParam, lParam);
    return DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT CWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = handle;
    LRESULT result = 0;
    try {
        result = HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        ReportEscapedException(error.what());
        result = DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        ReportEscapedException(nullptr);
        result = DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        if (controlProcedure != nullptr)
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProcedure));
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        handle = nullptr;
        controlProcedure = nullptr;
        OnWindowGone();
    }
    return result;
}

LRESULT CALLBACK CWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindow* self = reinterpret_cast<CWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr && message == WM_NCCREATE) {
        self = static_cast<CWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self != nullptr) {
            self->handle = window;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->Dispatch(message, wParam, lParam);
}

LRESULT CALLBACK CWindow::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindow* self = reinterpret_cast<CWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->Dispatch(message, wParam, lParam);
}

std::string LoadResourceString(UINT id) {
    // String resources are counted UTF-16 blocks; the ANSI loader needs a buffer, and the
    // longest prompt is well under this.
    char buffer[1024];
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string LoadPromptText(UINT id) {
    std::string text = LoadResourceString(id);
    std::size_t lineEnd = text.find('\n');
    return lineEnd == std::string::npos ? text : text.substr(0, lineEnd);
}

std::string LoadTooltipText(UINT id) {
    std::string text = LoadResourceString(id);
    std::size_t lineEnd = text.find('\n');
    return lineEnd == std::string::npos ? std::string() : text.substr(lineEnd + 1);
}

std::string GetApplicationTitle() {
    std::string title = LoadResourceString(IDS_APP_TITLE);
    return title.empty() ? std::string("Brindle") : title;
}
