#include "AboutDialog.h"

#include "resource.h"

bool CAboutDialog::Show(HWND owner) {
    Data data;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), owner, &CAboutDialog::Procedure,
                    reinterpret_cast<LPARAM>(&data));
    return data.closedWithOk;
}

INT_PTR CALLBACK CAboutDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (Data* data = reinterpret_cast<Data*>(GetWindowLongPtrA(dialog, DWLP_USER)))
                data->closedWithOk = LOWORD(wParam) == IDOK;
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}
