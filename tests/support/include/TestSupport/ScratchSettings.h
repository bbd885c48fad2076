#pragma once
// A settings company of the test's own, so that no test reads or leaves a real user's settings.

#include <string>

// Points the settings store at a fresh company key and deletes that key at the end, when the
// store goes back to the program's own company.
class ScratchSettings {
public:
    ScratchSettings();
    ~ScratchSettings();
    ScratchSettings(const ScratchSettings&) = delete;
    ScratchSettings& operator=(const ScratchSettings&) = delete;

    const std::string& Company() const { return company; }
    // The registry path of a section, under HKEY_CURRENT_USER.
    std::string SectionPath(const std::string& section) const;

private:
    std::string company;
};
