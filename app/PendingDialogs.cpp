// The command dialogs still to be written. Each says so plainly and answers Cancel; a
// dialog's function leaves this file for its own when it is written.

#include "BrindleCommandDialogs.h"
#include "UserMessages.h"

namespace {

bool NotAvailableYet() {
    ShowMessage("This command is not available yet.", MB_ICONEXCLAMATION);
    return false;
}

}  // namespace

bool ChooseFilesToAdd(HWND, NameList&) { return NotAvailableYet(); }

bool ShowAddFilesDialog(HWND, AddOptions&) { return NotAvailableYet(); }

bool ShowExtractDialog(HWND, ExtractOptions&) { return NotAvailableYet(); }
