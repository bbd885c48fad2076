#pragma once
// The archive window driven in-process: a scratch settings company, a recording message
// presenter, queued answers for the save dialogs, a scratch folder, and zip archives made
// with the zip library.

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveView.h"
#include "BrindleApp.h"
#include "SaveFileDialog.h"
#include "UserMessages.h"


class CBrindleDoc;
class CBrindleView;
class CFrameWindow;

struct ShownMessage {
    std::string text;
    std::string caption;
    unsigned int style;
};

class RecordingPresenter : public IMessagePresenter {
public:
    int Show(const std::string& text, const std::string& caption, unsigned int style) override;
    void QuitRequested() override { ++quitRequests; }

    std::vector<ShownMessage> messages;
    std::deque<int> answers;   // buttons for questions; IDOK / IDYES when empty
    int quitRequests = 0;
};

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
    std::vector<ShownMessage> TakeMessages();

    std::string ScratchPath(const std::string& name) const { return scratchDir + "\\" + name; }
    // A zip archive holding files of the given sizes (names in the given order).
    void MakeZip(const std::string& archivePath, const std::vector<std::pair<std::string, std::size_t>>& files);
    void WriteFileBytes(const std::string& path, const std::string& bytes) const;
    std::string ReadFileBytes(const std::string& path) const;
    bool FileExists(const std::string& path) const;

    RecordingPresenter presenter;
    std::deque<SaveAnswer> saveAnswers;
    std::vector<SaveFileRequest> saveRequests;
    std::string scratchDir;
    std::unique_ptr<CBrindleApp> application;
};

// A top-level window of this thread with the given class (and title, unless null): other
// window tests may be running on the same display at the same time.
HWND FindThreadWindow(const char* className, const char* title);

// Where screenshots go: <build>/screenshots, as a Windows path.
std::string ScreenshotFolder();
// Copies the window's pixels on the screen into a 24-bit .bmp file.
bool SaveWindowBitmap(HWND window, const std::string& path);
