#include "AboutDialog.h"

#include "framework/Dialog.h"
#include "resource.h"

namespace {

class CAboutDialog : public CDialog {
public:
    CAboutDialog() : CDialog(IDD_ABOUTBOX) {}
};

}  // namespace

bool ShowAboutDialog(HWND owner) {
    CAboutDialog dialog;
    return dialog.Run(owner) == IDOK;
}
