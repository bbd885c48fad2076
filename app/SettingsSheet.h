#pragma once
// The settings sheet: pages "General" and "Program Locations". Each page reads its values
// from the settings store when it is first shown and writes them back on OK; Cancel, and
// a page never shown, write nothing.

#include <windows.h>

void ShowSettingsSheet(HWND owner);
