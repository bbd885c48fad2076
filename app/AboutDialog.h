#pragma once
// The About box: icon, version, credits and the note on distribution. Nothing but OK.

#include <windows.h>

// True when the box was closed with OK rather than Escape or the close box.
bool ShowAboutDialog(HWND owner);
