#include "Settings.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "Handles.h"

namespace {

// Every setting the program keeps, with its default. "Window"/"x" and "y" are not here:
// their default is wherever the system places a new window, which only the caller knows.
// "Recent File List"/"File1".."File10" are absent until the first exit writes them, and an
// unknown key reads as 0 / "", which is what an absent recent file must read as.
struct SettingDefault {
    const char* section;
    const char* key;
    int number;
    const char* text;   // null for integer settings
};

const SettingDefault kDefaults[] = {
    {"Settings", "ShowStartupScreen", 1, nullptr},
    {"Settings", "PlaySounds", 1, nullptr},
    {"Settings", "DisplayIcons", 1, nullptr},
    {"Settings", "PromptOnDelete", 1, nullptr},
    {"Settings", "ExtractToDownload", 1, nullptr},
    {"Settings", "DownloadDir", 0, "C:\\Downloads"},
    {"Settings", "CAssoc", 1, nullptr},
    {"Settings", "SortColumn", -1, nullptr},   // -1: archive order
    {"Settings", "SortDescending", 0, nullptr},
    {"Locations", "ARJ.EXE", 0, ""},
    {"Locations", "Viewer", 0, "Notepad.exe"},
    {"SavedDirs", "OpenFileDir", 0, ""},
    {"SavedDirs", "AddDir", 0, "."},
    {"SavedDirs", "ExtractToDir", 0, ""},
    {"Add", "StorePath", 0, nullptr},
    {"Add", "DOS83", 0, nullptr},
    {"Add", "Comp", 9, nullptr},
    {"Window", "fMaximized", 0, nullptr},
    {"Window", "cx", 450, nullptr},
    {"Window", "cy", 350, nullptr},
    {"Window", "Name", 135, nullptr},
    {"Window", "Date", 65, nullptr},
    {"Window", "Time", 60, nullptr},
    {"Window", "Size", 60, nullptr},
    {"Window", "Ratio", 40, nullptr},
    {"Window", "Packed", 60, nullptr},
};

// Registry names ignore case, so the table must too: "window"/"CX" is the same value.
const SettingDefault* FindDefault(const char* section, const char* key) {
    for (const SettingDefault& entry : kDefaults) {
        if (_stricmp(entry.section, section) == 0 && _stricmp(entry.key, key) == 0) return &entry;
    }
    return nullptr;
}

std::string& Company() {
    static std::string company = "Quillmark";
    return company;
}

std::string SectionPath(const char* section) {
    return "Software\\" + Company() + "\\Brindle\\" + section;
}

RegistryKey OpenSection(const char* section) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

RegistryKey CreateSection(const char* section) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

}  // namespace

int ReadSettingInt(const char* section, const char* key) {
    const SettingDefault* entry = FindDefault(section, key);
    return ReadSettingInt(section, key, entry ? entry->number : 0);
}

std::string ReadSettingText(const char* section, const char* key) {
    const SettingDefault* entry = FindDefault(section, key);
    return ReadSettingText(section, key, entry && entry->text ? std::string(entry->text) : std::string());
}

int ReadSettingInt(const char* section, const char* key, int defaultValue) {
    RegistryKey sectionKey = OpenSection(section);
    if (!sectionKey) return defaultValue;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(sectionKey.get(), key, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return defaultValue;
    return static_cast<int>(value);
}

std::string ReadSettingText(const char* section, const char* key, const std::string& defaultValue) {
    RegistryKey sectionKey = OpenSection(section);
    if (!sectionKey) return defaultValue;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(sectionKey.get(), key, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return defaultValue;
    // The value may change between the two queries; retry with the size the second one reports.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        LONG result = RegQueryValueExA(sectionKey.get(), key, nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (result == ERROR_MORE_DATA) {
            size = got;
            continue;
        }
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return defaultValue;
        // A stored string need not carry its terminator; the spare byte guarantees one.
        return std::string(buffer.data(), strnlen(buffer.data(), got));
    }
    return defaultValue;
}

void WriteSettingInt(const char* section, const char* key, int value) {
    RegistryKey sectionKey = CreateSection(section);
    if (!sectionKey) return;
    DWORD stored = static_cast<DWORD>(value);
    RegSetValueExA(sectionKey.get(), key, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored), sizeof stored);
}

void WriteSettingText(const char* section, const char* key, const std::string& value) {
    RegistryKey sectionKey = CreateSection(section);
    if (!sectionKey) return;
    RegSetValueExA(sectionKey.get(), key, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void SetSettingsCompany(const std::string& company) { Company() = company; }
