#include "IniSettingsFile.h"

#include "CharSet1252.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pem {

namespace {
long long Stamp(const std::string& path) {
    std::error_code ec;
    auto t = fs::last_write_time(path, ec);
    if (ec) return -2;
    auto size = fs::file_size(path, ec);
    return static_cast<long long>(t.time_since_epoch().count()) ^ static_cast<long long>(size) << 1;
}

// Values may hold any byte but line ends: escape them so that a value read
// back is the value written.
std::string Escape(const std::string& v) {
    std::string r;
    for (char c : v) {
        if (c == '\\') r += "\\\\";
        else if (c == '\n') r += "\\n";
        else if (c == '\r') r += "\\r";
        else r += c;
    }
    return r;
}
std::string Unescape(const std::string& v) {
    std::string r;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            char n = v[i + 1];
            if (n == 'n') { r += '\n'; ++i; continue; }
            if (n == 'r') { r += '\r'; ++i; continue; }
            if (n == '\\') { r += '\\'; ++i; continue; }
        }
        r += v[i];
    }
    return r;
}
} // namespace

IniSettingsFile::IniSettingsFile(std::string path) : path_(std::move(path)) {}

std::string IniSettingsFile::PathFor(const std::string& application) {
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
    else base = "/tmp";
    return base + "/Valtmoor/" + Cp1252ToUtf8(application) + ".ini";
}

void IniSettingsFile::Load() {
    long long stamp = Stamp(path_);
    if (stamp == loadedStamp_) return;
    loadedStamp_ = stamp;
    sections_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    std::string line;
    Section* cur = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            auto close = line.rfind(']');
            std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            cur = FindSection(name);
            if (!cur) {
                sections_.push_back({name, {}});
                cur = &sections_.back();
            }
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos || !cur) continue; // corrupt line: skipped
        std::string key = line.substr(0, eq), value = Unescape(line.substr(eq + 1));
        bool replaced = false;
        for (auto& e : cur->entries)
            if (SameText(e.key, key)) { e.value = value; replaced = true; }
        if (!replaced) cur->entries.push_back({key, value});
    }
}

bool IniSettingsFile::Save() {
    std::error_code ec;
    fs::path p(path_);
    fs::create_directories(p.parent_path(), ec);
    std::string tmp = path_ + ".tmp." + std::to_string(::getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const auto& s : sections_) {
            out << '[' << s.name << "]\n";
            for (const auto& e : s.entries) out << e.key << '=' << Escape(e.value) << '\n';
            out << '\n';
        }
        out.flush();
        if (!out) {
            out.close();
            fs::remove(tmp, ec);
            return false;
        }
    }
    fs::rename(tmp, path_, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return false;
    }
    loadedStamp_ = Stamp(path_);
    return true;
}

IniSettingsFile::Section* IniSettingsFile::FindSection(const std::string& name) {
    for (auto& s : sections_)
        if (SameText(s.name, name)) return &s;
    return nullptr;
}

bool IniSettingsFile::Read(const std::string& section, const std::string& key, std::string& value) {
    Load();
    Section* s = FindSection(section);
    if (!s) return false;
    for (const auto& e : s->entries) {
        if (SameText(e.key, key)) {
            value = e.value;
            return true;
        }
    }
    return false;
}

bool IniSettingsFile::Write(const std::string& section, const std::string& key, const std::string& value) {
    Load();
    Section* s = FindSection(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    bool found = false;
    for (auto& e : s->entries) {
        if (SameText(e.key, key)) {
            e.value = value;
            found = true;
        }
    }
    if (!found) s->entries.push_back({key, value});
    return Save();
}

} // namespace pem
