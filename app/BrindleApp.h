#pragma once
// The archive manager's application object: start-up order, the single-document
// template, the command line, the start-up picture, and the Open and About commands.

#include <string>

#include "framework/Application.h"

class CBrindleApp : public CApplication {
public:
    // Tests pass a scratch company so that they never touch the real settings.
    explicit CBrindleApp(std::string settingsCompany = "Quillmark");
    ~CBrindleApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG& message) override;

    bool OnCommand(UINT id) override;
    bool QueryCommandState(UINT id, CommandState& state) override;

    // The profile is the settings store.
    std::string ReadProfileText(const char* section, const char* key) override;
    void WriteProfileText(const char* section, const char* key, const std::string& value) override;

protected:
    // Joins CBrindleDoc, CMainFrame and CBrindleView under resource 128.
    virtual DocumentTemplate CreateDocumentTemplate();

private:
    void OnFileOpen();
    void OnAppAbout();

    static const CommandEntry<CBrindleApp> commandTable[];

    std::string settingsCompany;
    bool socketsStarted = false;
};
