#include "DocumentTestSupport.h"

#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "BrindleApp.h"
#include "BrindleDoc.h"
#include "BrindleView.h"
#include "Settings.h"
#include "framework/FrameWindow.h"
#include "zipcore/ZipArchive.h"

namespace {

const char kTestCompany[] = "BrindleDocumentTests";

void DeleteScratchSettings() {
    std::string key = std::string("Software\\") + kTestCompany;
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

void RemoveFolderTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolderTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void MakeFolders(const std::string& path) {
    for (std::string::size_type at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

// Bytes that do not compress much, so that packed sizes stay close to the real sizes.
std::string NoisyBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

}  // namespace

int RecordingPresenter::Show(const std::string& text, const std::string& caption, unsigned int style) {
    messages.push_back({text, caption, style});
    if (!answers.empty()) {
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (style & MB_YESNO) ? IDYES : IDOK;
}

void WindowTest::SetUp() {
    SetSettingsCompany(kTestCompany);
    DeleteScratchSettings();
    // The start-up picture would swallow the first click or key of a test.
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    SetMessagePresenter(&presenter);
    SetSaveFileChooser([this](HWND, const SaveFileRequest& request, std::string& chosenPath) {
        saveRequests.push_back(request);
        if (saveAnswers.empty()) return false;
        SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        if (answer.ok) chosenPath = answer.path;
        return answer.ok;
    });

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    std::ostringstream folder;
    folder << temp << "BrindleDoc" << GetCurrentProcessId() << "_" << ++serial;
    scratchDir = folder.str();
    RemoveFolderTree(scratchDir);
    MakeFolders(scratchDir);
    // Long file names are the interesting case for the short-path handling.
    ASSERT_TRUE(GetFileAttributesA(scratchDir.c_str()) != INVALID_FILE_ATTRIBUTES);
}

void WindowTest::TearDown() {
    if (application) CloseWindow();
    SetSaveFileChooser(SaveFileChooser());
    SetMessagePresenter(nullptr);
    RemoveFolderTree(scratchDir);
    DeleteScratchSettings();
}

void WindowTest::StartWindow() {
    application = std::make_unique<CBrindleApp>(kTestCompany);
    application->SetCommandLine("");
    if (!application->InitInstance()) {
        std::string said;
        for (const ShownMessage& message : presenter.messages) said += " \"" + message.text + "\"";
        FAIL() << "the window did not start; messages:" << said;
    }
    ShowWindow(MainWindow(), SW_SHOWNORMAL);
    PumpMessages();
}

// Under Xvfb without a window manager, Wine waits about two seconds for every top-level
// window it hides; that is where most of each test's time goes.
void WindowTest::CloseWindow() {
    application->CloseMainFrame();
    while (application->ProcessPendingMessages()) {
    }
    application->ExitInstance();
    application.reset();
}

void WindowTest::PumpMessages() {
    if (application) application->ProcessPendingMessages();
}

CBrindleDoc& WindowTest::Document() const {
    return *dynamic_cast<CBrindleDoc*>(application->GetDocument());
}

CBrindleView& WindowTest::View() const {
    return *dynamic_cast<CBrindleView*>(application->GetMainFrame()->GetActiveView());
}

CFrameWindow& WindowTest::Frame() const { return *application->GetMainFrame(); }

HWND WindowTest::List() const { return View().GetListControl(); }

HWND WindowTest::MainWindow() const { return Frame().GetHandle(); }

bool WindowTest::OpenArchive(const std::string& path) {
    bool opened = application->OpenDocumentFile(path) != FALSE;
    PumpMessages();
    return opened;
}

void WindowTest::RunCommand(UINT id) {
    SendMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    PumpMessages();
}

bool WindowTest::IsEnabled(UINT id) { return Frame().QueryRouteState(id).enabled; }

std::string WindowTest::PaneText(int pane) const { return Frame().GetStatusBar()->GetPaneText(pane); }

std::string WindowTest::Caption() const {
    char text[512] = "";
    GetWindowTextA(MainWindow(), text, sizeof text);
    return text;
}

std::string WindowTest::CellText(int row, int column) const {
    char text[1000] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(List(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

int WindowTest::ControlRowCount() const { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

void WindowTest::SelectRows(const std::vector<int>& rows) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = 0;
    SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED;
    for (int row : rows) SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

std::vector<ShownMessage> WindowTest::TakeMessages() {
    std::vector<ShownMessage> taken;
    taken.swap(presenter.messages);
    return taken;
}

void WindowTest::MakeZip(const std::string& archivePath,
                         const std::vector<std::pair<std::string, std::size_t>>& files) {
    static int serial = 0;
    std::string sourceDir = scratchDir + "\\source" + std::to_string(++serial);
    MakeFolders(sourceDir);
    zipcore::UpdateOptions options;
    options.baseDir = sourceDir;
    options.storePaths = true;
    options.level = 6;
    unsigned seed = 1;
    for (const auto& file : files) {
        std::string path = sourceDir + "\\" + file.first;
        for (char& c : path)
            if (c == '/') c = '\\';
        MakeFolders(path.substr(0, path.rfind('\\')));
        WriteFileBytes(path, NoisyBytes(file.second, seed++));
        options.add.push_back(file.first);
    }
    zipcore::UpdateResult result = zipcore::Update(archivePath, options);
    ASSERT_EQ(result.status, zipcore::Status::Ok) << "making " << archivePath;
}

void WindowTest::WriteFileBytes(const std::string& path, const std::string& bytes) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string WindowTest::ReadFileBytes(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WindowTest::FileExists(const std::string& path) const {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

struct WindowSearch {
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchThreadWindow(HWND window, LPARAM parameter) {
    auto* wanted = reinterpret_cast<WindowSearch*>(parameter);
    char name[64] = "";
    char text[256] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, text, sizeof text);
    if (lstrcmpiA(name, wanted->className) != 0) return TRUE;
    if (wanted->title != nullptr && lstrcmpA(text, wanted->title) != 0) return TRUE;
    wanted->found = window;
    return FALSE;
}

}  // namespace

HWND FindThreadWindow(const char* className, const char* title) {
    WindowSearch search{className, title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ScreenshotFolder() {
    std::string folder = "Z:" BRINDLE_SCREENSHOT_DIR;
    for (char& c : folder)
        if (c == '/') c = '\\';
    MakeFolders(folder);
    return folder;
}

bool SaveWindowBitmap(HWND window, const std::string& path) {
    RECT outer{};
    GetWindowRect(window, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    // What is really on the screen, so that a window covered or drawn wrongly shows as such.
    BitBlt(memory, 0, 0, width, height, screen, outer.left, outer.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, previous);

    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + stride * height;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * height));
    bool written = static_cast<bool>(out);

    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}
