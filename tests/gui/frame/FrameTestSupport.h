#pragma once
// The archive window's frame driven in-process: a document and view that record what the
// framework does to them (or the real ones, for the start-up of the real program), beside
// the shared scratch settings company, recording message presenter and scratch folder.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "BrindleApp.h"
#include "TestSupport/Files.h"
#include "TestSupport/RecordingPresenter.h"
#include "TestSupport/ScratchSettings.h"
#include "TestSupport/Windows.h"
#include "framework/Document.h"
#include "framework/View.h"

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

    std::string ScratchPath(const std::string& name) const { return scratch / name; }
    std::string MakeFile(const std::string& name, const std::string& bytes = "x") const;
    std::vector<std::string> TakeMessageTexts();

    // Declared before the application, which is gone before they are.
    ScratchSettings settings;
    RecordingPresenter presenter;
    ScratchFolder scratch{"BrindleFrameTest"};
    std::unique_ptr<TestBrindleApp> application;
};
