// The program itself started headless with "-AutoRun", as a script or a
// scheduler starts it: whatever the installation or the job, the process
// ends, with 1 and its reason on standard error when it could not run, and
// with 0 after a good run whose job was saved where it came from.
#include "TestSupport.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const std::string kDemo = FIXTURES_DIR "/../../demo";

struct Ended {
    int status = -1; // the exit code; -1 when killed at the time limit or by a signal
    std::string err; // standard error
};

// Runs the program to its end, at most limitMs; standard output and error
// go into files beside the installation.
Ended RunToEnd(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env, const std::string& logs, int limitMs = 20000) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> vars;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (!env.count(v.substr(0, v.find('=')))) vars.push_back(v);
    }
    for (const auto& [name, value] : env) vars.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    const std::string errFile = logs + "/stderr.txt";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, (logs + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    Ended r;
    const int rc = ::posix_spawn(&pid, program.c_str(), &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) return r;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    int status = 0;
    for (;;) {
        if (::waitpid(pid, &status, WNOHANG) == pid) break;
        if (std::chrono::steady_clock::now() >= end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            r.err = "(still running after " + std::to_string(limitMs) + " ms)\n";
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (status != -1 && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    r.err += pemtest::ReadFile(errFile);
    return r;
}

class HeadlessStartTest : public ::testing::Test {
protected:
    // The demo installation with the program linked into its tool folder
    // under the product's name and the demo tool in place of every tool.
    void Install(const std::string& product) {
        fs::copy(kDemo, install.Path(), fs::copy_options::recursive);
        fs::create_symlink(PROGRAM_DIR "/Pemaris", Program(product));
        fs::create_symlink(PROGRAM_DIR "/console_stub", install / "Tools/console_stub");
        for (const auto& e : fs::recursive_directory_iterator(install / "Tools"))
            if (e.path().extension() == ".exe") {
                fs::remove(e.path());
                fs::create_symlink(PROGRAM_DIR "/demo_tool", e.path());
            }
        for (const char* d : {"config", "data", "home", "runjobs"}) fs::create_directories(install / d);
    }
    std::string Program(const std::string& product) const { return install / ("Tools/" + product); }
    Ended Run(const std::string& program, const std::vector<std::string>& args) {
        return RunToEnd(program, args,
                        {{"QT_QPA_PLATFORM", "offscreen"},
                         {"XDG_CONFIG_HOME", install / "config"},
                         {"XDG_DATA_HOME", install / "data"},
                         {"HOME", install / "home"}},
                        install.Path());
    }
    // The demo's billing job, its paths filled in, saved as runjobs/<file>; its
    // output directory has its result folders (an output directory in use).
    std::string BillingJob(const std::string& file) {
        const std::string out = install / "output/COB";
        for (const char* f : {"Metrics", "Defis", "Specs"}) fs::create_directories(out + "/" + f);
        std::string job = pemtest::ReadFile(kDemo + "/jobs/Billing.job.in");
        for (const auto& [mark, value] :
             {std::pair<std::string, std::string>{"@OUTPUT@", out}, {"@SAMPLE@", install / "sample"}})
            for (size_t at; (at = job.find(mark)) != std::string::npos;) job.replace(at, mark.size(), value);
        const std::string path = install / ("runjobs/" + file);
        pemtest::WriteFile(path, job);
        return path;
    }

    pemtest::TempDir install;
};

// No language of the installation can be used: the start says why and the
// process ends with 1 instead of idling without a window anyone sees.
TEST_F(HeadlessStartTest, NoUsableProductEndsTheAutomaticRunWithOne) {
    const std::string kNoProduct = "Installation error , no product is available - probably misplaced TOOL library";
    const struct {
        const char* what;
        std::function<void(const pemtest::TempDir&)> spoil;
        std::vector<std::string> root; // the -Root arguments; {} for the Tools folder
        std::string reason;
        const char* programDir = "Tools"; // where the program is started from
    } cases[] = {
        {"a -Root that names no folder", {}, {"-Root", "/nonexistent/Tools"}, kNoProduct},
        // An empty value is the program's own folder, which holds no tools.
        {"an empty -Root",
         [](const pemtest::TempDir& t) {
             fs::create_directories(t / "bin");
             fs::create_symlink(PROGRAM_DIR "/Pemaris", t / "bin/Korvex");
         },
         {"-Root", ""}, kNoProduct, "bin"},
        {"a Tools folder without the tool tree",
         [](const pemtest::TempDir& t) { fs::remove_all(t / "Tools/Measure"); }, {}, kNoProduct},
        {"an empty product INI",
         [](const pemtest::TempDir& t) { pemtest::WriteFile(t / "_Pemaris_Family.Src/Korvex.INI", ""); }, {},
         kNoProduct},
        {"a garbled product INI",
         [](const pemtest::TempDir& t) {
             pemtest::WriteFile(t / "_Pemaris_Family.Src/Korvex.INI",
                                std::string("\x01\xff=\x02\n[[[\nRadioButton\n=\n\0\0garbage", 30));
         },
         {}, kNoProduct},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& e : fs::directory_iterator(install.Path())) fs::remove_all(e.path());
        Install("Korvex");
        if (c.spoil) c.spoil(install);
        const std::string job = BillingJob("Billing.jkvx");
        std::vector<std::string> args = c.root.empty() ? std::vector<std::string>{"-Root", install / "Tools"} : c.root;
        args.insert(args.end(), {"-Proj", job, "-AutoRun=Anal"});
        const Ended e = Run(install / (c.programDir + std::string("/Korvex")), args);
        EXPECT_EQ(e.status, 1) << e.err;
        EXPECT_NE(e.err.find(c.reason), std::string::npos) << e.err;
    }
}

// A derived product reopens a job whose file is not named after the job:
// the start-up's own save (its structure step changes the job) writes that
// file without asking where, the run goes on to its end, and the job is
// written into the file it was started with, no other job file made.
TEST_F(HeadlessStartTest, ADerivedProductsJobUnderAnotherNameRunsToItsEnd) {
    Install("Oskaro_Korvex");
    const std::string job = BillingJob("Renamed.jtst");
    const std::string before = pemtest::ReadFile(job);
    const Ended e = Run(Program("Oskaro_Korvex"), {"-Root", install / "Tools", "-Proj", job, "-AutoRun=Anal"});
    EXPECT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(e.err.find("Save job as..."), std::string::npos) << e.err;
    EXPECT_NE(e.err.find("Analysis completed, processing finished"), std::string::npos) << e.err;
    const std::string after = pemtest::ReadFile(job);
    EXPECT_NE(after, before);
    EXPECT_NE(after.find("ProjectName=Billing"), std::string::npos) << after;
    EXPECT_NE(after.find("BatchRunning=N"), std::string::npos) << after;
    std::vector<std::string> jobs;
    for (const auto& f : fs::directory_iterator(install / "runjobs")) jobs.push_back(f.path().filename());
    EXPECT_EQ(jobs, std::vector<std::string>{"Renamed.jtst"});
    EXPECT_TRUE(fs::exists(install / "output/COB/Metrics/Billing/Invoice/INVOICE.met")) << e.err;
}

} // namespace
