#include "CommandDialogs.h"

namespace {

// Programs without the window's resources (Zipper, the engine tests) never show a command
// dialog; a command that asks anyway is cancelled.
class NoDialogs : public ICommandDialogs {
public:
    bool ChooseFilesToAdd(NameList&) override { return false; }
    bool AskAddOptions(AddOptions&) override { return false; }
    bool AskExtractOptions(ExtractOptions&) override { return false; }
};

ICommandDialogs* installedDialogs = nullptr;

}  // namespace

ICommandDialogs& CommandDialogs() {
    static NoDialogs none;
    return installedDialogs ? *installedDialogs : none;
}

void SetCommandDialogs(ICommandDialogs* dialogs) { installedDialogs = dialogs; }

ICommandDialogs* GetInstalledCommandDialogs() { return installedDialogs; }
