// The real common save dialogs behind the seam: the New dialog's OK button, the titles and
// the initial names. A timer running inside the dialog's own message loop reads the dialog
// and then cancels it, so nothing waits for a person.

#include "DocumentTestSupport.h"

#include "BrindleDoc.h"
#include "resource.h"

namespace {

struct DialogProbe {
    static DialogProbe* active;
    std::string wantedTitle;
    bool found = false;
    std::string okText;
    std::string fileName;
    int ticks = 0;

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
        DialogProbe* probe = active;
        if (probe == nullptr) {
            KillTimer(nullptr, timer);
            return;
        }
        HWND dialog = FindThreadWindow("#32770", probe->wantedTitle.c_str());
        if (dialog == nullptr) {
            // Give up after a while rather than hang: a dialog that never comes fails the test.
            if (++probe->ticks > 100) KillTimer(nullptr, timer);
            return;
        }
        char text[MAX_PATH * 2] = "";
        GetDlgItemTextA(dialog, IDOK, text, sizeof text);
        probe->okText = text;
        // The explorer-style dialog's file name box is control 0x47C (edt1) or a combo 0x47C.
        text[0] = '\0';
        GetDlgItemTextA(dialog, 0x47C, text, sizeof text);
        if (text[0] == '\0') GetDlgItemTextA(dialog, 0x480, text, sizeof text);
        probe->fileName = text;
        probe->found = true;
        KillTimer(nullptr, timer);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
};
DialogProbe* DialogProbe::active = nullptr;

class RealSaveDialog : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        StartWindow();
        SetPlatformDialogs(nullptr);   // the real dialogs from here on
        TakeMessages();
    }

    DialogProbe RunWithProbe(const std::string& title, UINT command) {
        DialogProbe probe;
        probe.wantedTitle = title;
        DialogProbe::active = &probe;
        SetTimer(nullptr, 0, 100, &DialogProbe::OnTimer);
        RunCommand(command);
        DialogProbe::active = nullptr;
        return probe;
    }
};

}  // namespace

TEST_F(RealSaveDialog, NewDialogSaysNewOnItsOkButtonAndCancelChangesNothing) {
    DialogProbe probe = RunWithProbe("New", ID_FILE_NEW_ARCHIVE);
    ASSERT_TRUE(probe.found) << "no dialog titled New appeared";
    EXPECT_EQ(probe.okText, "New");
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(Document().IsOpen(), 0);
}

TEST_F(RealSaveDialog, CopyDialogOffersTheArchiveName) {
    std::string archive = ScratchPath("offered.zip");
    MakeZip(archive, {{"a", 100}});
    ASSERT_TRUE(OpenArchive(archive));
    DialogProbe probe = RunWithProbe("Copy to", ID_FILE_COPY_ARCHIVE);
    ASSERT_TRUE(probe.found) << "no dialog titled Copy to appeared";
    EXPECT_NE(probe.fileName.find("offered"), std::string::npos) << probe.fileName;
    EXPECT_NE(probe.okText, "New");
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(Document().GetPathName(), archive);
}
