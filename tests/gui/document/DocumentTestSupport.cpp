#include "DocumentTestSupport.h"

#include <commctrl.h>

#include "BrindleApp.h"
#include "BrindleDoc.h"
#include "BrindleView.h"
#include "Settings.h"
#include "TestSupport/Contents.h"
#include "TestSupport/ZipEntries.h"
#include "framework/FrameWindow.h"

void WindowTest::SetUp() {
    // The start-up picture would swallow the first click or key of a test.
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    dialogs.saveFile = [this](const FileDialogRequest& request, std::string& chosenPath) {
        saveRequests.push_back(request);
        if (saveAnswers.empty()) return false;
        SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        if (answer.ok) chosenPath = answer.path;
        return answer.ok;
    };
}

void WindowTest::TearDown() {
    if (application) CloseWindow();
    AppWindowTest::TearDown();
}

void WindowTest::StartWindow() {
    application = std::make_unique<CBrindleApp>(settings.Company());
    application->SetCommandLine("");
    if (!application->InitInstance()) {
        std::string said;
        for (const RecordedMessage& message : presenter.messages) said += " \"" + message.text + "\"";
        FAIL() << "the window did not start; messages:" << said;
    }
    ShowWindow(MainWindow(), SW_SHOWNORMAL);
    Pump();
}

// Under Xvfb without a window manager, Wine waits about two seconds for every top-level
// window it hides; the test scripts therefore start one on their display.
void WindowTest::CloseWindow() {
    application->CloseMainFrame();
    while (application->ProcessPendingMessages()) {
    }
    application->ExitInstance();
    application.reset();
}

CBrindleDoc& WindowTest::Document() const {
    return *dynamic_cast<CBrindleDoc*>(application->GetDocument());
}

CBrindleView& WindowTest::View() const {
    return *dynamic_cast<CBrindleView*>(application->GetMainFrame()->GetActiveView());
}

HWND WindowTest::List() const { return View().GetListControl(); }

bool WindowTest::OpenArchive(const std::string& path) {
    bool opened = application->OpenDocumentFile(path) != FALSE;
    Pump();
    return opened;
}

std::string WindowTest::CellText(int row, int column) const {
    char text[1000] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(List(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

int WindowTest::ControlRowCount() const { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

void WindowTest::SelectRows(const std::vector<int>& rows) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = 0;
    SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED;
    for (int row : rows) SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

void WindowTest::MakeZip(const std::string& archivePath,
                         const std::vector<std::pair<std::string, std::size_t>>& files) {
    static int serial = 0;
    std::string sourceDir = scratch / ("source" + std::to_string(++serial));
    MakeFolders(sourceDir);
    std::vector<std::string> names;
    unsigned seed = 1;
    for (const auto& file : files) {
        std::string path = sourceDir + "\\" + file.first;
        for (char& c : path)
            if (c == '/') c = '\\';
        MakeFolders(path.substr(0, path.rfind('\\')));
        WriteFileBytes(path, Noise(file.second, seed++));
        names.push_back(file.first);
    }
    MakeZipOf(archivePath, sourceDir, names);
}
