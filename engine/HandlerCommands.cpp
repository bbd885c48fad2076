// The user-level commands shared by every archive kind. Their dialogs are not written yet;
// until then each one says so plainly instead of pretending to have worked.
//
// Each command moves to its own file as it is written (AddCommand.cpp for AddCommand and
// AddFiles, ExtractCommand.cpp, ViewDeleteCommands.cpp, SelfExtractorCommands.cpp), taking
// its lines from here. A command reads the list only through the view (IArchiveView) and
// shows its dialogs only through CommandDialogs() and ShowMessage, never a window.

#include <windows.h>

#include "ArchiveHandler.h"
#include "UserMessages.h"

namespace {

int NotAvailableYet() {
    ShowMessage("This command is not available yet.", MB_ICONEXCLAMATION);
    return 0;
}

}  // namespace

int CArchiveHandler::DeleteCommand() { return NotAvailableYet(); }

int CArchiveHandler::MakeExeCommand() { return NotAvailableYet(); }

int CArchiveHandler::MakeWin95ExeCommand() { return NotAvailableYet(); }

int CArchiveHandler::ViewCommand() { return NotAvailableYet(); }
