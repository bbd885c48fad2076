#pragma once
// The archive window's frame driven in-process: a document and view that record what the
// framework does to them (or the real ones, for the start-up of the real program), beside
// the shared application driver.

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "BrindleApp.h"
#include "TestSupport/AppWindow.h"
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
class RecordingListView : public CListViewBase {
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

class FrameTest : public AppWindowTest {
protected:
    FrameTest() : AppWindowTest("BrindleFrameTest") {}
    void SetUp() override;

    // Runs the program's start-up with commandLine; doubles replace document and view
    // unless realDocument. Settings read at start must be written before.
    BOOL Start(const std::string& commandLine = "", bool realDocument = false);
    // Posts a key to the list as the keyboard would, with Ctrl held when asked.
    void PressKey(UINT virtualKey, bool control);
    std::string MakeFile(const std::string& name, const std::string& bytes = "x") const;
};
