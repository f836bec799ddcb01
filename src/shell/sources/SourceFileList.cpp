#include "SourceFileList.h"

#include "CharSet1252.h"

#include <algorithm>
#include <unordered_set>

namespace pem {

int CompareSourcePaths(std::string_view a, std::string_view b) { return CompareListText(a, b); }

bool TSourcePathLess::operator()(const TSourceFile& a, const TSourceFile& b) const {
    return CompareSourcePaths(a.path, b.path) < 0;
}

namespace {

// Sorts the entries stably in list order. The folded key of each path is
// taken once (ListOrderOf), so the sort compares keys held side by side
// instead of folding both paths again on every comparison; the entries
// themselves move once, to their places.
void SortEntries(std::vector<TSourceFile>::iterator first, std::vector<TSourceFile>::iterator last) {
    const auto n = static_cast<std::size_t>(last - first);
    std::vector<std::size_t> order;
    {
        std::vector<std::string_view> texts;
        texts.reserve(n);
        for (auto it = first; it != last; ++it) texts.push_back(it->path);
        order = ListOrderOf(texts);
    }
    std::vector<TSourceFile> sorted;
    sorted.reserve(n);
    for (std::size_t i : order) sorted.push_back(std::move(first[static_cast<std::ptrdiff_t>(i)]));
    std::move(sorted.begin(), sorted.end(), first);
}

} // namespace

void TSourceFileList::EnsureSorted() const {
    if (sortedCount_ == items_.size()) return;
    // The appended tail is sorted on its own and merged in; both steps are
    // stable, so an entry that was already listed stays before an equal new one.
    auto mid = items_.begin() + static_cast<std::ptrdiff_t>(sortedCount_);
    if (!std::is_sorted(mid, items_.end(), TSourcePathLess())) SortEntries(mid, items_.end());
    if (mid != items_.begin() && mid != items_.end() && TSourcePathLess()(*mid, *(mid - 1)))
        std::inplace_merge(items_.begin(), mid, items_.end(), TSourcePathLess());
    sortedCount_ = items_.size();
}

const std::vector<TSourceFile>& TSourceFileList::Items() const {
    EnsureSorted();
    return items_;
}

void TSourceFileList::SetChecked(int i, bool c) {
    EnsureSorted();
    items_.at(static_cast<std::size_t>(i)).checked = c;
}

void TSourceFileList::SetEnabled(int i, bool e) {
    EnsureSorted();
    items_.at(static_cast<std::size_t>(i)).enabled = e;
}

int TSourceFileList::CheckedCount() const {
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const TSourceFile& f) { return f.checked; }));
}

void TSourceFileList::Clear() {
    items_.clear();
    sortedCount_ = 0;
}

void TSourceFileList::Assign(std::vector<TSourceFile> items) {
    items_ = std::move(items);
    sortedCount_ = 0;
    EnsureSorted();
}

void TSourceFileList::Append(std::string path, bool checked, bool enabled) {
    items_.push_back({std::move(path), checked, enabled});
}

int TSourceFileList::IndexOf(std::string_view path) const {
    EnsureSorted();
    auto it = std::lower_bound(items_.begin(), items_.end(), path, [](const TSourceFile& f, std::string_view p) {
        return CompareSourcePaths(f.path, p) < 0;
    });
    if (it == items_.end() || it->path != path) return -1;
    return static_cast<int>(it - items_.begin());
}

int TSourceFileList::AddNew(const std::vector<std::string>& paths) {
    // Nothing given costs nothing, whatever the list's length; a few paths
    // are looked up in the sorted list instead of hashing all of it.
    if (paths.empty()) return 0;
    std::unordered_set<std::string_view> known;
    const bool few = paths.size() < items_.size() / 32;
    if (few) {
        EnsureSorted();
    } else {
        known.reserve(items_.size() + paths.size());
        for (const TSourceFile& f : items_) known.insert(f.path);
    }
    // Views into the paths given stay valid: they are only read here.
    int added = 0;
    std::vector<std::string_view> fresh;
    for (const std::string& p : paths) {
        if (few && IndexOf(p) >= 0) continue;
        if (known.insert(p).second) fresh.push_back(p);
    }
    for (std::string_view p : fresh) {
        items_.push_back({std::string(p), true, true});
        ++added;
    }
    return added;
}

bool TSourceFileList::AddTree(std::vector<std::string> found, const TListProgress& progress, bool foundSorted) {
    if (items_.empty()) {
        items_.reserve(found.size());
        for (std::string& p : found) items_.push_back({std::move(p), true, true});
        sortedCount_ = foundSorted ? items_.size() : 0;
        EnsureSorted();
        return true;
    }
    EnsureSorted();
    if (!foundSorted) {
        std::vector<std::string_view> texts(found.begin(), found.end());
        const std::vector<std::size_t> order = ListOrderOf(texts);
        std::vector<std::string> sorted;
        sorted.reserve(found.size());
        for (std::size_t i : order) sorted.push_back(std::move(found[i]));
        found = std::move(sorted);
    }

    // One pass merges the two sorted runs (a listed entry before an equal
    // new one) into a new vector and drops every entry equal to the one kept
    // before it, ticking the kept one. The caller hears of every 256th
    // position of the merged list (and the first): often enough to serve
    // the window and see a stop request.
    const std::size_t total = items_.size() + found.size();
    const int max = static_cast<int>(total);
    std::vector<TSourceFile> kept;
    kept.reserve(total);
    std::size_t i = 0, j = 0;
    bool completed = true;
    auto next = [&]() -> TSourceFile {
        if (j == found.size() || (i < items_.size() && CompareSourcePaths(found[j], items_[i].path) >= 0))
            return std::move(items_[i++]);
        return TSourceFile{std::move(found[j++]), true, true};
    };
    for (std::size_t position = 0; position < total; ++position) {
        if (progress && position % 256 == 0 && !progress(static_cast<int>(position) + 1, max)) {
            completed = false;
            break;
        }
        TSourceFile f = next();
        if (!kept.empty() && kept.back().path == f.path) {
            kept.back().checked = true;
            continue;
        }
        kept.push_back(std::move(f));
    }
    // A stopped pass keeps the rest as it stands, still in order.
    while (i < items_.size() || j < found.size()) kept.push_back(next());
    items_ = std::move(kept);
    sortedCount_ = items_.size();
    return completed;
}

int TSourceFileList::RemoveUnchecked() {
    EnsureSorted();
    const auto before = items_.size();
    items_.erase(std::remove_if(items_.begin(), items_.end(), [](const TSourceFile& f) { return !f.checked; }),
                 items_.end());
    sortedCount_ = items_.size();
    return static_cast<int>(before - items_.size());
}

void TSourceFileList::CheckAll(bool checked) {
    for (TSourceFile& f : items_) f.checked = checked;
}

void TSourceFileList::InvertChecks() {
    for (TSourceFile& f : items_) f.checked = !f.checked;
}

void TSourceFileList::CheckPrefix(std::string_view prefix, bool checked) {
    for (TSourceFile& f : items_)
        if (f.path.compare(0, prefix.size(), prefix) == 0) f.checked = checked;
}

void TSourceFileList::NumberStructureRows() {
    EnsureSorted();
    for (std::size_t i = 0; i < items_.size(); ++i) items_[i].structureRow = static_cast<int>(i);
}

} // namespace pem
