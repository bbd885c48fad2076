#include "BrindleCommandDialogs.h"

#include "framework/Application.h"
#include "framework/FrameWindow.h"

namespace {

HWND MainWindow() {
    CApplication* application = GetApplication();
    CFrameWindow* frame = application != nullptr ? application->GetMainFrame() : nullptr;
    return frame != nullptr ? frame->GetHandle() : GetActiveWindow();
}

class CBrindleCommandDialogs : public ICommandDialogs {
public:
    bool ChooseFilesToAdd(NameList& names) override { return ::ChooseFilesToAdd(MainWindow(), names); }
    bool AskAddOptions(AddOptions& options) override { return ShowAddFilesDialog(MainWindow(), options); }
    bool AskExtractOptions(ExtractOptions& options) override { return ShowExtractDialog(MainWindow(), options); }
};

CBrindleCommandDialogs& TheDialogs() {
    static CBrindleCommandDialogs dialogs;
    return dialogs;
}

}  // namespace

void InstallBrindleCommandDialogs() {
    if (GetInstalledCommandDialogs() == nullptr) SetCommandDialogs(&TheDialogs());
}

void UninstallBrindleCommandDialogs() {
    if (GetInstalledCommandDialogs() == &TheDialogs()) SetCommandDialogs(nullptr);
}
