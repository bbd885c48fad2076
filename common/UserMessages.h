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

// What ran out of memory. Each kind has always had its own words, icon and consequence:
enum class OutOfMemory {
    Buffer,         // a path buffer, binding the libraries: "Out of memory"; the caller goes on
    Operation,      // names for adding or deleting, a captured listing, a build: "Out of memory!", quit
    Selection,      // the selected names, a handler: "Not enough memory!", quit
    ChosenFiles,    // the files chosen to add: "Not enough memory!" as a warning; the command stops
    DroppedFiles,   // the names of dropped files: "Not enough memory"; the drop adds nothing
};

// Shows the message for what, with the error icon (the warning icon for ChosenFiles), and
// posts a quit request for the kinds that end the program. Returns 0, the failed result.
int ReportOutOfMemory(OutOfMemory what);

// nullptr restores the real message box. The presenter is not owned.
void SetMessagePresenter(IMessagePresenter* presenter);
void SetMessageCaption(const std::string& caption);
