#include "InputTreeEntries.h"

#include "CharSet1252.h"

#include <algorithm>

namespace pem {

void TInputTreeEntries::Clear() {
    entries_.clear();
    byKey_.clear();
    byValue_.clear();
}

void TInputTreeEntries::Add(const std::string& key, const std::string& value) {
    const int at = static_cast<int>(entries_.size());
    entries_.push_back({key, value});
    byKey_.emplace(AsciiUpperCase(key), at);
    byValue_.emplace(value, at);
}

bool TInputTreeEntries::AddLine(const std::string& line) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    Add(line.substr(0, eq), line.substr(eq + 1));
    return true;
}

const std::string* TInputTreeEntries::ValueOf(const std::string& key) const {
    const auto it = byKey_.find(AsciiUpperCase(key));
    return it == byKey_.end() ? nullptr : &entries_[static_cast<size_t>(it->second)].value;
}

const std::string* TInputTreeEntries::KeyOf(const std::string& value) const {
    const auto it = byValue_.find(value);
    return it == byValue_.end() ? nullptr : &entries_[static_cast<size_t>(it->second)].key;
}

namespace {
// Byte order of "key=value" without building the line.
bool LineLess(const TInputTreeEntry& a, const TInputTreeEntry& b) {
    const size_t na = a.key.size() + 1 + a.value.size();
    const size_t nb = b.key.size() + 1 + b.value.size();
    auto at = [](const TInputTreeEntry& e, size_t i) -> unsigned char {
        if (i < e.key.size()) return static_cast<unsigned char>(e.key[i]);
        if (i == e.key.size()) return '=';
        return static_cast<unsigned char>(e.value[i - e.key.size() - 1]);
    };
    const size_t n = std::min(na, nb);
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = at(a, i), cb = at(b, i);
        if (ca != cb) return ca < cb;
    }
    return na < nb;
}
} // namespace

void TInputTreeEntries::Sort() {
    std::stable_sort(entries_.begin(), entries_.end(), LineLess);
    Reindex();
}

void TInputTreeEntries::Reindex() {
    byKey_.clear();
    byValue_.clear();
    byKey_.reserve(entries_.size());
    byValue_.reserve(entries_.size());
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        byKey_.emplace(AsciiUpperCase(entries_[static_cast<size_t>(i)].key), i);
        byValue_.emplace(entries_[static_cast<size_t>(i)].value, i);
    }
}

TStringList TInputTreeEntries::Lines() const {
    TStringList lines;
    lines.Items().reserve(entries_.size());
    for (const auto& e : entries_) lines.Items().push_back({e.Line(), nullptr});
    return lines;
}

void TInputTreeEntries::SetLines(const TStringList& lines) {
    entries_.clear();
    entries_.reserve(static_cast<size_t>(lines.Count()));
    for (const auto& item : lines) {
        const auto eq = item.s.find('=');
        if (eq != std::string::npos) entries_.push_back({item.s.substr(0, eq), item.s.substr(eq + 1)});
    }
    Reindex();
}

bool TInputTreeEntries::SplitKey(const std::string& key, std::string& kind, std::string& number) {
    size_t i = 0;
    while (i < key.size() && ((key[i] >= 'A' && key[i] <= 'Z') || (key[i] >= 'a' && key[i] <= 'z'))) ++i;
    if (i == 0 || i == key.size()) return false;
    for (size_t j = i; j < key.size(); ++j)
        if (key[j] < '0' || key[j] > '9') return false;
    kind = key.substr(0, i);
    number = key.substr(i);
    return true;
}

} // namespace pem
