#include "ProcessFilesByMask.h"

#include "CharSet1252.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pem {

std::string MaskDigits(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= '0' && c <= '9') c = '#';
    return out;
}

namespace {

struct Sweep {
    std::string mask; // upper-cased
    bool all;
    bool countOnly;
    int count = 0;
    std::vector<std::string>* matched = nullptr;
    std::vector<std::string>* linkedFolders = nullptr;
    const std::function<void()>* onFile = nullptr;
    struct Kept_ {
        dev_t dev;
        ino_t ino;
        std::string name; // as on disk
    };
    std::vector<Kept_> keep;

    // Whether the entry is one of the kept files: looked at closely only
    // where the name is theirs.
    bool Kept(int dirFd, const char* name) const {
        for (const auto& k : keep) {
            if (k.name != name) continue;
            struct stat st {};
            if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == k.dev && st.st_ino == k.ino)
                return true;
        }
        return false;
    }

    bool Matches(const char* name) const {
        if (all) return true;
        // Names on disk are UTF-8; the mask speaks of the 8-bit form.
        const std::string folded = MaskDigits(AnsiUpperCase(Utf8ToCp1252(name)));
        return folded.compare(0, mask.size(), mask) == 0;
    }

    // The 8-bit path of an entry of the folder.
    static std::string PathOf(const std::string& prefix, const char* name) {
        std::string path;
        const size_t n = std::strlen(name);
        path.reserve(prefix.size() + n + 1);
        path += prefix;
        bool ascii = true;
        for (size_t i = 0; i < n && ascii; ++i) ascii = static_cast<unsigned char>(name[i]) < 0x80;
        if (ascii) path.append(name, n);
        else path += Utf8ToCp1252(name);
        return path;
    }

    // Works through the open folder dirFd (which it closes); true when the
    // folder is empty afterwards.
    bool Walk(int dirFd, int depth, const std::string& prefix) {
        DIR* dir = ::fdopendir(dirFd);
        if (!dir) {
            ::close(dirFd);
            return false;
        }
        bool empty = true;
        while (dirent* e = ::readdir(dir)) {
            const char* name = e->d_name;
            if (name[0] == '.') {
                if (!(name[1] == 0 || (name[1] == '.' && name[2] == 0))) empty = false;
                continue;
            }
            // The entry's kind from the folder itself where the file system
            // tells it; asked for otherwise.
            unsigned char type = e->d_type;
            if (type != DT_REG && type != DT_DIR) {
                struct stat st {};
                if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                    empty = false;
                    continue;
                }
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_UNKNOWN;
            }
            if (type == DT_DIR) {
                if (depth > 1) {
                    const int sub = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                    const bool paths = matched || linkedFolders;
                    if (sub >= 0 && Walk(sub, depth - 1, paths ? PathOf(prefix, name) + "/" : prefix) &&
                        !countOnly && ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0)
                        continue;
                }
                empty = false;
                continue;
            }
            bool isFile = type == DT_REG;
            const bool kept = !keep.empty() && Kept(dirFd, name);
            if (type == DT_LNK) {
                struct stat target {};
                // A link counts as the file it points to; a link to a folder,
                // or a dangling one, is left alone.
                const bool found = ::fstatat(dirFd, name, &target, 0) == 0;
                isFile = found && S_ISREG(target.st_mode);
                // A folder that would have been searched, had it not been a link.
                if (found && S_ISDIR(target.st_mode) && depth > 1 && linkedFolders)
                    linkedFolders->push_back(PathOf(prefix, name));
            }
            if (!isFile || kept || !Matches(name)) {
                empty = false;
                continue;
            }
            ++count;
            if (onFile && *onFile) (*onFile)();
            if (matched) matched->push_back(PathOf(prefix, name));
            if (countOnly || ::unlinkat(dirFd, name, 0) != 0) empty = false;
        }
        ::closedir(dir);
        return empty;
    }
};

// The folder's parts below base ("" for base itself); false when the folder
// does not lie below base or climbs with "..".
bool PartsBelow(const std::string& base, const std::string& folder, std::vector<std::string>& parts) {
    auto split = [](const std::string& path) {
        std::vector<std::string> out;
        size_t at = 0;
        while (at <= path.size()) {
            size_t next = path.find('/', at);
            if (next == std::string::npos) next = path.size();
            std::string part = path.substr(at, next - at);
            if (!part.empty() && part != ".") out.push_back(std::move(part));
            at = next + 1;
        }
        return out;
    };
    const std::vector<std::string> b = split(base), f = split(folder);
    if (f.size() < b.size() || (base.empty() || folder.empty()) || (base[0] == '/') != (folder[0] == '/'))
        return false;
    for (size_t i = 0; i < b.size(); ++i)
        if (b[i] != f[i]) return false;
    parts.assign(f.begin() + static_cast<long>(b.size()), f.end());
    for (const std::string& part : parts)
        if (part == "..") return false;
    return true;
}

// Opens folder, which must lie below base, from base one level at a time
// without following a link. -1 when it cannot be opened; leftAlone is set
// when the folder exists but is a link, lies below one or lies elsewhere.
int OpenWithin(const std::string& base, const std::string& folder, bool* leftAlone) {
    auto refuse = [&] {
        if (leftAlone) *leftAlone = true;
        return -1;
    };
    std::vector<std::string> parts;
    if (!PartsBelow(base, folder, parts)) {
        struct stat st {};
        return ::stat(folder.c_str(), &st) == 0 ? refuse() : -1;
    }
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const std::string& part : parts) {
        if (fd < 0) return -1;
        const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(fd);
        if (next < 0) {
            struct stat st {};
            // O_NOFOLLOW meets a link as ELOOP; a link to a file as ENOTDIR.
            if (error == ELOOP || (error == ENOTDIR && ::lstat(folder.c_str(), &st) == 0)) return refuse();
            return -1;
        }
        fd = next;
    }
    return fd;
}

} // namespace

int ProcessFilesByMask(const std::string& folder, const std::string& subfolder, int depth, bool countOnly,
                       const std::string& mask) {
    TMaskSweep how;
    how.countOnly = countOnly;
    return ProcessFilesByMask(folder, subfolder, depth, mask, how);
}

int ProcessFilesByMask(const std::string& folder, const std::string& subfolder, int depth, const std::string& mask,
                       const TMaskSweep& how) {
    if (folder.empty() || depth < 1) return 0;
    std::string path = folder;
    if (!subfolder.empty()) {
        if (path.back() != '/') path += '/';
        path += subfolder;
    }
    Sweep sweep{AnsiUpperCase(mask), mask.empty() || mask == "*.*", how.countOnly};
    sweep.matched = how.matched;
    sweep.linkedFolders = how.linkedFolders;
    sweep.onFile = &how.onFile;
    for (const std::string& k : how.keep) {
        // The file itself, wherever links lead.
        char* real = ::realpath(Cp1252ToUtf8(k).c_str(), nullptr);
        if (!real) continue;
        const std::string onDisk = real;
        std::free(real);
        struct stat st {};
        if (::lstat(onDisk.c_str(), &st) == 0)
            sweep.keep.push_back({st.st_dev, st.st_ino, onDisk.substr(onDisk.find_last_of('/') + 1)});
    }
    const std::string onDisk = Cp1252ToUtf8(path);
    const int fd = how.within.empty() ? ::open(onDisk.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                      : OpenWithin(Cp1252ToUtf8(how.within), onDisk, how.leftAlone);
    if (fd < 0) return 0;
    const std::string prefix = path.back() == '/' ? path : path + "/";
    if (sweep.Walk(fd, depth, prefix) && !how.countOnly) ::rmdir(onDisk.c_str());
    return sweep.count;
}

} // namespace pem
