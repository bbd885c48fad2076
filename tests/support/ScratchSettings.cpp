#include "TestSupport/ScratchSettings.h"

#include <windows.h>

#include "Settings.h"

namespace {

void DeleteCompanyKey(const std::string& company) {
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + company).c_str());
}

}  // namespace

ScratchSettings::ScratchSettings() {
    // The process id keeps test programs running at once apart, the counter the tests of one.
    static int counter = 0;
    company = "BrindleTest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    DeleteCompanyKey(company);   // left over from a run that was killed
    SetSettingsCompany(company);
}

ScratchSettings::~ScratchSettings() {
    DeleteCompanyKey(company);
    SetSettingsCompany("Quillmark");
}

std::string ScratchSettings::SectionPath(const std::string& section) const {
    return "Software\\" + company + "\\Brindle\\" + section;
}
