#include "ToolStart.h"

#include "CharSet1252.h"
#include "DOSBoxConfig.h"
#include "SafeFiles.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace pem {

namespace {

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

bool IsBatchProgram(const std::string& program) {
    return program.size() >= 4 && SameText(program.substr(program.size() - 4), ".cmd");
}

TStartPlan PlanToolStart(const TToolStartRequest& request) {
    TStartPlan plan;
    TLaunchRequest& l = plan.launch;
    l.workingDir = request.workingDir;
    l.in = TStdStream::Null;
    std::string program = request.program;
    std::vector<std::string> args = request.params;
    bool batch = false;
    const bool dosbox = request.useDOSBox;
    if (dosbox) {
        plan.writeDOSBoxConfig = true;
        plan.dosboxConfig = ComposeDOSBoxConfig(request.dosboxTemplate, FolderOf(program), FileNameOf(program));
        program = request.dosboxExe;
        args.assign(std::begin(kDOSBoxRunArguments), std::end(kDOSBoxRunArguments));
    } else if (IsBatchProgram(program)) {
        batch = true;
        args.insert(args.begin(), program);
        program = "/bin/sh";
    }
    // DOSBox takes its three switches and nothing else: what the tool
    // prints stays inside DOSBox.
    if (request.captureLog && !batch && !dosbox) {
        args.push_back(">");
        args.push_back("Console.log");
    }
    if (request.piped) {
        plan.piped = true;
        args.insert(args.begin(), program);
        args.insert(args.begin(), {"--report-fd", std::to_string(kReportFd)});
        program = request.consoleStub;
        l.err = TStdStream::Inherit;
        l.reportPipe = true;
    } else if (batch && request.captureLog) {
        l.out = TStdStream::File;
        l.err = TStdStream::File;
        l.outFile = Join(request.workingDir, "Console.log");
    }
    l.program = program;
    l.args = std::move(args);
    return plan;
}

std::unique_ptr<TToolRun> StartToolRun(const TToolStartRequest& request, int& error, std::string& failedStep) {
    error = 0;
    failedStep.clear();
    for (const char* stale : {"Semaphore.xml", "Console.log"})
        ::unlink(Cp1252ToUtf8(Join(request.workingDir, stale)).c_str());
    const TStartPlan plan = PlanToolStart(request);
    if (plan.writeDOSBoxConfig) {
        try {
            const std::string config = Join(request.workingDir, "DOSBox.config");
            ReplaceOwnFileText(Cp1252ToUtf8(config), plan.dosboxConfig.Text(), config);
        } catch (const std::exception&) {
            error = errno ? errno : EIO;
            failedStep = "DOSBox.config";
            return nullptr;
        }
    }
    std::unique_ptr<TToolRun> run(new TToolRun);
    bool beforeSpawn = false;
    if (plan.piped) run->piped_ = TToolProcess::Start(plan.launch, error, TToolProcess::kDefaultBufferLimit, &beforeSpawn);
    else run->direct_ = LaunchProcess(plan.launch, error, &beforeSpawn);
    if (!run->piped_ && !run->direct_) {
        failedStep = beforeSpawn && plan.piped ? "CreatePipe" : "CreateProcess";
        return nullptr;
    }
    return run;
}

int StartErrorInReport(const std::string& report) {
    static const std::string kMark = "cannot-start ";
    for (size_t at = 0; at < report.size();) {
        size_t end = report.find('\n', at);
        if (end == std::string::npos) end = report.size();
        if (report.compare(at, kMark.size(), kMark) == 0) {
            const int e = std::atoi(report.c_str() + at + kMark.size());
            return e > 0 ? e : EIO;
        }
        at = end + 1;
    }
    return 0;
}

int TToolRun::StartError() {
    if (!piped_) return 0;
    report_ += piped_->Child().ReadReport();
    return StartErrorInReport(report_);
}

std::string StartFailureMessage(int error, const std::string& program, const std::vector<std::string>& params,
                                const std::string& workingDir) {
    std::string text = SystemErrorMessage(error) + "\r\n" + program;
    std::string joined;
    for (const std::string& p : params) joined += (joined.empty() ? "" : " ") + p;
    return text + " " + joined + "\r\n" + workingDir;
}

std::string SystemErrorText(int error) {
    return "System Error : " + std::to_string(error) + " - " + SystemErrorMessage(error);
}

bool RunAndWait(const std::string& program, const std::vector<std::string>& params, const std::string& workingDir,
                int* error, int* exitCode) {
    TLaunchRequest l;
    l.program = program;
    l.args = params;
    l.workingDir = workingDir;
    l.in = TStdStream::Null;
    int e = 0;
    auto child = LaunchProcess(l, e);
    if (error) *error = e;
    if (!child) return false;
    if (QCoreApplication::instance() && QAbstractEventDispatcher::instance()) {
        QEventLoop loop;
        std::unique_ptr<QSocketNotifier> notifier;
        QTimer poll;
        if (child->PidFd() >= 0) {
            notifier = std::make_unique<QSocketNotifier>(child->PidFd(), QSocketNotifier::Read);
            QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, [&] {
                if (child->HasEnded()) loop.quit();
            });
        } else {
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (child->HasEnded()) loop.quit();
            });
            poll.start(20);
        }
        if (!child->HasEnded()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    child->WaitFor(-1);
    if (exitCode) *exitCode = child->ExitCode();
    return true;
}

} // namespace pem
