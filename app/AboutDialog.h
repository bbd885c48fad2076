#pragma once
// The About box: icon, version, credits and the note on distribution. Nothing but OK.

#include <windows.h>

class CAboutDialog {
public:
    // True when the box was closed with OK rather than Escape or the close box.
    static bool Show(HWND owner);

private:
    struct Data {
        bool closedWithOk = false;
    };
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
