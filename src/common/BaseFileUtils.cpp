#include "BaseFileUtils.h"

#include "CharSet1252.h"
#include "FileDescriptor.h"
#include "SafeFiles.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pem {

namespace {

// File names on disk are UTF-8; ours are Windows-1252.
std::string OnDisk(const std::string& name) { return Cp1252ToUtf8(name); }

// The 8-bit form of an on-disk name; "" when Windows-1252 cannot hold it.
std::string FromDisk(const std::string& name) {
    bool ok = true;
    std::string s = Utf8ToCp1252(name, &ok);
    return ok ? s : std::string();
}

std::string CurrentDir() {
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string() : FromDisk(p.string());
}

// The absolute, lexically normalised form of a name, relative names taken
// from the working folder.
std::string ExpandFullFileName(const std::string& fileName) {
    if (fileName.empty()) return fileName;
    std::string full = fileName;
    if (full[0] != '/') {
        std::string cwd = CurrentDir();
        if (!cwd.empty() && cwd.back() != '/') cwd += '/';
        full = cwd + full;
    }
    std::string norm = std::filesystem::path(full).lexically_normal().string();
    return norm.empty() ? full : norm;
}

std::string ExtractName(const std::string& path) {
    auto p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

using Fd = TFileDescriptor;

bool IsReadOnly(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// Days from 1970-01-01 to the civil date y-m-d (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string ReplaceAll(const std::string& s, const std::string& from, const std::string& to) {
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = s.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(s, pos, hit - pos);
        out += to;
        pos = hit + from.size();
    }
    out.append(s, pos, std::string::npos);
    return out;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsNameStart(char c) { return IsAsciiLetter(c) || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// The value of an environment variable in 8-bit text; false when unset.
bool EnvValue(const std::string& name, std::string& value) {
    if (name.empty() || name.find('=') != std::string::npos) return false;
    const char* v = std::getenv(OnDisk(name).c_str());
    if (v == nullptr) return false;
    value = Utf8ToCp1252(v);
    return true;
}

std::string HomeDir() {
    if (const char* h = std::getenv("HOME"); h != nullptr && *h != '\0') return h;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return std::string();
}

// The documents folder named in the XDG user-dirs file, or "".
std::string XdgDocumentsDir(const std::string& home) {
    std::string config;
    if (const char* c = std::getenv("XDG_CONFIG_HOME"); c != nullptr && *c == '/')
        config = c;
    else if (!home.empty())
        config = home + "/.config";
    else
        return std::string();
    std::string text;
    if (TryReadRegularFile(config + "/user-dirs.dirs", text) != TReadStatus::Ok) return std::string();
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (StartsWith(value, "$HOME")) value = home + value.substr(5);
        if (value.empty() || value[0] != '/') return std::string();
        return value;
    }
    return std::string();
}

} // namespace

void CopyFileBlocks(const std::string& source, const std::string& destination) {
    std::string dest = ExpandFullFileName(destination);
    struct stat st {};
    if (::stat(OnDisk(dest).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        dest = IncludeTrailingSeparator(dest, '/') + ExtractName(source);

    // Only a regular file is copied, and nothing waits for the writer of a
    // FIFO.
    Fd in(OpenRegularFileOrRaise(OnDisk(source), source));
    struct stat srcSt {};
    if (::fstat(in.get(), &srcSt) != 0) throw EFileError("Can not open file " + source);

    // Opening the destination truncates it, so a copy onto the same file
    // (by the same name, a link or another path) would destroy the data.
    struct stat dstSt {};
    if (::stat(OnDisk(dest).c_str(), &dstSt) == 0 && dstSt.st_dev == srcSt.st_dev &&
        dstSt.st_ino == srcSt.st_ino)
        throw EFileError("Can not copy file " + source + " onto itself");

    // O_NONBLOCK: a FIFO without a reader is refused instead of waited for.
    Fd out(::open(OnDisk(dest).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (out.get() < 0) throw EFileError("Can not create file " + dest);
    if (const int fl = ::fcntl(out.get(), F_GETFL); fl >= 0) ::fcntl(out.get(), F_SETFL, fl & ~O_NONBLOCK);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    switch (CopyFileData(in.get(), out.get(), kCopyBlockSize)) {
    case TCopyStatus::ReadFailed: throw EFileError("Can not read file " + source);
    case TCopyStatus::WriteFailed: throw EFileError("Can not write file " + dest);
    case TCopyStatus::Ok: break;
    }
    if (!out.Close()) throw EFileError("Can not write file " + dest);
}

void MoveFileOrCopy(const std::string& source, const std::string& destination) {
    std::string dest = ExpandFullFileName(destination);
    if (::rename(OnDisk(source).c_str(), OnDisk(dest).c_str()) == 0) return;
    struct stat st {};
    if (::stat(OnDisk(source).c_str(), &st) != 0 || IsReadOnly(st))
        throw EFileError("Can not move file " + source);
    CopyFileBlocks(source, dest);
    ::unlink(OnDisk(source).c_str());
}

TDateTime FileDateTime(const std::string& fileName) {
    struct stat st {};
    if (fileName.empty() || ::stat(OnDisk(fileName).c_str(), &st) != 0) return 0;
    std::time_t t = st.st_mtim.tv_sec;
    std::tm tm {};
    if (::localtime_r(&t, &tm) == nullptr) return 0;
    // 1899-12-30 is 25569 days before 1970-01-01.
    long long days = DaysFromCivil(tm.tm_year + 1900LL, static_cast<unsigned>(tm.tm_mon + 1),
                                   static_cast<unsigned>(tm.tm_mday)) + 25569;
    double secs = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec +
                  static_cast<double>(st.st_mtim.tv_nsec / 1000000) / 1000.0;
    return static_cast<double>(days) + secs / 86400.0;
}

bool FileHasAttribute(const std::string& fileName, int attributes) {
    struct stat st {};
    if (fileName.empty() || ::stat(OnDisk(fileName).c_str(), &st) != 0) return false;
    int have = 0;
    if (IsReadOnly(st)) have |= kFileAttrReadOnly;
    std::string name = ExtractName(fileName);
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") have |= kFileAttrHidden;
    if (S_ISDIR(st.st_mode))
        have |= kFileAttrDirectory;
    else if (S_ISREG(st.st_mode))
        have |= kFileAttrArchive;
    else
        have |= kFileAttrSysFile;
    return (have & attributes) != 0;
}

bool PathHasDrive(const std::string& path) { return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':'; }

bool PathIsAbsolute(const std::string& path) {
    return PathHasDrive(path) || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::string IncludeTrailingSeparator(const std::string& path, char separator) {
    if (path.empty() || path.back() == separator) return path;
    return path + separator;
}

std::string ExcludeTrailingSeparator(const std::string& path, char separator) {
    std::string p = path;
    while (p.size() > 1 && p.back() == separator) p.pop_back();
    return p;
}

namespace {
std::size_t NameStart(const std::string& name) {
    std::size_t slash = name.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}
} // namespace

std::string ExtractFilePath(const std::string& fileName) { return fileName.substr(0, NameStart(fileName)); }
std::string ExtractFileName(const std::string& fileName) { return fileName.substr(NameStart(fileName)); }

std::string ExtractFileExt(const std::string& fileName) {
    std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot < NameStart(fileName)) return std::string();
    return fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
    return fileName.substr(0, fileName.size() - ExtractFileExt(fileName).size()) + extension;
}

bool FileExists(const std::string& fileName) {
    std::error_code ec;
    return !fileName.empty() && std::filesystem::is_regular_file(std::filesystem::path(Cp1252ToUtf8(fileName)), ec);
}

bool DirectoryExists(const std::string& dirName) {
    std::error_code ec;
    return !dirName.empty() && std::filesystem::is_directory(std::filesystem::path(Cp1252ToUtf8(dirName)), ec);
}

bool ForceDirectories(const std::string& dirName) {
    if (dirName.empty()) return false;
    if (DirectoryExists(dirName)) return true;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(Cp1252ToUtf8(dirName)), ec);
    return DirectoryExists(dirName);
}

std::string NormalizePath(const std::string& path, char separator) {
    std::string s = path;
    // "." parts in the middle, repeated because "a/././b" overlaps.
    for (;;) {
        std::size_t before = s.size();
        s = ReplaceAll(s, "\\.\\", "\\");
        s = ReplaceAll(s, "/./", "/");
        if (s.size() == before) break;
    }
    if (StartsWith(s, ".\\") || StartsWith(s, "./")) s.erase(0, 2);
    if (EndsWith(s, "\\.") || EndsWith(s, "/.")) s.erase(s.size() - 2);

    if (s.find("..") != std::string::npos) {
        std::vector<std::string> parts;
        std::size_t start = 0;
        for (;;) {
            std::size_t hit = s.find(separator, start);
            parts.push_back(s.substr(start, hit == std::string::npos ? std::string::npos : hit - start));
            if (hit == std::string::npos) break;
            start = hit + 1;
        }
        // Each ".." cancels the nearest real folder before it; a drive and
        // the empty parts of a root or doubled separator are never cancelled.
        for (;;) {
            int up = -1;
            for (int i = static_cast<int>(parts.size()) - 1; i >= 0; --i)
                if (parts[static_cast<std::size_t>(i)] == "..") {
                    up = i;
                    break;
                }
            if (up < 0) break;
            int j = up - 1;
            while (j >= 0) {
                const std::string& p = parts[static_cast<std::size_t>(j)];
                if (p != ".." && !p.empty() && !(j == 0 && PathHasDrive(p))) break;
                --j;
            }
            if (j < 0) break;
            parts.erase(parts.begin() + up);
            parts.erase(parts.begin() + j);
        }
        std::string joined;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i > 0) joined += separator;
            joined += parts[i];
        }
        s = joined;
    }

    while (StartsWith(s, "\\..\\") || StartsWith(s, "/../")) s.erase(0, 3);
    if (s == "\\.." || s == "/..") s.clear();

    if (!s.empty() && IsAsciiLetter(s[0])) {
        if (s.compare(1, 5, ":\\..\\") == 0 || s.compare(1, 5, ":/../") == 0) s.erase(2, 3);
        if (s.size() == 5 && (s.compare(1, 4, ":\\..") == 0 || s.compare(1, 4, ":/..") == 0))
            s.erase(2);
    }

    if (s == ".") {
        s.clear();
    } else if (s.size() > 1 && s.back() == '.') {
        char prev = s[s.size() - 2];
        if (prev != '.' && prev != '/' && prev != ':' && prev != '\\') s.pop_back();
    }
    return s;
}

std::string ExpandRelativePath(const std::string& relativePath, const std::string& baseFolder,
                               char separator) {
    if (PathIsAbsolute(relativePath)) return NormalizePath(relativePath, separator);
    if (relativePath.empty()) return NormalizePath(baseFolder, separator);
    return NormalizePath(IncludeTrailingSeparator(baseFolder, separator) + relativePath, separator);
}

std::string GetMyDocumentsDir(const void* /*ownerWindow*/) {
    std::string home = HomeDir();
    std::string docs = XdgDocumentsDir(home);
    std::error_code ec;
    std::string dir;
    if (!docs.empty() && std::filesystem::is_directory(docs, ec))
        dir = docs;
    else if (!home.empty())
        dir = home;
    else
        return std::string();
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return FromDisk(dir);
}

std::string ExpandEnvVars(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        char c = text[i];
        std::string value;
        if (c == '$' && i + 1 < n && text[i + 1] == '{') {
            std::size_t close = text.find('}', i + 2);
            if (close != std::string::npos) {
                if (EnvValue(text.substr(i + 2, close - i - 2), value))
                    out += value;
                else
                    out.append(text, i, close - i + 1);
                i = close + 1;
                continue;
            }
        } else if (c == '$' && i + 1 < n && IsNameStart(text[i + 1])) {
            std::size_t j = i + 1;
            while (j < n && IsNameChar(text[j])) ++j;
            if (EnvValue(text.substr(i + 1, j - i - 1), value))
                out += value;
            else
                out.append(text, i, j - i);
            i = j;
            continue;
        } else if (c == '%') {
            std::size_t close = text.find('%', i + 1);
            if (close != std::string::npos && close > i + 1 &&
                EnvValue(text.substr(i + 1, close - i - 1), value)) {
                out += value;
                i = close + 1;
                continue;
            }
        }
        // Not a reference to a set variable: the character stands; a "%" of
        // an unset name may still open the next reference.
        out += c;
        ++i;
    }
    return out;
}

std::string GetShortPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(OnDisk(path).c_str(), &st) != 0) return std::string();
    return path;
}

} // namespace pem
