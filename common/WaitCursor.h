#pragma once
// The wait cursor for the length of a long operation; the arrow comes back at the end,
// also when the operation leaves early.

#include <windows.h>

class WaitCursor {
public:
    WaitCursor() {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        ShowCursor(TRUE);
    }
    ~WaitCursor() {
        ShowCursor(FALSE);
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
