#pragma once
// Dialog boxes from templates. A concrete dialog is a data struct, a class derived from
// CDialog (kept in its .cpp) and one public function that fills the data, runs the dialog
// and hands the data back; callers never see the dialog's HWND.
//
// The object lives in DWLP_USER from WM_INITDIALOG to WM_NCDESTROY, and no exception
// leaves the procedure (the window core's barrier reports it). The control helpers at the
// bottom borrow a control by dialog and id; they work in file-dialog hooks too.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

class CDialog {
public:
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally over owner. Returns the id it ended with (IDOK, IDCANCEL, or
    // what EndDialog was given), -1 when the template cannot be loaded.
    INT_PTR Run(HWND owner);

    HWND GetHandle() const { return handle; }

protected:
    explicit CDialog(UINT templateId) : templateId(templateId) {}
    virtual ~CDialog() = default;

    // WM_INITDIALOG: put the data into the controls. FALSE when the focus was set here.
    virtual BOOL OnInit() { return TRUE; }
    // WM_COMMAND other than OK and Cancel; true when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // OK: validate, then take the controls into the data; false keeps the dialog open.
    virtual bool OnOk() { return true; }
    // Cancel, Escape or the close box: false keeps the dialog open. Takes nothing.
    virtual bool OnCancel() { return true; }
    // WM_NOTIFY; true when handled, with result going to DWLP_MSGRESULT.
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    // Any other message, for the rare dialog that needs one; true when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    void End(INT_PTR result);
    HWND Item(int id) const { return GetDlgItem(handle, id); }
    UINT GetTemplateId() const { return templateId; }

    // The procedure of every dialog and page: finds the object and answers the message.
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Attaches the object at WM_INITDIALOG (the page variant finds it elsewhere).
    void Attach(HWND dialog);
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    UINT templateId;
    HWND handle = nullptr;
};

// A page of a property sheet. The sheet builder puts the page object into the page's
// PROPSHEETPAGE; the page takes it from there at WM_INITDIALOG.
class CPropertyPage : public CDialog {
public:
    // The title shown on the page's tab.
    const std::string& GetTitle() const { return title; }
    // Fills the sheet's record of this page.
    void FillSheetPage(PROPSHEETPAGEA& page);

protected:
    CPropertyPage(UINT templateId, std::string title) : CDialog(templateId), title(std::move(title)) {}

    // PSN_SETACTIVE: the page is about to show.
    virtual void OnSetActive() {}
    // PSN_KILLACTIVE: the page is left; false keeps it (the page has said why).
    virtual bool OnKillActive() { return true; }
    // PSN_APPLY: OK or Apply; take the controls into the data. False keeps the sheet open.
    virtual bool OnApply() { return true; }
    // Tells the sheet that this page has changed, enabling Apply.
    void SetModified(bool modified = true);

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK PageProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    std::string title;
};

// Builds a modal property sheet from pages that outlive it; shown through the platform
// dialogs so that tests can answer it.
class CPropertySheet {
public:
    explicit CPropertySheet(std::string caption) : caption(std::move(caption)) {}
    void AddPage(CPropertyPage& page) { pages.push_back(&page); }
    // The sheet's result: positive after OK, 0 after Cancel, -1 on failure.
    INT_PTR Run(HWND owner, UINT startPage = 0);

private:
    std::string caption;
    std::vector<CPropertyPage*> pages;
};

// ---- Control helpers: they borrow the control and never keep it ---------------------

std::string GetItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
bool IsItemChecked(HWND dialog, int id);
void SetItemChecked(HWND dialog, int id, bool checked);
void EnableItem(HWND dialog, int id, bool enabled);
// Replaces a combo box's items and selects selected (-1: none).
void FillCombo(HWND dialog, int id, const std::vector<std::string>& items, int selected);
int GetComboSelection(HWND dialog, int id);   // -1: none
void SetComboSelection(HWND dialog, int id, int index);
void SetTrackBarRange(HWND dialog, int id, int minimum, int maximum, int tickFrequency);
int GetTrackBarPosition(HWND dialog, int id);
void SetTrackBarPosition(HWND dialog, int id, int position);
