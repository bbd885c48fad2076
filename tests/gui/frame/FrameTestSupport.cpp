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

bool RecordingListView::OnCommand(UINT id) {
    if (id == ID_ACTIONS_ADD || id == ID_ACTIONS_VIEW || id == ID_ACTIONS_DELETE || id == ID_ACTIONS_SELECT_ALL ||
        id == ID_ACTIONS_SELECT_PATTERN || id == ID_ACTIONS_FIND) {
        Events().log.push_back("command " + std::to_string(id));
        return true;
    }
    return false;
}

bool RecordingListView::QueryCommandState(UINT id, CommandState& state) {
    if (Events().disabledCommands.count(id) == 0) return false;
    state.enabled = false;
    return true;
}

void RecordingListView::OnDropFiles(HDROP drop) {
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    char first[MAX_PATH] = "";
    if (count > 0) DragQueryFileA(drop, 0, first, MAX_PATH);
    Events().log.push_back("drop " + std::to_string(count) + " " + first);
    DragFinish(drop);
}

bool RecordingListView::OnViewCreated() {
    ++Events().viewCreations;
    return !Events().failViewCreation;
}

LRESULT RecordingListView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) Events().log.push_back("key " + std::to_string(wParam));
    if (message == WM_DESTROY) Events().log.push_back("view destroyed");
    return CListViewBase::HandleMessage(message, wParam, lParam);
}

DocumentTemplate TestBrindleApp::CreateDocumentTemplate() {
    DocumentTemplate documentTemplate = CBrindleApp::CreateDocumentTemplate();
    if (useDoubles) {
        documentTemplate.createDocument = [] { return std::unique_ptr<CDocument>(new RecordingDocument()); };
        documentTemplate.createView = [] { return std::unique_ptr<CView>(new RecordingListView()); };
    }
    return documentTemplate;
}

void FrameTest::SetUp() { Events() = FrameEvents{}; }

BOOL FrameTest::Start(const std::string& commandLine, bool realDocument) {
    application = std::make_unique<TestBrindleApp>(settings.Company(), !realDocument);
    application->SetCommandLine(commandLine);
    BOOL started = application->InitInstance();
    if (started) Pump();
    return started;
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

std::string FrameTest::MakeFile(const std::string& name, const std::string& bytes) const {
    std::string path = ScratchPath(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}
