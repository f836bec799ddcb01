// Tool starts with the fake tools: the plans, direct and piped runs through
// the console stub, programs that wait for a key, close their input or never
// read it, and waiting for auxiliary programs.
#include "QtApp.h"
#include "TestSupport.h"
#include "ToolOutputReader.h"
#include "ToolStart.h"

#include <QTimer>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kFakeTool = std::string(FAKE_TOOLS_DIR) + "/fake_tool";
const std::string kStub = std::string(PROGRAM_DIR) + "/console_stub";

// An output directory with a one-source document and its input tree.
struct Job {
    pemtest::TempDir dir;
    std::string out = dir / "out dir";
    Job() {
        pemtest::WriteFile(out + "/last.xml",
                           "<KORVEX>\n <Names\n  SystemName  = \"Sys\"\n />\n <Files>\n"
                           "  <Orig_File_0001>src/a.cbl</Orig_File_0001>\n"
                           "  <File_0001>COMP0001\\MOD0001\\SRC0001.CBL</File_0001>\n"
                           " </Files>\n</KORVEX>\n");
        pemtest::WriteFile(out + "/workinp/COMP0001/MOD0001/SRC0001.CBL", "1\n2\n3\n");
    }
    TToolStartRequest Request(const std::string& program = kFakeTool) const {
        TToolStartRequest r;
        r.program = program;
        r.params = {"last.xml"};
        r.workingDir = out;
        r.consoleStub = kStub;
        return r;
    }
};

std::unique_ptr<TToolRun> Start(const TToolStartRequest& r) {
    int error = 0;
    std::string step;
    auto run = StartToolRun(r, error, step);
    EXPECT_TRUE(run) << step << ": " << SystemErrorMessage(error);
    return run;
}

// Polls a piped run as the watcher does: take what waits, or poke the tool
// with CR LF when nothing does. Returns everything read.
std::string Poll(TToolRun& run, int maxSteps = 2000) {
    std::string all;
    for (int i = 0; i < maxSteps && !(run.HasEnded() && run.Pipes()->Drained()); ++i) {
        if (run.Pipes()->Drained()) {
            // The output has ended; the process follows.
            run.WaitFor(10000);
            break;
        }
        if (run.Pipes()->Take(all) == 0) {
            run.Pipes()->WriteInput("\r\n");
            run.Pipes()->WaitForOutput(5);
        }
    }
    run.Pipes()->Take(all);
    return all;
}

} // namespace

TEST(ToolStartPlan, Table) {
    using V = std::vector<std::string>;
    const struct {
        const char* what;
        const char* program;
        bool capture, piped;
        const char* launched;
        V args;
        TStdStream out;
    } cases[] = {
        {"direct", "/t/COBAudit", false, false, "/t/COBAudit", {"last.xml"}, TStdStream::Inherit},
        {"direct with the console log", "/t/COBAudit", true, false, "/t/COBAudit", {"last.xml", ">", "Console.log"},
         TStdStream::Inherit},
        {"piped", "/t/COBAudit", true, true, "/stub", {"--report-fd", "3", "/t/COBAudit", "last.xml", ">", "Console.log"},
         TStdStream::Pipe},
        {"batch", "/o/lastbatch.cmd", false, false, "/bin/sh", {"/o/lastbatch.cmd"}, TStdStream::Inherit},
        {"batch into the console log", "/o/LASTBATCH.CMD", true, false, "/bin/sh", {"/o/LASTBATCH.CMD"},
         TStdStream::File},
        {"piped batch", "/o/lastbatch.cmd", false, true, "/stub", {"--report-fd", "3", "/bin/sh", "/o/lastbatch.cmd"},
         TStdStream::Pipe},
    };
    for (const auto& c : cases) {
        TToolStartRequest r;
        r.program = c.program;
        if (!std::string(c.program).ends_with("cmd") && !std::string(c.program).ends_with("CMD")) r.params = {"last.xml"};
        r.workingDir = "/o";
        r.captureLog = c.capture;
        r.piped = c.piped;
        r.consoleStub = "/stub";
        const TStartPlan p = PlanToolStart(r);
        EXPECT_EQ(p.launch.program, c.launched) << c.what;
        EXPECT_EQ(p.launch.args, c.args) << c.what;
        EXPECT_EQ(p.launch.in, TStdStream::Null) << c.what;
        EXPECT_EQ(p.piped, c.piped) << c.what;
        EXPECT_EQ(p.launch.reportPipe, c.piped) << c.what;
        if (c.out == TStdStream::File) {
            EXPECT_EQ(p.launch.out, TStdStream::File) << c.what;
            EXPECT_EQ(p.launch.err, TStdStream::File) << c.what;
            EXPECT_EQ(p.launch.outFile, "/o/Console.log") << c.what;
        }
    }
}

// DOSBox gets its own three switches whatever else the run asks for: the
// console log belongs to the tool inside DOSBox, not to DOSBox's arguments.
TEST(ToolStartPlan, DOSBoxGetsExactlyItsSwitchesWhateverTheFlags) {
    using V = std::vector<std::string>;
    const V dosbox{"-conf", "DOSBox.config", "-noconsole", "-exit"};
    const struct {
        bool capture, piped;
        const char* launched;
        V args;
    } cases[] = {
        {false, false, "/usr/bin/dosbox", dosbox},
        {true, false, "/usr/bin/dosbox", dosbox},
        {true, true, "/stub", V{"--report-fd", "3", "/usr/bin/dosbox", "-conf", "DOSBox.config", "-noconsole", "-exit"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "capture " << c.capture << ", piped " << c.piped);
        TToolStartRequest d;
        d.program = "/t/COB/COBAUDIT.EXE";
        d.params = {"last.xml"};
        d.useDOSBox = true;
        d.dosboxExe = "/usr/bin/dosbox";
        d.captureLog = c.capture;
        d.piped = c.piped;
        d.consoleStub = "/stub";
        const TStartPlan p = PlanToolStart(d);
        EXPECT_EQ(p.launch.program, c.launched);
        EXPECT_EQ(p.launch.args, c.args);
        EXPECT_TRUE(p.writeDOSBoxConfig);
        EXPECT_EQ(p.dosboxConfig.IndexOf("mount c: \"/t/COB\""), 1);
        EXPECT_EQ(p.dosboxConfig.IndexOf("c:\\COBAUDIT.EXE last.xml"), 4);
    }
}

TEST(ToolStart, ADirectRunInAFolderAndFromAPathWithBlanksDeletesTheOldSignals) {
    Job job;
    const std::string tool = job.dir / "my tools/fake tool";
    fs::create_directories(job.dir / "my tools");
    fs::copy_file(kFakeTool, tool);
    pemtest::WriteFile(job.out + "/Semaphore.xml", "");
    pemtest::WriteFile(job.out + "/Console.log", "old");
    auto run = Start(job.Request(tool));
    ASSERT_TRUE(run);
    EXPECT_FALSE(run->Piped());
    ASSERT_TRUE(run->WaitFor(10000));
    EXPECT_EQ(run->ExitCode(), 0);
    EXPECT_FALSE(fs::exists(job.out + "/Console.log"));
    EXPECT_EQ(pemtest::ReadFile(job.out + "/Metrics/SRC0001.met"), "Lines > 3\n");
}

TEST(ToolStart, TheConsoleLogArgumentsMakeTheToolWriteItsConsoleThere) {
    Job job;
    auto r = job.Request();
    r.captureLog = true;
    auto run = Start(r);
    ASSERT_TRUE(run && run->WaitFor(10000));
    EXPECT_EQ(pemtest::ReadFile(job.out + "/Console.log"), "Orig Source File = src/a.cbl\nDone\n");
}

TEST(ToolStart, AMissingProgramDoesNotStart) {
    Job job;
    for (bool piped : {false, true}) {
        auto r = job.Request(job.dir / "no such tool");
        r.piped = piped;
        if (piped) r.consoleStub = job.dir / "no console stub";
        int error = 0;
        std::string step;
        EXPECT_FALSE(StartToolRun(r, error, step));
        EXPECT_EQ(error, ENOENT);
        EXPECT_EQ(step, "CreateProcess");
    }
    EXPECT_EQ(StartFailureMessage(ENOENT, "/x/tool", {"last.xml"}, "/out"),
              "No such file or directory\r\n/x/tool last.xml\r\n/out");
    EXPECT_EQ(SystemErrorText(ENOENT), "System Error : 2 - No such file or directory");
}

TEST(ToolStart, PipesThatCannotBeMadeEndTheStartAtThatStep) {
    Job job;
    auto r = job.Request();
    r.piped = true;
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    // No descriptor left to make pipes with.
    int lowest = ::dup(0);
    ::close(lowest);
    rlimit tight = old;
    tight.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    int error = 0;
    std::string step;
    auto run = StartToolRun(r, error, step);
    ::setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_FALSE(run);
    EXPECT_EQ(step, "CreatePipe");
    EXPECT_EQ(error, EMFILE);
}

TEST(ToolStart, TheStubKeepsArgumentsExitCodeAndOutputAsWritten) {
    Job job;
    pemtest::ScopedEnv log("FAKE_TOOL_ARGLOG", job.dir / "args.txt");
    pemtest::ScopedEnv code("FAKE_TOOL_EXIT", "5");
    pemtest::ScopedEnv crlf("FAKE_TOOL_CRLF", "1");
    auto r = job.Request();
    r.piped = true;
    r.params = {"last.xml", "a b", "it's"};
    auto run = Start(r);
    ASSERT_TRUE(run && run->Piped());
    const std::string out = Poll(*run);
    EXPECT_EQ(out, "Orig Source File = src/a.cbl\r\nDone\r\n");
    EXPECT_EQ(run->ExitCode(), 5);
    EXPECT_EQ(pemtest::ReadFile(job.dir / "args.txt"),
              "[0]=" + kFakeTool + "\n[1]=last.xml\n[2]=a b\n[3]=it's\n--\n");
}

// The console stub ends as its tool ended, so the shell's own wait status
// tells an exit code from a signal; a tool it cannot start is told on the
// report pipe alone, which the tool does not inherit.
TEST(ToolStart, TheStubEndsAsItsToolEnded) {
    const struct {
        const char* what;
        std::string script; // the tool; "" for one that is not there
        int code, signal, startError;
        std::string output;
    } cases[] = {
        {"exit 0", "exit 0", 0, 0, 0, ""},
        {"exit 127", "exit 127", 127, 0, 0, ""},
        {"exit 130", "exit 130", 130, 0, 0, ""},
        {"exit 192", "exit 192", 192, 0, 0, ""},
        {"SIGTERM", "kill -TERM $$", 128 + SIGTERM, SIGTERM, 0, ""},
        {"SIGSEGV", "ulimit -c 0; kill -SEGV $$", 128 + SIGSEGV, SIGSEGV, 0, ""},
        {"the report descriptor is not passed on",
         "if [ -e /proc/self/fd/3 ]; then echo inherited; else echo closed; fi", 0, 0, 0, "closed\n"},
        {"no such tool", "", 127, 0, ENOENT, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Job job;
        const std::string tool = job.dir / "tool.sh";
        if (!c.script.empty()) {
            pemtest::WriteFile(tool, "#!/bin/sh\n" + c.script + "\n");
            fs::permissions(tool, fs::perms::owner_all);
        }
        auto r = job.Request(tool);
        r.params.clear();
        r.piped = true;
        auto run = Start(r);
        ASSERT_TRUE(run && run->Piped());
        const std::string out = Poll(*run);
        ASSERT_TRUE(run->WaitFor(10000));
        EXPECT_EQ(run->ExitCode(), c.code);
        EXPECT_EQ(run->TermSignal(), c.signal);
        EXPECT_EQ(run->StartError(), c.startError);
        EXPECT_EQ(out, c.output);
    }
}

TEST(ToolStart, PartialLinesArriveAsWrittenAndAreShownWhenComplete) {
    Job job;
    pemtest::ScopedEnv partial("FAKE_TOOL_PARTIAL", "1");
    pemtest::ScopedEnv noEol("FAKE_TOOL_NO_FINAL_EOL", "1");
    auto r = job.Request();
    r.piped = true;
    auto run = Start(r);
    ASSERT_TRUE(run);
    TToolOutputReader reader(0);
    int chunks = 0, counted = 0;
    std::string text;
    while (!run->Pipes()->Drained()) {
        std::string chunk;
        if (run->Pipes()->Take(chunk)) {
            ++chunks;
            const TOutputStep s = reader.Feed(chunk);
            counted += s.counted;
            if (s.counted) text = s.lastCountedText;
        } else {
            run->Pipes()->WaitForOutput(10);
        }
    }
    ASSERT_TRUE(run->WaitFor(10000));
    std::string rest;
    if (run->Pipes()->Take(rest)) counted += reader.Feed(rest).counted;
    EXPECT_GT(chunks, 1); // the pieces came as the tool wrote them
    EXPECT_EQ(counted, 1);
    EXPECT_EQ(text, " src/a.cbl");
    EXPECT_EQ(reader.Finish().lines, 1);
    bool replaced = false;
    EXPECT_EQ(reader.TakeMemoLines(replaced),
              (std::vector<std::string>{"Orig Source File = src/a.cbl", "Done without line end"}));
}

TEST(ToolStart, AToolWaitingForAKeyEndsThanksToTheIdleLineEnd) {
    Job job;
    pemtest::ScopedEnv stdinMode("FAKE_TOOL_STDIN", "block");
    auto r = job.Request();
    r.piped = true;
    auto run = Start(r);
    ASSERT_TRUE(run);
    const std::string out = Poll(*run);
    EXPECT_TRUE(run->HasEnded());
    EXPECT_NE(out.find("Press Enter to continue\nContinuing\n"), std::string::npos) << out;
}

TEST(ToolStart, ToolsThatCloseOrNeverReadTheirInputLeaveTheShellAlive) {
    for (const char* mode : {"close", "ignore"}) {
        Job job;
        pemtest::ScopedEnv stdinMode("FAKE_TOOL_STDIN", mode);
        pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "20000");
        auto r = job.Request();
        r.piped = true;
        auto run = Start(r);
        ASSERT_TRUE(run);
        std::string all;
        const auto start = std::chrono::steady_clock::now();
        for (int step = 0; step < 10000; ++step) {
            run->Pipes()->Take(all);
            ASSERT_GE(run->Pipes()->WriteInput("\r\n"), 0) << mode;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << mode;
        EXPECT_FALSE(run->HasEnded()) << mode;
        // The stop request still reaches it.
        pemtest::WriteFile(job.out + "/Semaphore.xml", "");
        Poll(*run);
        EXPECT_TRUE(run->HasEnded()) << mode;
        EXPECT_NE(pemtest::ReadFile(job.out + "/Sys.log").find("stopped"), std::string::npos) << mode;
    }
}

TEST(RunAndWait, WaitsInANestedLoopThatKeepsServingEvents) {
    pemtest::EnsureQApp();
    pemtest::TempDir dir;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    int code = -1;
    EXPECT_TRUE(RunAndWait("/bin/sh", {"-c", "sleep 0.3; echo waited > done; exit 3"}, dir.Path(), nullptr, &code));
    EXPECT_EQ(pemtest::ReadFile(dir / "done"), "waited\n");
    EXPECT_EQ(code, 3);
    EXPECT_GT(ticks, 5);
    int error = 0;
    EXPECT_FALSE(RunAndWait(dir / "missing program", {}, dir.Path(), &error));
    EXPECT_EQ(error, ENOENT);
}

TEST(ToolStart, TheStubKeepsDrainingWhenTheShellIsGoneSoTheToolFinishes) {
    Job job;
    // More output than the pipes and the terminal hold together.
    pemtest::ScopedEnv flood("FAKE_TOOL_FLOOD", "8000000");
    auto r = job.Request();
    r.piped = true;
    auto run = Start(r);
    ASSERT_TRUE(run);
    run.reset(); // the shell stops reading: our end of the pipe is closed
    for (int i = 0; i < 500 && !fs::exists(job.out + "/Metrics/SRC0001.met"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(pemtest::ReadFile(job.out + "/Metrics/SRC0001.met"), "Lines > 3\n");
}
