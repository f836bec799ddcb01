#include "DeleteTemporaryFiles.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "ProcessFilesByMask.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

namespace {

namespace fs = std::filesystem;

// An entry's path as the file system takes it: "\" becomes "/", a relative
// path counts from the output directory, "." and ".." parts are resolved.
std::string EntryPath(const std::string& value, const std::string& outputDir) {
    std::string path = value;
    for (char& c : path)
        if (c == '\\') c = '/';
    return ExpandRelativePath(path, outputDir, '/');
}

bool Inside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

std::string ParentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

bool DeleteFile(const std::string& path) { return ::unlink(Cp1252ToUtf8(path).c_str()) == 0; }

// Removes the folder when it is empty.
void RemoveEmptyFolder(const std::string& path) { ::rmdir(Cp1252ToUtf8(path).c_str()); }

fs::path Resolved(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::path(Cp1252ToUtf8(path)), ec);
    if (ec) p = fs::path(Cp1252ToUtf8(path)).lexically_normal();
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return fs::path(s);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(Cp1252ToUtf8(a).c_str(), &sa) == 0 && ::stat(Cp1252ToUtf8(b).c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

std::string WorkFolderRefusal(const std::string& workFolder, const std::string& outputDir) {
    if (workFolder.empty() || workFolder[0] != '/') return "it is not an absolute path";
    const std::string work = Resolved(workFolder).string();
    if (work == "/") return "it is the root folder";
    const std::string home = HomeFolder();
    if (!home.empty() && work == Resolved(Utf8ToCp1252(home)).string()) return "it is the home folder";
    if (!outputDir.empty()) {
        const std::string out = Resolved(outputDir).string();
        if (work == out) return "it is the output directory";
        if (Inside(out, work)) return "it holds the output directory";
    }
    return {};
}

TDeleteTemporaryReport DeleteTemporaryFiles(const TTemporaryFilesSettings& s) {
    TDeleteTemporaryReport report;
    const std::string outputDir = NormalizePath(ExcludeTrailingSeparator(s.outputDir, '/'), '/');
    const std::string dir = outputDir + "/";
    const std::string inputTree = dir + "workinp";
    auto remove = [&](const std::string& path) {
        if (DeleteFile(path)) ++report.filesDeleted;
    };

    if (s.deleteAfterControl) {
        if (!s.functionTable.empty()) {
            const std::string copy = dir + ExtractFileName(s.functionTable);
            if (!SameFile(copy, s.functionTable)) remove(copy);
        }
        for (const char* name : {"functab.wrl", "Repo_Tab.csv", "last.xml", "lastbatch.cmd"}) remove(dir + name);
        report.filesDeleted += ProcessFilesByMask(outputDir, "", 1, false, "LAST####");
    }
    if (s.productKind == 1 && !s.systemName.empty()) remove(inputTree + "/" + s.systemName + ".csv");

    std::vector<std::string> outside;
    auto insideTree = [&](const std::string& value, std::string& path) {
        path = EntryPath(value, outputDir);
        if (path == inputTree || Inside(path, inputTree)) return true;
        outside.push_back(value);
        return false;
    };
    std::string path;
    if (s.entries) {
        const auto& entries = s.entries->Entries();
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            std::string kind, number;
            if (!TInputTreeEntries::SplitKey(it->key, kind, number) || !SameText(kind, "XCPY")) continue;
            if (insideTree(it->value, path)) remove(path);
            if (s.step) s.step();
        }
        const bool parents = s.structureLevel >= 1 && s.structureLevel <= 3;
        std::string lastParent;
        for (const TInputTreeEntry& e : entries) {
            std::string kind, number;
            if (!TInputTreeEntries::SplitKey(e.key, kind, number) || !SameText(kind, "FDR")) continue;
            if (!insideTree(e.value, path)) continue;
            RemoveEmptyFolder(path);
            if (!parents) continue;
            const std::string parent = ParentOf(path);
            if (!lastParent.empty() && parent != lastParent && Inside(lastParent, inputTree)) RemoveEmptyFolder(lastParent);
            lastParent = parent;
        }
        if (parents && Inside(lastParent, inputTree)) {
            RemoveEmptyFolder(lastParent);
            const std::string above = ParentOf(lastParent);
            if (s.structureLevel >= 2 && (above == inputTree || Inside(above, inputTree))) RemoveEmptyFolder(above);
        }
    }
    if (!outside.empty())
        report.warnings.push_back("Input tree entries outside " + inputTree + " left alone: " +
                                  std::to_string(outside.size()) + ", the first " + outside.front());

    const std::string refusal = WorkFolderRefusal(s.workFolder, outputDir);
    if (refusal.empty())
        report.filesDeleted += ProcessFilesByMask(s.workFolder, "", 99, false, "*.*");
    else
        report.warnings.push_back("The work folder " + s.workFolder + " was not emptied: " + refusal);
    RemoveEmptyFolder(inputTree);
    return report;
}

} // namespace pem
