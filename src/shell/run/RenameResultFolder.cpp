#include "RenameResultFolder.h"

#include "CharSet1252.h"
#include "ProcessLauncher.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

namespace pem {

namespace {

enum class TKind { None, Comp, Mod, Src };

TKind KindOf(const std::string& name) {
    if (name.size() >= 4 && SameText(name.substr(0, 4), "COMP")) return TKind::Comp;
    if (name.size() >= 3 && SameText(name.substr(0, 3), "MOD")) return TKind::Mod;
    if (name.size() >= 3 && SameText(name.substr(0, 3), "SRC")) return TKind::Src;
    return TKind::None;
}

// An entry value as a path inside the result folder: its parts are split
// at the shell's own separator "/" only ("\" is an ordinary character of a
// file name here), a leading separator is dropped (joined to the folder, it
// never counted). False when the value would lead elsewhere: a drive, a
// doubled leading separator (a network path) or a ".." part. One leading
// separator stands for the result folder itself, as the module entries of
// structure level 1 begin.
bool InsideRelative(const std::string& value, std::string& rel) {
    if (value.size() >= 2 && value[1] == ':') return false;
    if (value.size() >= 2 && value[0] == '/' && value[1] == '/') return false;
    rel.clear();
    size_t start = 0;
    std::string path = value;
    while (start < path.size() && path[start] == '/') ++start;
    path = path.substr(start);
    size_t at = 0;
    while (at <= path.size()) {
        size_t next = path.find('/', at);
        if (next == std::string::npos) next = path.size();
        const std::string part = path.substr(at, next - at);
        if (part == "..") return false;
        at = next + 1;
    }
    rel = path;
    return true;
}

// The value without the extension of its last part.
std::string WithoutExtension(const std::string& rel) {
    const size_t slash = rel.rfind('/');
    const size_t dot = rel.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return rel;
    return rel.substr(0, dot);
}

enum class TFolderMade { Ok, Failed, Link };

// Makes the folders of rel (a path below folder) one level at a time,
// never through a symbolic link: a level that is a link, or a file, ends it.
// Folders known to be sound are kept in made.
TFolderMade MakeFoldersInside(const std::string& folder, const std::string& rel,
                              std::unordered_set<std::string>& made) {
    const std::string path = folder + "/" + rel;
    if (rel.empty() || made.count(path)) return TFolderMade::Ok;
    const size_t slash = rel.rfind('/');
    std::string parent = slash == std::string::npos ? std::string() : rel.substr(0, slash);
    if (const TFolderMade up = MakeFoldersInside(folder, parent, made); up != TFolderMade::Ok) return up;
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return TFolderMade::Failed;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return TFolderMade::Failed;
    if (S_ISLNK(st.st_mode)) return TFolderMade::Link;
    if (!S_ISDIR(st.st_mode)) return TFolderMade::Failed;
    made.insert(path);
    return TFolderMade::Ok;
}

} // namespace

int TResultRenamer::RenameFolder(const std::string& outputDir, const std::string& folderName,
                                 const std::function<void()>& stepPerFile) {
    std::string folder = Cp1252ToUtf8(outputDir);
    if (!folder.empty() && folder.back() != '/') folder += '/';
    folder += Cp1252ToUtf8(folderName);

    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            if (KindOf(e->d_name) == TKind::None) continue;
            if (e->d_type != DT_REG && e->d_type != DT_UNKNOWN) continue;
            names.emplace_back(e->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });

    const TInputTreeEntries* entries = settings_.entries;
    int renamed = 0;
    for (const std::string& name : names) {
        const TKind kind = KindOf(name);
        const size_t dot = name.find('.');
        const std::string key = name.substr(0, dot);
        const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
        const std::string* value = entries ? entries->ValueOf(key) : nullptr;
        std::string rel;
        std::string target;
        if (value && !value->empty()) {
            if (!InsideRelative(*value, rel)) {
                Warnings.push_back("Result " + folderName + "/" + Utf8ToCp1252(name) + " not renamed: " + *value +
                                   " would leave the result folder");
            } else if (!rel.empty()) {
                const bool keepSource = kind == TKind::Src && (SameText(ext, ".JAV") ||
                                                               (settings_.productKind == 7 && !settings_.methodFileVisible));
                if (kind == TKind::Src && !keepSource) rel = WithoutExtension(rel);
                target = folder + "/" + Cp1252ToUtf8(rel) + (keepSource ? std::string() : ext);
            }
        }
        const std::string source = folder + "/" + name;
        if (!target.empty() && target != source) {
            const std::string shown = folderName + "/" + Utf8ToCp1252(name);
            const size_t slash = target.rfind('/');
            const std::string targetFolder = slash > folder.size() ? target.substr(folder.size() + 1, slash - folder.size() - 1) : std::string();
            if (given_.count(target)) {
                Warnings.push_back("Result " + shown + " keeps its name: " + Utf8ToCp1252(target.substr(folder.size() + 1)) +
                                   " was given to another result of this run");
            } else if (const TFolderMade made =
                           MakeFoldersInside(folder, targetFolder, made_);
                       made != TFolderMade::Ok) {
                Warnings.push_back("Result " + shown + (made == TFolderMade::Link
                                                            ? " keeps its name: the folder of " +
                                                                  Utf8ToCp1252(target.substr(folder.size() + 1)) +
                                                                  " is a link"
                                                            : " not renamed: cannot create the folder of " +
                                                                  Utf8ToCp1252(target.substr(folder.size() + 1))));
            } else if (std::rename(source.c_str(), target.c_str()) != 0) {
                // rename() replaces an existing file of that name in one step.
                Warnings.push_back("Result " + shown + " not renamed to " +
                                   Utf8ToCp1252(target.substr(folder.size() + 1)) + ": " + SystemErrorMessage(errno));
            } else {
                given_.insert(target);
                ++renamed;
                if (kind == TKind::Mod && folderName == "Metrics") ++RenamedModules;
                if (kind == TKind::Src && (folderName == "Exports" || folderName == "Cases")) ++RenamedSources;
            }
        }
        if (stepPerFile) stepPerFile();
    }
    return renamed;
}

} // namespace pem
