#pragma once
// The archive window driven in-process: queued answers for the save dialogs and zip archives
// made with the zip library, beside the shared scratch settings company, recording message
// presenter and scratch folder.

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveView.h"
#include "BrindleApp.h"
#include "TestSupport/Files.h"
#include "TestSupport/RecordingPresenter.h"
#include "TestSupport/ScratchSettings.h"
#include "TestSupport/ScriptedDialogs.h"
#include "TestSupport/Windows.h"

class CBrindleDoc;
class CBrindleView;
class CFrameWindow;

struct SaveAnswer {
    bool ok = false;
    std::string path;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Settings the window reads once at creation must be written before this.
    void StartWindow();
    // Closes the window the way Exit does; the view saves its layout.
    void CloseWindow();
    void PumpMessages();

    CBrindleDoc& Document() const;
    CBrindleView& View() const;
    CFrameWindow& Frame() const;
    HWND List() const;
    HWND MainWindow() const;

    // The framework's open of a named file, as Open, the recent list and the command line use it.
    bool OpenArchive(const std::string& path);
    void RunCommand(UINT id);
    bool IsEnabled(UINT id);

    std::string PaneText(int pane) const;
    std::string Caption() const;
    // Text of a displayed row's column, read back through the control.
    std::string CellText(int row, int column) const;
    int ControlRowCount() const;
    void SelectRows(const std::vector<int>& rows);

    // Messages shown since the last call, then forgotten.
    std::vector<RecordedMessage> TakeMessages();

    std::string ScratchPath(const std::string& name) const { return scratch / name; }
    // A zip archive holding files of the given sizes (names in the given order).
    void MakeZip(const std::string& archivePath, const std::vector<std::pair<std::string, std::size_t>>& files);

    // Declared first, so that the window, which saves its layout as it closes, is gone
    // before the settings are deleted.
    ScratchSettings settings;
    RecordingPresenter presenter;
    // Long file names are the interesting case for the short-path handling.
    ScratchFolder scratch{"BrindleDoc"};
    std::deque<SaveAnswer> saveAnswers;
    std::vector<FileDialogRequest> saveRequests;
    ScriptedDialogs dialogs;
    std::unique_ptr<CBrindleApp> application;
};
