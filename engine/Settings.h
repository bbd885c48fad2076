#pragma once
// The settings store: every option and remembered value of the program, under
// HKEY_CURRENT_USER\Software\<company>\Brindle, one subkey per section. Integers are
// REG_DWORD, texts REG_SZ. Nothing else in the program touches the registry.

#include <string>

// Reads with the default from the table of every setting (an unknown key reads 0 / "").
int ReadSettingInt(const char* section, const char* key);
std::string ReadSettingText(const char* section, const char* key);
// Reads with a default the caller supplies (the window position defaults to where the
// system placed the window).
int ReadSettingInt(const char* section, const char* key, int defaultValue);
std::string ReadSettingText(const char* section, const char* key, const std::string& defaultValue);

// Failed writes are not reported; the next read yields the previous value or the default.
void WriteSettingInt(const char* section, const char* key, int value);
void WriteSettingText(const char* section, const char* key, const std::string& value);

// "Quillmark" in the program; tests point the store at a scratch company key.
void SetSettingsCompany(const std::string& company);
