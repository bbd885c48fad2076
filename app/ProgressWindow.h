#pragma once
// The progress window of long work (see LongWork.h): a modeless dialog owned by the main
// window, with what is done to which archive in its caption, the entry, a bar by bytes, the
// entries done, the time and a Cancel button (Esc is Cancel).

// Installed once the main window exists; removed before it goes.
void InstallProgressWindow();
void UninstallProgressWindow();
