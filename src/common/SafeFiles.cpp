#include "SafeFiles.h"

#include "Exceptions.h"
#include "FileDescriptor.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pem {

namespace {

using Fd = TFileDescriptor;

std::string NameOr(const std::string& name, const std::string& path) { return name.empty() ? path : name; }

[[noreturn]] void CannotCreate(const std::string& name, const char* why = nullptr) {
    throw EFileError("Can not create file " + name + (why ? std::string(": ") + why : std::string()));
}
[[noreturn]] void CannotWrite(const std::string& name) { throw EFileError("Can not write file " + name); }

bool WriteAllAt(int fd, std::string_view data, off_t at) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::string& out, std::uint64_t limit) {
    char buf[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<std::size_t>(n));
        // A file that grows while it is read stops at the limit all the same.
        if (limit && out.size() > limit) return false;
    }
}

std::string DirOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
std::string BaseOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a replacement does with a symbolic link in the file's place.
enum class TLinks { Keep, Replace };

// The file a replacement writes: the path itself, or the end of its chain of
// symbolic links, so that the links stay links. Where links are replaced,
// a link counts as no file: the new file takes its place and its target is
// never opened.
struct Target {
    std::string path;
    bool exists = false;
    struct stat st {};
};

Target Resolve(const std::string& path, const std::string& name, TLinks links) {
    Target t;
    t.path = path;
    for (int hops = 0;; ++hops) {
        if (hops > 40) CannotCreate(name);
        struct stat lst {};
        if (::lstat(t.path.c_str(), &lst) != 0) {
            if (errno == ENOENT) return t; // a new file (or a link's missing target)
            CannotCreate(name);
        }
        if (!S_ISLNK(lst.st_mode)) break;
        if (links == TLinks::Replace) return t;
        std::vector<char> buf(static_cast<std::size_t>(lst.st_size > 0 ? lst.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(t.path.c_str(), buf.data(), buf.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buf.size()) CannotCreate(name);
        std::string link(buf.data(), static_cast<std::size_t>(n));
        t.path = link[0] == '/' ? link : DirOf(t.path) + "/" + link;
    }
    if (::stat(t.path.c_str(), &t.st) != 0) CannotCreate(name);
    t.exists = true;
    if (!S_ISREG(t.st.st_mode)) CannotCreate(name, "not a regular file");
    return t;
}

// Nobody may write it, or we may not: what a direct write would refuse.
bool WriteProtected(const Target& t) {
    return (t.st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, t.path.c_str(), W_OK, AT_EACCESS) != 0;
}

bool ProcessGone(long pid) { return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

// Temporary files of earlier replacements of this file whose writer is gone.
void RemoveStaleTemps(const std::string& dir, const std::string& base) {
    const std::string prefix = "." + base + ".tmp-";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const long self = static_cast<long>(::getpid());
    while (dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (entry.compare(0, prefix.size(), prefix) != 0) continue;
        // The rest: the process id, "-" and the six characters of mkstemp.
        const std::string rest = entry.substr(prefix.size());
        const auto dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || rest.size() != dash + 7) continue;
        long pid = 0;
        bool digits = true;
        for (std::size_t i = 0; i < dash && digits; ++i) {
            digits = rest[i] >= '0' && rest[i] <= '9';
            pid = pid * 10 + (rest[i] - '0');
            if (pid > 1L << 30) digits = false;
        }
        if (!digits || pid == self || !ProcessGone(pid)) continue;
        const std::string full = dir + "/" + entry;
        struct stat st {};
        if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(full.c_str());
    }
    ::closedir(d);
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd); // some file systems cannot sync a folder; the rename stands
    ::close(fd);
}

// A fresh temporary file beside the target; its descriptor, or -1 with errno.
int MakeTemp(const Target& t, std::string& temp) {
    temp = DirOf(t.path) + "/" + ReplacementTempPrefix(BaseOf(t.path), static_cast<long>(::getpid())) + "XXXXXX";
    return ::mkstemp(temp.data());
}

// Where the folder refuses the temporary file, the file itself may still be
// written in place.
bool MayWriteInPlace(const Target& t, int err) { return t.exists && (err == EACCES || err == EPERM); }

// The start of every replacement: the file to write, refused where a direct
// write would be refused; the stale temporary files removed; the fresh one
// made. Returns its descriptor, or -1 when the file is to be written in
// place.
int Begin(const std::string& path, const std::string& name, TLinks links, Target& t, std::string& temp) {
    t = Resolve(path, name, links);
    if (t.exists && WriteProtected(t)) CannotCreate(name);
    RemoveStaleTemps(DirOf(t.path), BaseOf(t.path));
    const int fd = MakeTemp(t, temp);
    if (fd < 0 && !MayWriteInPlace(t, errno)) CannotCreate(name);
    return fd;
}

// Gives the written temporary file the old file's permissions and owner,
// makes it durable and renames it over the target.
void Commit(Fd& fd, const std::string& temp, const Target& t, const std::string& name) {
    if (t.exists) {
        ::fchmod(fd.get(), t.st.st_mode & 07777);
        if (t.st.st_uid != ::geteuid() || t.st.st_gid != ::getegid())
            if (::fchown(fd.get(), t.st.st_uid, t.st.st_gid) != 0) {
                // Not ours to give away: the file keeps the writer as owner.
            }
    } else {
        ::fchmod(fd.get(), NewFileMode());
    }
    bool ok = ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (!ok) {
        ::unlink(temp.c_str());
        CannotWrite(name);
    }
    if (::rename(temp.c_str(), t.path.c_str()) != 0) {
        ::unlink(temp.c_str());
        CannotCreate(name);
    }
    SyncFolder(DirOf(t.path));
}

// Writes text over the file in place. Room for a longer text is taken first;
// a write that fails half-way puts the old text back.
void WriteInPlace(const Target& t, std::string_view text, const std::string& name) {
    bool canRestore = true;
    Fd fd(::open(t.path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.ok()) {
        canRestore = false;
        fd.Reset(::open(t.path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    }
    struct stat st {};
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0) CannotCreate(name);
    if (!S_ISREG(st.st_mode)) CannotCreate(name, "not a regular file");
    std::string old;
    if (canRestore) {
        old.reserve(static_cast<std::size_t>(st.st_size));
        if (!ReadAll(fd.get(), old, 0)) CannotWrite(name);
    }
    const off_t oldSize = st.st_size;
    const off_t newSize = static_cast<off_t>(text.size());
    if (newSize > oldSize) {
        const int rc = ::posix_fallocate(fd.get(), 0, newSize);
        if (rc != 0 && rc != EOPNOTSUPP && rc != EINVAL) {
            if (::ftruncate(fd.get(), oldSize) != 0) {
                // The size is all that may have changed; nothing more to do.
            }
            CannotWrite(name);
        }
    }
    if (!WriteAllAt(fd.get(), text, 0) || ::ftruncate(fd.get(), newSize) != 0 || ::fsync(fd.get()) != 0) {
        if (canRestore && WriteAllAt(fd.get(), old, 0) && ::ftruncate(fd.get(), oldSize) == 0) ::fsync(fd.get());
        CannotWrite(name);
    }
    if (!fd.Close()) CannotWrite(name);
}

void ReplaceText(const std::string& path, std::string_view text, const std::string& nameIn, TLinks links) {
    const std::string name = NameOr(nameIn, path);
    Target t;
    std::string temp;
    Fd fd(Begin(path, name, links, t, temp));
    if (!fd.ok()) return WriteInPlace(t, text, name);
    if (!WriteAllAt(fd.get(), text, 0)) {
        fd.Close();
        ::unlink(temp.c_str());
        CannotWrite(name);
    }
    Commit(fd, temp, t, name);
}

void Replace(const std::string& path, const std::function<void(const std::string&)>& write,
             const std::string& nameIn, TLinks links) {
    const std::string name = NameOr(nameIn, path);
    Target t;
    std::string temp;
    Fd fd(Begin(path, name, links, t, temp));
    if (!fd.ok()) {
        // The whole text is made in memory, in a file that has no name on
        // any disk, and read back before the file is touched.
        Fd side(::memfd_create("pemaris-save", MFD_CLOEXEC));
        if (!side.ok()) CannotCreate(name);
        std::string text;
        try {
            write("/proc/self/fd/" + std::to_string(side.get()));
        } catch (const EFileError&) {
            CannotWrite(name);
        }
        if (::lseek(side.get(), 0, SEEK_SET) != 0 || !ReadAll(side.get(), text, 0)) CannotWrite(name);
        return WriteInPlace(t, text, name);
    }
    try {
        write(temp);
    } catch (const EFileError&) {
        fd.Close();
        ::unlink(temp.c_str());
        CannotWrite(name);
    } catch (...) {
        fd.Close();
        ::unlink(temp.c_str());
        throw;
    }
    Commit(fd, temp, t, name);
}

} // namespace

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TReadStatus TryReadRegularFile(const std::string& path, std::string& content, std::uint64_t maxBytes) {
    content.clear();
    // O_NONBLOCK: opening a FIFO without a writer would wait for one.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.ok()) return errno == ENOENT || errno == ENOTDIR ? TReadStatus::Missing : TReadStatus::Unreadable;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return TReadStatus::Unreadable;
    if (!S_ISREG(st.st_mode)) return TReadStatus::NotRegular;
    if (maxBytes && static_cast<std::uint64_t>(st.st_size) > maxBytes) return TReadStatus::TooLarge;
    content.reserve(static_cast<std::size_t>(st.st_size));
    if (!ReadAll(fd.get(), content, maxBytes)) {
        const bool tooLarge = maxBytes && content.size() > maxBytes;
        content.clear();
        return tooLarge ? TReadStatus::TooLarge : TReadStatus::Unreadable;
    }
    return TReadStatus::Ok;
}

std::string ReadFailureMessage(TReadStatus status, const std::string& name, std::uint64_t maxBytes) {
    std::string m = "Can not open file " + name;
    if (status == TReadStatus::NotRegular) m += ": not a regular file";
    else if (status == TReadStatus::TooLarge) m += ": larger than " + std::to_string(maxBytes) + " bytes";
    return m;
}

std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes) {
    std::string content;
    const TReadStatus s = TryReadRegularFile(path, content, maxBytes);
    if (s != TReadStatus::Ok) throw EFileError(ReadFailureMessage(s, path, maxBytes));
    return content;
}

std::string ReplacementTempPrefix(const std::string& fileName, long pid) {
    return "." + fileName + ".tmp-" + std::to_string(pid) + "-";
}

void ReplaceFileText(const std::string& path, std::string_view text, const std::string& name) {
    ReplaceText(path, text, name, TLinks::Keep);
}

void ReplaceFileAtomically(const std::string& path, const std::function<void(const std::string&)>& write,
                           const std::string& name) {
    Replace(path, write, name, TLinks::Keep);
}

bool WriteAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        // Nothing written for a write of n > 0 bytes is a failed write too:
        // asking again would loop for ever.
        if (w <= 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

void WriteOwnFileInPlace(const std::string& path, std::string_view text, const std::string& name) {
    Fd fd(OpenOwnFileForWriting(path));
    if (fd.get() < 0) CannotCreate(NameOr(name, path), errno == EINVAL ? "not a regular file" : nullptr);
    if (!WriteAll(fd.get(), text.data(), text.size()) || !fd.Close()) CannotWrite(NameOr(name, path));
}

void ReplaceOwnFileText(const std::string& path, std::string_view text, const std::string& name) {
    ReplaceText(path, text, name, TLinks::Replace);
}

void ReplaceOwnFileAtomically(const std::string& path, const std::function<void(const std::string&)>& write,
                              const std::string& name) {
    Replace(path, write, name, TLinks::Replace);
}

} // namespace pem

// ------------------------------------------------ reading piece by piece,
// own files written in place, and own-file copies

namespace pem {

int OpenRegularFile(const std::string& path, TReadStatus& status) {
    // O_NONBLOCK: opening a FIFO without a writer would wait for one.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.ok()) {
        status = errno == ENOENT || errno == ENOTDIR ? TReadStatus::Missing : TReadStatus::Unreadable;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        status = TReadStatus::Unreadable;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        status = TReadStatus::NotRegular;
        return -1;
    }
    status = TReadStatus::Ok;
    const int fl = ::fcntl(fd.get(), F_GETFL);
    if (fl >= 0) ::fcntl(fd.get(), F_SETFL, fl & ~O_NONBLOCK);
    return fd.Release();
}

int OpenRegularFileOrRaise(const std::string& path, const std::string& name) {
    TReadStatus status = TReadStatus::Ok;
    const int fd = OpenRegularFile(path, status);
    if (fd < 0) throw EFileError(ReadFailureMessage(status, NameOr(name, path)));
    return fd;
}

int OpenOwnFileForWriting(const std::string& path) {
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0) {
        // A link in the file's place goes; the new file takes its place.
        if (S_ISLNK(lst.st_mode)) {
            if (::unlink(path.c_str()) != 0) return -1;
        } else if (!S_ISREG(lst.st_mode)) {
            errno = EINVAL;
            return -1;
        }
    }
    // O_NONBLOCK: a FIFO put in the file's place since would hold the open.
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                 0666));
    if (!fd.ok()) return -1;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return -1;
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return -1;
    }
    const int fl = ::fcntl(fd.get(), F_GETFL);
    if (fl >= 0) ::fcntl(fd.get(), F_SETFL, fl & ~O_NONBLOCK);
    return fd.Release();
}

TCopyStatus CopyFileData(int in, int out, std::size_t blockSize) {
    // Between regular files the kernel copies without a trip through our
    // buffer. It may stop early or refuse (other file systems, special
    // files); the block loop below then carries on from where it stopped
    // and is what decides that the end has come.
    struct stat st {};
    if (::fstat(in, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        for (;;) {
            const ssize_t put = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
            if (put > 0) continue;
            if (put < 0 && errno == EINTR) continue;
            if (put < 0 && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) return TCopyStatus::WriteFailed;
            if (put < 0 && errno == EIO) return TCopyStatus::ReadFailed;
            break;
        }
    }
    std::vector<char> buffer(blockSize > 0 ? blockSize : 1);
    for (;;) {
        // A read may return fewer bytes than asked for (network file
        // systems, signals) without the file being at its end: only 0 ends.
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return TCopyStatus::ReadFailed;
        if (got == 0) return TCopyStatus::Ok;
        if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(got))) return TCopyStatus::WriteFailed;
    }
}

void CopyToOwnFile(const std::string& source, const std::string& dest, const std::string& sourceName,
                   const std::string& destName) {
    const std::string from = NameOr(sourceName, source);
    Fd in(OpenRegularFileOrRaise(source, from));
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    bool readFailed = false;
    try {
        ReplaceOwnFileAtomically(
            dest,
            [&](const std::string& temp) {
                // The replacement's own fresh file (or its file in memory).
                Fd out(::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
                if (!out.ok()) throw EFileError("Can not write file " + temp);
                const TCopyStatus s = CopyFileData(in.get(), out.get());
                readFailed = s == TCopyStatus::ReadFailed;
                if (s != TCopyStatus::Ok || !out.Close()) throw EFileError("Can not write file " + temp);
            },
            destName);
    } catch (const EFileError&) {
        if (readFailed) throw EFileError("Can not read file " + from);
        throw;
    }
}

} // namespace pem
