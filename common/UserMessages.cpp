#include "UserMessages.h"

#include <windows.h>

namespace {

IMessagePresenter* installedPresenter = nullptr;

std::string& Caption() {
    static std::string caption = "Brindle";
    return caption;
}

}  // namespace

int ShowMessage(const std::string& text, unsigned int style) {
    if (installedPresenter) return installedPresenter->Show(text, Caption(), style);
    return MessageBoxA(GetActiveWindow(), text.c_str(), Caption().c_str(), style);
}

void RequestQuit() {
    if (installedPresenter) {
        installedPresenter->QuitRequested();
        return;
    }
    PostQuitMessage(0);
}

int ReportOutOfMemory(OutOfMemory what) {
    struct Report {
        const char* text;
        unsigned int style;
        bool quit;
    };
    static const Report reports[] = {
        {"Out of memory", MB_ICONERROR, false},           // Buffer
        {"Out of memory!", MB_ICONERROR, true},           // Operation
        {"Not enough memory!", MB_ICONERROR, true},       // Selection
        {"Not enough memory!", MB_ICONEXCLAMATION, false},  // ChosenFiles
        {"Not enough memory", MB_ICONERROR, false},       // DroppedFiles
    };
    const Report& report = reports[static_cast<int>(what)];
    ShowMessage(report.text, report.style);
    if (report.quit) RequestQuit();
    return 0;
}

void SetMessagePresenter(IMessagePresenter* presenter) { installedPresenter = presenter; }

void SetMessageCaption(const std::string& caption) { Caption() = caption; }
