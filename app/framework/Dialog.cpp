#include "framework/Dialog.h"

#include "framework/PlatformDialogs.h"
#include "framework/Window.h"

// ---- CDialog ------------------------------------------------------------------------

INT_PTR CDialog::Run(HWND owner) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, &CDialog::Procedure,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::OnCommand(UINT, UINT, HWND) { return false; }

bool CDialog::OnNotify(NMHDR&, LRESULT&) { return false; }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

void CDialog::End(INT_PTR result) { EndDialog(handle, result); }

void CDialog::Attach(HWND dialog) {
    handle = dialog;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInit();
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id == IDOK) {
            if (OnOk()) End(IDOK);
            return TRUE;
        }
        if (id == IDCANCEL) {
            if (OnCancel()) End(IDCANCEL);
            return TRUE;
        }
        return OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!OnNotify(*reinterpret_cast<NMHDR*>(lParam), result)) return FALSE;
        SetWindowLongPtrA(handle, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default: {
        INT_PTR result = FALSE;
        return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
    }
}

INT_PTR CALLBACK CDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr && message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        if (self != nullptr) self->Attach(dialog);
    }
    if (self == nullptr) return FALSE;
    INT_PTR result = CallBehindBarrier<INT_PTR>([&] { return self->HandleMessage(message, wParam, lParam); }, FALSE);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        self->handle = nullptr;
    }
    return result;
}

// ---- CPropertyPage ------------------------------------------------------------------

void CPropertyPage::FillSheetPage(PROPSHEETPAGEA& page) {
    page = PROPSHEETPAGEA{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(GetTemplateId());
    page.pszTitle = title.c_str();
    page.pfnDlgProc = &CPropertyPage::PageProcedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
}

void CPropertyPage::SetModified(bool modified) {
    HWND sheet = GetParent(GetHandle());
    SendMessageA(sheet, modified ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(GetHandle()), 0);
}

INT_PTR CPropertyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        switch (header.code) {
        case PSN_SETACTIVE:
            OnSetActive();
            result = 0;
            break;
        case PSN_KILLACTIVE:
            // TRUE keeps the page.
            result = OnKillActive() ? FALSE : TRUE;
            break;
        case PSN_APPLY:
            result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
            break;
        default:
            return CDialog::HandleMessage(message, wParam, lParam);
        }
        SetWindowLongPtrA(GetHandle(), DWLP_MSGRESULT, result);
        return TRUE;
    }
    // OK and Cancel belong to the sheet, not to the page.
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) return FALSE;
    return CDialog::HandleMessage(message, wParam, lParam);
}

INT_PTR CALLBACK CPropertyPage::PageProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // The page object travels in the PROPSHEETPAGE that WM_INITDIALOG points to; from then
    // on the common procedure finds it in DWLP_USER.
    if (message == WM_INITDIALOG && GetWindowLongPtrA(dialog, DWLP_USER) == 0) {
        const PROPSHEETPAGEA* page = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        if (page == nullptr || page->lParam == 0) return FALSE;
        reinterpret_cast<CPropertyPage*>(page->lParam)->Attach(dialog);
    }
    return Procedure(dialog, message, wParam, lParam);
}

// ---- CPropertySheet -----------------------------------------------------------------

INT_PTR CPropertySheet::Run(HWND owner, UINT startPage) {
    std::vector<PROPSHEETPAGEA> records(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) pages[i]->FillSheetPage(records[i]);
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(records.size());
    header.nStartPage = startPage;
    header.ppsp = records.data();
    return PlatformDialogs().ShowPropertySheet(header);
}

// ---- Control helpers ----------------------------------------------------------------

std::string GetItemText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    int length = GetWindowTextLengthA(control);
    if (length <= 0) return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    length = GetWindowTextA(control, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

void SetItemText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

bool IsItemChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetItemChecked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void EnableItem(HWND dialog, int id, bool enabled) { EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

void FillCombo(HWND dialog, int id, const std::vector<std::string>& items, int selected) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int GetComboSelection(HWND dialog, int id) {
    LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void SetComboSelection(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void SetTrackBarRange(HWND dialog, int id, int minimum, int maximum, int tickFrequency) {
    SendDlgItemMessageA(dialog, id, TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
    SendDlgItemMessageA(dialog, id, TBM_SETTICFREQ, static_cast<WPARAM>(tickFrequency), 0);
}

int GetTrackBarPosition(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

void SetTrackBarPosition(HWND dialog, int id, int position) {
    SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
}
