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

void SetMessagePresenter(IMessagePresenter* presenter) { installedPresenter = presenter; }

void SetMessageCaption(const std::string& caption) { Caption() = caption; }
