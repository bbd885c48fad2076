#pragma once
// The archive window's frame driven in-process: a scratch settings company, a recording
// message presenter, a scratch folder, and a document and view that record what the
// framework does to them (or the real ones, for the start-up of the real program).

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "BrindleApp.h"
#include "UserMessages.h"
#include "framework/Document.h"
#include "framework/View.h"

struct ShownMessage {
    std::string text;
    unsigned int style;
};

class RecordingPresenter : public IMessagePresenter {
public:
    int Show(const std::string& text, const std::string& caption, unsigned int style) override;
    void QuitRequested() override { ++quitRequests; }

    std::vector<ShownMessage> messages;
    std::vector<std::string> captions;
    int quitRequests = 0;
};

// What the doubles saw, in order: "open <path>", "close document", "view destroyed",
// "document deleted", "command <id>", "key <vk>".
struct FrameEvents {
    std::vector<std::string> log;
    std::set<UINT> disabledCommands;   // the recording view reports these disabled
    int viewCreations = 0;
    bool failViewCreation = false;
    bool Contains(const std::string& entry) const;
    int IndexOf(const std::string& entry) const;
};
FrameEvents& Events();

class RecordingDocument : public CDocument {
public:
    ~RecordingDocument() override;
    // Refuses any path containing "REFUSE", as a document does with a file it cannot read.
    BOOL OnOpenDocument(const std::string& path) override;
    void OnCloseDocument() override;
};

// Handles Add, View and Delete like the real list view, so that accelerators and
// toolbar buttons can be watched arriving.
class RecordingView : public CListViewBase {
public:
    bool OnCommand(UINT id) override;
    bool QueryCommandState(UINT id, CommandState& state) override;
    // Records "drop <count> <first path>".
    void OnDropFiles(HDROP drop) override;

protected:
    bool OnViewCreated() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class TestBrindleApp : public CBrindleApp {
public:
    TestBrindleApp(const std::string& company, bool useDoubles) : CBrindleApp(company), useDoubles(useDoubles) {}

protected:
    DocumentTemplate CreateDocumentTemplate() override;

private:
    bool useDoubles;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the program's start-up with commandLine; doubles replace document and view
    // unless realDocument. Settings read at start must be written before.
    BOOL Start(const std::string& commandLine = "", bool realDocument = false);
    void Pump();
    // Pumps until done() or about five seconds have passed.
    template <typename Condition>
    bool PumpUntil(Condition done) {
        for (int round = 0; round < 500; ++round) {
            Pump();
            if (done()) return true;
            Sleep(10);
        }
        return done();
    }
    // Posts the command as a menu choice would, and lets it run.
    void ChooseCommand(UINT id);
    // Posts a key to the list as the keyboard would, with Ctrl held when asked.
    void PressKey(UINT virtualKey, bool control);

    CFrameWindow& Frame() const;
    HWND MainWindow() const;
    HWND ViewWindow() const;
    std::string PaneText(int pane) const;
    std::string Caption() const;
    // Runs the menu's pop-up preparation and returns the item texts of File (0), Actions
    // (1), View (2) or Help (3).
    std::vector<std::string> MenuTexts(int popupIndex);
    UINT MenuItemState(int popupIndex, UINT id);

    std::string ScratchPath(const std::string& name) const { return scratchDir + "\\" + name; }
    std::string MakeFile(const std::string& name, const std::string& bytes = "x") const;
    std::vector<std::string> TakeMessageTexts();

    RecordingPresenter presenter;
    std::string company;
    std::string scratchDir;
    std::unique_ptr<TestBrindleApp> application;
};

// Where screenshots go: <build>/screenshots, as a Windows path.
std::string ScreenshotFolder();
// Copies the screen's pixels under window into a 24-bit .bmp file.
bool SaveWindowBitmap(HWND window, const std::string& path);
void DeleteSettingsCompany(const std::string& company);
// A top-level window of this thread by class and (when given) caption: other test
// programs may have windows of the same class on the display at the same time.
HWND FindOwnWindow(const char* className, const char* caption);
