#pragma once
// The per-user settings file that stands in for the registry: an INI file at
// $XDG_CONFIG_HOME/Valtmoor/<application>.ini (default ~/.config), one
// section per settings section, keys compared without regard to ASCII case.
//
// The file is read once into an index and read again only when it changed
// on disk. It is saved only when a value changes (a new key counts as a
// change), through a temporary file that replaces it in one step (links and
// permissions kept), so a crash never leaves half a file.
//
// A settings file that is not a regular file (a FIFO, a device), that cannot
// be read or that is larger than kMaxSize is not used: the values start
// empty, live in memory only, and the file is never written over. Values and
// keys holding control characters are not stored. Both are reported through
// OnWarning.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pem {

class IniSettingsFile {
public:
    // Larger files are taken as corrupt.
    static constexpr std::uint64_t kMaxSize = 64ull << 20;

    explicit IniSettingsFile(std::string path);

    // The path of an application's settings file.
    static std::string PathFor(const std::string& application);

    const std::string& Path() const { return path_; }
    // True with the value when the key exists (an unreadable or corrupt file
    // reads as empty).
    bool Read(const std::string& section, const std::string& key, std::string& value);
    // Stores the value and saves the file when the value changed. False when
    // the value was not stored (control characters) or the file could not be
    // or may not be written.
    bool Write(const std::string& section, const std::string& key, const std::string& value);
    // The file is not used (see above).
    bool Refused() const { return refused_; }

    // Receives each warning as program text; nothing is reported when unset.
    std::function<void(const std::string&)> OnWarning;

private:
    // Keys and values are views: into the text as it was read, or into a
    // string of owned_ (a value unescaped, changed or new, a new key), so
    // that a load makes no string per key.
    static constexpr std::uint32_t kNotOwned = 0xFFFFFFFFu;
    struct Entry {
        std::string_view key, value;
        std::uint32_t ownedValue = kNotOwned; // the value's string in owned_
    };
    // A section's key index: open addressing over one flat table, each slot
    // holding the key's case-folded hash and where its entry is. A look-up
    // folds the key as it hashes and compares, so the index holds no copies
    // of the keys, and its small slots keep it compact as the keys grow.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t entry = 0xFFFFFFFFu;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::vector<Slot> keySlots; // a power of two in size, at most 3/4 used
    };
    struct Stamp {
        long long mtime = 0, size = 0, inode = 0;
        bool exists = false;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const std::string& path);
    void Load();
    void Parse();
    // A copy of the text kept for as long as the entries are.
    std::string_view Own(std::string_view text);
    bool Save();
    std::size_t SectionFor(const std::string& name);
    // The entry of a key, or null.
    Entry* FindEntry(const std::string& section, const std::string& key);
    // Adds the entry, or replaces the value of the key; whether it was
    // added. Views that are not kept alive elsewhere must be owned.
    bool Put(std::size_t section, std::string_view key, std::string_view value, bool ownKey, bool ownValue);
    void Warn(const std::string& text);

    static constexpr std::uint32_t kNoEntry = 0xFFFFFFFFu;
    static std::uint32_t HashOf(std::string_view key);
    // The slot holding the key, or the free slot where it belongs.
    static std::size_t SlotOf(const Section& s, std::string_view key, std::uint32_t hash);
    // Room in the section's index for this many keys.
    static void ReserveIndex(Section& s, std::size_t keys);

    std::string path_;
    std::string text_;               // the text as it was read
    std::deque<std::string> owned_; // never moves its strings
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionIndex_; // folded name -> section
    Stamp loaded_;
    bool everLoaded_ = false;
    bool refused_ = false;
};

} // namespace pem
