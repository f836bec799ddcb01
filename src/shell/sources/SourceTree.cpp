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
        if (ok) subs.push_back(std::move(name8));
    }
    return subs;
}

struct Part {
    std::vector<std::string> files;
    std::vector<std::string> skipped;
};

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
    // The order compares the case-folded texts, then the texts themselves:
    // folding each path once and comparing the folded copies byte by byte
    // gives the same order at a fraction of the cost.
    const std::size_t n = paths.size();
    std::vector<std::string> folded;
    folded.reserve(n);
    for (const std::string& p : paths) folded.push_back(AnsiLowerCase(p));
    auto less = [&](std::size_t a, std::size_t b) {
        const int c = folded[a].compare(folded[b]);
        return c != 0 ? c < 0 : paths[a] < paths[b];
    };
    bool sorted = true;
    for (std::size_t i = 1; i < n && sorted; ++i) sorted = !less(i, i - 1);
    if (sorted) return;
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    std::sort(order.begin(), order.end(), less);
    std::vector<std::string> out;
    out.reserve(n);
    for (std::size_t i : order) out.push_back(std::move(paths[i]));
    paths = std::move(out);
}

TCollectedTree CollectSourceTree(const std::string& folder, const std::string& searchList) {
    TCollectedTree tree;
    if (searchList.empty()) return tree;
    // The files of the folder itself, then its sub-trees shared out among a
    // few searches at once; each part is sorted on its own and the sorted
    // parts merged.
    const std::vector<std::string> subs = TopFolders(folder);
    const std::size_t threads = std::min<std::size_t>(4, std::max<std::size_t>(1, subs.size()));
    std::vector<Part> parts(threads + 1);
    {
        TStringList found;
        SearchFilesInTree(folder, "", "", 1, found, searchList);
        Take(found, parts[threads]);
        SortSourcePaths(parts[threads].files);
    }
    std::atomic<std::size_t> next{0};
    auto work = [&](std::size_t k) {
        TStringList found;
        for (std::size_t i = next++; i < subs.size(); i = next++) {
            FindFilesRecursive(folder, subs[i], searchList, found);
            Take(found, parts[k]);
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

} // namespace pem
