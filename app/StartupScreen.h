#pragma once
// The start-up picture: a borderless pop-up with the product bitmap, shown while the main
// window is being built and gone after 750 ms or at the first key or button press, which
// it swallows so that nothing happens in the window underneath.

#include <windows.h>

#include "Handles.h"
#include "framework/Window.h"

class CStartupScreen : public CWindow {
public:
    ~CStartupScreen() override = default;

    static void EnableStartupScreen(bool enable);
    // Shows the picture owned by owner if it is enabled and none is up.
    static void ShowStartupScreen(HWND owner);
    // Offered every message from the queue; true when it closed the picture and the
    // message must not be delivered.
    static bool PreTranslateAppMessage(const MSG& message);
    static bool IsShowing();
    // Closes the picture and repaints the owner at once.
    static void CloseStartupScreen();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CStartupScreen() = default;
    bool Create(HWND owner);

    BitmapHandle bitmap;
    SIZE bitmapSize{};
    HWND ownerWindow = nullptr;
};
