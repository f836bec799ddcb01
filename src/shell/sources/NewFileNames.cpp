#include "NewFileNames.h"

#include "CharSet1252.h"

#include <algorithm>

namespace pem {

namespace {
std::string_view NameOf(std::string_view line) {
    const auto eq = line.find('=');
    return eq == std::string_view::npos ? line : line.substr(0, eq);
}
} // namespace

void TNewFileNames::Assign(const TStringList& lines) {
    lines_ = TStringList();
    auto& items = lines_.Items();
    items = lines.Items();
    std::stable_sort(items.begin(), items.end(), [](const TStringList::Item& a, const TStringList::Item& b) {
        return AnsiCompareText(NameOf(a.s), NameOf(b.s)) < 0;
    });
    Reindex();
}

void TNewFileNames::Clear() {
    lines_.Clear();
    index_.clear();
}

void TNewFileNames::Reindex() {
    index_.clear();
    index_.reserve(static_cast<std::size_t>(lines_.Count()));
    for (int i = 0; i < lines_.Count(); ++i) index_.emplace(AnsiLowerCase(NameOf(lines_[i])), i);
}

void TNewFileNames::SetValue(const std::string& name, const std::string& value) {
    const auto it = index_.find(AnsiLowerCase(name));
    if (it != index_.end()) {
        lines_.Put(it->second, name + "=" + value);
        return;
    }
    auto& items = lines_.Items();
    const std::string line = name + "=" + value;
    auto at = std::upper_bound(items.begin(), items.end(), name, [](const std::string& n, const TStringList::Item& it) {
        return AnsiCompareText(n, NameOf(it.s)) < 0;
    });
    items.insert(at, {line, nullptr});
    Reindex();
}

void TNewFileNames::SetValues(const std::vector<std::pair<std::string, std::string>>& pairs) {
    TStringList merged = lines_;
    std::unordered_map<std::string, int> at = index_;
    for (const auto& [name, value] : pairs) {
        const std::string key = AnsiLowerCase(name);
        if (auto it = at.find(key); it != at.end()) {
            merged.Put(it->second, name + "=" + value);
        } else {
            at.emplace(key, merged.Count());
            merged.Add(name + "=" + value);
        }
    }
    Assign(merged);
}

std::string TNewFileNames::Lookup(std::string_view text) const {
    const auto it = index_.find(AnsiLowerCase(NameOf(text)));
    if (it == index_.end()) return {};
    const std::string& line = lines_[it->second];
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

} // namespace pem
