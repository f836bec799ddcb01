#include "SourceTree.h"

#include "CharSet1252.h"
#include "FileFilter.h"
#include "SharedRoutinesFiles.h"
#include "SourceFileList.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <future>
#include <system_error>

namespace pem {

namespace {

// The folders right below the start folder, as the search would enter them:
// no hidden ones, no links, names the code page can hold.
std::vector<std::string> TopFolders(const std::string& folder) {
    std::vector<std::string> subs;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(Cp1252ToUtf8(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        if (!it->is_directory(e2) || it->is_symlink(e2)) continue;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        bool ok = true;
        std::string name8 = Utf8ToCp1252(name, &ok);
        if (ok) subs.push_back(std::move(name8)); // the others are told of by the search of the folder
    }
    return subs;
}

struct Part {
    std::vector<std::string> files;
    std::vector<std::string> skipped;
};

// Names on disk that the list cannot hold become warnings like the others,
// shown as near as Windows-1252 comes.
void TakeUnfit(std::vector<std::string>& unfit, Part& part) {
    for (const std::string& path : unfit)
        part.skipped.push_back(SkippedSourceMessage(Utf8ToCp1252(path), kUnfitNameReason));
    unfit.clear();
}

void Take(TStringList& found, Part& part) {
    for (auto& item : found.Items()) {
        const std::string reason = UnsafeSourceNameReason(item.s);
        if (!reason.empty()) {
            part.skipped.push_back(SkippedSourceMessage(item.s, reason));
            continue;
        }
        part.files.push_back(std::move(item.s));
    }
    found.Clear();
}

} // namespace

void SortSourcePaths(std::vector<std::string>& paths) {
    std::vector<std::string_view> texts(paths.begin(), paths.end());
    const std::vector<std::size_t> order = ListOrderOf(texts);
    bool sorted = true;
    for (std::size_t i = 0; i < order.size() && sorted; ++i) sorted = order[i] == i;
    if (sorted) return;
    std::vector<std::string> out;
    out.reserve(paths.size());
    for (std::size_t i : order) out.push_back(std::move(paths[i]));
    paths = std::move(out);
}

TCollectedTree CollectSourceTree(const std::string& folder, const std::string& searchList) {
    TCollectedTree tree;
    if (searchList.empty()) return tree;
    // The files of the folder itself, then its sub-trees shared out among a
    // few searches at once; each part is sorted on its own and the sorted
    // parts merged.
    std::vector<std::string> unfitTop;
    const std::vector<std::string> subs = TopFolders(folder);
    const std::size_t threads = std::min<std::size_t>(4, std::max<std::size_t>(1, subs.size()));
    std::vector<Part> parts(threads + 1);
    {
        TStringList found;
        SearchFilesInTree(folder, "", "", 1, found, searchList, &unfitTop);
        Take(found, parts[threads]);
        TakeUnfit(unfitTop, parts[threads]);
        SortSourcePaths(parts[threads].files);
    }
    std::atomic<std::size_t> next{0};
    auto work = [&](std::size_t k) {
        TStringList found;
        std::vector<std::string> unfit;
        for (std::size_t i = next++; i < subs.size(); i = next++) {
            FindFilesRecursive(folder, subs[i], searchList, found, &unfit);
            Take(found, parts[k]);
            TakeUnfit(unfit, parts[k]);
        }
        SortSourcePaths(parts[k].files);
    };
    std::vector<std::future<void>> running;
    for (std::size_t k = 1; k < threads; ++k) running.push_back(std::async(std::launch::async, work, k));
    work(0);
    for (auto& r : running) r.get();

    std::size_t total = 0;
    for (const Part& p : parts) total += p.files.size();
    tree.files.reserve(total);
    auto less = [](const std::string& a, const std::string& b) { return CompareSourcePaths(a, b) < 0; };
    for (Part& p : parts) {
        const auto mid = static_cast<std::ptrdiff_t>(tree.files.size());
        for (std::string& f : p.files) tree.files.push_back(std::move(f));
        std::inplace_merge(tree.files.begin(), tree.files.begin() + mid, tree.files.end(), less);
        for (std::string& s : p.skipped) tree.skipped.push_back(std::move(s));
    }
    return tree;
}

std::vector<std::string> LeaveOutUnsafeEntries(TSourceFileList& list) {
    std::vector<std::string> warnings;
    for (int i = 0; i < list.Count(); ++i) {
        const std::string reason = UnsafeSourceNameReason(list.Path(i));
        if (reason.empty()) continue;
        list.SetChecked(i, false);
        list.SetEnabled(i, false);
        warnings.push_back(LeftOutSourceMessage(list.Path(i), reason));
    }
    return warnings;
}

} // namespace pem
