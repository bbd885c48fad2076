// The dialog base and the property page on small templates of their own, and the seam that
// every platform dialog goes through.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <stdexcept>

#include "TestSupport/RecordingPresenter.h"
#include "TestSupport/ScriptedDialogs.h"
#include "framework/Dialog.h"
#include "framework/PlatformDialogs.h"
#include "resource.h"

namespace {

constexpr UINT kTestDialog = 900;
constexpr UINT kTestPage = 901;
constexpr int kText = 1100;
constexpr int kCheck = 1101;
constexpr int kCombo = 1102;
constexpr int kTrackBar = 1103;
constexpr int kToggle = 1104;

void InitControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

struct TestData {
    std::string text = "initial";
    bool checked = true;
    int choice = 1;
    int level = 7;
    int toggles = 0;
    bool lastToggleDisabledText = false;
};

// Init shows the data, Toggle flips the check and the text box's enabled state, OK refuses
// an empty text and otherwise takes every control; notify code 4242 answers 99.
class TestDialog : public CDialog {
public:
    TestDialog(TestData& data, std::function<void(HWND)> script) : CDialog(kTestDialog), data(data), script(script) {}

    BOOL OnInit() override {
        SetItemText(GetHandle(), kText, data.text);
        SetItemChecked(GetHandle(), kCheck, data.checked);
        FillCombo(GetHandle(), kCombo, {"Add Files", "Move Files", "Other"}, data.choice);
        SetTrackBarRange(GetHandle(), kTrackBar, 0, 9, 1);
        SetTrackBarPosition(GetHandle(), kTrackBar, data.level);
        script(GetHandle());
        return TRUE;
    }

    bool OnCommand(UINT id, UINT, HWND) override {
        if (id == kToggle) {
            ++data.toggles;
            SetItemChecked(GetHandle(), kCheck, !IsItemChecked(GetHandle(), kCheck));
            const bool enabled = IsWindowEnabled(Item(kText)) != FALSE;
            EnableItem(GetHandle(), kText, !enabled);
            data.lastToggleDisabledText = enabled;
            return true;
        }
        if (id == kCombo) throw std::runtime_error("combo broke");
        return false;
    }

    bool OnOk() override {
        std::string text = GetItemText(GetHandle(), kText);
        if (text.empty()) return false;
        data.text = text;
        data.checked = IsItemChecked(GetHandle(), kCheck);
        data.choice = GetComboSelection(GetHandle(), kCombo);
        data.level = GetTrackBarPosition(GetHandle(), kTrackBar);
        return true;
    }

    bool OnNotify(NMHDR& header, LRESULT& result) override {
        if (header.code != 4242) return false;
        result = 99;
        return true;
    }

private:
    TestData& data;
    std::function<void(HWND)> script;
};

TEST(DialogBase, InitCommandNotifyAndOkTakeTheControlsWhileCancelTakesNothing) {
    InitControls();
    RecordingPresenter presenter;
    TestData data;
    LRESULT notifyResult = 0;
    LRESULT messageResult = 0;
    bool shownAtInit = false;
    TestDialog dialog(data, [&](HWND handle) {
        // Init has shown the data.
        shownAtInit = GetItemText(handle, kText) == "initial" && IsItemChecked(handle, kCheck) &&
                      GetComboSelection(handle, kCombo) == 1 && GetTrackBarPosition(handle, kTrackBar) == 7;
        Click(handle, kToggle);
        NMHDR header{handle, 0, 4242};
        notifyResult = SendMessageA(handle, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        messageResult = GetWindowLongPtrA(handle, DWLP_MSGRESULT);
        // An exception in a handler is reported and the dialog carries on.
        SendMessageA(handle, WM_COMMAND, MAKEWPARAM(kCombo, CBN_SELCHANGE), 0);
        SetItemText(handle, kText, "");
        Click(handle, IDOK);   // refused: the text is empty
        SetItemText(handle, kText, "typed");
        SetComboSelection(handle, kCombo, 2);
        SetTrackBarPosition(handle, kTrackBar, 3);
        PostMessageA(handle, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_TRUE(shownAtInit);
    EXPECT_EQ(data.toggles, 1);
    EXPECT_TRUE(data.lastToggleDisabledText);
    // The dialog manager answers a notification with what the handler put in DWLP_MSGRESULT.
    EXPECT_EQ(notifyResult, 99);
    EXPECT_EQ(messageResult, 99);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, "Unexpected error: combo broke");
    EXPECT_EQ(data.text, "typed");
    EXPECT_FALSE(data.checked);
    EXPECT_EQ(data.choice, 2);
    EXPECT_EQ(data.level, 3);
    EXPECT_EQ(dialog.GetHandle(), nullptr) << "the object lets go of the dialog when it is destroyed";

    TestData untouched;
    TestDialog cancelled(untouched, [](HWND handle) {
        SetItemText(handle, kText, "never taken");
        SetItemChecked(handle, kCheck, false);
        PostMessageA(handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(cancelled.Run(nullptr), IDCANCEL);
    EXPECT_EQ(untouched.text, "initial");
    EXPECT_TRUE(untouched.checked);
}

struct PageData {
    std::string name = "first";
    bool flag = false;
    int activations = 0;
    int applies = 0;
};

// Refuses to be left with an empty name; OK takes the controls.
class TestPage : public CPropertyPage {
public:
    explicit TestPage(PageData& data) : CPropertyPage(kTestPage, "Test Page"), data(data) {}

    BOOL OnInit() override {
        SetItemText(GetHandle(), kText, data.name);
        SetItemChecked(GetHandle(), kCheck, data.flag);
        return TRUE;
    }
    void OnSetActive() override { ++data.activations; }
    bool OnKillActive() override { return !GetItemText(GetHandle(), kText).empty(); }
    bool OnApply() override {
        ++data.applies;
        data.name = GetItemText(GetHandle(), kText);
        data.flag = IsItemChecked(GetHandle(), kCheck);
        return true;
    }

private:
    PageData& data;
};

TEST(PropertyPage, TakesItsObjectFromThePageRecordAndAnswersTheSheetsNotifications) {
    InitControls();
    ScriptedDialogs dialogs;
    PageData data;
    TestPage page(data);
    bool refusedEmpty = false;
    bool closedAfterOk = false;
    std::string titleOnTab;
    dialogs.propertySheet = [&](PROPSHEETHEADERA& header) -> INT_PTR {
        // Run the real sheet without its modal loop, so the test can press its buttons.
        header.dwFlags |= PSH_MODELESS;
        HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
        if (sheet == nullptr) return -1;
        HWND pageWindow = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        TCITEMA tab{};
        char tabText[64] = "";
        tab.mask = TCIF_TEXT;
        tab.pszText = tabText;
        tab.cchTextMax = sizeof tabText;
        SendMessageA(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)), TCM_GETITEMA, 0,
                     reinterpret_cast<LPARAM>(&tab));
        titleOnTab = tabText;
        SetItemText(pageWindow, kText, "");
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
        refusedEmpty = data.applies == 0 && SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) != 0;
        SetItemText(pageWindow, kText, "second");
        SetItemChecked(pageWindow, kCheck, true);
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
        closedAfterOk = SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) == 0;
        DestroyWindow(sheet);
        return 1;
    };
    CPropertySheet sheet("Sheet Test");
    sheet.AddPage(page);
    EXPECT_EQ(sheet.Run(nullptr), 1);
    EXPECT_EQ(dialogs.sheetCaptions, std::vector<std::string>{"Sheet Test"});
    EXPECT_EQ(titleOnTab, "Test Page");
    EXPECT_GE(data.activations, 1);
    EXPECT_TRUE(refusedEmpty) << "an empty name keeps the page";
    EXPECT_TRUE(closedAfterOk);
    EXPECT_EQ(data.applies, 1);
    EXPECT_EQ(data.name, "second");
    EXPECT_TRUE(data.flag);
}

TEST(PlatformDialogSeam, RequestsReachTheInstalledDialogsAndMultipleChoicesBecomeFullPaths) {
    {
        ScriptedDialogs dialogs;
        dialogs.openFiles = [](const FileDialogRequest&, std::vector<std::string>& paths) {
            paths = {"C:\\ONE.ZIP", "C:\\TWO.ZIP"};
            return true;
        };
        dialogs.folder = [](const FolderRequest&, std::string& folder) {
            folder = "C:\\OUT";
            return true;
        };
        FileDialogRequest request;
        request.title = "Add";
        request.flags = OFN_ALLOWMULTISELECT;
        std::string chosen;
        EXPECT_TRUE(ChooseOpenFile(nullptr, request, chosen));
        EXPECT_EQ(chosen, "C:\\ONE.ZIP") << "the single-file shorthand takes the first";
        EXPECT_FALSE(ChooseSaveFile(nullptr, request, chosen)) << "an unscripted request is cancelled";
        std::string folder;
        EXPECT_TRUE(PlatformDialogs().ChooseFolder(nullptr, FolderRequest{"Extract to"}, folder));
        EXPECT_EQ(folder, "C:\\OUT");
        ASSERT_EQ(dialogs.openRequests.size(), 1u);
        EXPECT_EQ(dialogs.openRequests[0].title, "Add");
        ASSERT_EQ(dialogs.saveRequests.size(), 1u);
        ASSERT_EQ(dialogs.folderRequests.size(), 1u);
        EXPECT_EQ(dialogs.folderRequests[0].title, "Extract to");
    }
    EXPECT_EQ(&PlatformDialogs(), &RealPlatformDialogs()) << "the double uninstalls itself";

    const char several[] = "C:\\DATA\0a.txt\0b c.txt\0\0";
    EXPECT_EQ(SplitChosenFiles(several), (std::vector<std::string>{"C:\\DATA\\a.txt", "C:\\DATA\\b c.txt"}));
    const char inRoot[] = "C:\\\0a.txt\0b.txt\0\0";
    EXPECT_EQ(SplitChosenFiles(inRoot), (std::vector<std::string>{"C:\\a.txt", "C:\\b.txt"}));
    const char one[] = "C:\\DATA\\a.txt\0\0";
    EXPECT_EQ(SplitChosenFiles(one), std::vector<std::string>{"C:\\DATA\\a.txt"});
    EXPECT_TRUE(SplitChosenFiles("").empty());

    const std::vector<char> filter = FilterForDialog("Zip (*.zip)|*.zip||");
    EXPECT_EQ(std::string(filter.begin(), filter.end()), std::string("Zip (*.zip)\0*.zip\0\0\0\0", 21));
}

// Marks the record its custom data points to and closes the dialog as cancelled.
UINT_PTR CALLBACK MarkAndCancelHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const OPENFILENAMEA* dialog = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        *reinterpret_cast<int*>(dialog->lCustData) += 1;
        PostMessageA(GetParent(hook), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    return 0;
}

TEST(PlatformDialogSeam, RealOpenDialogCarriesTheChildTemplateAndHookData) {
    int hookCalls = 0;
    FileDialogRequest request;
    request.title = "Add";
    request.flags = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    request.childTemplate = IDD_NEW_ARCHIVE_TEMPLATE;
    request.hook = &MarkAndCancelHook;
    request.hookData = reinterpret_cast<LPARAM>(&hookCalls);
    std::vector<std::string> paths{"left over"};
    EXPECT_FALSE(RealPlatformDialogs().ChooseOpenFiles(nullptr, request, paths));
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(paths, std::vector<std::string>{"left over"}) << "a cancelled dialog leaves the list alone";
}

}  // namespace
