#pragma once
// The per-user settings file that stands in for the registry: an INI file at
// $XDG_CONFIG_HOME/Valtmoor/<application>.ini (default ~/.config), one
// section per settings section, keys compared without regard to ASCII case.
// Every write goes to a temporary file that is renamed over the old one, so a
// crash never leaves half a file.
#include <string>
#include <vector>

namespace pem {

class IniSettingsFile {
public:
    explicit IniSettingsFile(std::string path);

    // The path of an application's settings file.
    static std::string PathFor(const std::string& application);

    const std::string& Path() const { return path_; }
    // True with the value when the key exists (an unreadable or corrupt file
    // reads as empty).
    bool Read(const std::string& section, const std::string& key, std::string& value);
    // Writes and saves; false when the file cannot be written.
    bool Write(const std::string& section, const std::string& key, const std::string& value);

private:
    struct Entry {
        std::string key, value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    void Load();
    bool Save();
    Section* FindSection(const std::string& name);

    std::string path_;
    std::vector<Section> sections_;
    long long loadedStamp_ = -1;
};

} // namespace pem
