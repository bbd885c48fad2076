#include <windows.h>

#include "BrindleApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    CBrindleApp application;
    application.SetCommandLine(commandLine != nullptr ? commandLine : "");
    if (!application.InitInstance()) {
        application.ExitInstance();
        return 0;
    }
    return application.Run();
}
