// The Select dialog: one wildcard, whose matching rows the list then selects.

#include "BrindleCommandDialogs.h"
#include "framework/Dialog.h"
#include "resource.h"

namespace {

class CSelectDialog : public CDialog {
public:
    explicit CSelectDialog(SelectPatternRequest& request) : CDialog(IDD_SELECT_PATTERN), request(request) {}

protected:
    BOOL OnInit() override {
        SetItemText(GetHandle(), IDC_SELECT_PATTERN, request.pattern);
        SendMessageA(Item(IDC_SELECT_PATTERN), EM_SETSEL, 0, -1);
        SetFocus(Item(IDC_SELECT_PATTERN));
        return FALSE;
    }

    bool OnOk() override {
        request.pattern = GetItemText(GetHandle(), IDC_SELECT_PATTERN);
        return true;
    }

private:
    SelectPatternRequest& request;
};

}  // namespace

bool AskSelectPattern(HWND owner, SelectPatternRequest& request) {
    CSelectDialog dialog(request);
    return dialog.Run(owner) == IDOK;
}
