#include <windows.h>
#include <commctrl.h>

#include "BrindleApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    CBrindleApp application;
    application.SetCommandLine(commandLine != nullptr ? commandLine : "");
    if (!application.InitInstance()) {
        application.ExitInstance();
        return 0;
    }
    return application.Run();
}
