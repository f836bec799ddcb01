#include "IniSettingsFile.h"

#include "BaseStrings.h"
#include "BaseUtils.h"
#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace pem {

namespace {

// Backslashes are escaped, and so were line ends in files of earlier
// versions: a value read back is the value written.
void AppendEscaped(std::string& r, std::string_view v) {
    if (v.find_first_of("\\\n\r") == std::string_view::npos) {
        r += v;
        return;
    }
    for (char c : v) {
        if (c == '\\') r += "\\\\";
        else if (c == '\n') r += "\\n";
        else if (c == '\r') r += "\\r";
        else r += c;
    }
}
std::string Unescape(std::string_view v) {
    if (v.find('\\') == std::string_view::npos) return std::string(v);
    std::string r;
    r.reserve(v.size());
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

std::string Folded(std::string_view s) { return AsciiLowerCase(s); }

unsigned char FoldedChar(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

bool SameFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldedChar(static_cast<unsigned char>(a[i])) != FoldedChar(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

bool HoldsControl(const std::string& s) { return PosCharSetFrom(csControl, s) > 0; }

} // namespace

IniSettingsFile::IniSettingsFile(std::string path) : path_(std::move(path)) {}

std::string IniSettingsFile::PathFor(const std::string& application) {
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
    else base = "/tmp";
    return base + "/Valtmoor/" + Cp1252ToUtf8(application) + ".ini";
}

IniSettingsFile::Stamp IniSettingsFile::StampOf(const std::string& path) {
    Stamp s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.mtime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    s.size = static_cast<long long>(st.st_size);
    s.inode = static_cast<long long>(st.st_ino);
    return s;
}

void IniSettingsFile::Warn(const std::string& text) {
    if (OnWarning) OnWarning(text);
}

void IniSettingsFile::Load() {
    const Stamp stamp = StampOf(path_);
    if (everLoaded_ && stamp == loaded_) return;
    everLoaded_ = true;
    loaded_ = stamp;
    sections_.clear();
    sectionIndex_.clear();
    owned_.clear();
    text_.clear();
    refused_ = false;
    const TReadStatus status = TryReadRegularFile(path_, text_, kMaxSize);
    const std::string shown = Utf8ToCp1252(path_);
    const char* why = nullptr;
    switch (status) {
    case TReadStatus::Ok: Parse(); return;
    case TReadStatus::Missing: return;
    case TReadStatus::NotRegular: why = " is not a regular file"; break;
    case TReadStatus::TooLarge: why = " is larger than 64 MB and taken as corrupt"; break;
    case TReadStatus::Unreadable: why = " cannot be read"; break;
    }
    refused_ = true;
    Warn("Settings file " + shown + why + ": defaults are used and the file is left as it is");
}

std::string_view IniSettingsFile::Own(std::string_view text) { return owned_.emplace_back(text); }

void IniSettingsFile::Parse() {
    const std::string_view text(text_);
    // Room for every key at once, so that neither the index nor the entries
    // grow key by key: no more keys than lines, nor than "=" signs.
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    const auto signs = static_cast<std::size_t>(std::count(text.begin(), text.end(), '='));
    const std::size_t keys = std::min(lines, signs);
    bool reserved = false; // the first section with entries gets the room
    bool inSection = false;
    std::size_t cur = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const auto close = line.rfind(']');
            cur = SectionFor(std::string(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            inSection = true;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || !inSection) continue; // corrupt line: skipped
        if (!reserved) {
            sections_[cur].entries.reserve(keys);
            ReserveIndex(sections_[cur], keys);
            reserved = true;
        }
        // The last of equal keys counts.
        const std::string_view raw = line.substr(eq + 1);
        if (raw.find('\\') == std::string_view::npos) Put(cur, line.substr(0, eq), raw, false, false);
        else Put(cur, line.substr(0, eq), Unescape(raw), false, true);
    }
}

std::uint32_t IniSettingsFile::HashOf(std::string_view key) {
    // FNV-1a over the folded bytes.
    std::uint64_t h = 14695981039346656037ull;
    for (char c : key) {
        h ^= FoldedChar(static_cast<unsigned char>(c));
        h *= 1099511628211ull;
    }
    // Mixed down, so that keys that differ in their last digits spread
    // over the whole table.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h);
}

std::size_t IniSettingsFile::SlotOf(const Section& s, std::string_view key, std::uint32_t hash) {
    const std::size_t mask = s.keySlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = s.keySlots[i];
        if (slot.entry == kNoEntry) return i;
        if (slot.hash == hash && SameFolded(s.entries[slot.entry].key, key)) return i;
    }
}

void IniSettingsFile::ReserveIndex(Section& s, std::size_t keys) {
    std::size_t size = 16;
    while (size * 3 < keys * 4) size *= 2;
    if (size <= s.keySlots.size()) return;
    std::vector<Slot> old = std::move(s.keySlots);
    s.keySlots.assign(size, Slot{});
    const std::size_t mask = size - 1;
    for (const Slot& slot : old) {
        if (slot.entry == kNoEntry) continue;
        std::size_t i = slot.hash & mask;
        while (s.keySlots[i].entry != kNoEntry) i = (i + 1) & mask;
        s.keySlots[i] = slot;
    }
}

bool IniSettingsFile::Put(std::size_t section, std::string_view key, std::string_view value, bool ownKey,
                          bool ownValue) {
    Section& s = sections_[section];
    ReserveIndex(s, s.entries.size() + 1);
    const std::uint32_t hash = HashOf(key);
    Slot& slot = s.keySlots[SlotOf(s, key, hash)];
    const bool added = slot.entry == kNoEntry;
    if (added) {
        slot = {hash, static_cast<std::uint32_t>(s.entries.size())};
        s.entries.push_back({ownKey ? Own(key) : key, {}, kNotOwned});
    }
    Entry& e = s.entries[slot.entry];
    if (!ownValue) {
        e.value = value;
    } else if (e.ownedValue != kNotOwned) {
        // A value changed again reuses its string.
        std::string& own = owned_[e.ownedValue];
        own.assign(value);
        e.value = own;
    } else {
        e.ownedValue = static_cast<std::uint32_t>(owned_.size());
        e.value = Own(value);
    }
    return added;
}

bool IniSettingsFile::Save() {
    if (refused_) return false;
    std::string text;
    std::size_t size = 0;
    for (const auto& s : sections_) {
        size += s.name.size() + 4;
        for (const auto& e : s.entries) size += e.key.size() + e.value.size() + 2;
    }
    text.reserve(size + size / 8); // escapes are rare
    for (const auto& s : sections_) {
        text += '[';
        text += s.name;
        text += "]\n";
        for (const auto& e : s.entries) {
            text += e.key;
            text += '=';
            AppendEscaped(text, e.value);
            text += '\n';
        }
        text += '\n';
    }
    std::error_code ec;
    fs::create_directories(fs::path(path_).parent_path(), ec);
    try {
        ReplaceFileText(path_, text, Utf8ToCp1252(path_));
    } catch (const EFileError&) {
        return false;
    }
    loaded_ = StampOf(path_);
    return true;
}

std::size_t IniSettingsFile::SectionFor(const std::string& name) {
    const auto [it, added] = sectionIndex_.try_emplace(Folded(name), sections_.size());
    if (added) sections_.push_back({name, {}});
    return it->second;
}

IniSettingsFile::Entry* IniSettingsFile::FindEntry(const std::string& section, const std::string& key) {
    const auto s = sectionIndex_.find(Folded(section));
    if (s == sectionIndex_.end()) return nullptr;
    Section& sec = sections_[s->second];
    if (sec.keySlots.empty()) return nullptr;
    const Slot& slot = sec.keySlots[SlotOf(sec, key, HashOf(key))];
    return slot.entry == kNoEntry ? nullptr : &sec.entries[slot.entry];
}

bool IniSettingsFile::Read(const std::string& section, const std::string& key, std::string& value) {
    Load();
    const Entry* e = FindEntry(section, key);
    if (!e) return false;
    value.assign(e->value);
    return true;
}

bool IniSettingsFile::Write(const std::string& section, const std::string& key, const std::string& value) {
    if (HoldsControl(key) || HoldsControl(value)) {
        // A line end would break the file; other controls have no place in
        // a setting either.
        Warn("Setting " + RemoveCharSet(key, csControl) + " not saved: its value holds control characters");
        return false;
    }
    Load();
    if (const Entry* e = FindEntry(section, key); e && e->value == value) return !refused_;
    Put(SectionFor(section), key, value, true, true);
    return Save();
}

} // namespace pem
