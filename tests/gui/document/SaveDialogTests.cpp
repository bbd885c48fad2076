// The real common save dialogs behind the seam: the New dialog's OK button, the titles and
// the initial names. A timer running inside the dialog's own message loop reads the dialog
// and then cancels it, so nothing waits for a person.

#include "DocumentTestSupport.h"

#include "BrindleDoc.h"
#include "TestSupport/ModalScript.h"
#include "resource.h"

namespace {

struct DialogProbe {
    bool found = false;
    std::string okText;
    std::string fileName;
};

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
        ModalScript modals;
        modals.When(title, [&probe](HWND dialog) {
            char text[MAX_PATH * 2] = "";
            GetDlgItemTextA(dialog, IDOK, text, sizeof text);
            probe.okText = text;
            // The explorer-style dialog's file name box is control 0x47C (edt1) or a combo 0x47C.
            text[0] = '\0';
            GetDlgItemTextA(dialog, 0x47C, text, sizeof text);
            if (text[0] == '\0') GetDlgItemTextA(dialog, 0x480, text, sizeof text);
            probe.fileName = text;
            probe.found = true;
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        RunCommand(command);
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
