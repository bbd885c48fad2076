#pragma once
// The archive manager's application object: start-up order, the single-document
// template, the command line, the start-up picture, and the Open and About commands.

#include <string>

#include "framework/Application.h"

class CBrindleApp : public CCommandTableTarget<CBrindleApp, CApplication> {
public:
    // Tests pass a scratch company so that they never touch the real settings.
    explicit CBrindleApp(std::string settingsCompany = "Quillmark");
    ~CBrindleApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG& message) override;

    // Open and About.
    static const CommandTable<CBrindleApp>& Commands();

    // The profile is the settings store.
    std::string ReadProfileText(const char* section, const char* key) override;
    void WriteProfileText(const char* section, const char* key, const std::string& value) override;

protected:
    // Joins CBrindleDoc, CMainFrame and CBrindleView under resource 128.
    virtual DocumentTemplate CreateDocumentTemplate();

private:
    void OnFileOpen();
    void OnAppAbout();

    std::string settingsCompany;
    bool socketsStarted = false;
};
