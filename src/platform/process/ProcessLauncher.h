#pragma once
// Starting programs: posix_spawn with an argument list (never a joined
// command line), a working folder, the three standard streams chosen per
// start and no other descriptor of the parent. The child is watched through
// a pidfd. Nothing here ever signals or kills a child, not even when its
// object dies: a child still running then is left to run and reaped by a
// detached waiter when it ends.
//
// Paths and arguments are 8-bit Windows-1252 text, converted to UTF-8 here,
// at the file-system boundary.
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pem {

// Where a standard stream of the child goes.
enum class TStdStream {
    Inherit, // the parent's own
    Null,    // /dev/null
    Pipe,    // a pipe whose other end the parent keeps
    File,    // the request's file: created or emptied, opened for writing
};

struct TLaunchRequest {
    // A path, or a bare name looked up on PATH.
    std::string program;
    // The arguments after the program, each passed as it stands.
    std::vector<std::string> args;
    // The child's working folder; "" keeps the parent's. A relative program
    // path is resolved in this folder.
    std::string workingDir;
    TStdStream in = TStdStream::Null;
    TStdStream out = TStdStream::Inherit;
    TStdStream err = TStdStream::Inherit;
    // out / err == File: the file; both File: the same file, opened once.
    std::string outFile;
    // The child gets a pipe on descriptor kReportFd, whose reading end the
    // parent keeps (TChildProcess::ReadReport): a road for what the child
    // has to tell beside its output and its exit status.
    bool reportPipe = false;
};

// The child's descriptor of the report pipe.
inline constexpr int kReportFd = 3;

class TChildProcess {
public:
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    ~TChildProcess();

    pid_t Pid() const { return pid_; }
    // A descriptor that becomes readable when the child has ended; -1 when
    // the kernel offers no pidfd (then the waits poll).
    int PidFd() const { return pidfd_; }

    // Whether the child has ended (reaps it then); never blocks.
    bool HasEnded();
    // Waits at most ms milliseconds (a negative value: without limit);
    // true when the child has ended.
    bool WaitFor(int ms);
    // The exit code once ended: the code the child gave, or 128 plus the
    // number of the signal that ended it; -1 while it runs.
    int ExitCode() const { return exitCode_; }
    // The signal that ended the child, 0 when it exited by itself (or runs).
    int TermSignal() const { return termSignal_; }

    // The parent's ends of the pipes (-1 when the stream was no pipe). The
    // object owns them until they are taken.
    int StdinFd() const { return stdinFd_; }
    int StdoutFd() const { return stdoutFd_; }
    int TakeStdinFd();
    int TakeStdoutFd();
    // What the child (or whoever holds the pipe's other end) has written on
    // the report pipe since the last call, without waiting; "" when there
    // is no report pipe or nothing was written.
    std::string ReadReport();

private:
    friend std::unique_ptr<TChildProcess> LaunchProcess(const TLaunchRequest&, int&, bool*);
    TChildProcess() = default;
    bool Reap(bool block);

    pid_t pid_ = -1;
    int pidfd_ = -1;
    int stdinFd_ = -1;
    int stdoutFd_ = -1;
    int reportFd_ = -1;
    int exitCode_ = -1;
    int termSignal_ = 0;
    bool reaped_ = false;
};

// Starts the program. On failure returns nullptr and sets error to the
// system's error number (a missing program gives ENOENT); the parent then
// holds no descriptor of the attempt. beforeSpawn, when given, tells whether
// the failure came before the program was started (pipes, files).
std::unique_ptr<TChildProcess> LaunchProcess(const TLaunchRequest& request, int& error,
                                             bool* beforeSpawn = nullptr);

// The system's message text for an error number.
std::string SystemErrorMessage(int error);

// SIGPIPE is ignored in the program (a write to a pipe whose reader is gone
// fails with EPIPE instead of ending the program); children start with the
// default action again. Called by every launch; idempotent.
void IgnoreSigPipe();

} // namespace pem
