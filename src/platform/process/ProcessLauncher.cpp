#include "ProcessLauncher.h"

#include "CharSet1252.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pem {

namespace {

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

int StatusToExitCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// The descriptors made for one launch; whatever the child does not get is
// closed when this ends.
struct LaunchFds {
    int inPipe[2] = {-1, -1};
    int outPipe[2] = {-1, -1};
    int reportPipe[2] = {-1, -1};
    int file = -1;
    int null = -1;
    ~LaunchFds() {
        for (int* fd : {&inPipe[0], &inPipe[1], &outPipe[0], &outPipe[1], &reportPipe[0], &reportPipe[1], &file, &null})
            CloseFd(*fd);
    }
};

} // namespace

void IgnoreSigPipe() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction sa {};
        sa.sa_handler = SIG_IGN;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGPIPE, &sa, nullptr);
    });
}

std::string SystemErrorMessage(int error) {
    char buf[256];
    // The GNU strerror_r returns the text, which may not live in buf.
    const char* text = ::strerror_r(error, buf, sizeof buf);
    return Utf8ToCp1252(text ? text : "");
}

std::unique_ptr<TChildProcess> LaunchProcess(const TLaunchRequest& request, int& error, bool* beforeSpawn) {
    IgnoreSigPipe();
    error = 0;
    if (beforeSpawn) *beforeSpawn = true;
    LaunchFds fds;
    auto fail = [&](int e) {
        error = e ? e : EINVAL;
        return std::unique_ptr<TChildProcess>();
    };
    if (request.program.empty()) return fail(ENOENT);

    if (request.in == TStdStream::Pipe && ::pipe2(fds.inPipe, O_CLOEXEC) != 0) return fail(errno);
    if ((request.out == TStdStream::Pipe || request.err == TStdStream::Pipe) && ::pipe2(fds.outPipe, O_CLOEXEC) != 0)
        return fail(errno);
    if (request.reportPipe) {
        if (::pipe2(fds.reportPipe, O_CLOEXEC) != 0) return fail(errno);
        // Our end never waits; the child's blocks (its reports are short).
        ::fcntl(fds.reportPipe[0], F_SETFL, ::fcntl(fds.reportPipe[0], F_GETFL) | O_NONBLOCK);
        // Kept off the report's own number, whose dup2 onto itself would
        // leave it closed on exec.
        if (fds.reportPipe[1] == kReportFd) {
            const int moved = ::fcntl(fds.reportPipe[1], F_DUPFD_CLOEXEC, kReportFd + 1);
            if (moved < 0) return fail(errno);
            CloseFd(fds.reportPipe[1]);
            fds.reportPipe[1] = moved;
        }
    }
    if (request.in == TStdStream::Null || request.out == TStdStream::Null || request.err == TStdStream::Null) {
        fds.null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (fds.null < 0) return fail(errno);
    }
    if (request.out == TStdStream::File || request.err == TStdStream::File) {
        std::string path = Cp1252ToUtf8(request.outFile);
        if (!path.empty() && path[0] != '/' && !request.workingDir.empty())
            path = Cp1252ToUtf8(request.workingDir) + "/" + path;
        fds.file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fds.file < 0) return fail(errno);
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    auto source = [&](TStdStream s, bool input) -> int {
        switch (s) {
        case TStdStream::Null: return fds.null;
        case TStdStream::Pipe: return input ? fds.inPipe[0] : fds.outPipe[1];
        case TStdStream::File: return fds.file;
        case TStdStream::Inherit: break;
        }
        return -1;
    };
    const int sources[3] = {source(request.in, true), source(request.out, false), source(request.err, false)};
    // dup2 onto 0..2 clears close-on-exec for the copies; every other
    // descriptor of the parent is closed in the child.
    for (int target = 0; target < 3; ++target)
        if (sources[target] >= 0) posix_spawn_file_actions_adddup2(&actions, sources[target], target);
    if (request.reportPipe) posix_spawn_file_actions_adddup2(&actions, fds.reportPipe[1], kReportFd);
    posix_spawn_file_actions_addclosefrom_np(&actions, request.reportPipe ? kReportFd + 1 : 3);
    if (!request.workingDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, Cp1252ToUtf8(request.workingDir).c_str());

    // Children start with default signal actions and nothing blocked: the
    // parent's ignored SIGPIPE must not reach a tool or a pipeline of it.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> words;
    words.reserve(request.args.size() + 1);
    words.push_back(Cp1252ToUtf8(request.program));
    for (const std::string& a : request.args) words.push_back(Cp1252ToUtf8(a));
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    if (beforeSpawn) *beforeSpawn = false;
    pid_t pid = -1;
    const bool searchPath = words[0].find('/') == std::string::npos;
    const int rc = searchPath ? ::posix_spawnp(&pid, words[0].c_str(), &actions, &attr, argv.data(), environ)
                              : ::posix_spawn(&pid, words[0].c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return fail(rc);

    std::unique_ptr<TChildProcess> child(new TChildProcess);
    child->pid_ = pid;
    child->pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (child->pidfd_ >= 0) ::fcntl(child->pidfd_, F_SETFD, FD_CLOEXEC);
    if (request.in == TStdStream::Pipe) {
        child->stdinFd_ = fds.inPipe[1];
        fds.inPipe[1] = -1;
    }
    if (request.out == TStdStream::Pipe || request.err == TStdStream::Pipe) {
        child->stdoutFd_ = fds.outPipe[0];
        fds.outPipe[0] = -1;
    }
    if (request.reportPipe) {
        child->reportFd_ = fds.reportPipe[0];
        fds.reportPipe[0] = -1;
    }
    return child;
}

TChildProcess::~TChildProcess() {
    CloseFd(stdinFd_);
    CloseFd(stdoutFd_);
    CloseFd(reportFd_);
    CloseFd(pidfd_);
    if (!reaped_ && pid_ > 0 && !Reap(false)) {
        // Still running: it runs on; a waiter reaps it when it ends so no
        // zombie is left behind.
        const pid_t pid = pid_;
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
}

bool TChildProcess::Reap(bool block) {
    if (reaped_) return true;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == pid_) {
        exitCode_ = StatusToExitCode(status);
        termSignal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        reaped_ = true;
    } else if (r < 0 && errno == ECHILD) {
        // Reaped elsewhere: the code is lost, the process is gone.
        reaped_ = true;
    }
    return reaped_;
}

bool TChildProcess::HasEnded() { return Reap(false); }

bool TChildProcess::WaitFor(int ms) {
    if (reaped_) return true;
    if (ms < 0) return Reap(true);
    if (pidfd_ >= 0) {
        pollfd p{pidfd_, POLLIN, 0};
        int r;
        do {
            r = ::poll(&p, 1, ms);
        } while (r < 0 && errno == EINTR);
        return Reap(false);
    }
    // No pidfd: poll the child's state in short steps.
    for (int waited = 0;; waited += 5) {
        if (Reap(false)) return true;
        if (waited >= ms) return false;
        ::usleep(5000);
    }
}

int TChildProcess::TakeStdinFd() {
    const int fd = stdinFd_;
    stdinFd_ = -1;
    return fd;
}

std::string TChildProcess::ReadReport() {
    std::string report;
    if (reportFd_ < 0) return report;
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(reportFd_, buf, sizeof buf);
        if (n > 0) {
            report.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break; // ended, or nothing more waits
    }
    return report;
}

int TChildProcess::TakeStdoutFd() {
    const int fd = stdoutFd_;
    stdoutFd_ = -1;
    return fd;
}

} // namespace pem
