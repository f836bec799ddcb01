// Starting programs: argument lists, working folder, standard streams, no
// leaked descriptors, exit codes, children that outlive their object; the
// piped run's draining buffer and its non-blocking input.
#include "ProcessLauncher.h"
#include "TestSupport.h"
#include "ToolProcess.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace pem;
using pemtest::ReadFile;
using pemtest::TempDir;

namespace {

const std::string kFakeTool = std::string(FAKE_TOOLS_DIR) + "/fake_tool";

std::unique_ptr<TChildProcess> Launch(TLaunchRequest r) {
    int error = 0;
    auto child = LaunchProcess(r, error);
    EXPECT_TRUE(child) << SystemErrorMessage(error);
    return child;
}

TLaunchRequest Shell(const std::string& script) {
    TLaunchRequest r;
    r.program = "/bin/sh";
    r.args = {"-c", script};
    return r;
}

} // namespace

TEST(ProcessLauncher, ArgumentsReachTheProgramWordForWordInItsWorkingFolder) {
    TempDir dir;
    pemtest::ScopedEnv log("FAKE_TOOL_ARGLOG", dir / "args.txt");
    TLaunchRequest r;
    r.program = kFakeTool;
    r.args = {"last.xml;0001", "two words", "$(touch pwned)", "it's \"quoted\"", ""};
    r.workingDir = dir.Path();
    auto child = Launch(r);
    ASSERT_TRUE(child->WaitFor(10000));
    EXPECT_EQ(ReadFile(dir / "args.txt"), "[0]=" + kFakeTool +
                                              "\n[1]=last.xml;0001\n[2]=two words\n[3]=$(touch pwned)\n"
                                              "[4]=it's \"quoted\"\n[5]=\n--\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
}

TEST(ProcessLauncher, ExitCodesAndSignals) {
    const struct {
        const char* script;
        int code;
    } cases[] = {{"exit 0", 0}, {"exit 7", 7}, {"kill -TERM $$", 128 + 15}};
    for (const auto& c : cases) {
        auto child = Launch(Shell(c.script));
        ASSERT_TRUE(child->WaitFor(10000)) << c.script;
        EXPECT_EQ(child->ExitCode(), c.code) << c.script;
    }
}

TEST(ProcessLauncher, AMissingProgramFailsWithoutAChild) {
    for (const std::string program : {std::string("/no/such/tool"), std::string("no-such-tool-on-path")}) {
        TLaunchRequest r;
        r.program = program;
        int error = 0;
        bool before = true;
        EXPECT_FALSE(LaunchProcess(r, error, &before)) << program;
        EXPECT_EQ(error, ENOENT) << program;
        EXPECT_FALSE(before) << program;
    }
}

TEST(ProcessLauncher, TheChildGetsNoDescriptorOfTheParentButItsStreams) {
    // A descriptor opened without close-on-exec, as a library might.
    // (numbered high, clear of what the listing shell opens itself).
    const int opened = ::open("/dev/null", O_RDONLY);
    const int stray = ::fcntl(opened, F_DUPFD, 50);
    ::close(opened);
    ASSERT_GE(stray, 50);
    TempDir dir;
    TLaunchRequest r = Shell("for f in /proc/$$/fd/*; do echo ${f##*/}; done");
    r.out = TStdStream::File;
    r.outFile = dir / "fds.txt";
    auto child = Launch(r);
    ASSERT_TRUE(child->WaitFor(10000));
    ::close(stray);
    const std::string fds = ReadFile(dir / "fds.txt");
    EXPECT_NE(fds.find("0\n1\n2\n"), std::string::npos) << fds;
    EXPECT_EQ(fds.find("\n" + std::to_string(stray) + "\n"), std::string::npos) << fds;
}

TEST(ProcessLauncher, ADirectRunReadsFromDevNullSoAToolWaitingForAKeyEnds) {
    TempDir dir;
    pemtest::ScopedEnv stdinMode("FAKE_TOOL_STDIN", "block");
    TLaunchRequest r;
    r.program = kFakeTool;
    r.args = {"missing.xml"};
    r.workingDir = dir.Path();
    r.out = TStdStream::Null;
    auto child = Launch(r);
    EXPECT_TRUE(child->WaitFor(10000));
}

TEST(ProcessLauncher, AChildOutlivesItsObjectAndIsNeverKilled) {
    TempDir dir;
    {
        auto child = Launch(Shell("sleep 0.3; echo done > '" + dir / "done" + "'"));
        EXPECT_FALSE(child->HasEnded());
    }
    // The shell makes the file before it writes into it: wait for the text.
    for (int i = 0; i < 300 && !(std::filesystem::exists(dir / "done") && ReadFile(dir / "done") == "done\n"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadFile(dir / "done"), "done\n");
}

TEST(ToolProcess, DrainsEverythingThroughASmallBufferInOrder) {
    TempDir dir;
    pemtest::ScopedEnv flood("FAKE_TOOL_FLOOD", "3000000");
    TLaunchRequest r;
    r.program = kFakeTool;
    r.args = {"missing.xml"};
    r.workingDir = dir.Path();
    int error = 0;
    auto p = TToolProcess::Start(r, error, 64 * 1024);
    ASSERT_TRUE(p) << SystemErrorMessage(error);
    // A step's wait ends as soon as half the buffer is full.
    EXPECT_TRUE(p->WaitForBacklog(10000));
    EXPECT_GE(p->Available(), 32u * 1024);
    std::string all;
    while (!p->Drained()) {
        p->WaitForOutput(100);
        p->Take(all);
    }
    ASSERT_TRUE(p->Child().WaitFor(10000));
    ASSERT_GE(all.size(), 3000000u);
    EXPECT_EQ(all.substr(0, 15), "line 000000001\n");
    // Numbered lines arrive complete and in order.
    const size_t last = all.rfind("line ", all.find("fake_tool: "));
    const long n = std::stol(all.substr(last + 5, 9));
    EXPECT_EQ(static_cast<size_t>(n - 1) * 15, last);
}

TEST(ToolProcess, InputWritesNeverBlockWhetherTheToolReadsClosesOrNot) {
    TempDir dir;
    for (const char* mode : {"ignore", "close"}) {
        pemtest::ScopedEnv stdinMode("FAKE_TOOL_STDIN", mode);
        pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "3000");
        pemtest::TempDir work;
        pemtest::WriteFile(work / "last.xml", "<X>\n</X>\n");
        TLaunchRequest r;
        r.program = kFakeTool;
        r.args = {"last.xml"};
        r.workingDir = work.Path();
        int error = 0;
        auto p = TToolProcess::Start(r, error);
        ASSERT_TRUE(p);
        if (std::string(mode) == "close") std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 10000; ++i) ASSERT_GE(p->WriteInput("\r\n"), 0) << mode;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << mode;
        if (std::string(mode) == "close") {
            EXPECT_TRUE(p->InputClosed());
        } else {
            // More than the pipe holds: the rest is refused, nothing waits.
            EXPECT_GT(p->WriteInput(std::string(1 << 20, 'x')), 0);
            EXPECT_EQ(p->WriteInput("\r\n"), 0);
        }
        EXPECT_FALSE(p->Child().HasEnded()) << mode;
        pemtest::WriteFile(work / "Semaphore.xml", "");
        EXPECT_TRUE(p->Child().WaitFor(10000)) << mode;
    }
}
