#include "FrameTestSupport.h"

#include <algorithm>

#include "MainFrame.h"
#include "Settings.h"
#include "StartupScreen.h"
#include "framework/FrameWindow.h"
#include "resource.h"

bool FrameEvents::Contains(const std::string& entry) const { return IndexOf(entry) >= 0; }

int FrameEvents::IndexOf(const std::string& entry) const {
    auto found = std::find(log.begin(), log.end(), entry);
    return found == log.end() ? -1 : static_cast<int>(found - log.begin());
}

FrameEvents& Events() {
    static FrameEvents events;
    return events;
}

RecordingDocument::~RecordingDocument() { Events().log.push_back("document deleted"); }

BOOL RecordingDocument::OnOpenDocument(const std::string& path) {
    Events().log.push_back("open " + path);
    std::string upper = path;
    CharUpperA(upper.data());
    return upper.find("REFUSE") == std::string::npos;
}

void RecordingDocument::OnCloseDocument() { Events().log.push_back("close document"); }

bool RecordingView::OnCommand(UINT id) {
    if (id == ID_ACTIONS_ADD || id == ID_ACTIONS_VIEW || id == ID_ACTIONS_DELETE) {
        Events().log.push_back("command " + std::to_string(id));
        return true;
    }
    return false;
}

bool RecordingView::QueryCommandState(UINT id, CommandState& state) {
    if (Events().disabledCommands.count(id) == 0) return false;
    state.enabled = false;
    return true;
}

void RecordingView::OnDropFiles(HDROP drop) {
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    char first[MAX_PATH] = "";
    if (count > 0) DragQueryFileA(drop, 0, first, MAX_PATH);
    Events().log.push_back("drop " + std::to_string(count) + " " + first);
    DragFinish(drop);
}

bool RecordingView::OnViewCreated() {
    ++Events().viewCreations;
    return !Events().failViewCreation;
}

LRESULT RecordingView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) Events().log.push_back("key " + std::to_string(wParam));
    if (message == WM_DESTROY) Events().log.push_back("view destroyed");
    return CListViewBase::HandleMessage(message, wParam, lParam);
}

DocumentTemplate TestBrindleApp::CreateDocumentTemplate() {
    DocumentTemplate documentTemplate = CBrindleApp::CreateDocumentTemplate();
    if (useDoubles) {
        documentTemplate.createDocument = [] { return std::unique_ptr<CDocument>(new RecordingDocument()); };
        documentTemplate.createView = [] { return std::unique_ptr<CView>(new RecordingView()); };
    }
    return documentTemplate;
}

void FrameTest::SetUp() { Events() = FrameEvents{}; }

void FrameTest::TearDown() {
    if (application) {
        application->ExitInstance();
        application.reset();
    }
    // A WM_QUIT left by a closed window must not end the next test's pumping.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

BOOL FrameTest::Start(const std::string& commandLine, bool realDocument) {
    application = std::make_unique<TestBrindleApp>(settings.Company(), !realDocument);
    application->SetCommandLine(commandLine);
    BOOL started = application->InitInstance();
    if (started) Pump();
    return started;
}

void FrameTest::Pump() {
    if (application) application->ProcessPendingMessages();
}

void FrameTest::ChooseCommand(UINT id) {
    PostMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
}

void FrameTest::PressKey(UINT virtualKey, bool control) {
    // Posted keys leave the keyboard state alone, so Ctrl is set there by hand, as the
    // accelerator translation reads it.
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    keys[VK_LCONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(ViewWindow(), WM_KEYDOWN, virtualKey, 1);
    Pump();
    keys[VK_CONTROL] = 0;
    keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
}

CFrameWindow& FrameTest::Frame() const { return *application->GetMainFrame(); }

HWND FrameTest::MainWindow() const { return Frame().GetHandle(); }

HWND FrameTest::ViewWindow() const { return Frame().GetActiveView()->GetHandle(); }

std::string FrameTest::PaneText(int pane) const { return Frame().GetStatusBar()->GetPaneText(pane); }

std::string FrameTest::Caption() const {
    char text[512] = "";
    GetWindowTextA(MainWindow(), text, sizeof text);
    return text;
}

std::vector<std::string> FrameTest::MenuTexts(int popupIndex) {
    HMENU popup = GetSubMenu(GetMenu(MainWindow()), popupIndex);
    SendMessageA(MainWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(popupIndex, FALSE));
    std::vector<std::string> texts;
    for (int position = 0; position < GetMenuItemCount(popup); ++position) {
        char text[512] = "";
        GetMenuStringA(popup, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

UINT FrameTest::MenuItemState(int popupIndex, UINT id) {
    HMENU popup = GetSubMenu(GetMenu(MainWindow()), popupIndex);
    SendMessageA(MainWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(popupIndex, FALSE));
    return GetMenuState(popup, id, MF_BYCOMMAND);
}

std::string FrameTest::MakeFile(const std::string& name, const std::string& bytes) const {
    std::string path = ScratchPath(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::vector<std::string> FrameTest::TakeMessageTexts() {
    std::vector<std::string> texts;
    for (const RecordedMessage& message : presenter.messages) texts.push_back(message.text);
    presenter.messages.clear();
    return texts;
}
