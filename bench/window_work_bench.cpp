// Long work through the archive window, in-process on the real window, next to the same work
// done by the DLL alone in the same run: extracting an archive, and adding one large file.
// Meanwhile a probe thread sends the window WM_NULL every 100 ms, as a screen reader or the
// shell does, and the worst time it waited for an answer is printed; then each piece of work is
// started once more and cancelled from the progress window, and the time from the click to the
// end of the work is printed.
//   window_work_bench <archive> <large file> <work folder>
// Extractions go to folders below the work folder, which the caller removes.

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "BrindleApp.h"
#include "BrindleDoc.h"
#include "CommandDialogs.h"
#include "Settings.h"
#include "Stopwatch.h"
#include "UserMessages.h"
#include "framework/FrameWindow.h"
#include "zipdll/ZipDllInterface.h"

namespace {

class QuietPresenter : public IMessagePresenter {
public:
    int Show(const std::string& text, const std::string&, unsigned int style) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return (style & MB_YESNO) ? IDYES : IDOK;
    }
    void QuitRequested() override {}
};

// The dialogs answered as a user extracting everything to one folder, or adding one file at
// level 6 without its folder, would answer them.
class AnsweringDialogs : public ICommandDialogs {
public:
    bool ChooseFilesToAdd(NameList& names) override {
        names = {addName};
        return true;
    }
    bool AskAddOptions(AddOptions& options) override {
        options = AddOptions{};
        options.level = 6;
        return true;
    }
    bool AskExtractOptions(ExtractOptions& options) override {
        options.targetDir = extractTo;
        options.extractAll = 1;
        options.overwrite = 1;
        return true;
    }
    std::string addName;
    std::string extractTo;
};

// WM_NULL every 100 ms; the worst wait for an answer.
class Probe {
public:
    explicit Probe(HWND window) : window(window) { thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr); }
    ~Probe() { Stop(); }
    double Stop() {
        if (thread) {
            stop = true;
            // The probe may be waiting for this very thread to answer.
            while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
                MSG message;
                PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
            }
            CloseHandle(thread);
            thread = nullptr;
        }
        return worstMs;
    }
    int Sent() const { return sent; }

private:
    static DWORD WINAPI Run(void* parameter) {
        auto& probe = *static_cast<Probe*>(parameter);
        while (!probe.stop) {
            const Stopwatch waiting;
            DWORD_PTR result = 0;
            SendMessageTimeoutA(probe.window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            const double ms = waiting.Seconds() * 1000.0;
            if (ms > probe.worstMs) probe.worstMs = ms;
            ++probe.sent;
            Sleep(100);
        }
        return 0;
    }
    HWND window;
    HANDLE thread = nullptr;
    std::atomic<bool> stop{false};
    double worstMs = 0;
    int sent = 0;
};

// Waits for the progress window, clicks its Cancel, and times until the window has gone.
class Canceller {
public:
    Canceller() { thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr); }
    double Wait() {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return stopMs;
    }

private:
    static BOOL CALLBACK FindProgress(HWND window, LPARAM found) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char caption[64] = "";
        GetWindowTextA(window, caption, sizeof caption);
        const std::string text = caption;
        if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
            (text.rfind("Extracting ", 0) == 0 || text.rfind("Adding ", 0) == 0)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static DWORD WINAPI Run(void* parameter) {
        auto& canceller = *static_cast<Canceller*>(parameter);
        HWND progress = nullptr;
        for (int round = 0; round < 1200 && !progress; ++round) {
            EnumWindows(&FindProgress, reinterpret_cast<LPARAM>(&progress));
            if (!progress) Sleep(10);
        }
        if (!progress) return 0;
        Sleep(1000);   // well into the work
        const Stopwatch stopping;
        PostMessageA(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        while (IsWindow(progress)) Sleep(5);
        canceller.stopMs = stopping.Seconds() * 1000.0;
        return 0;
    }
    HANDLE thread = nullptr;
    double stopMs = -1;
};

int WINAPI DropText(const char*, unsigned long length) { return static_cast<int>(length); }
int WINAPI DropLine(void*, unsigned long length, const char*) { return static_cast<int>(length); }
int WINAPI Replace(const char*) { return UNZIP_REPLACE; }

template <typename Function>
Function Export(HMODULE module, const char* name) {
    using Generic = void (*)();
    return reinterpret_cast<Function>(reinterpret_cast<Generic>(GetProcAddress(module, name)));
}

double DllExtract(WindllUnzipFunction unzip, const std::string& archive, const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    SetCurrentDirectoryA(folder.c_str());
    UnzipCommand command{};
    command.overwriteAll = 1;
    command.binaryMode = 1;
    command.keepFolderNames = 1;
    command.replaceReadOnly = 1;
    command.archivePath = archive.c_str();
    UnzipCallbacks callbacks{};
    callbacks.print = DropText;
    callbacks.replace = Replace;
    const Stopwatch stopwatch;
    const int result = unzip(0, nullptr, &command, &callbacks);
    const double seconds = stopwatch.Seconds();
    if (result > UNZIP_WARNING) std::fprintf(stderr, "windll_unzip returned %d\n", result);
    return seconds;
}

double DllAdd(DllZipUpFilesFunction zipUp, const std::string& archive, std::string name) {
    DeleteFileA(archive.c_str());
    char* names[] = {&name[0], nullptr};
    ZipRequest request{};
    request.print = DropLine;
    request.level[0] = '6';
    request.dropFolderNames = 1;
    request.nameCount = 1;
    request.archivePath = archive.c_str();
    request.names = names;
    const Stopwatch stopwatch;
    const int result = zipUp(&request);
    const double seconds = stopwatch.Seconds();
    if (result != ZIP_OK) std::fprintf(stderr, "DllZipUpFiles returned %d\n", result);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_work_bench <archive> <large file> <work folder>\n");
        return 2;
    }
    const std::string archive = argv[1], largeFile = argv[2], work = argv[3];
    CreateDirectoryA(work.c_str(), nullptr);
    SetSettingsCompany("BrindleWorkBench");
    WriteSettingInt("Settings", "ShowStartupScreen", 0);
    WriteSettingInt("Settings", "PlaySounds", 0);
    QuietPresenter presenter;
    SetMessagePresenter(&presenter);
    AnsweringDialogs dialogs;
    SetCommandDialogs(&dialogs);

    CBrindleApp application("BrindleWorkBench");
    application.SetCommandLine("");
    if (!application.InitInstance()) return 1;
    HWND window = application.GetMainFrame()->GetHandle();
    ShowWindow(window, SW_SHOWNORMAL);
    application.ProcessPendingMessages();
    auto* document = dynamic_cast<CBrindleDoc*>(application.GetDocument());

    HMODULE unzip32 = LoadLibraryA("UnZip32.dll");
    HMODULE zip32 = LoadLibraryA("Zip32.dll");
    auto unzip = unzip32 ? Export<WindllUnzipFunction>(unzip32, "windll_unzip") : nullptr;
    auto zipUp = zip32 ? Export<DllZipUpFilesFunction>(zip32, "DllZipUpFiles") : nullptr;
    if (!unzip || !zipUp) return 1;
    const bool canCancel = GetProcAddress(unzip32, "windll_unzip_set_progress") && GetProcAddress(zip32, "windll_zip_set_progress");

    std::printf("%-34s %10s %10s %7s %14s %13s\n", "work", "window (s)", "DLL (s)", "ratio", "worst answer", "cancel (ms)");

    // Extraction: the window, the DLL, and the window again, cancelled.
    application.OpenDocumentFile(archive);
    application.ProcessPendingMessages();
    dialogs.extractTo = work + "\\window";
    Probe extractProbe(window);
    Stopwatch stopwatch;
    document->ExtractCommand();
    const double windowExtract = stopwatch.Seconds();
    const double extractWorst = extractProbe.Stop();
    const double dllExtract = DllExtract(unzip, archive, work + "\\dll");
    dialogs.extractTo = work + "\\cancelled";
    double extractCancel = -1;
    if (canCancel) {
        Canceller canceller;
        document->ExtractCommand();
        extractCancel = canceller.Wait();
    }
    std::printf("%-34s %10.2f %10.2f %7.3f %11.1f ms %13.0f\n", "extract (20,000 files)", windowExtract, dllExtract,
                windowExtract / dllExtract, extractWorst, extractCancel);
    std::fflush(stdout);

    // Adding: into a fresh archive through the window, then the DLL alone, then cancelled.
    const std::string windowArchive = work + "\\WINDOW.ZIP";
    DeleteFileA(windowArchive.c_str());
    application.OpenDocumentFile(windowArchive);
    application.ProcessPendingMessages();
    dialogs.addName = largeFile;
    Probe addProbe(window);
    stopwatch.Restart();
    document->AddCommand();
    const double windowAdd = stopwatch.Seconds();
    const double addWorst = addProbe.Stop();
    const double dllAdd = DllAdd(zipUp, work + "\\dll.zip", largeFile);
    double addCancel = -1;
    if (canCancel) {
        const std::string cancelledArchive = work + "\\CANCEL.ZIP";
        DeleteFileA(cancelledArchive.c_str());
        application.OpenDocumentFile(cancelledArchive);
        application.ProcessPendingMessages();
        Canceller canceller;
        document->AddCommand();
        addCancel = canceller.Wait();
    }
    std::printf("%-34s %10.2f %10.2f %7.3f %11.1f ms %13.0f\n", "add (one large file)", windowAdd, dllAdd,
                windowAdd / dllAdd, addWorst, addCancel);
    if (!canCancel) std::printf("(the DLLs have no progress exports: nothing to cancel)\n");

    application.CloseMainFrame();
    while (application.ProcessPendingMessages()) {
    }
    application.ExitInstance();
    SetCommandDialogs(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\BrindleWorkBench");
    return 0;
}
