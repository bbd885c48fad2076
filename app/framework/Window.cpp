#include "framework/Window.h"
#include "framework/FrameworkIds.h"

#include <commctrl.h>

#include <exception>

#include "UserMessages.h"

namespace {
// One subclass of ours per control; the id tells it apart from anyone else's.
constexpr UINT_PTR kSubclassId = 0x42524E44;
// Where FromHandle finds the object of a subclassed control (the 64-bit import library has
// no GetWindowSubclass to ask).
const char kSubclassOwnerProperty[] = "BrindleWindow";
}  // namespace

void ReportEscapedException(const char* what) {
    if (what != nullptr)
        ShowMessage(std::string("Unexpected error: ") + what, MB_OK | MB_ICONERROR);
    else
        ShowMessage("Unexpected error.", MB_OK | MB_ICONERROR);
}

CWindow::~CWindow() {
    // A wrapper dying before its window must not leave the procedure a dangling pointer.
    if (handle != nullptr && IsWindow(handle)) {
        HWND window = handle;
        Detach();
        DestroyWindow(window);
    }
}

void CWindow::Detach() {
    if (subclassed) {
        RemoveWindowSubclass(handle, &CWindow::SubclassProcedure, kSubclassId);
        RemovePropA(handle, kSubclassOwnerProperty);
    } else {
        SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    }
    handle = nullptr;
    subclassed = false;
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
    if (!SetWindowSubclass(control, &CWindow::SubclassProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    SetPropA(control, kSubclassOwnerProperty, this);
    handle = control;
    subclassed = true;
    return true;
}

CWindow* CWindow::FromHandle(HWND window) {
    if (window == nullptr) return nullptr;
    // By the class procedure: a window of ours stays ours when someone subclasses it.
    WNDPROC procedure = reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC));
    if (procedure == &CWindow::WindowProcedure)
        return reinterpret_cast<CWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return static_cast<CWindow*>(GetPropA(window, kSubclassOwnerProperty));
}

LRESULT CWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(message, wParam, lParam);
}

LRESULT CWindow::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    if (subclassed) return DefSubclassProc(handle, message, wParam, lParam);
    return DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT CWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // What a message gets when its handler threw: the control's own handling for a
    // subclassed control, the default one for a window of ours.
    bool handled = false;
    LRESULT result = CallBehindBarrier<LRESULT>(
        [&] {
            LRESULT answer = HandleMessage(message, wParam, lParam);
            handled = true;
            return answer;
        },
        0);
    if (!handled) result = DefaultHandling(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Detach();
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

LRESULT CALLBACK CWindow::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self) {
    if (self == 0) return DefSubclassProc(window, message, wParam, lParam);
    return reinterpret_cast<CWindow*>(self)->Dispatch(message, wParam, lParam);
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
