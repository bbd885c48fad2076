#pragma once
// Every message box and question of the engine and the window goes through here, so that
// tests can record the texts and answer the questions without a window.

#include <string>

class IMessagePresenter {
public:
    // style: the MB_* button and icon flags; returns the button chosen (IDOK, IDYES, IDNO ...).
    virtual int Show(const std::string& text, const std::string& caption, unsigned int style) = 0;
    // The operation ran out of memory and asks the application to end.
    virtual void QuitRequested() = 0;

protected:
    ~IMessagePresenter() = default;
};

// Shows text with the program's caption ("Brindle" unless SetMessageCaption changed it),
// owned by the active window. Returns the button chosen.
int ShowMessage(const std::string& text, unsigned int style);

// Posts a quit request to the application (or tells the installed presenter).
void RequestQuit();

// nullptr restores the real message box. The presenter is not owned.
void SetMessagePresenter(IMessagePresenter* presenter);
void SetMessageCaption(const std::string& caption);
