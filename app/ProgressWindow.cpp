#include "ProgressWindow.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "LongWork.h"
#include "framework/Application.h"
#include "framework/Dialog.h"
#include "framework/FrameWindow.h"
#include "framework/Window.h"
#include "resource.h"

namespace {

constexpr int kBarRange = 1000;

// What the window shows, in its words.
struct ProgressTexts {
    std::string caption;
    std::string entry;
    std::string count;
    std::string time;
    int barPosition = 0;
};

std::string Duration(unsigned long long seconds) {
    char text[32];
    if (seconds >= 3600)
        wsprintfA(text, "%u:%02u:%02u", static_cast<unsigned>(seconds / 3600), static_cast<unsigned>(seconds / 60 % 60),
                  static_cast<unsigned>(seconds % 60));
    else
        wsprintfA(text, "%u:%02u", static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
    return text;
}

// Fills only the texts: the estimate goes by bytes, the share of the work they measure.
ProgressTexts MakeTexts(const WorkProgress& progress) {
    ProgressTexts texts;
    texts.caption = progress.caption;
    texts.entry = progress.entry;
    texts.count = progress.entriesTotal ? std::to_string(progress.entriesDone) + " of " +
                                              std::to_string(progress.entriesTotal) + " entries"
                                        : std::to_string(progress.entriesDone) + " entries";
    const unsigned long long done = progress.bytesDone, total = progress.bytesTotal;
    if (total) texts.barPosition = static_cast<int>((done >= total ? total : done) * kBarRange / total);
    texts.time = "Elapsed " + Duration(progress.elapsedMs / 1000);
    if (total && done && done < total) {
        const double left = static_cast<double>(progress.elapsedMs) * static_cast<double>(total - done) /
                            static_cast<double>(done) / 1000.0;
        texts.time += ", about " + Duration(static_cast<unsigned long long>(left + 0.5)) + " left";
    }
    return texts;
}

class CProgressWindow : public IProgressDisplay {
public:
    HWND Owner() override {
        CApplication* application = GetApplication();
        CFrameWindow* frame = application ? application->GetMainFrame() : nullptr;
        return frame ? frame->GetHandle() : nullptr;
    }

    void Show(const WorkProgress& progress) override {
        if (!dialog)
            dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), Owner(), &Procedure, 0);
        if (!dialog) return;
        SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
        Update(progress);
        ShowWindow(dialog, SW_SHOW);
    }

    void Update(const WorkProgress& progress) override {
        if (!dialog) return;
        const ProgressTexts texts = MakeTexts(progress);
        // The caption changes with the operation (an Add lists the archive when it ends), and
        // Cancel counts again for the new one.
        if (texts.caption != shownCaption) {
            shownCaption = texts.caption;
            SetWindowTextA(dialog, texts.caption.c_str());
            EnableItem(dialog, IDCANCEL, true);
        }
        SetChanged(IDC_PROGRESS_ENTRY, texts.entry);
        SetChanged(IDC_PROGRESS_COUNT, texts.count);
        // After a Cancel the window says it is stopping until the work has.
        if (IsWindowEnabled(GetDlgItem(dialog, IDCANCEL))) SetChanged(IDC_PROGRESS_TIME, texts.time);
        SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, texts.barPosition, 0);
    }

    void Hide() override {
        if (dialog) DestroyWindow(dialog);
        dialog = nullptr;
        shownCaption.clear();
    }

    bool TakeMessage(MSG& message) override { return dialog && IsDialogMessageA(dialog, &message); }

private:
    // A text set only when it changes, so that the window does not flicker at every update.
    void SetChanged(int id, const std::string& text) {
        if (GetItemText(dialog, id) != text) SetItemText(dialog, id, text);
    }

    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
        return CallBehindBarrier<INT_PTR>(
            [&]() -> INT_PTR {
                switch (message) {
                    case WM_INITDIALOG:
                        return TRUE;
                    case WM_COMMAND:
                        if (LOWORD(wParam) != IDCANCEL) return FALSE;
                        // The work stops at its next report; the window goes when it has.
                        RequestCancel();
                        EnableItem(window, IDCANCEL, false);
                        SetItemText(window, IDC_PROGRESS_TIME, "Cancelling...");
                        return TRUE;
                    default:
                        return FALSE;
                }
            },
            FALSE);
    }

    HWND dialog = nullptr;
    std::string shownCaption;
};

CProgressWindow progressWindow;

}  // namespace

void InstallProgressWindow() { SetProgressDisplay(&progressWindow); }

void UninstallProgressWindow() {
    SetProgressDisplay(nullptr);
    progressWindow.Hide();
}
