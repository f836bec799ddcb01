#pragma once
// Faults of the file system made on purpose: a full disk (a limit on the size
// of the files this process, or a child, writes) and running as an ordinary
// user, for whom file and folder permissions count (an administrator may
// write anything).
#include <csignal>
#include <exception>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pemtest {

// Writes past `bytes` fail (EFBIG) as they would on a full disk, for the
// lifetime of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

// Runs f in a child process, as the user "nobody" when this process is the
// administrator; returns what f returned (99 for an exception, -1 when the
// child did not end normally).
inline int RunAsOrdinaryUser(const std::function<int()>& f) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int rc = 98;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(rc);
        try {
            rc = f();
        } catch (...) {
            rc = 99;
        }
        ::_exit(rc);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Runs f in a child process whose files may not grow past `bytes` (a full
// disk for it alone); returns what f returned (99 for an exception, -1 when
// the child did not end normally).
inline int RunOnAFullDisk(rlim_t bytes, const std::function<int()>& f) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int rc = 99;
        try {
            FileSizeLimit limit(bytes);
            rc = f();
        } catch (...) {
        }
        ::_exit(rc);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

} // namespace pemtest
