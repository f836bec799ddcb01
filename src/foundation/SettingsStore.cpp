#include "SettingsStore.h"

#include "CharSet1252.h"
#include "IniSettingsFile.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <memory>

namespace pem {

TReadSettingProc ReadSettingProc = RegistryReadSetting;
TWriteSettingProc WriteSettingProc = RegistryWriteSetting;
TSettingsWarningProc SettingsWarningProc = DefaultSettingsWarning;

void DefaultSettingsWarning(const std::string& text) { std::fprintf(stderr, "%s\n", Cp1252ToUtf8(text).c_str()); }

namespace {
std::string g_application;
std::string g_section;

IniSettingsFile* FileFor(const std::string& application) {
    static std::map<std::string, std::unique_ptr<IniSettingsFile>> files;
    std::string path = IniSettingsFile::PathFor(application);
    auto& f = files[path];
    if (!f) {
        f = std::make_unique<IniSettingsFile>(path);
        f->OnWarning = [](const std::string& text) {
            if (SettingsWarningProc) SettingsWarningProc(text);
        };
    }
    return f.get();
}
} // namespace

void SetSettingsApplication(const std::string& name) { g_application = name; }
void SetSettingsSection(const std::string& name) {
    g_section = name;
    if (g_application.empty()) g_application = name;
}
std::string SettingsApplication() { return g_application; }
std::string SettingsSection() { return g_section; }
std::string SettingsKey() { return "Software\\Valtmoor\\" + g_application + "\\" + g_section + "\\"; }

void RegistryWriteSetting(const std::string& name, const std::string& value) {
    // A key that cannot be opened writes nothing and says nothing.
    FileFor(g_application)->Write(g_section, name, value);
}

void RegistryReadSetting(const std::string& name, std::string& value) {
    value.clear();
    IniSettingsFile* f = FileFor(g_application);
    // A missing value comes into being, empty, on its first read; one that
    // is stored empty already is.
    if (!f->Read(g_section, name, value)) RegistryWriteSetting(name, "");
}

void WriteSetting(const std::string& name, const std::string& value) { WriteSettingProc(name, value); }
void WriteSettingBool(const std::string& name, bool value) { WriteSetting(name, value ? "1" : "0"); }
void WriteSettingInt(const std::string& name, int value) { WriteSetting(name, std::to_string(value)); }

std::string ReadSettingStrDef(const std::string& name, const std::string& def) {
    std::string v;
    ReadSettingProc(name, v);
    if (!v.empty()) return v;
    WriteSetting(name, def);
    return def;
}
std::string ReadSettingStr(const std::string& name) { return ReadSettingStrDef(name, ""); }

bool ReadSettingBoolDef(const std::string& name, bool def) {
    std::string v;
    ReadSettingProc(name, v);
    if (!v.empty()) return v == "1";
    WriteSettingBool(name, def);
    return def;
}
bool ReadSettingBool(const std::string& name) { return ReadSettingBoolDef(name, false); }

int ReadSettingIntDef(const std::string& name, int def) {
    std::string v;
    try {
        ReadSettingProc(name, v);
    } catch (...) {
        return def;
    }
    if (v.empty()) {
        WriteSettingInt(name, def);
        return def;
    }
    int n = 0;
    const char* b = v.data();
    const char* e = b + v.size();
    if (*b == '+') ++b;
    auto [p, ec] = std::from_chars(b, e, n);
    if (ec != std::errc() || p != e) return def; // not an integer: default, not written back
    return n;
}
int ReadSettingInt(const std::string& name) { return ReadSettingIntDef(name, 0); }

} // namespace pem
