#include "OleClipboardFormats.h"

#include "CharSet1252.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace pem {

namespace {

struct Registry {
    std::mutex lock;
    std::vector<std::string> names;                  // index = id - 0xC000
    std::unordered_map<std::string, UINT> byFolded; // ASCII case folded
};

Registry& Reg() {
    static Registry* r = new Registry; // lives as long as the process
    return *r;
}

} // namespace

UINT RegisterClipboardFormatA(std::string_view name) {
    if (name.empty()) return 0;
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    std::string folded = AsciiLowerCase(name);
    auto it = r.byFolded.find(folded);
    if (it != r.byFolded.end()) return it->second;
    if (r.names.size() >= 0x10000 - kFirstRegisteredFormat) return 0;
    UINT id = kFirstRegisteredFormat + static_cast<UINT>(r.names.size());
    r.names.emplace_back(name);
    r.byFolded.emplace(std::move(folded), id);
    return id;
}

std::string GetClipboardFormatNameA(UINT id, int maxChars) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    if (id < kFirstRegisteredFormat || id - kFirstRegisteredFormat >= r.names.size()) return {};
    std::string n = r.names[id - kFirstRegisteredFormat];
    if (maxChars >= 0 && static_cast<int>(n.size()) > maxChars) n.resize(static_cast<size_t>(maxChars));
    return n;
}

} // namespace pem
