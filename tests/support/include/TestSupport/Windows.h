#pragma once
// This thread's windows: found by class and caption, and saved as pictures.

#include <windows.h>

#include <string>

// A top-level window of this thread by class and (when given) caption: other test programs
// may have windows of the same class on the display at the same time.
HWND FindThreadWindow(const char* className, const char* caption);
// The same for a top-level window of another process, waiting up to timeoutMs for it to appear.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, DWORD timeoutMs);

// Where screenshots go: <build>/screenshots, as a Windows path; made when missing.
std::string ScreenshotFolder();
// A window manager honours a raise only when it allows it; a window kept on top while the
// screen under it is read is not covered by another test program's window on the display.
void KeepOnTopWhileCapturing(HWND window, bool onTop);
// Copies the screen's pixels under the window into a 24-bit .bmp file.
bool SaveWindowBitmap(HWND window, const std::string& path);
