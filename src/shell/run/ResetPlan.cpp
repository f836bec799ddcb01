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

// The sweeps of the deletion; each calls sweep(folder, depth, mask).
void ForEachSweep(const TResetRequest& r, const std::function<void(const std::string&, int, const std::string&)>& sweep) {
    const int depth = ResetDepth(r.structureLevel);
    if (!r.reportFolder.empty()) sweep(r.reportFolder, depth + 5, "");
    sweep(r.outputDir, depth + 2, "");
    sweep(InputTreeOf(r), depth + 2, "SRC####");
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
    return {};
}

int ResetDepth(int structureLevel) { return structureLevel == 99 ? 1 : structureLevel; }

TResetPlan CollectReset(const TResetRequest& r, const std::function<void()>& step) {
    TResetPlan plan;
    plan.refusal = ResetRefusal(r);
    if (!plan.refusal.empty()) return plan;
    auto stepped = [&] {
        if (step) step();
    };
    const int depth = ResetDepth(r.structureLevel);
    TStringList found;
    if (!r.reportFolder.empty()) {
        SearchFilesInTree(r.reportFolder, "", "*", depth + 1, found, "*.*");
        stepped();
    }
    std::vector<std::string> masks = {"Module Ranking.txt", "Rule Violations.txt", "last*", r.productName,
                                      r.systemName};
    if (!r.jobName.empty()) masks.push_back(r.jobName + "_*");
    for (const std::string& mask : masks) {
        if (mask.empty()) continue; // no name mask would take every file
        SearchFilesInTree(r.outputDir, "", mask, 1, found, "*.*");
        stepped();
    }
    for (const std::string& folder : kResultFolders) {
        SearchFilesInTree(r.outputDir, folder, "*", depth + 1, found, "*.*");
        stepped();
    }

    // Each file once, the open job file never; then what the sweeps would
    // take besides.
    TMaskSweep listing;
    listing.countOnly = true;
    if (!r.openJobFile.empty()) listing.keep.push_back(r.openJobFile);
    auto sameFile = [](const std::string& a) {
        struct stat st {};
        return ::stat(Cp1252ToUtf8(a).c_str(), &st) == 0 ? std::pair<dev_t, ino_t>(st.st_dev, st.st_ino)
                                                         : std::pair<dev_t, ino_t>(0, 0);
    };
    const auto kept = r.openJobFile.empty() ? std::pair<dev_t, ino_t>(0, 0) : sameFile(r.openJobFile);
    std::unordered_set<std::string> seen;
    seen.reserve(static_cast<size_t>(found.Count()) * 2);
    for (const auto& it : found) {
        const std::string path = NormalizePath(it.s, '/');
        if (!seen.insert(path).second) continue;
        if (kept.second != 0 && sameFile(path) == kept) continue;
        plan.files.push_back(path);
    }
    std::vector<std::string> more;
    ForEachSweep(r, [&](const std::string& folder, int levels, const std::string& mask) {
        std::vector<std::string> matched;
        listing.matched = &matched;
        ProcessFilesByMask(folder, "", levels, mask, listing);
        for (std::string& m : matched) {
            std::string path = NormalizePath(m, '/');
            if (seen.insert(path).second) more.push_back(std::move(path));
        }
        stepped();
    });
    std::sort(more.begin(), more.end());
    plan.files.insert(plan.files.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
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
    if (!r.openJobFile.empty()) sweep.keep.push_back(r.openJobFile);
    ForEachSweep(r, [&](const std::string& folder, int levels, const std::string& mask) {
        ProcessFilesByMask(folder, "", levels, mask, sweep);
        stepped();
    });
    ForceDirectories(r.outputDir);
}

} // namespace pem
