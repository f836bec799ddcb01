#pragma once
// Starting a tool run and auxiliary programs. A run starts directly (its
// input from /dev/null, so a tool that waits for a key ends instead of
// hanging unseen), through the console stub with its input and output on
// pipes, as the batch script "lastbatch.cmd" (run by /bin/sh), or under
// DOSBox. Everything is an argument list; nothing is joined into a command
// line.
#include "ProcessLauncher.h"
#include "StringList.h"
#include "ToolProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace pem {

struct TToolStartRequest {
    std::string program;             // the tool, or the batch file's full path
    std::vector<std::string> params; // "last.xml", or none for the batch
    std::string workingDir;          // the output directory
    bool captureLog = false;         // Runcontrol.CaptureLog
    bool piped = false;              // Runcontrol.SystemCaptureConsole
    std::string consoleStub;         // for piped runs
    bool useDOSBox = false;          // DOSBox is in use
    std::string dosboxExe;
    TStringList dosboxTemplate;      // the configuration template's lines
};

// What a start will do, worked out without touching anything.
struct TStartPlan {
    TLaunchRequest launch;
    bool piped = false;
    // DOSBox runs: the configuration to save as "DOSBox.config" in the
    // working folder first.
    bool writeDOSBoxConfig = false;
    TStringList dosboxConfig;
};

// A batch file is one whose name ends in ".cmd" (ignoring case).
bool IsBatchProgram(const std::string& program);

// The plan of a tool start:
//  - DOSBox: the program becomes DOSBox with "-conf DOSBox.config
//    -noconsole -exit" and no other argument, whatever the flags, the
//    configuration running the tool;
//  - a batch file: "/bin/sh" with the file's path; with captureLog the
//    script's output, standard output and error, goes into "Console.log" in
//    the working folder (direct runs);
//  - a tool with captureLog: ">" and "Console.log" follow the parameters, as
//    the tools' contract says;
//  - piped: the console stub runs the whole command, input and output on
//    pipes, and tells a tool that cannot be started on the report pipe
//    ("--report-fd 3" before the command); direct: input from /dev/null,
//    output the shell's own.
TStartPlan PlanToolStart(const TToolStartRequest& request);

// A started tool run: the process, and in piped runs its pipes.
class TToolRun {
public:
    bool Piped() const { return piped_ != nullptr; }
    TChildProcess& Child() { return piped_ ? piped_->Child() : *direct_; }
    TToolProcess* Pipes() { return piped_.get(); }
    bool HasEnded() { return Child().HasEnded(); }
    bool WaitFor(int ms) { return Child().WaitFor(ms); }
    // The process's own end, as its wait status tells it. In piped runs the
    // console stub ends as the tool ended: with its exit code, or by its
    // signal.
    int ExitCode() { return Child().ExitCode(); }
    int TermSignal() { return Child().TermSignal(); }
    // Piped runs, once the process has ended: the error number with which
    // the console stub could not start the tool, 0 when it started it.
    int StartError();

private:
    friend std::unique_ptr<TToolRun> StartToolRun(const TToolStartRequest&, int&, std::string&);
    std::unique_ptr<TChildProcess> direct_;
    std::unique_ptr<TToolProcess> piped_;
    std::string report_; // what the stub reported so far
};

// The error number of a "cannot-start <errno>" line in the console stub's
// report; 0 when the report holds none.
int StartErrorInReport(const std::string& report);

// Starts a tool run: "Semaphore.xml" and "Console.log" in the working folder
// are deleted, the DOSBox configuration is saved when the plan has one, and
// the plan is launched. On failure returns nullptr with the error number and
// failedStep naming what failed: "CreatePipe" (the pipes of a piped run),
// "DOSBox.config" (saving the configuration) or "CreateProcess" (the start).
std::unique_ptr<TToolRun> StartToolRun(const TToolStartRequest& request, int& error, std::string& failedStep);

// The failure of a direct start as the user reads it: the system's message,
// CR LF, the program, a blank and the parameters, CR LF and the folder.
std::string StartFailureMessage(int error, const std::string& program, const std::vector<std::string>& params,
                                const std::string& workingDir);

// "System Error : <code> - <message>".
std::string SystemErrorText(int error);

// Runs a program and waits until it ends, without limit: with an
// application object the wait is a nested event loop that repaints windows
// but takes no user input; without one it blocks. Input from /dev/null.
// False when the program could not be started (error tells why).
bool RunAndWait(const std::string& program, const std::vector<std::string>& params, const std::string& workingDir,
                int* error = nullptr, int* exitCode = nullptr);

} // namespace pem
