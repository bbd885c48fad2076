// How long the archive window takes to open and list archives of many entries, and to
// total its status panes once, measured in-process on the real window.
//   window_open_bench <archive> [<archive> ...]
// Prints one line per archive: entries, open-and-list time, one selection-status update.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "BrindleApp.h"
#include "BrindleDoc.h"
#include "BrindleView.h"
#include "Settings.h"
#include "Stopwatch.h"
#include "UserMessages.h"
#include "framework/FrameWindow.h"

namespace {

class QuietPresenter : public IMessagePresenter {
public:
    int Show(const std::string& text, const std::string&, unsigned int style) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return (style & MB_YESNO) ? IDYES : IDOK;
    }
    void QuitRequested() override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_open_bench <archive> [<archive> ...]\n");
        return 2;
    }
    SetSettingsCompany("BrindleWindowBench");
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    QuietPresenter presenter;
    SetMessagePresenter(&presenter);

    CBrindleApp application("BrindleWindowBench");
    application.SetCommandLine("");
    if (!application.InitInstance()) {
        std::fprintf(stderr, "the window could not be created\n");
        return 1;
    }
    ShowWindow(application.GetMainFrame()->GetHandle(), SW_SHOWNORMAL);
    application.ProcessPendingMessages();
    auto* view = dynamic_cast<CBrindleView*>(application.GetMainFrame()->GetActiveView());
    HWND list = view->GetListControl();

    std::printf("%-40s %10s %12s %14s\n", "archive", "entries", "open (ms)", "status (ms)");
    for (int index = 1; index < argc; ++index) {
        const Stopwatch opening;
        BOOL opened = application.OpenDocumentFile(argv[index]);
        application.ProcessPendingMessages();   // the control learns the row count and paints
        const double openSeconds = opening.Seconds();

        // A selection of every tenth row, then one update as after a click.
        const int rows = view->GetRowCount();
        LVITEMA state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        for (int row = 0; row < rows; row += 10)
            SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        const Stopwatch updating;
        view->UpdateSelectionStatus();
        const double statusSeconds = updating.Seconds();

        std::string name = argv[index];
        name = name.substr(name.find_last_of("\\/") + 1);
        std::printf("%-40s %10d %12.1f %14.2f%s\n", name.c_str(), rows, openSeconds * 1000.0,
                    statusSeconds * 1000.0, opened ? "" : "  (open failed)");
        std::fflush(stdout);
    }

    application.CloseMainFrame();
    while (application.ProcessPendingMessages()) {
    }
    application.ExitInstance();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\BrindleWindowBench");
    return 0;
}
