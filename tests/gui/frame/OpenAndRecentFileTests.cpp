// The framework's open of a named file, the recent-file list, and the command-line rules.

#include "FrameTestSupport.h"

#include <algorithm>
#include <map>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "TestSupport/ScriptedDialogs.h"
#include "Settings.h"
#include "framework/Application.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

constexpr int kFileMenu = 0;

class OpenFileTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        WriteSettingInt("Settings", "ShowStartupScreen", 0);
    }

    std::vector<std::string> RecentEntries() {
        std::vector<std::string> entries;
        CRecentFileList& list = application->GetRecentFileList();
        for (std::size_t index = 0; index < list.GetCount(); ++index) entries.push_back(list[index]);
        return entries;
    }

    std::vector<std::string> RecentMenuLabels() {
        std::vector<std::string> labels;
        HMENU fileMenu = GetSubMenu(GetMenu(MainWindow()), kFileMenu);
        std::vector<std::string> texts = MenuTexts(kFileMenu);
        for (int position = 0; position < static_cast<int>(texts.size()); ++position) {
            UINT id = GetMenuItemID(fileMenu, position);
            if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) labels.push_back(texts[position]);
        }
        return labels;
    }

    int OpenCount(const std::string& path) {
        int count = 0;
        for (const std::string& entry : Events().log) count += entry == "open " + path;
        return count;
    }
};

bool MakeShortcut(const std::string& target, const std::string& shortcutPath) {
    CoInitialize(nullptr);
    bool made = false;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t widePath[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, shortcutPath.c_str(), -1, widePath, MAX_PATH);
            made = SUCCEEDED(file->Save(widePath, TRUE));
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return made;
}

}  // namespace

TEST_F(OpenFileTest, SuccessfulOpenSetsFullPathTitleCaptionAndTopOfTheRecentList) {
    ASSERT_TRUE(Start());
    std::string first = MakeFile("first.zip");
    std::string second = MakeFile("Second.ZIP");
    // A relative name is made full against the current directory.
    SetCurrentDirectoryA(scratch.Path().c_str());
    ASSERT_TRUE(application->OpenDocumentFile("first.zip"));
    EXPECT_TRUE(Events().Contains("open " + first));
    EXPECT_EQ(application->GetDocument()->GetPathName(), first);
    EXPECT_EQ(application->GetDocument()->GetTitle(), "first.zip");
    EXPECT_EQ(Caption(), "first.zip - Brindle");
    ASSERT_TRUE(application->OpenDocumentFile(second));
    EXPECT_EQ(Caption(), "Second.ZIP - Brindle");
    EXPECT_EQ(RecentEntries(), (std::vector<std::string>{second, first}));
}

TEST_F(OpenFileTest, OpeningTheOpenFileAgainReadsNothing) {
    ASSERT_TRUE(Start());
    std::string archive = MakeFile("same.zip");
    ASSERT_TRUE(application->OpenDocumentFile(archive));
    std::string upper = archive;
    CharUpperA(upper.data());
    EXPECT_TRUE(application->OpenDocumentFile(upper));   // the same file, whatever the case
    EXPECT_EQ(OpenCount(archive), 1);
    EXPECT_EQ(OpenCount(upper), 0);
}

TEST_F(OpenFileTest, MissingFileIsReportedAndChangesNothing) {
    ASSERT_TRUE(Start());
    std::string archive = MakeFile("kept.zip");
    ASSERT_TRUE(application->OpenDocumentFile(archive));
    std::string missing = ScratchPath("missing.zip");
    EXPECT_FALSE(application->OpenDocumentFile(missing));
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_EQ(message.text, missing + " was not found.");
    EXPECT_EQ(IconOf(message), static_cast<unsigned>(MB_ICONEXCLAMATION));
    EXPECT_EQ(OpenCount(missing), 0);
    EXPECT_EQ(application->GetDocument()->GetPathName(), archive);
    EXPECT_EQ(Caption(), "kept.zip - Brindle");
}

TEST_F(OpenFileTest, FileHeldOpenByAWriterIsReportedInPlainWords) {
    ASSERT_TRUE(Start());
    std::string busy = MakeFile("busy.zip");
    HANDLE writer = CreateFileA(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(application->OpenDocumentFile(busy));
    CloseHandle(writer);
    RecordedMessage message = OnlyMessage(presenter.messages);
    EXPECT_NE(message.text.find(busy), std::string::npos);
    EXPECT_EQ(OpenCount(busy), 0);
}

TEST_F(OpenFileTest, RefusedOpenKeepsPathTitleAndRecentList) {
    ASSERT_TRUE(Start());
    std::string good = MakeFile("good.zip");
    std::string refused = MakeFile("REFUSE.zip");
    ASSERT_TRUE(application->OpenDocumentFile(good));
    EXPECT_FALSE(application->OpenDocumentFile(refused));
    EXPECT_EQ(application->GetDocument()->GetPathName(), good);
    EXPECT_EQ(application->GetDocument()->GetTitle(), "good.zip");
    EXPECT_EQ(RecentEntries(), std::vector<std::string>{good});
}

TEST_F(OpenFileTest, ShortcutIsReplacedByItsTarget) {
    ASSERT_TRUE(Start());
    std::string target = MakeFile("target.zip");
    std::string shortcut = ScratchPath("target shortcut.lnk");
    if (!MakeShortcut(target, shortcut)) GTEST_SKIP() << "the shell cannot write shortcuts here";
    ASSERT_TRUE(application->OpenDocumentFile(shortcut));
    EXPECT_TRUE(Events().Contains("open " + target));
    EXPECT_EQ(application->GetDocument()->GetPathName(), target);
}

TEST_F(OpenFileTest, RecentListKeepsTheTenNewestWithoutDuplicates) {
    ASSERT_TRUE(Start());
    std::vector<std::string> paths;
    for (int index = 0; index < 12; ++index) {
        paths.push_back(MakeFile("archive" + std::to_string(index) + ".zip"));
        ASSERT_TRUE(application->OpenDocumentFile(paths.back()));
    }
    std::vector<std::string> entries = RecentEntries();
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries.front(), paths[11]);
    EXPECT_EQ(entries.back(), paths[2]);
    // Opening an older one again moves it to the top instead of adding it twice.
    ASSERT_TRUE(application->OpenDocumentFile(paths[5]));
    entries = RecentEntries();
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries.front(), paths[5]);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), paths[5]), 1);
}

TEST_F(OpenFileTest, FileMenuShowsTheListNumberedNewestFirst) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(RecentMenuLabels(), std::vector<std::string>{"Recent File"});
    EXPECT_TRUE(MenuItemState(kFileMenu, ID_FILE_MRU_FIRST) & MF_GRAYED);
    std::vector<std::string> paths;
    for (int index = 0; index < 10; ++index) {
        paths.push_back(MakeFile("menu" + std::to_string(index) + ".zip"));
        ASSERT_TRUE(application->OpenDocumentFile(paths.back()));
    }
    std::vector<std::string> labels = RecentMenuLabels();
    ASSERT_EQ(labels.size(), 10u);
    EXPECT_EQ(labels[0], "&1 " + paths[9]);
    EXPECT_EQ(labels[8], "&9 " + paths[1]);
    EXPECT_EQ(labels[9], "1&0 " + paths[0]);
    EXPECT_FALSE(MenuItemState(kFileMenu, ID_FILE_MRU_FIRST + 9) & MF_GRAYED);
    // Exit still follows the list.
    std::vector<std::string> texts = MenuTexts(kFileMenu);
    EXPECT_EQ(texts.back(), "E&xit");
}

TEST_F(OpenFileTest, AmpersandInARecentPathIsNotAMnemonic) {
    ASSERT_TRUE(Start());
    std::string path = MakeFile("R&D.zip");
    ASSERT_TRUE(application->OpenDocumentFile(path));
    std::string expected = "&1 " + scratch.Path() + "\\R&&D.zip";
    EXPECT_EQ(RecentMenuLabels(), std::vector<std::string>{expected});
}

TEST_F(OpenFileTest, ChoosingARecentEntryOpensIt) {
    ASSERT_TRUE(Start());
    std::string older = MakeFile("older.zip");
    std::string newer = MakeFile("newer.zip");
    ASSERT_TRUE(application->OpenDocumentFile(older));
    ASSERT_TRUE(application->OpenDocumentFile(newer));
    RecentMenuLabels();
    ChooseCommand(ID_FILE_MRU_FIRST + 1);
    EXPECT_EQ(application->GetDocument()->GetPathName(), older);
    EXPECT_EQ(RecentEntries(), (std::vector<std::string>{older, newer}));
}

TEST_F(OpenFileTest, RecentEntryThatFailsToOpenIsRemoved) {
    ASSERT_TRUE(Start());
    std::string vanishing = MakeFile("vanishing.zip");
    std::string staying = MakeFile("staying.zip");
    ASSERT_TRUE(application->OpenDocumentFile(vanishing));
    ASSERT_TRUE(application->OpenDocumentFile(staying));
    DeleteFileA(vanishing.c_str());
    ChooseCommand(ID_FILE_MRU_FIRST + 1);
    EXPECT_EQ(TakeMessageTexts(), std::vector<std::string>{vanishing + " was not found."});
    EXPECT_EQ(RecentEntries(), std::vector<std::string>{staying});
    EXPECT_EQ(application->GetDocument()->GetPathName(), staying);
}

TEST_F(OpenFileTest, RecentListIsWrittenAtExitAndReadAtTheNextStart) {
    WriteSettingText("Recent File List", "File1", "C:\\OLD\\STALE.ZIP");
    ASSERT_TRUE(Start());
    std::string archive = MakeFile("kept.zip");
    ASSERT_TRUE(application->OpenDocumentFile(archive));
    // Nothing is written while the program runs.
    EXPECT_EQ(ReadSettingText("Recent File List", "File1", ""), "C:\\OLD\\STALE.ZIP");
    application->ExitInstance();
    application.reset();
    EXPECT_EQ(ReadSettingText("Recent File List", "File1", ""), archive);
    EXPECT_EQ(ReadSettingText("Recent File List", "File2", ""), "C:\\OLD\\STALE.ZIP");
    EXPECT_EQ(ReadSettingText("Recent File List", "File3", ""), "");

    ASSERT_TRUE(Start());
    EXPECT_EQ(RecentEntries(), (std::vector<std::string>{archive, "C:\\OLD\\STALE.ZIP"}));
}

TEST_F(OpenFileTest, OpenCommandStartsInTheRememberedFolderAndOpensTheChoice) {
    std::string archive = MakeFile("chosen.zip");
    CreateDirectoryA(ScratchPath("remembered").c_str(), nullptr);
    WriteSettingText("SavedDirs", "OpenFileDir", ScratchPath("remembered"));
    ASSERT_TRUE(Start());
    FileDialogRequest seen;
    char directory[MAX_PATH] = "";
    ScriptedDialogs dialogs;
    dialogs.openFiles = [&](const FileDialogRequest& request, std::vector<std::string>& chosen) {
        seen = request;
        GetCurrentDirectoryA(MAX_PATH, directory);
        chosen = {archive};
        return true;
    };
    ChooseCommand(ID_FILE_OPEN);
    EXPECT_EQ(lstrcmpiA(directory, ScratchPath("remembered").c_str()), 0) << directory;
    EXPECT_EQ(seen.defaultExtension, "ZIP");
    EXPECT_EQ(seen.flags, static_cast<DWORD>(OFN_HIDEREADONLY));
    EXPECT_EQ(seen.filter,
              "Zip Archives (*.ZIP) |*.Zip|Arj Archives(*.A]|*.A??|Self-Extracting Archives (*.EXE)|*.EXE||");
    EXPECT_EQ(application->GetDocument()->GetPathName(), archive);
}

TEST_F(OpenFileTest, CancelledOpenCommandOpensNothing) {
    ASSERT_TRUE(Start());
    ScriptedDialogs dialogs;   // answers Cancel
    ChooseCommand(ID_FILE_OPEN);
    for (const std::string& entry : Events().log) EXPECT_NE(entry.rfind("open ", 0), 0u) << entry;
    EXPECT_TRUE(presenter.messages.empty());
}

// The request and file each command line gives: the first plain argument is the file, quotes
// removed; a switch decides the request wherever it stands; an unknown switch is no file name.
TEST(CommandLineRules, RequestAndFileOfEachLine) {
    using Request = CommandLineInfo::Request;
    const struct {
        const char* line;
        Request request;
        const char* fileName;
    } cases[] = {
        {"\"C:\\My Archives\\a b.zip\" second.zip", Request::OpenFile, "C:\\My Archives\\a b.zip"},
        {"", Request::NewDocument, ""},
        {"   ", Request::NewDocument, ""},
        {"/p a.zip", Request::Print, "a.zip"},
        {"a.zip /P", Request::Print, "a.zip"},
        {"/pt a.zip printer driver port", Request::PrintTo, "a.zip"},
        {"/dde", Request::Dde, ""},
        {"-Automation", Request::Automation, ""},
        {"/Embedding", Request::Embedding, ""},
        {"/Unregister", Request::Unregister, ""},
        {"/verbose b.zip", Request::OpenFile, "b.zip"},
    };
    for (const auto& c : cases) {
        CommandLineInfo info = ParseCommandLine(c.line);
        EXPECT_EQ(info.request, c.request) << c.line;
        EXPECT_EQ(info.fileName, c.fileName) << c.line;
    }
}

namespace {

// A profile in memory, keyed "section|key", for the list on its own.
class MemoryProfile : public IProfileStore {
public:
    std::map<std::string, std::string> values;

    std::string ReadProfileText(const char* section, const char* key) override {
        auto found = values.find(std::string(section) + "|" + key);
        return found == values.end() ? std::string() : found->second;
    }
    void WriteProfileText(const char* section, const char* key, const std::string& value) override {
        values[std::string(section) + "|" + key] = value;
    }
};

}  // namespace

TEST(RecentFileListProfile, ReadsTheFilledSlotsAndWritesEverySlotBack) {
    MemoryProfile profile;
    profile.values["Recent File List|File1"] = "C:\\A.ZIP";
    profile.values["Recent File List|File3"] = "C:\\C.ZIP";
    profile.values["Recent File List|File5"] = "C:\\BEYOND.ZIP";   // past the capacity
    CRecentFileList list(4);
    list.ReadList(profile);
    ASSERT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list[0], "C:\\A.ZIP");
    EXPECT_EQ(list[1], "C:\\C.ZIP");

    list.Remove(0);
    list.WriteList(profile);
    EXPECT_EQ(profile.values["Recent File List|File1"], "C:\\C.ZIP");
    // A removed entry must not come back at the next start: its old slot is cleared.
    EXPECT_EQ(profile.values["Recent File List|File3"], "");
    EXPECT_EQ(profile.values.count("Recent File List|File4"), 1u);
    EXPECT_EQ(profile.values["Recent File List|File5"], "C:\\BEYOND.ZIP");
}
