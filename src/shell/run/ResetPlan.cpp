#include "ResetPlan.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "OutputDirRules.h"
#include "ProcessFilesByMask.h"
#include "SharedRoutinesFiles.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace pem {

const std::vector<std::string> kResultFolders = {"Metrics", "Defis", "Specs", "Requs", "Comments",
                                                 "Exports", "Cases", "Instru", "Tables"};

namespace {

// The folder as the file system resolves it ("" when it cannot say).
fs::path Resolved(const std::string& folder) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::path(Cp1252ToUtf8(folder)), ec);
    return ec ? fs::path() : p;
}

// Whether inner is outer or lies below it.
bool Within(const fs::path& inner, const fs::path& outer) {
    if (inner.empty() || outer.empty()) return false;
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty()) continue; // a trailing separator
        if (i == inner.end() || *i != *o) return false;
    }
    return true;
}

std::string InputTreeOf(const TResetRequest& r) {
    return r.inputTreePath.empty() ? IncludeTrailingSeparator(r.outputDir, '/') + "workinp" : r.inputTreePath;
}

// The sweeps of the deletion: the report folder (0), the output directory
// (1), the input tree (2); each calls sweep(which, folder, depth, mask).
void ForEachSweep(const TResetRequest& r,
                  const std::function<void(int, const std::string&, int, const std::string&)>& sweep) {
    const int depth = ResetDepth(r.structureLevel);
    if (!r.reportFolder.empty()) sweep(0, r.reportFolder, depth + 5, "");
    sweep(1, r.outputDir, depth + 2, "");
    sweep(2, InputTreeOf(r), depth + 2, "SRC####");
}

// The source's path as a file name: a test-tool input is held as
// "label=path".
std::string SourcePathOf(const std::string& item) {
    if (!item.empty() && item[0] == '/') return item;
    const size_t eq = item.find('=');
    return eq == std::string::npos ? item : item.substr(eq + 1);
}

// The first source lying inside out (resolved), "" when none does. Folders
// are resolved once each.
std::string SourceInside(const std::vector<std::string>& sources, const fs::path& out) {
    std::unordered_map<std::string, bool> folderInside;
    for (const std::string& item : sources) {
        const std::string path = SourcePathOf(item);
        if (path.empty() || path[0] != '/') continue;
        const std::string folder = path.substr(0, path.find_last_of('/'));
        auto [it, added] = folderInside.emplace(folder, false);
        if (added) it->second = Within(Resolved(folder.empty() ? "/" : folder), out);
        if (it->second) return path;
    }
    return {};
}

} // namespace

std::string ResetRefusal(const TResetRequest& r) {
    const TOutputDirCheck check = CheckOutputDirText(r.outputDir);
    if (check != TOutputDirCheck::Ok) return OutputDirCheckMessage(check);
    const fs::path out = Resolved(r.outputDir);
    if (out.empty() || out == out.root_path())
        return "Reset refused, the output directory " + r.outputDir + " is the root of the file system";
    if (!r.homeDir.empty() && Within(Resolved(r.homeDir), out))
        return "Reset refused, the output directory " + r.outputDir + " holds the home folder";
    if (!r.commonRoot.empty() && Within(Resolved(r.commonRoot), out))
        return "Reset refused, the output directory " + r.outputDir + " holds the job's sources (" + r.commonRoot + ")";
    if (const std::string source = SourceInside(r.sources, out); !source.empty())
        return "Reset refused, the output directory " + r.outputDir + " holds the job's sources (" + source + ")";
    return {};
}

int ResetDepth(int structureLevel) { return structureLevel == 99 ? 1 : structureLevel; }

namespace {

// The order of the file search: folder by folder from the top, the entries
// of a folder in byte order of their names, files and folders interleaved.
bool SearchOrder(std::string_view a, std::string_view b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    if (i == a.size() || i == b.size()) return a.size() < b.size();
    // A name that ends here comes before a longer one.
    const unsigned char ca = a[i] == '/' ? 0 : static_cast<unsigned char>(a[i]);
    const unsigned char cb = b[i] == '/' ? 0 : static_cast<unsigned char>(b[i]);
    return ca < cb;
}

std::string FolderOf(const std::string& folder) {
    return folder.empty() ? folder : ExcludeTrailingSeparator(NormalizePath(folder, '/'), '/');
}

} // namespace

TResetPlan CollectReset(const TResetRequest& request, const std::function<void()>& step) {
    TResetPlan plan;
    plan.refusal = ResetRefusal(request);
    if (!plan.refusal.empty()) return plan;
    auto stepped = [&] {
        if (step) step();
    };
    TResetRequest r = request;
    r.outputDir = FolderOf(r.outputDir);
    r.reportFolder = FolderOf(r.reportFolder);
    r.inputTreePath = FolderOf(InputTreeOf(r));
    const int depth = ResetDepth(r.structureLevel);

    // What the deletion's sweeps take: every file the reset may announce.
    std::vector<std::string> inReport, inOut, inTree;
    TMaskSweep listing;
    listing.countOnly = true;
    listing.within = r.outputDir;
    if (!r.openJobFile.empty()) listing.keep.push_back(r.openJobFile);
    std::vector<std::string>* lists[] = {&inReport, &inOut, &inTree};
    std::vector<std::string> linked;
    listing.linkedFolders = &linked;
    ForEachSweep(r, [&](int which, const std::string& folder, int levels, const std::string& mask) {
        listing.matched = lists[which];
        bool leftAlone = false;
        listing.leftAlone = &leftAlone;
        ProcessFilesByMask(folder, "", levels, mask, listing);
        if (leftAlone) plan.leftAlone.push_back(folder);
        stepped();
    });
    // Links to folders met inside the sweeps; a link two sweeps meet is
    // named once.
    for (std::string& folder : linked)
        if (std::find(plan.leftAlone.begin(), plan.leftAlone.end(), folder) == plan.leftAlone.end())
            plan.leftAlone.push_back(std::move(folder));

    // The announcement follows the searches: the report folder's files down
    // to depth + 1 levels, the output directory's named files, the result
    // folders' files (the output directory's sweep holds them whole); then
    // the rest. A file two sweeps take is announced once.
    const std::string reportPrefix = r.reportFolder + "/";
    std::vector<std::string*> reportFiles, rest;
    for (std::string& p : inReport) {
        if (std::count(p.begin() + static_cast<long>(reportPrefix.size()), p.end(), '/') <= depth)
            reportFiles.push_back(&p);
        else rest.push_back(&p);
    }
    auto bySearch = [](const std::string* a, const std::string* b) { return SearchOrder(*a, *b); };
    std::sort(reportFiles.begin(), reportFiles.end(), bySearch);

    TStringList named;
    std::vector<std::string> masks = {"Module Ranking.txt", "Rule Violations.txt", "last*", r.productName,
                                      r.systemName};
    if (!r.jobName.empty()) masks.push_back(r.jobName + "_*");
    for (const std::string& mask : masks) {
        if (mask.empty()) continue; // no name mask would take every file
        SearchFilesInTree(r.outputDir, "", mask, 1, named, "*.*");
        stepped();
    }
    std::unordered_map<std::string_view, std::string*> namedSwept;
    for (const auto& it : named) namedSwept.emplace(it.s, nullptr);

    const std::unordered_set<std::string_view> reportSet(inReport.begin(), inReport.end());
    const std::unordered_set<std::string_view> treeSet(inTree.begin(), inTree.end());
    std::unordered_set<std::string_view> treeInOut;
    std::vector<std::vector<std::string*>> inFolders(kResultFolders.size());
    const std::string outPrefix = r.outputDir + "/";
    for (std::string& p : inOut) {
        if (!reportSet.empty() && reportSet.count(p)) continue;
        if (!treeSet.empty() && treeSet.count(p)) treeInOut.insert(p);
        const size_t slash = p.find('/', outPrefix.size());
        if (slash == std::string::npos) {
            if (auto it = namedSwept.find(p); it != namedSwept.end()) it->second = &p;
            else rest.push_back(&p);
            continue;
        }
        const std::string_view top = std::string_view(p).substr(outPrefix.size(), slash - outPrefix.size());
        const auto it = std::find(kResultFolders.begin(), kResultFolders.end(), top);
        if (it != kResultFolders.end()) inFolders[static_cast<size_t>(it - kResultFolders.begin())].push_back(&p);
        else rest.push_back(&p);
    }
    for (std::string& p : inTree)
        if (!treeInOut.count(p)) rest.push_back(&p);

    plan.files.reserve(inReport.size() + inOut.size() + inTree.size());
    for (std::string* p : reportFiles) plan.files.push_back(std::move(*p));
    for (const auto& it : named)
        if (auto at = namedSwept.find(it.s); at != namedSwept.end() && at->second) {
            plan.files.push_back(std::move(*at->second));
            at->second = nullptr; // a file two masks name is announced once
        }
    for (auto& files : inFolders) {
        std::sort(files.begin(), files.end(), bySearch);
        for (std::string* p : files) plan.files.push_back(std::move(*p));
    }
    std::sort(rest.begin(), rest.end(), [](const std::string* a, const std::string* b) { return *a < *b; });
    for (std::string* p : rest) plan.files.push_back(std::move(*p));
    return plan;
}

std::string ResetQuestion(const TResetPlan& plan) {
    const size_t count = plan.files.size();
    std::string q = "You are going to reset your job to it's initial state.\r\nYou have  " + std::to_string(count) +
                    " files in your output folders. Should I continue ?\r\n\r\nYour files:";
    for (size_t i = 0; i < count && i <= 10; ++i) q += "\r\n" + plan.files[i];
    if (count > 10) q += "\r\n...";
    return q;
}

void ExecuteReset(const TResetPlan& plan, const TResetRequest& r, const std::function<void()>& step) {
    if (!plan.refusal.empty()) return;
    auto stepped = [&] {
        if (step) step();
    };
    for (const std::string& file : plan.files) {
        ::unlink(Cp1252ToUtf8(file).c_str());
        stepped();
    }
    TMaskSweep sweep;
    sweep.within = FolderOf(r.outputDir);
    if (!r.openJobFile.empty()) sweep.keep.push_back(r.openJobFile);
    ForEachSweep(r, [&](int, const std::string& folder, int levels, const std::string& mask) {
        ProcessFilesByMask(folder, "", levels, mask, sweep);
        stepped();
    });
    ForceDirectories(r.outputDir);
}

} // namespace pem
