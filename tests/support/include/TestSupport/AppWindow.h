#pragma once
// The archive window's application driven in-process: its frame, the message pump, the
// caption, the status panes and the menus, beside a scratch settings company, a recording
// message presenter and a scratch folder, all of which outlive the application.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BrindleApp.h"
#include "TestSupport/Files.h"
#include "TestSupport/RecordingPresenter.h"
#include "TestSupport/ScratchSettings.h"
#include "TestSupport/Windows.h"

class CFrameWindow;

class AppWindowTest : public ::testing::Test {
protected:
    explicit AppWindowTest(const std::string& scratchPrefix) : scratch(scratchPrefix) {}
    // Ends the application that is still running and drops what is left in the queue.
    void TearDown() override;

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
    // Sends the command and lets what it leaves in the queue run.
    void RunCommand(UINT id);
    bool IsEnabled(UINT id);
    // Drops the files on a window the way the shell does, and lets the drop run.
    void DropFiles(HWND window, const std::vector<std::string>& paths);

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
    std::vector<RecordedMessage> TakeMessages() { return presenter.Take(); }
    std::vector<std::string> TakeMessageTexts() { return presenter.TakeTexts(); }

    // Declared before the application, which is gone before they are.
    ScratchSettings settings;
    RecordingPresenter presenter;
    ScratchFolder scratch;
    std::unique_ptr<CBrindleApp> application;
};
