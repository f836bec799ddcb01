// console_stub PROGRAM [ARGUMENTS...]
//
// Runs a tool of the package on a pseudo-terminal and passes its console
// through: what the tool writes reaches our standard output as written (the
// terminal neither echoes nor translates, and the tool sees a terminal, so
// its progress lines are not held back in a buffer), and what arrives on our
// standard input reaches the tool. Both run at the lowest CPU priority. The
// exit code is the tool's own (128 plus the signal number when a signal
// ended it, 127 when it could not be started).
//
// When our reader goes away we keep draining the terminal, so the tool is
// never blocked by a full terminal and ends on its own. Input that the tool
// does not read is dropped once the terminal's buffer is full rather than
// blocking us.
#include <cerrno>
#include <csignal>
#include <cstdio>
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

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: console_stub PROGRAM [ARGUMENTS...]\n");
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

    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, &mode, &size);
    if (pid < 0) {
        std::fprintf(stderr, "console_stub: no terminal for %s: %s\n", argv[1], std::strerror(errno));
        return 127;
    }
    if (pid == 0) {
        if (errCopy >= 0) ::dup2(errCopy, 2);
        std::signal(SIGPIPE, SIG_DFL);
        ::execvp(argv[1], argv + 1);
        std::fprintf(stderr, "console_stub: cannot start %s: %s\n", argv[1], std::strerror(errno));
        ::_exit(127);
    }
    if (errCopy >= 0) ::close(errCopy);
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
    return ExitCodeOf(status);
}
