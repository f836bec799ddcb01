#pragma once
// Faults of the file system made on purpose: a full disk (a limit on the size
// of the files this process, or a child, writes) and running as an ordinary
// user, for whom file and folder permissions count (an administrator may
// write anything); a FIFO planted where a file is expected.
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <exception>
#include <functional>
#include <fcntl.h>
#include <grp.h>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
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

// A FIFO made at path, where the program expects a file. Nothing may wait on
// it: a reader or writer should refuse it at once. Should the test still run
// after `grace` before Done(), the plant opens the FIFO itself, which ends
// any open that waits on it, drains what was written and closes it again,
// which ends a read that waits, over and over until Done(); Waited() is then
// true: the test fails instead of hanging.
class FifoPlant {
public:
    explicit FifoPlant(std::string path, std::chrono::milliseconds grace = std::chrono::seconds(5))
        : path_(std::move(path)) {
        made_ = ::mkfifo(path_.c_str(), 0600) == 0;
        watch_ = std::thread([this, grace] {
            std::unique_lock<std::mutex> lock(mutex_);
            if (cv_.wait_for(lock, grace, [this] { return done_; })) return;
            waited_ = true;
            // Read and write ends at once: a waiting reader sees a writer, a
            // waiting writer a reader. After a while for a writer let go to
            // write, the end, which a reader let go sees as the end of the
            // file; again until the test is done, for whatever waits next.
            while (!done_) {
                const int fd = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
                if (fd < 0) return;
                char buf[4096];
                for (int i = 0; i < 10 && !done_; ++i) {
                    while (::read(fd, buf, sizeof buf) > 0) {
                    }
                    cv_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_; });
                }
                ::close(fd);
            }
        });
    }
    ~FifoPlant() { Done(); }
    FifoPlant(const FifoPlant&) = delete;
    FifoPlant& operator=(const FifoPlant&) = delete;

    // Whether the FIFO could be made.
    bool Made() const { return made_; }
    // Ends the watch; true when something had waited on the FIFO.
    bool Done() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        cv_.notify_all();
        if (watch_.joinable()) watch_.join();
        return waited_;
    }
    bool Waited() const { return waited_; }

private:
    std::string path_;
    bool made_ = false;
    bool done_ = false;
    bool waited_ = false;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::thread watch_;
};

} // namespace pemtest
