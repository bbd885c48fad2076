// How long the archive window takes to open and list archives of many entries, and to
// total its status panes once, measured in-process on the real window.
//   window_open_bench <archive> [<archive> ...]
// Prints one line per archive: entries, open-and-list time, one selection-status update, and
// beside it the walk over the selection that the status update used to make. A second table
// times the list's tools on the same window: the pane after a selection change of one row,
// every tenth row and all rows; Select All; Home with every row selected; the slowest
// keystroke of a filter typed letter by letter; and a sort by each column.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BrindleApp.h"
#include "BrindleDoc.h"
#include "BrindleView.h"
#include "Settings.h"
#include "Stopwatch.h"
#include "UserMessages.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

class QuietPresenter : public IMessagePresenter {
public:
    int Show(const std::string& text, const std::string&, unsigned int style) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return (style & MB_YESNO) ? IDYES : IDOK;
    }
    void QuitRequested() override {}
};

void SetSelected(HWND list, int row, bool selected) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

// What the status update did before it kept running totals: ask the control for each
// selected row in turn and add up its two numbers.
long long WalkSelection(HWND list, CBrindleView& view) {
    long long sum = 0;
    for (int index = -1; (index = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, index, LVNI_SELECTED))) >= 0;)
        sum += std::atoll(view.GetDisplayedRow(index).size.c_str()) +
               std::atoll(view.GetDisplayedRow(index).packed.c_str());
    return sum;
}

double Milliseconds(const Stopwatch& watch) { return watch.Seconds() * 1000.0; }

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

    std::printf("%-40s %10s %12s %14s %14s\n", "archive", "entries", "open (ms)", "status (ms)", "old walk (ms)");
    std::vector<std::string> toolLines;
    for (int index = 1; index < argc; ++index) {
        const Stopwatch opening;
        BOOL opened = application.OpenDocumentFile(argv[index]);
        application.ProcessPendingMessages();  // the control learns the row count and paints
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
        const Stopwatch walking;
        WalkSelection(list, *view);
        const double walkMs = Milliseconds(walking);

        std::string name = argv[index];
        name = name.substr(name.find_last_of("\\/") + 1);
        std::printf("%-40s %10d %12.1f %14.2f %14.2f%s\n", name.c_str(), rows, openSeconds * 1000.0,
                    statusSeconds * 1000.0, walkMs, opened ? "" : "  (open failed)");
        std::fflush(stdout);

        // The pane after a change of every tenth row is the update above; now one row, and all.
        SendMessageA(list, WM_KEYDOWN, VK_END, 0);  // focus away from row 0, so Home acts
        SendMessageA(list, WM_KEYUP, VK_END, 0);
        const Stopwatch oneRow;
        SetSelected(list, rows / 2, true);
        view->UpdateSelectionStatus();
        const double oneRowMs = Milliseconds(oneRow);
        const Stopwatch selectingAll;
        SendMessageA(application.GetMainFrame()->GetHandle(), WM_COMMAND, ID_ACTIONS_SELECT_ALL, 0);
        const double selectAllMs = Milliseconds(selectingAll);
        const Stopwatch allPane;
        view->UpdateSelectionStatus();
        const double allPaneMs = Milliseconds(allPane);
        const Stopwatch home;
        SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
        SendMessageA(list, WM_KEYUP, VK_HOME, 0);
        const double homeMs = Milliseconds(home);

        // Each column once (odd ones descending), then a second sort by name, whose keys exist by then.
        std::string sorts;
        for (int column : {0, 1, 2, 3, 4, 5, 0}) {
            const Stopwatch sorting;
            view->SortBy(column, column % 2 == 1);
            char figure[20];
            std::snprintf(figure, sizeof figure, "%s%.0f", sorts.empty() ? "" : "/", Milliseconds(sorting));
            sorts += figure;
        }
        view->SortBy(-1, false);

        // Typed one letter at a time into the box, then emptied again.
        double slowestKey = 0;
        const std::string typed = "file0*1";
        for (std::size_t length = 1; length <= typed.size() + 1; ++length) {
            const std::string text = length <= typed.size() ? typed.substr(0, length) : std::string();
            const Stopwatch keystroke;
            SetWindowTextA(view->GetFilterBox(), text.c_str());
            slowestKey = std::max(slowestKey, Milliseconds(keystroke));
        }
        application.ProcessPendingMessages();

        char line[300];
        std::snprintf(line, sizeof line, "%-24s %9.2f %9.2f %9.2f %11.1f %9.1f %11.1f  %s", name.c_str(), oneRowMs,
                      statusSeconds * 1000.0, allPaneMs, selectAllMs, homeMs, slowestKey, sorts.c_str());
        toolLines.push_back(line);
    }

    std::printf("\n%-24s %9s %9s %9s %11s %9s %11s  %s\n", "pane after (ms):", "1 row", "1/10", "all", "select all",
                "home", "filter key", "sort N/D/T/S/R/P/N again");
    for (const std::string& line : toolLines) std::printf("%s\n", line.c_str());

    application.CloseMainFrame();
    while (application.ProcessPendingMessages()) {}
    application.ExitInstance();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\BrindleWindowBench");
    return 0;
}
