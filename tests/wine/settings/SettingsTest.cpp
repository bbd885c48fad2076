// The settings store over the registry, on a scratch company key.

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport/ScratchSettings.h"
#include "Handles.h"
#include "Settings.h"

namespace {

// The stored type and bytes of a value, straight from the registry; type 0 when absent.
struct StoredValue {
    DWORD type = 0;
    std::string bytes;
};

StoredValue ReadStored(const ScratchSettings& settings, const std::string& section, const char* key) {
    StoredValue stored;
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, settings.SectionPath(section).c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return stored;
    RegistryKey sectionKey(raw);
    char buffer[4096];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(sectionKey.get(), key, nullptr, &stored.type, reinterpret_cast<BYTE*>(buffer), &size) ==
        ERROR_SUCCESS)
        stored.bytes.assign(buffer, size);
    return stored;
}

bool SectionExists(const ScratchSettings& settings, const std::string& section) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, settings.SectionPath(section).c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return false;
    RegCloseKey(raw);
    return true;
}

void StoreRaw(const ScratchSettings& settings, const std::string& section, const char* key, DWORD type,
              const void* data, DWORD size) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, settings.SectionPath(section).c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    RegistryKey sectionKey(raw);
    ASSERT_EQ(RegSetValueExA(sectionKey.get(), key, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

}  // namespace

TEST(SettingsStore, NothingStoredReadsTheDefaultsOfTheTable) {
    ScratchSettings settings;
    const std::tuple<const char*, const char*, int> numbers[] = {
        {"Settings", "ShowStartupScreen", 1}, {"Settings", "PlaySounds", 1}, {"Settings", "DisplayIcons", 1},
        {"Settings", "PromptOnDelete", 1},    {"Settings", "ExtractToDownload", 1}, {"Settings", "CAssoc", 1},
        {"Add", "StorePath", 0},  {"Add", "DOS83", 0},    {"Add", "Comp", 9},      {"Window", "fMaximized", 0},
        {"Window", "cx", 450},    {"Window", "cy", 350},  {"Window", "Name", 135}, {"Window", "Date", 65},
        {"Window", "Time", 60},   {"Window", "Size", 60}, {"Window", "Ratio", 40}, {"Window", "Packed", 60}};
    for (const auto& [section, key, value] : numbers)
        EXPECT_EQ(ReadSettingInt(section, key), value) << section << "\\" << key;
    const std::tuple<const char*, const char*, const char*> texts[] = {
        {"Settings", "DownloadDir", "C:\\Downloads"}, {"Locations", "ARJ.EXE", ""},
        {"Locations", "Viewer", "Notepad.exe"},     {"SavedDirs", "OpenFileDir", ""},
        {"SavedDirs", "AddDir", "."},               {"SavedDirs", "ExtractToDir", ""},
        {"Recent File List", "File1", ""}, {"Recent File List", "File10", ""}};
    for (const auto& [section, key, text] : texts)
        EXPECT_EQ(ReadSettingText(section, key), text) << section << "\\" << key;
    EXPECT_FALSE(SectionExists(settings, "Settings"));   // reading creates nothing
}

TEST(SettingsStore, CallerDefaultsApplyOnlyWhileNothingIsStored) {
    ScratchSettings settings;
    EXPECT_EQ(ReadSettingInt("Window", "x", 123), 123);
    EXPECT_EQ(ReadSettingText("Recent File List", "File3", "none"), "none");
    WriteSettingInt("Window", "x", -40);
    EXPECT_EQ(ReadSettingInt("Window", "x", 123), -40);
}

TEST(SettingsStore, KeysAreFoundWhateverTheirCase) {
    ScratchSettings settings;
    EXPECT_EQ(ReadSettingInt("window", "CX"), 450);
    WriteSettingInt("Window", "cx", 600);
    EXPECT_EQ(ReadSettingInt("WINDOW", "Cx"), 600);
}

TEST(SettingsStore, FirstWriteCreatesTheSectionAndTheNextReadSeesIt) {
    ScratchSettings settings;
    ASSERT_FALSE(SectionExists(settings, "Add"));
    WriteSettingInt("Add", "Comp", 3);
    EXPECT_TRUE(SectionExists(settings, "Add"));
    EXPECT_EQ(ReadSettingInt("Add", "Comp"), 3);
    WriteSettingInt("Add", "Comp", 0);   // a stored 0 is a value, not "absent"
    EXPECT_EQ(ReadSettingInt("Add", "Comp"), 0);
    WriteSettingText("Locations", "Viewer", "C:\\TOOLS\\VIEW.EXE");
    EXPECT_EQ(ReadSettingText("Locations", "Viewer"), "C:\\TOOLS\\VIEW.EXE");
    WriteSettingText("Locations", "Viewer", "");
    EXPECT_EQ(ReadSettingText("Locations", "Viewer"), "");
}

TEST(SettingsStore, IntegersAreDwordsAndTextsAreStrings) {
    ScratchSettings settings;
    WriteSettingInt("Window", "cy", 512);
    WriteSettingText("SavedDirs", "AddDir", "C:\\DATA");
    StoredValue number = ReadStored(settings, "Window", "cy");
    EXPECT_EQ(number.type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(number.bytes.size(), 4u);
    DWORD value = 0;
    memcpy(&value, number.bytes.data(), 4);
    EXPECT_EQ(value, 512u);
    StoredValue text = ReadStored(settings, "SavedDirs", "AddDir");
    EXPECT_EQ(text.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text.bytes, std::string("C:\\DATA", 8));   // with its terminator
}

TEST(SettingsStore, TheCompanyNamesTheKey) {
    ScratchSettings first;
    WriteSettingText("Locations", "ARJ.EXE", "C:\\ARJ\\ARJ.EXE");
    EXPECT_EQ(ReadStored(first, "Locations", "ARJ.EXE").type, static_cast<DWORD>(REG_SZ));
    {
        ScratchSettings second;
        EXPECT_EQ(ReadSettingText("Locations", "ARJ.EXE"), "");
    }
    SetSettingsCompany(first.Company());
    EXPECT_EQ(ReadSettingText("Locations", "ARJ.EXE"), "C:\\ARJ\\ARJ.EXE");
}

TEST(SettingsStore, ValuesOfAnotherTypeReadAsTheDefault) {
    ScratchSettings settings;
    StoreRaw(settings, "Add", "Comp", REG_SZ, "7", 2);
    EXPECT_EQ(ReadSettingInt("Add", "Comp"), 9);
    DWORD number = 5;
    StoreRaw(settings, "Locations", "Viewer", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(ReadSettingText("Locations", "Viewer"), "Notepad.exe");
}

TEST(SettingsStore, TextsWithoutTerminatorAndLongTextsReadWhole) {
    ScratchSettings settings;
    StoreRaw(settings, "SavedDirs", "ExtractToDir", REG_SZ, "C:\\OUT", 6);   // no terminator stored
    EXPECT_EQ(ReadSettingText("SavedDirs", "ExtractToDir"), "C:\\OUT");
    std::string longText(3000, 'x');
    WriteSettingText("Settings", "DownloadDir", longText);
    EXPECT_EQ(ReadSettingText("Settings", "DownloadDir"), longText);
}
