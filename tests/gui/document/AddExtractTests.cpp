// The Add and Extract commands through their real dialogs: a modal script finds each dialog by
// its caption and works its controls as a user would.

#include "DocumentTestSupport.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>

#include "BrindleCommandDialogs.h"
#include "BrindleDoc.h"
#include "CommandLineSafety.h"
#include "CommandRunner.h"
#include "Settings.h"
#include "TestSupport/Contents.h"
#include "TestSupport/ModalScript.h"
#include "TestSupport/Programs.h"
#include "TestSupport/ZipEntries.h"
#include "framework/Dialog.h"
#include "resource.h"
#include "zipcore/ZipArchive.h"

namespace {

void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool IsEnabledItem(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// A control anywhere below a window (the file dialog's panel and list are children of children).
HWND FindDescendant(HWND parent, int id, const char* className = nullptr) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = "";
        GetClassNameA(child, name, sizeof name);
        if ((id == 0 || GetDlgCtrlID(child) == id) && (className == nullptr || lstrcmpiA(name, className) == 0))
            return child;
        if (HWND found = FindDescendant(child, id, className)) return found;
    }
    return nullptr;
}

void SaveScreenshot(HWND dialog, const std::string& name) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(100);
    EXPECT_TRUE(SaveWindowBitmap(dialog, ScreenshotFolder() + "\\" + name));
}

std::string ShortUpper(const std::string& path) {
    char buffer[MAX_PATH] = "";
    GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    CharUpperA(buffer);
    return buffer;
}

class AddExtract : public WindowTest {
protected:
    void TearDown() override {
        EXPECT_EQ(modals.Pending(), 0u) << "dialog steps never ran";
        EXPECT_TRUE(modals.missed.empty()) << "never shown: " << modals.missed.front();
        modals.Stop();
        WindowTest::TearDown();
    }

    void When(const std::string& caption, std::function<void(HWND)> act) { modals.When(caption, std::move(act)); }

    // The Add Files dialog answered with these choices.
    void AnswerAddFiles(int action, int level, bool storePath, bool recurse) {
        When("Add Files", [=](HWND dialog) {
            SendDlgItemMessageA(dialog, IDC_ADD_ACTION, CB_SETCURSEL, action == AddOptions::kMove ? 1 : 0, 0);
            SendDlgItemMessageA(dialog, IDC_ADD_LEVEL, TBM_SETPOS, TRUE, level);
            CheckDlgButton(dialog, IDC_ADD_STORE_PATH, storePath ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(dialog, IDC_ADD_RECURSE, recurse ? BST_CHECKED : BST_UNCHECKED);
            Click(dialog, IDOK);
        });
    }

    void UseRealFileDialog() {
        dialogs.openFiles = [this](const FileDialogRequest& request, std::vector<std::string>& paths) {
            return RealPlatformDialogs().ChooseOpenFiles(MainWindow(), request, paths);
        };
    }

    // An empty archive that the first Add creates.
    std::string OpenNewArchive(const std::string& name) {
        std::string archive = ScratchPath(name);
        WriteFileBytes(archive, "");
        EXPECT_TRUE(OpenArchive(archive));
        return archive;
    }

    static const zipcore::Entry* Find(const std::vector<zipcore::Entry>& entries, const std::string& tail) {
        for (const zipcore::Entry& entry : entries)
            if (entry.name.size() >= tail.size() && entry.name.compare(entry.name.size() - tail.size(), tail.size(), tail) == 0)
                return &entry;
        return nullptr;
    }

    ModalScript modals;
};

TEST_F(AddExtract, AddFilesDialogOptionsReachTheArchiveAndItsSettings) {
    std::string source = ScratchPath("Source Files");
    MakeFolders(source + "\\sub");
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
        WriteFileBytes(source + "\\" + name, RepeatedLine(20000));
    StartWindow();
    std::string archive = OpenNewArchive("ADDED.ZIP");

    // A drop goes straight to the Add Files dialog, which starts from the defaults.
    bool defaultsShown = false;
    When("Add Files", [&](HWND dialog) {
        defaultsShown = SendDlgItemMessageA(dialog, IDC_ADD_ACTION, CB_GETCURSEL, 0, 0) == 0 &&
                        SendDlgItemMessageA(dialog, IDC_ADD_LEVEL, TBM_GETPOS, 0, 0) == 9 &&
                        !IsDlgButtonChecked(dialog, IDC_ADD_STORE_PATH) && !IsDlgButtonChecked(dialog, IDC_ADD_RECURSE) &&
                        !IsEnabledItem(dialog, IDC_ADD_DOS83);
        SaveScreenshot(dialog, "add-files-dialog.bmp");
    });
    AnswerAddFiles(AddOptions::kAdd, 0, true, false);
    DropFiles(MainWindow(), {source + "\\a.txt"});
    EXPECT_TRUE(dialogs.openRequests.empty()) << "a drop shows no file dialog";
    EXPECT_TRUE(defaultsShown);
    auto entries = ArchiveEntries(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].name.find("Source Files/a.txt"), std::string::npos) << entries[0].name;
    EXPECT_EQ(entries[0].method, 0) << "level 0 stores";
    EXPECT_EQ(ReadSettingInt("Add", "Comp"), 0);
    EXPECT_EQ(ReadSettingInt("Add", "StorePath"), 1);
    EXPECT_EQ(ControlRowCount(), 1) << "the listing is read again";

    // The stored choices come back; level 9 deflates, bare names, and Move removes exactly
    // the files stored.
    bool storedShown = false;
    When("Add Files", [&](HWND dialog) {
        storedShown = SendDlgItemMessageA(dialog, IDC_ADD_LEVEL, TBM_GETPOS, 0, 0) == 0 &&
                      IsDlgButtonChecked(dialog, IDC_ADD_STORE_PATH) == BST_CHECKED;
    });
    AnswerAddFiles(AddOptions::kMove, 9, false, false);
    DropFiles(MainWindow(), {source + "\\b.txt", source + "\\c.txt"});
    EXPECT_TRUE(storedShown);
    entries = ArchiveEntries(archive);
    ASSERT_NE(Find(entries, "b.txt"), nullptr);
    EXPECT_EQ(Find(entries, "b.txt")->name, "b.txt");
    EXPECT_EQ(Find(entries, "b.txt")->method, 8);
    EXPECT_NE(Find(entries, "c.txt"), nullptr);
    EXPECT_FALSE(FileExists(source + "\\b.txt"));
    EXPECT_FALSE(FileExists(source + "\\c.txt"));
    EXPECT_TRUE(FileExists(source + "\\a.txt"));

    // Cancel adds nothing and writes no setting.
    When("Add Files", [&](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_ADD_LEVEL, TBM_SETPOS, TRUE, 3);
        CheckDlgButton(dialog, IDC_ADD_STORE_PATH, BST_CHECKED);
        Click(dialog, IDCANCEL);
    });
    DropFiles(MainWindow(), {source + "\\d.txt"});
    EXPECT_EQ(Find(ArchiveEntries(archive), "d.txt"), nullptr);
    EXPECT_EQ(ReadSettingInt("Add", "Comp"), 9);
    EXPECT_EQ(ReadSettingInt("Add", "StorePath"), 0);

    // A first name that fails stops the loop: the later names are neither added nor moved.
    TakeMessages();
    AnswerAddFiles(AddOptions::kMove, 9, false, false);
    DropFiles(MainWindow(), {source + "\\missing.txt", source + "\\d.txt", source + "\\e.txt"});
    auto said = TakeMessages();
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said[0].style & MB_ICONMASK, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_EQ(Find(ArchiveEntries(archive), "d.txt"), nullptr);
    EXPECT_TRUE(FileExists(source + "\\d.txt"));
    EXPECT_TRUE(FileExists(source + "\\e.txt"));
}

TEST_F(AddExtract, WildcardPanelAddsThePatternAloneAndIgnoresCancel) {
    std::string source = ScratchPath("Pattern Source");
    MakeFolders(source + "\\one");
    MakeFolders(source + "\\two");
    WriteFileBytes(source + "\\top.log", "top");
    WriteFileBytes(source + "\\one\\first.log", "first");
    WriteFileBytes(source + "\\two\\second.log", "second");
    WriteFileBytes(source + "\\picked.txt", "picked");
    WriteSettingText("SavedDirs", "AddDir", source);
    StartWindow();
    std::string archive = OpenNewArchive("Patterns.zip");
    UseRealFileDialog();

    // A file picked, then a pattern typed and "Add With Wildcards": only the pattern counts.
    bool okSaysAdd = false;
    When("Add", [&](HWND dialog) {
        char okText[32] = "";
        GetDlgItemTextA(dialog, IDOK, okText, sizeof okText);
        okSaysAdd = std::string(okText) == "Add";
        if (HWND name = FindDescendant(dialog, 1148)) SetWindowTextA(name, "picked.txt");
        if (HWND name = FindDescendant(dialog, 1152)) SetWindowTextA(name, "picked.txt");
        HWND pattern = FindDescendant(dialog, IDC_WILDCARD_PATTERN, "Edit");
        ASSERT_NE(pattern, nullptr);
        SetWindowTextA(pattern, "*.log");
        SaveScreenshot(dialog, "add-file-dialog.bmp");
        HWND button = FindDescendant(dialog, IDC_WILDCARD_ADD, "Button");
        ASSERT_NE(button, nullptr);
        PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(IDC_WILDCARD_ADD, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    });
    AnswerAddFiles(AddOptions::kAdd, 6, true, true);
    RunCommand(ID_ACTIONS_ADD);
    EXPECT_TRUE(okSaysAdd);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].title, "Add");
    auto names = EntryNames(archive);
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 3u) << "the three .log files of the folder tree, and not the file picked";
    EXPECT_NE(Find(ArchiveEntries(archive), "one/first.log"), nullptr);
    EXPECT_NE(Find(ArchiveEntries(archive), "two/second.log"), nullptr);
    EXPECT_EQ(Find(ArchiveEntries(archive), "picked.txt"), nullptr);
    EXPECT_EQ(ShortUpper(ReadSettingText("SavedDirs", "AddDir")), ShortUpper(source));

    // Text typed and then Cancel, and "Add With Wildcards" on an empty box: nothing follows,
    // and the saved folder stays.
    WriteSettingText("SavedDirs", "AddDir", source + "\\one");
    When("Add", [&](HWND dialog) {
        SetWindowTextA(FindDescendant(dialog, IDC_WILDCARD_PATTERN, "Edit"), "*.txt");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    RunCommand(ID_ACTIONS_ADD);
    When("Add", [&](HWND dialog) {
        HWND button = FindDescendant(dialog, IDC_WILDCARD_ADD, "Button");
        PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(IDC_WILDCARD_ADD, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    });
    RunCommand(ID_ACTIONS_ADD);
    EXPECT_EQ(dialogs.openRequests.size(), 3u);
    EXPECT_EQ(EntryNames(archive).size(), 3u);
    EXPECT_EQ(ReadSettingText("SavedDirs", "AddDir"), source + "\\one");
}

TEST_F(AddExtract, LargeSelectionsInSeveralFoldersAreAddedWholeAsInfoZipSees) {
    // In the first folder, names long enough that the selection outgrows the dialog's first buffer.
    struct Folder {
        std::string name, prefix;
        int count;
    };
    const Folder folders[] = {{"Many", "file", 340}, {"Second", "second", 25}, {"Third", "third", 25}};
    std::vector<std::string> expected;
    for (const Folder& folder : folders) {
        MakeFolders(ScratchPath(folder.name));
        for (int index = 0; index < folder.count; ++index) {
            std::string name = folder.prefix + std::to_string(1000 + index) + std::string(folder.count > 300 ? 190 : 8, 'x') + ".txt";
            WriteFileBytes(ScratchPath(folder.name) + "\\" + name, "content " + std::to_string(index));
            expected.push_back(name);
        }
    }
    StartWindow();
    std::string archive = OpenNewArchive("Many.zip");
    UseRealFileDialog();

    LRESULT specLength = 0;
    std::string diagnostics;
    for (const Folder& folder : folders) {
        WriteSettingText("SavedDirs", "AddDir", ScratchPath(folder.name));
        When("Add", [&](HWND dialog) {
            HWND list = FindDescendant(dialog, 0, WC_LISTVIEWA);
            ASSERT_NE(list, nullptr);
            for (int round = 0; round < 100 && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) < folder.count; ++round) Sleep(50);
            LVITEMA state{};
            state.stateMask = LVIS_SELECTED;
            state.state = LVIS_SELECTED;
            SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
            specLength = std::max(specLength, SendMessageA(dialog, CDM_GETSPEC, 0, 0));
            diagnostics += folder.name + ": " + std::to_string(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0)) + " selected; ";
            Click(dialog, IDOK);
        });
        AnswerAddFiles(AddOptions::kAdd, 1, false, false);
        RunCommand(ID_ACTIONS_ADD);
    }
    EXPECT_GT(specLength, 64 * 1024) << "more than the dialog's first buffer holds";

    // Judged by Info-ZIP, outside Wine: every name listed once, every entry's data intact.
    const InfoZipVerdict verdict = JudgeWithInfoZip(archive);
    ASSERT_TRUE(verdict.ran) << verdict.output;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(verdict.names, expected) << diagnostics;
    EXPECT_TRUE(verdict.intact) << verdict.output;
}

TEST_F(AddExtract, ExtractDialogProposesTheFolderAndItsOptionsReachTheFiles) {
    std::vector<std::pair<std::string, std::size_t>> files{{"docs/a.txt", 3000}, {"docs/b.txt", 5000}, {"c.txt", 700}};
    std::string archive = ScratchPath("Quarterly Report.zip");
    MakeZip(archive, files);
    // MakeZip wrote the originals into the one source folder of this scratch folder.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((scratch / "source*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    const std::string sources = scratch / found.cFileName;
    std::string downloads = ScratchPath("Down Loads");
    WriteSettingText("Settings", "DownloadDir", downloads + "\\");
    StartWindow();
    ASSERT_TRUE(OpenArchive(archive));
    std::string shortName = ShortUpper(archive);
    shortName = shortName.substr(shortName.rfind('\\') + 1);
    shortName.erase(shortName.rfind('.'));
    const std::string proposed = downloads + "\\" + shortName;

    // Nothing selected: everything, greyed; Browse cancelled changes nothing.
    bool allGreyed = false;
    std::string shownFolder, folderAfterBrowse;
    bool optionsAfterBrowse = false;
    When("Extract", [&](HWND dialog) {
        allGreyed = IsDlgButtonChecked(dialog, IDC_EXTRACT_ALL) == BST_CHECKED && !IsEnabledItem(dialog, IDC_EXTRACT_ALL);
        shownFolder = GetItemText(dialog, IDC_EXTRACT_FOLDER);
        SaveScreenshot(dialog, "extract-dialog.bmp");
        CheckDlgButton(dialog, IDC_EXTRACT_OVERWRITE, BST_CHECKED);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXTRACT_BROWSE, BN_CLICKED), 0);
        folderAfterBrowse = GetItemText(dialog, IDC_EXTRACT_FOLDER);
        optionsAfterBrowse = IsDlgButtonChecked(dialog, IDC_EXTRACT_OVERWRITE) == BST_CHECKED &&
                             IsDlgButtonChecked(dialog, IDC_EXTRACT_FOLDER_NAMES) == BST_CHECKED;
        Click(dialog, IDOK);
    });
    RunCommand(ID_ACTIONS_EXTRACT);
    EXPECT_TRUE(allGreyed);
    EXPECT_EQ(shownFolder, proposed) << "one backslash between the download folder and the short name";
    EXPECT_EQ(folderAfterBrowse, proposed);
    EXPECT_TRUE(optionsAfterBrowse);
    ASSERT_EQ(dialogs.folderRequests.size(), 1u);
    EXPECT_EQ(dialogs.folderRequests[0].title, "Extract to");
    for (const auto& file : files) {
        std::string relative = file.first;
        std::replace(relative.begin(), relative.end(), '/', '\\');
        EXPECT_EQ(ReadFileBytes(proposed + "\\" + relative), ReadFileBytes(sources + "\\" + relative)) << relative;
    }
    EXPECT_EQ(ReadSettingText("SavedDirs", "ExtractToDir"), proposed);

    // A selection, its folder picked through Browse, folder names dropped.
    int rowOfB = -1;
    for (int row = 0; row < ControlRowCount(); ++row)
        if (CellText(row, 0) == "docs/b.txt") rowOfB = row;
    ASSERT_GE(rowOfB, 0);
    SelectRows({rowOfB});
    std::string picked = ScratchPath("Picked");
    dialogs.folder = [&](const FolderRequest&, std::string& folder) {
        folder = picked;
        return true;
    };
    bool allOpen = false;
    When("Extract", [&](HWND dialog) {
        allOpen = IsDlgButtonChecked(dialog, IDC_EXTRACT_ALL) == BST_UNCHECKED && IsEnabledItem(dialog, IDC_EXTRACT_ALL);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXTRACT_BROWSE, BN_CLICKED), 0);
        CheckDlgButton(dialog, IDC_EXTRACT_FOLDER_NAMES, BST_UNCHECKED);
        Click(dialog, IDOK);
    });
    RunCommand(ID_ACTIONS_EXTRACT);
    EXPECT_TRUE(allOpen);
    EXPECT_EQ(ReadFileBytes(picked + "\\b.txt"), ReadFileBytes(sources + "\\docs\\b.txt"));
    EXPECT_FALSE(PathExists(picked + "\\a.txt"));
    EXPECT_FALSE(PathExists(picked + "\\docs"));
    EXPECT_EQ(ReadSettingText("SavedDirs", "ExtractToDir"), picked);

    // Overwrite off asks, and No keeps the file; the saved folder is proposed with the
    // download option off.
    WriteFileBytes(picked + "\\b.txt", "changed");
    WriteSettingInt("Settings", "ExtractToDownload", 0);
    presenter.answers.push_back(IDNO);
    TakeMessages();
    When("Extract", [&](HWND dialog) {
        shownFolder = GetItemText(dialog, IDC_EXTRACT_FOLDER);
        CheckDlgButton(dialog, IDC_EXTRACT_FOLDER_NAMES, BST_UNCHECKED);
        Click(dialog, IDOK);
    });
    RunCommand(ID_ACTIONS_EXTRACT);
    EXPECT_EQ(shownFolder, picked);
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text.rfind("Overwrite ", 0), 0u) << message.text;
    EXPECT_EQ(ReadFileBytes(picked + "\\b.txt"), "changed");
    // Overwrite on replaces without asking.
    When("Extract", [&](HWND dialog) {
        CheckDlgButton(dialog, IDC_EXTRACT_OVERWRITE, BST_CHECKED);
        CheckDlgButton(dialog, IDC_EXTRACT_FOLDER_NAMES, BST_UNCHECKED);
        Click(dialog, IDOK);
    });
    RunCommand(ID_ACTIONS_EXTRACT);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(ReadFileBytes(picked + "\\b.txt"), ReadFileBytes(sources + "\\docs\\b.txt"));

    // Cancel writes nothing.
    When("Extract", [&](HWND dialog) {
        SetItemText(dialog, IDC_EXTRACT_FOLDER, "C:\\Elsewhere");
        Click(dialog, IDCANCEL);
    });
    RunCommand(ID_ACTIONS_EXTRACT);
    EXPECT_EQ(ReadSettingText("SavedDirs", "ExtractToDir"), picked);
}

TEST_F(AddExtract, AnEmptyListSaysSoWithoutADialog) {
    StartWindow();
    OpenNewArchive("Empty.zip");
    RunCommand(ID_ACTIONS_EXTRACT);
    RecordedMessage message = OnlyMessage(TakeMessages());
    EXPECT_EQ(message.text, "Empty zip file; nothing to extract!");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONERROR));
}

// The same commands on arj archives: once through the ARJ.EXE double, which records its
// command lines, and once through Debian's own arj.
TEST_F(AddExtract, ArjArchivesTakeTheDialogsChoicesThroughTheFakeArj) {
    std::string folder = ScratchPath("ARJFAKE");
    MakeFolders(folder);
    WriteFileBytes(folder + "\\ONE.TXT", "one");
    WriteFileBytes(folder + "\\T.ARJ", "listed by the double");
    // Nine heading lines and the two closing ones: an archive without entries.
    std::string listing;
    for (int line = 0; line < 11; ++line) listing += "line " + std::to_string(line) + "\r\n";
    WriteFileBytes(folder + "\\LISTING.TXT", listing);
    const std::string log = folder + "\\calls.log";
    SetEnvironmentVariableA("BRINDLE_FAKE_ARJ_LOG", log.c_str());
    SetEnvironmentVariableA("BRINDLE_FAKE_ARJ_LISTING", (folder + "\\LISTING.TXT").c_str());
    WriteSettingText("Locations", "ARJ.EXE", TestProgramFolder() + "\\fake_arj.exe");
    StartWindow();
    ASSERT_TRUE(OpenArchive(folder + "\\T.ARJ"));

    AnswerAddFiles(AddOptions::kAdd, 1, false, true);
    DropFiles(MainWindow(), {folder + "\\ONE.TXT"});
    const std::string calls = ReadFileBytes(log);
    SetEnvironmentVariableA("BRINDLE_FAKE_ARJ_LOG", nullptr);
    SetEnvironmentVariableA("BRINDLE_FAKE_ARJ_LISTING", nullptr);
    const std::size_t add = calls.find(" a ");
    ASSERT_NE(add, std::string::npos) << calls;
    const std::string addLine = calls.substr(add, calls.find('\n', add) - add);
    EXPECT_NE(addLine.find(" -e "), std::string::npos) << addLine;
    EXPECT_NE(addLine.find(" -r "), std::string::npos) << addLine;
    EXPECT_NE(addLine.find("-m0"), std::string::npos) << "level 1 is arj's method 0: " << addLine;
    EXPECT_NE(addLine.find(ShortUpper(folder + "\\ONE.TXT")), std::string::npos) << addLine;
    EXPECT_NE(calls.find(" v ", add), std::string::npos) << "the listing is read again after the add";
}

TEST_F(AddExtract, ArjArchivesAddAndExtractThroughTheRealArj) {
    if (!FileExists("Z:\\usr\\bin\\arj")) GTEST_SKIP() << "Debian's arj is not installed";
    const std::string bridge = TestProgramFolder() + "\\arj_bridge.exe";
    WriteSettingText("Locations", "ARJ.EXE", bridge);
    std::string folder = ScratchPath("ARJREAL");
    MakeFolders(folder);
    WriteFileBytes(folder + "\\ALPHA.TXT", RepeatedLine(5000));
    WriteFileBytes(folder + "\\BETA.TXT", "beta");
    {
        CurrentDirectoryKeeper keeper;
        ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
        ::RunCommand(QuoteArgument(bridge) + " a " + QuoteArgument(folder + "\\T.ARJ") + " ALPHA.TXT", 0);
    }
    StartWindow();
    ASSERT_TRUE(OpenArchive(folder + "\\T.ARJ"));
    ASSERT_EQ(ControlRowCount(), 1);

    AnswerAddFiles(AddOptions::kMove, 9, false, false);
    DropFiles(MainWindow(), {folder + "\\BETA.TXT"});
    EXPECT_EQ(ControlRowCount(), 2);
    EXPECT_FALSE(FileExists(folder + "\\BETA.TXT")) << "moved into the archive";

    WriteSettingInt("Settings", "ExtractToDownload", 0);
    WriteSettingText("SavedDirs", "ExtractToDir", folder + "\\OUT");
    When("Extract", [](HWND dialog) { Click(dialog, IDOK); });
    RunCommand(ID_ACTIONS_EXTRACT);
    EXPECT_EQ(ReadFileBytes(folder + "\\OUT\\ALPHA.TXT"), RepeatedLine(5000));
    EXPECT_EQ(ReadFileBytes(folder + "\\OUT\\BETA.TXT"), "beta");
}

TEST(ExtractFolderProposal, TheArchiveNameMeetsTheDownloadFolderAtOneBackslash) {
    EXPECT_EQ(FolderUnderDownloads("C:\\Downloads", "D:\\MAIL\\REPORT.ZIP"), "C:\\Downloads\\REPORT");
    EXPECT_EQ(FolderUnderDownloads("C:\\Downloads\\", "D:\\MAIL\\REPORT.ZIP"), "C:\\Downloads\\REPORT");
    EXPECT_EQ(FolderUnderDownloads("C:\\Downloads", "C:\\TMP\\A.ZIP"), "C:\\Downloads\\A");
    // Names of four characters or fewer keep their name, never a piece of the folder.
    EXPECT_EQ(FolderUnderDownloads("C:\\Downloads", "C:\\TMP\\A.Z"), "C:\\Downloads\\A");
    EXPECT_EQ(FolderUnderDownloads("C:\\Downloads", "C:\\TMP\\AB.C"), "C:\\Downloads\\AB");
    EXPECT_EQ(FolderUnderDownloads("C:\\", "C:\\DATA.A01"), "C:\\DATA");
}

}  // namespace
