// console_stub [--report-fd N] PROGRAM [ARGUMENTS...]
//
// Runs a tool of the package on a pseudo-terminal and passes its console
// through: what the tool writes reaches our standard output as written (the
// terminal neither echoes nor translates, and the tool sees a terminal, so
// its progress lines are not held back in a buffer), and what arrives on our
// standard input reaches the tool. Both run at the lowest CPU priority.
//
// We end as the tool ended, so that whoever waits for us reads the tool's
// own end in our wait status: its exit code, whatever it is (127 and 130
// included), or the signal that ended it, which we raise on ourselves. A
// tool that cannot be started has no end of its own: that is told on the
// descriptor given by --report-fd, as the line "cannot-start <errno>", and
// only there (the exit code is then 127, which a tool may give as well).
// The descriptor is not passed on to the tool.
//
// When our reader goes away we keep draining the terminal, so the tool is
// never blocked by a full terminal and ends on its own. Input that the tool
// does not read is dropped once the terminal's buffer is full rather than
// blocking us.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Tells the shell that the tool could not be started.
void ReportStartFailure(int reportFd, int error) {
    if (reportFd < 0) return;
    char line[64];
    const int n = std::snprintf(line, sizeof line, "cannot-start %d\n", error);
    if (n > 0) WriteAll(reportFd, line, static_cast<size_t>(n));
}

// Ends this process by the signal that ended the tool. The default action
// is restored and the signal unblocked first. No core is dumped for it: the
// tool has dumped its own where it runs, which is our folder too, and ours,
// of no use to anyone, would take its place.
int EndLike(int signal) {
    rlimit none{0, 0};
    ::getrlimit(RLIMIT_CORE, &none);
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_CORE, &none);
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    // A signal whose default action does not end a process cannot have
    // ended the tool; should it come here, the old form says what happened.
    return 128 + signal;
}

} // namespace

int main(int argc, char** argv) {
    int reportFd = -1;
    if (argc >= 3 && std::strcmp(argv[1], "--report-fd") == 0) {
        reportFd = std::atoi(argv[2]);
        if (reportFd < 0 || ::fcntl(reportFd, F_SETFD, FD_CLOEXEC) != 0) reportFd = -1;
        argv += 2;
        argc -= 2;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: console_stub [--report-fd N] PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    ::setpriority(PRIO_PROCESS, 0, 19);

    // The tool's standard error stays ours (the shell's).
    const int errCopy = ::fcntl(2, F_DUPFD_CLOEXEC, 3);

    termios mode{};
    ::cfmakeraw(&mode);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    ::cfsetispeed(&mode, B38400);
    ::cfsetospeed(&mode, B38400);
    winsize size{};
    size.ws_row = 50;
    size.ws_col = 250;

    // The child tells through this pipe whether its exec failed; a
    // successful exec closes it unwritten.
    int execPipe[2] = {-1, -1};
    if (::pipe2(execPipe, O_CLOEXEC) != 0) {
        const int e = errno;
        std::fprintf(stderr, "console_stub: cannot start %s: %s\n", argv[1], std::strerror(e));
        ReportStartFailure(reportFd, e);
        return 127;
    }
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, &mode, &size);
    if (pid < 0) {
        const int e = errno;
        std::fprintf(stderr, "console_stub: no terminal for %s: %s\n", argv[1], std::strerror(e));
        ReportStartFailure(reportFd, e);
        return 127;
    }
    if (pid == 0) {
        if (errCopy >= 0) ::dup2(errCopy, 2);
        std::signal(SIGPIPE, SIG_DFL);
        ::execvp(argv[1], argv + 1);
        const int e = errno;
        WriteAll(execPipe[1], reinterpret_cast<const char*>(&e), sizeof e);
        ::_exit(127);
    }
    if (errCopy >= 0) ::close(errCopy);
    ::close(execPipe[1]);
    int execError = 0;
    ssize_t got;
    while ((got = ::read(execPipe[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
    }
    ::close(execPipe[0]);
    if (got == static_cast<ssize_t>(sizeof execError)) {
        std::fprintf(stderr, "console_stub: cannot start %s: %s\n", argv[1], std::strerror(execError));
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        ReportStartFailure(reportFd, execError);
        return 127;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));

    static char buf[256 * 1024];
    bool outputOpen = true;   // the terminal still gives output
    bool readerThere = true;  // our standard output still takes it
    bool inputOpen = true;    // our standard input still gives bytes
    bool toolEnded = false;
    int status = 0;
    while (outputOpen) {
        pollfd fds[3];
        int n = 0;
        fds[n++] = {master, POLLIN, 0};
        const int inAt = inputOpen ? n : -1;
        if (inputOpen) fds[n++] = {0, POLLIN, 0};
        const int pidAt = (!toolEnded && pidfd >= 0) ? n : -1;
        if (pidAt >= 0) fds[n++] = {pidfd, POLLIN, 0};
        const int r = ::poll(fds, static_cast<nfds_t>(n), (pidfd < 0 && !toolEnded) ? 100 : -1);
        if (r < 0 && errno != EINTR) break;

        if (fds[0].revents) {
            const ssize_t got = ::read(master, buf, sizeof buf);
            if (got > 0) {
                if (readerThere && !WriteAll(1, buf, static_cast<size_t>(got))) readerThere = false;
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                outputOpen = false; // EIO: every holder of the terminal closed it
            }
        }
        if (inAt >= 0 && fds[inAt].revents) {
            const ssize_t got = ::read(0, buf, sizeof buf);
            if (got > 0) {
                // Non-blocking: what the terminal cannot take now is dropped.
                [[maybe_unused]] const ssize_t w = ::write(master, buf, static_cast<size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                inputOpen = false;
            }
        }
        if (!toolEnded && (pidAt >= 0 ? fds[pidAt].revents != 0 : true)) {
            if (::waitpid(pid, &status, WNOHANG) == pid) toolEnded = true;
        }
        if (toolEnded && outputOpen) {
            // The tool is gone but something it started may hold the
            // terminal: take what waits and stop.
            for (;;) {
                const ssize_t got = ::read(master, buf, sizeof buf);
                if (got <= 0) break;
                if (readerThere && !WriteAll(1, buf, static_cast<size_t>(got))) readerThere = false;
            }
            outputOpen = false;
        }
    }
    if (!toolEnded) {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (WIFSIGNALED(status)) {
        ::close(master);
        return EndLike(WTERMSIG(status));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
