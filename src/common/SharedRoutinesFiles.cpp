#include "SharedRoutinesFiles.h"

#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"
#include "TempFiles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#ifndef PEMARIS_VERSION
#define PEMARIS_VERSION "0.0.0"
#endif

extern char** environ;

namespace pem {

namespace {

// ---------------------------------------------------------------- search

// The search's filters, prepared once for the whole tree.
struct SearchFilter {
    bool allExtensions = false;
    std::string extensions;  // lower case, ";" after each entry
    std::string mask;        // upper case, the outer "*" removed
    bool starFront = false;
    bool starBack = false;
    std::vector<std::string>* unfit = nullptr; // where names left out are told
};

bool IsExtensionChar(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           c == '-' || c == '.' || c >= 0x80;
}

// Whether "ext;" stands in the list as a whole entry. A bare substring test
// would let ".l" match ".cbl;" or ".ml" match ".xml;".
bool ListHoldsEntry(const std::string& list, const std::string& entry) {
    std::size_t pos = 0;
    while ((pos = list.find(entry, pos)) != std::string::npos) {
        if (pos == 0 || !IsExtensionChar(static_cast<unsigned char>(list[pos - 1]))) return true;
        ++pos;
    }
    return false;
}

bool ContainsUpper(const std::string& haystackUpper, const std::string& needleUpper) {
    return haystackUpper.find(needleUpper) != std::string::npos;
}

bool FilePasses(const SearchFilter& f, std::string_view name) {
    if (f.allExtensions && f.mask.empty()) return true;
    std::size_t dot = name.rfind('.');
    if (!f.allExtensions) {
        if (dot == std::string_view::npos) {
            if (!ListHoldsEntry(f.extensions, ".;")) return false;
        } else {
            std::string ext = AsciiLowerCase(name.substr(dot)) + ";";
            if (!ListHoldsEntry(f.extensions, ext)) return false;
        }
    }
    if (f.mask.empty()) return true;
    const std::string stem(dot == std::string_view::npos ? name : name.substr(0, dot));
    const std::string upName = AsciiUpperCase(name);
    const std::string upStem = AsciiUpperCase(stem);
    if (f.mask == upName || f.mask == upStem) return true;
    if (f.starBack && upStem.compare(0, f.mask.size(), f.mask) == 0) return true;
    if (f.starFront && upStem.size() >= f.mask.size() &&
        upStem.compare(upStem.size() - f.mask.size(), f.mask.size(), f.mask) == 0)
        return true;
    if (f.starFront && f.starBack && ContainsUpper(upStem, f.mask)) return true;
    return MatchWildMask(stem, f.mask, f.starBack);
}

bool IsAscii(const char* s, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

// One entry of a folder; its names live in the folder's arena.
struct DirEntry {
    std::uint32_t name, nameLen;  // 8-bit name
    std::uint32_t disk, diskLen;  // UTF-8 name
    bool folder;
};

// Walks one folder. folder8 and folderDisk hold the folder's path with a
// trailing "/" in both encodings; they are extended for sub-folders and
// restored on return. No descriptor stays open while sub-folders are
// searched, so deep trees cannot run out of them.
void Walk(const SearchFilter& filter, std::string& folder8, std::string& folderDisk, int depth,
          bool followLink, TStringList& list) {
    if (depth == 0) return;
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int fd = ::open(folderDisk.empty() ? "." : folderDisk.c_str(), flags);
    if (fd < 0) return;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    std::string arena;
    arena.reserve(4096);
    std::vector<DirEntry> entries;
    entries.reserve(128);
    while (const dirent* de = ::readdir(dir)) {
        const char* name = de->d_name;
        if (name[0] == '.') continue;  // ".", ".." and hidden entries
        bool folder = false;
        switch (de->d_type) {
        case DT_DIR:
            folder = true;
            break;
        case DT_REG:
            break;
        case DT_LNK: {
            // A link to a file counts as the file; a link to a folder is not
            // followed, which keeps link cycles from looping for ever.
            struct stat st {};
            if (::fstatat(fd, name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
            break;
        }
        case DT_UNKNOWN: {
            struct stat st {};
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISLNK(st.st_mode) && ::fstatat(fd, name, &st, 0) == 0 && S_ISREG(st.st_mode))
                break;
            if (S_ISDIR(st.st_mode)) {
                folder = true;
                break;
            }
            if (!S_ISREG(st.st_mode)) continue;
            break;
        }
        default:
            continue;  // devices, pipes, sockets
        }
        const std::size_t len = std::strlen(name);
        const auto at = static_cast<std::uint32_t>(arena.size());
        if (IsAscii(name, len)) {
            arena.append(name, len);
            entries.push_back({at, static_cast<std::uint32_t>(len), at, static_cast<std::uint32_t>(len), folder});
            continue;
        }
        bool ok = true;
        std::string name8 = Utf8ToCp1252(std::string_view(name, len), &ok);
        if (!ok) {
            // Told of only where the search would have taken it: a folder,
            // or a file the filter passes.
            if (filter.unfit) {
                if (folder || FilePasses(filter, std::string_view(name, len))) filter.unfit->push_back(folderDisk + name);
            }
            else
                std::fprintf(stderr, "Skipped a name Windows-1252 cannot hold: %s%s\n", folderDisk.c_str(), name);
            continue;
        }
        arena.append(name8).append(name, len);
        entries.push_back({at, static_cast<std::uint32_t>(name8.size()), at + static_cast<std::uint32_t>(name8.size()),
                           static_cast<std::uint32_t>(len), folder});
    }
    ::closedir(dir);

    const char* base = arena.data();
    auto name8 = [base](const DirEntry& e) { return std::string_view(base + e.name, e.nameLen); };
    std::sort(entries.begin(), entries.end(),
              [&](const DirEntry& a, const DirEntry& b) { return name8(a) < name8(b); });

    for (const DirEntry& e : entries) {
        if (e.folder) {
            if (depth == 1) continue;
            const std::size_t len8 = folder8.size();
            const std::size_t lenDisk = folderDisk.size();
            folder8.append(name8(e)) += '/';
            folderDisk.append(base + e.disk, e.diskLen) += '/';
            Walk(filter, folder8, folderDisk, depth - 1, false, list);
            folder8.resize(len8);
            folderDisk.resize(lenDisk);
        } else if (FilePasses(filter, name8(e))) {
            std::string path;
            path.reserve(folder8.size() + e.nameLen);
            path.append(folder8).append(name8(e));
            if (list.Sorted())
                list.Add(path);
            else
                list.Items().push_back({std::move(path), nullptr});
        }
    }
}

std::string WithSlash(const std::string& path) {
    if (path.empty() || path.back() == '/') return path;
    return path + '/';
}

// ---------------------------------------------------------- registration

std::string DataHome() {
    if (const char* d = std::getenv("XDG_DATA_HOME"); d != nullptr && d[0] == '/') return d;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return std::string();
    return std::string(home) + "/.local/share";
}

// Lower-case letters and digits, every other run of characters one "-".
std::string Slug(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (!out.empty() && out.back() != '-') {
            out += '-';
        }
    }
    while (!out.empty() && out.back() == '-') out.pop_back();
    return out.empty() ? std::string("file") : out;
}

std::string XmlEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string XmlUnescape(const std::string& s) {
    std::string out = s;
    const std::pair<const char*, const char*> map[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [from, to] : map) {
        std::string next;
        std::size_t pos = 0, hit;
        while ((hit = out.find(from, pos)) != std::string::npos) {
            next.append(out, pos, hit - pos);
            next += to;
            pos = hit + std::strlen(from);
        }
        next.append(out, pos, std::string::npos);
        out = next;
    }
    return out;
}

// A value of a .desktop file: backslashes and line ends escaped.
std::string DesktopEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

// Splits a Windows-style command line: blanks separate arguments, double
// quotes group them.
std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    std::string cur;
    bool inQuotes = false, have = false;
    for (char c : line) {
        if (c == '"') {
            inQuotes = !inQuotes;
            have = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (have) args.push_back(cur);
            cur.clear();
            have = false;
        } else {
            cur += c;
            have = true;
        }
    }
    if (have) args.push_back(cur);
    return args;
}

// The Exec line of a .desktop file for a Windows-style command line: "%1"
// becomes the file field code, every other argument is quoted where the
// desktop's rules need it.
std::string ExecLine(const std::string& commandLine) {
    std::string exec;
    for (const std::string& arg : SplitCommandLine(commandLine)) {
        if (!exec.empty()) exec += ' ';
        if (arg == "%1") {
            exec += "%f";
            continue;
        }
        bool quote = arg.empty() || arg.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
        std::string a;
        for (char c : arg) {
            if (c == '%') {
                a += "%%";
            } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
                a += '\\';
                a += c;
            } else {
                a += c;
            }
        }
        exec += quote ? "\"" + a + "\"" : a;
    }
    return DesktopEscape(exec);
}

// The registration's files are the program's own, at fixed names in the
// user's data folder: each is replaced whole, a link in its place replaced
// too, never followed.
bool ReplaceOwnText(const std::string& path, const std::string& text) {
    try {
        ReplaceOwnFileText(path, text);
        return true;
    } catch (const EFileError&) {
        return false;
    }
}

// The key-value sections of a .desktop file, in file order.
class DesktopFile {
public:
    bool Load(const std::string& path) {
        sections_.clear();
        std::string text;
        const TReadStatus status = TryReadRegularFile(path, text);
        if (status != TReadStatus::Ok) return status == TReadStatus::Missing;
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '#') continue;
            if (line.front() == '[' && line.back() == ']') {
                sections_.push_back({line.substr(1, line.size() - 2), {}});
            } else if (auto eq = line.find('='); eq != std::string::npos && !sections_.empty()) {
                sections_.back().second.emplace_back(line.substr(0, eq), line.substr(eq + 1));
            }
        }
        return true;
    }

    std::string Get(const std::string& section, const std::string& key) const {
        for (const auto& [name, keys] : sections_)
            if (name == section)
                for (const auto& [k, v] : keys)
                    if (k == key) return v;
        return std::string();
    }

    void Set(const std::string& section, const std::string& key, const std::string& value) {
        auto sec = std::find_if(sections_.begin(), sections_.end(),
                                [&](const auto& s) { return s.first == section; });
        if (sec == sections_.end()) {
            sections_.push_back({section, {}});
            sec = sections_.end() - 1;
        }
        for (auto& [k, v] : sec->second)
            if (k == key) {
                v = value;
                return;
            }
        sec->second.emplace_back(key, value);
    }

    bool Save(const std::string& path) const {
        std::string out;
        bool first = true;
        for (const auto& [name, keys] : sections_) {
            if (!first) out += '\n';
            first = false;
            out += '[' + name + "]\n";
            for (const auto& [k, v] : keys) out += k + '=' + v + '\n';
        }
        return ReplaceOwnText(path, out);
    }

private:
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
};

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::string();
    std::stringstream ss(path);
    std::string dir;
    while (std::getline(ss, dir, ':')) {
        if (dir.empty()) continue;
        std::string full = dir + "/" + program;
        if (::access(full.c_str(), X_OK) == 0) return full;
    }
    return std::string();
}

// Runs a desktop database tool on a folder when the tool is installed; its
// output is discarded and its result does not matter.
void RunToolWhenPresent(const std::string& program, const std::string& folder) {
    std::string exe = FindOnPath(program);
    if (exe.empty()) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv = {const_cast<char*>(exe.c_str()), const_cast<char*>(folder.c_str()), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

bool EnsureDir(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return !ec && std::filesystem::is_directory(dir, ec);
}

// Loads the type's .desktop file and gives it the entries every state of the
// registration needs.
bool OpenDesktopFile(const std::string& fileTypeName, DesktopFile& file, std::string& path) {
    std::string data = DataHome();
    if (data.empty() || !EnsureDir(data + "/applications")) return false;
    path = data + "/applications/" + FileTypeDesktopFileName(fileTypeName);
    if (!file.Load(path)) return false;
    const std::string main = "Desktop Entry";
    file.Set(main, "Type", "Application");
    file.Set(main, "Name", DesktopEscape(Cp1252ToUtf8(fileTypeName)));
    file.Set(main, "MimeType", FileTypeMimeName(fileTypeName) + ";");
    file.Set(main, "NoDisplay", "true");
    return true;
}

bool SaveDesktopFile(const DesktopFile& file, const std::string& path) {
    if (!file.Save(path)) return false;
    RunToolWhenPresent("update-desktop-database", std::filesystem::path(path).parent_path().string());
    return true;
}

// Action identifiers may hold letters, digits and "-" only.
std::string ActionId(const std::string& verb) {
    std::string id;
    for (unsigned char c : verb)
        id += std::isalnum(c) && c < 0x80 ? static_cast<char>(c) : '-';
    return id.empty() ? std::string("Open") : id;
}

// ------------------------------------------------------------- resources

struct ResourceRegistry {
    std::mutex mutex;
    std::map<std::string, std::string> blobs;  // "TYPE\nNAME" -> bytes
};

ResourceRegistry& Resources() {
    static ResourceRegistry registry;
    return registry;
}

std::string ResourceKey(const std::string& name, const std::string& type) {
    return AsciiUpperCase(type) + "\n" + AsciiUpperCase(name);
}

std::string ProgramDir() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    return TryReadRegularFile(path, bytes) == TReadStatus::Ok;
}

} // namespace

// ------------------------------------------------------------------ search

void FindFilesRecursive(const std::string& baseFolder, const std::string& subFolder,
                        const std::string& extensions, TStringList& list, std::vector<std::string>* unfit) {
    SearchFilesInTree(baseFolder, subFolder, "", -1, list, extensions, unfit);
}

void SearchFilesInTree(const std::string& baseFolder, const std::string& subFolder,
                       const std::string& nameMask, int depth, TStringList& list,
                       const std::string& extensions, std::vector<std::string>* unfit) {
    if (depth == 0) return;
    SearchFilter filter;
    filter.unfit = unfit;
    filter.extensions = AsciiLowerCase(extensions + ";");
    filter.allExtensions = filter.extensions.find("*.*;") != std::string::npos;
    std::string mask = nameMask;
    if (mask.find('*') != std::string::npos) {
        if (mask == "*") mask.clear();
        filter.starFront = !mask.empty() && mask.front() == '*';
        filter.starBack = !mask.empty() && mask.back() == '*';
        if (filter.starFront) mask.erase(0, 1);
        if (filter.starBack && !mask.empty()) mask.pop_back();
    }
    filter.mask = AsciiUpperCase(mask);

    std::string folder8 = WithSlash(WithSlash(baseFolder) + subFolder);
    std::string folderDisk = Cp1252ToUtf8(folder8);
    Walk(filter, folder8, folderDisk, depth, true, list);
}

bool MatchWildMask(const std::string& name, const std::string& mask, bool prefixOnly) {
    const std::string n = AsciiUpperCase(name);
    const std::string m = AsciiUpperCase(mask);
    if (n.size() < m.size()) return false;
    if (!prefixOnly && n.size() != m.size()) return false;
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (m[i] == n[i]) continue;
        if (m[i] == '#' && n[i] >= '0' && n[i] <= '9') continue;
        if (m[i] == '?') continue;
        return false;
    }
    return true;
}

// ------------------------------------------------------------ registration

std::string FileTypeMimeName(const std::string& fileTypeName) {
    return "application/x-" + Slug(fileTypeName);
}

std::string FileTypeDesktopFileName(const std::string& fileTypeName) {
    return Slug(fileTypeName) + ".desktop";
}

bool RegisterFileExtension(const std::string& extension, const std::string& fileTypeName) {
    try {
        std::string data = DataHome();
        if (data.empty() || extension.empty() || !EnsureDir(data + "/mime/packages")) return false;
        const std::string path = data + "/mime/packages/" + Slug(fileTypeName) + ".xml";
        std::string ext = Cp1252ToUtf8(extension);
        if (ext[0] != '.') ext = "." + ext;

        // Keep the globs registered before, as each extension keeps its
        // class when another one is added.
        std::vector<std::string> globs;
        std::string old;
        if (ReadWholeFile(path, old)) {
            const std::string tag = "<glob pattern=\"";
            for (std::size_t pos = old.find(tag); pos != std::string::npos; pos = old.find(tag, pos)) {
                pos += tag.size();
                std::size_t end = old.find('"', pos);
                if (end == std::string::npos) break;
                globs.push_back(XmlUnescape(old.substr(pos, end - pos)));
            }
        }
        if (std::find(globs.begin(), globs.end(), "*" + ext) == globs.end()) globs.push_back("*" + ext);

        std::ostringstream xml;
        xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            << "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            << "  <mime-type type=\"" << FileTypeMimeName(fileTypeName) << "\">\n"
            << "    <comment>" << XmlEscape(Cp1252ToUtf8(fileTypeName)) << "</comment>\n";
        for (const std::string& g : globs) xml << "    <glob pattern=\"" << XmlEscape(g) << "\"/>\n";
        xml << "  </mime-type>\n</mime-info>\n";
        if (!ReplaceOwnText(path, xml.str())) return false;
        RunToolWhenPresent("update-mime-database", data + "/mime");

        DesktopFile file;
        std::string desktopPath;
        return OpenDesktopFile(fileTypeName, file, desktopPath) && SaveDesktopFile(file, desktopPath);
    } catch (...) {
        return false;
    }
}

bool RegisterFileTypeIcon(const std::string& fileTypeName, const std::string& iconText) {
    try {
        // "path,index": the index selects an icon inside a program file and
        // has no meaning for a desktop icon.
        std::string icon = iconText;
        if (auto comma = icon.rfind(','); comma != std::string::npos && comma + 1 < icon.size() &&
                                          std::all_of(icon.begin() + static_cast<long>(comma) + 1, icon.end(),
                                                      [](char c) { return (c >= '0' && c <= '9') || c == '-'; }))
            icon.erase(comma);
        DesktopFile file;
        std::string path;
        if (!OpenDesktopFile(fileTypeName, file, path)) return false;
        file.Set("Desktop Entry", "Icon", DesktopEscape(Cp1252ToUtf8(icon)));
        return SaveDesktopFile(file, path);
    } catch (...) {
        return false;
    }
}

bool RegisterFileTypeVerb(const std::string& fileTypeName, const std::string& verb,
                          const std::string& caption, const std::string& commandLine) {
    try {
        DesktopFile file;
        std::string path;
        if (!OpenDesktopFile(fileTypeName, file, path)) return false;
        const std::string id = ActionId(verb);
        const std::string exec = ExecLine(Cp1252ToUtf8(commandLine));
        const std::string section = "Desktop Action " + id;
        file.Set(section, "Name", DesktopEscape(Cp1252ToUtf8(caption)));
        file.Set(section, "Exec", exec);

        std::string actions = file.Get("Desktop Entry", "Actions");
        if (!actions.empty() && actions.back() != ';') actions += ';';
        if ((";" + actions).find(";" + id + ";") == std::string::npos) actions += id + ";";
        file.Set("Desktop Entry", "Actions", actions);
        // The verb registered last is the default: what opening a job runs.
        file.Set("Desktop Entry", "Exec", exec);
        file.Set("Desktop Entry", "X-Default-Action", id);
        return SaveDesktopFile(file, path);
    } catch (...) {
        return false;
    }
}

// ----------------------------------------------------------------- version

std::string GetVersionInfoValue(const std::string& key) {
    static const std::pair<const char*, const char*> kRecord[] = {
        {"CompanyName", "Valtmoor"},
        {"FileDescription", "Pemaris shell application"},
        {"FileVersion", PEMARIS_VERSION},
        {"InternalName", "Pemaris"},
        {"LegalCopyright", "Copyright (C) Valtmoor"},
        {"OriginalFilename", "Pemaris"},
        {"ProductName", "Pemaris"},
        {"ProductVersion", PEMARIS_VERSION},
    };
    for (const auto& [k, v] : kRecord)
        if (SameText(key, k)) return v;
    return std::string();
}

// --------------------------------------------------------------- resources

void RegisterResource(const std::string& resourceName, const std::string& resourceType,
                      std::string_view bytes) {
    ResourceRegistry& r = Resources();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.blobs[ResourceKey(resourceName, resourceType)] = std::string(bytes);
}

void ExtractResourceToTempFile(const std::string& resourceName, const std::string& resourceType,
                               std::string& fileName) {
    std::string bytes;
    bool found = false;
    {
        ResourceRegistry& r = Resources();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.blobs.find(ResourceKey(resourceName, resourceType));
        if (it != r.blobs.end()) {
            bytes = it->second;
            found = true;
        }
    }
    if (!found) {
        std::string dir = ProgramDir();
        std::string name = Cp1252ToUtf8(resourceName);
        // Only a plain file name: a resource name never reaches outside the
        // program's folder.
        if (!dir.empty() && !name.empty() && name.find('/') == std::string::npos && name != "." &&
            name != "..") {
            found = ReadWholeFile(dir + "/" + name + "." + AsciiLowerCase(Cp1252ToUtf8(resourceType)), bytes) ||
                    ReadWholeFile(dir + "/" + name, bytes);
        }
    }
    if (!found) throw Exception("The specified resource name cannot be found in the image file.");

    std::string tmpl = PrivateTempDir() + "/~XXXXXX.tmp";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = ::mkstemps(buf.data(), 4);
    if (fd < 0) throw Exception(std::strerror(errno));
    const std::string path(buf.data());
    errno = 0;
    if (!WriteAll(fd, bytes.data(), bytes.size())) {
        const int err = errno != 0 ? errno : ENOSPC;
        ::close(fd);
        ::unlink(path.c_str());
        throw Exception(std::strerror(err));
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(path.c_str());
        throw Exception(std::strerror(err));
    }
    fileName = Utf8ToCp1252(path);
}

} // namespace pem
