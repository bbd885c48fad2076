#pragma once
// The archive window driven in-process: queued answers for the save dialogs and zip archives
// made with the zip library, on top of the shared application driver.

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ArchiveView.h"
#include "TestSupport/AppWindow.h"
#include "TestSupport/ScriptedDialogs.h"

class CBrindleDoc;
class CBrindleView;

struct SaveAnswer {
    bool ok = false;
    std::string path;
};

class WindowTest : public AppWindowTest {
protected:
    // Long file names are the interesting case for the short-path handling.
    WindowTest() : AppWindowTest("BrindleDoc") {}
    void SetUp() override;
    void TearDown() override;

    // Settings the window reads once at creation must be written before this.
    void StartWindow();
    // Closes the window the way Exit does; the view saves its layout.
    void CloseWindow();

    CBrindleDoc& Document() const;
    CBrindleView& View() const;
    HWND List() const;

    // The framework's open of a named file, as Open, the recent list and the command line use it.
    bool OpenArchive(const std::string& path);

    // Text of a displayed row's column, read back through the control.
    std::string CellText(int row, int column) const;
    int ControlRowCount() const;
    void SelectRows(const std::vector<int>& rows);

    // A zip archive holding files of the given sizes (names in the given order).
    void MakeZip(const std::string& archivePath, const std::vector<std::pair<std::string, std::size_t>>& files);

    std::deque<SaveAnswer> saveAnswers;
    std::vector<FileDialogRequest> saveRequests;
    ScriptedDialogs dialogs;
};
