#pragma once
// The per-user settings store: named string values under one key made of
// the application and section names, read and written through two
// replaceable routines; typed readers and writers over them. A value read
// empty is written back, so it comes into being on its first read.
#include <functional>
#include <string>

namespace pem {

using TReadSettingProc = std::function<void(const std::string& name, std::string& value)>;
using TWriteSettingProc = std::function<void(const std::string& name, const std::string& value)>;

extern TReadSettingProc ReadSettingProc;
extern TWriteSettingProc WriteSettingProc;

// Receives the warnings of the default routines (program text): a settings
// file that is not used, a value that is not stored. The default writes them
// to stderr; the main window shows them.
using TSettingsWarningProc = std::function<void(const std::string& text)>;
extern TSettingsWarningProc SettingsWarningProc;
void DefaultSettingsWarning(const std::string& text);

void SetSettingsApplication(const std::string& name);
void SetSettingsSection(const std::string& name);
std::string SettingsApplication();
std::string SettingsSection();
// "Software\Valtmoor\<application>\<section>\"
std::string SettingsKey();

void WriteSetting(const std::string& name, const std::string& value);
void WriteSettingBool(const std::string& name, bool value);
void WriteSettingInt(const std::string& name, int value);

std::string ReadSettingStrDef(const std::string& name, const std::string& def);
std::string ReadSettingStr(const std::string& name);
bool ReadSettingBoolDef(const std::string& name, bool def);
bool ReadSettingBool(const std::string& name);
int ReadSettingIntDef(const std::string& name, int def);
int ReadSettingInt(const std::string& name);

// The default routines: the settings file of the application (see
// IniSettingsFile), the section as its INI section. A value holding control
// characters is not written (a warning says so).
void RegistryReadSetting(const std::string& name, std::string& value);
void RegistryWriteSetting(const std::string& name, const std::string& value);


} // namespace pem
