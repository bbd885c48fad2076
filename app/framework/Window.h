#pragma once
// A thin owner of one window handle. The window procedure finds the object through
// GWLP_USERDATA (set at WM_NCCREATE) for windows we create, and through the subclass's
// reference data for controls made by someone else (SetWindowSubclass, which leaves the
// control's own GWLP_USERDATA and any other subclass alone). Every message goes to
// HandleMessage, so derived classes keep their handling in one plain switch. No exception ever leaves the procedure: it is reported
// through ShowMessage and the message gets its default handling.

#include <windows.h>

#include <exception>
#include <string>

// The point a mouse message carries in lParam. Signed: left of or above the window, as on a
// second screen or while the mouse is captured, the words are negative.
inline POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Reports an exception that reached a window or dialog procedure through ShowMessage;
// what is null for an exception that is not a std::exception.
void ReportEscapedException(const char* what);

// The exception barrier of every procedure we install: runs handler and returns its
// result, or reports the exception and returns fallback.
template <typename Result, typename Handler>
Result CallBehindBarrier(Handler&& handler, Result fallback) {
    try {
        return handler();
    } catch (const std::exception& error) {
        ReportEscapedException(error.what());
    } catch (...) {
        ReportEscapedException(nullptr);
    }
    return fallback;
}

class CWindow {
public:
    CWindow() = default;
    virtual ~CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    HWND GetHandle() const { return handle; }

    // Registers a window class whose procedure is ours; registering twice is harmless
    // (tests start the program's windows many times in one process).
    static bool RegisterWindowClass(const char* className, UINT classStyle, HICON icon, HCURSOR cursor,
                                    HBRUSH background);

    // Creates a window of a class registered with RegisterWindowClass; false on failure.
    bool CreateWindowOfClass(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                             int width, int height, HWND parent, HMENU menuOrId);

    // Takes over a control created elsewhere (a list view, a toolbar): its messages reach
    // HandleMessage first and DefaultHandling passes them on down the control's subclass
    // chain. Undone at WM_NCDESTROY or when the object goes first.
    bool Subclass(HWND control);

    // The object attached to a window, or nullptr.
    static CWindow* FromHandle(HWND window);

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc, or the subclassed control's own procedure.
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after WM_NCDESTROY, when the handle is already gone.
    virtual void OnWindowGone() {}

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR subclassId, DWORD_PTR self);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();

    HWND handle = nullptr;
    bool subclassed = false;   // a control taken over by Subclass, not a window of ours
};

// The first line of string resource id (the status-bar prompt of a command), or "".
std::string LoadPromptText(UINT id);
// The text after the first "\n" of string resource id (a command's tooltip), or "".
std::string LoadTooltipText(UINT id);
// The whole string resource, or "".
std::string LoadResourceString(UINT id);
// String IDS_APP_TITLE, the program's title ("Brindle"), which is also the message-box caption.
std::string GetApplicationTitle();
