// Compares "Reset output" with rm -r on two identical output directories of
// old result files, in one run:
//
//   reset_bench [--files N] [--runs R] [--budget S]
//
// Each run makes both trees afresh (N files each, default 10,000), then
// deletes one by the reset (collecting, then deleting what it announced and
// sweeping) and the other by rm -r, each in a fresh process, the order
// alternating from run to run. The medians (with min and max) and their
// ratio are printed. After every run both trees must hold no file any more,
// and the reset must have announced every file.
//
// Goal: within 1.5x of rm -r. Both walk the tree and unlink every file and
// folder; the reset walks it once more to collect what it announces, which
// costs far less than the unlinks.
//
// The whole benchmark keeps to a time budget (default 60 s): some file
// systems are slow to create files right after many were deleted. A run the
// budget ends (while its trees are made, or a side still deleting, which is
// then stopped) does not count; "N of M runs not done within the budget" is
// printed, and the benchmark fails when no run was done.
#include "BenchCompare.h"
#include "BenchVerdict.h"
#include "ResetPlan.h"

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Deadline = std::chrono::steady_clock::time_point;

bool Past(Deadline d) { return std::chrono::steady_clock::now() >= d; }

// Old results: three result folders, components of ten modules, a hundred
// files per module. False when the deadline passed first.
bool MakeTree(const std::string& out, int files, Deadline deadline) {
    const char* folders[] = {"Metrics", "Defis", "Specs"};
    int made = 0;
    for (int comp = 1; made < files; ++comp)
        for (int mod = 1; mod <= 10 && made < files; ++mod) {
            if (Past(deadline)) return false;
            char rel[64];
            std::snprintf(rel, sizeof rel, "/COMP%04d/MOD%04d", comp, mod);
            const std::string folder = out + "/" + folders[comp % 3] + rel;
            fs::create_directories(folder);
            for (int i = 0; i < 100 && made < files; ++i, ++made) {
                const std::string f = folder + "/SRC" + std::to_string(1000 + i) + ".met";
                const int fd = ::open(f.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
                if (fd < 0 || ::write(fd, "x\n", 2) != 2) {
                    std::perror(f.c_str());
                    std::exit(1);
                }
                ::close(fd);
            }
        }
    return true;
}

// Runs a program in a fresh process; its time in seconds, or -1 when the
// deadline came first (the process is then stopped). Ends the benchmark
// when it fails.
double TimedRun(const std::vector<std::string>& args, Deadline deadline) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0) {
            std::perror("waitpid");
            std::exit(1);
        }
        if (Past(deadline)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        ::usleep(1000);
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    return s;
}

long FilesLeft(const std::string& root) {
    long n = 0;
    std::error_code ec;
    if (!fs::exists(root, ec)) return 0;
    for (auto& e : fs::recursive_directory_iterator(root))
        if (!e.is_directory()) ++n;
    return n;
}

// The reset itself, in the child process: its exit code tells whether the
// plan announced the number of files expected.
int ResetChild(const std::string& out, long expected) {
    pem::TResetRequest r;
    r.outputDir = out;
    r.productName = "Acme";
    r.systemName = "Pay";
    r.jobName = "AcmePay";
    r.structureLevel = 2;
    const pem::TResetPlan plan = pem::CollectReset(r);
    pem::ExecuteReset(plan, r);
    return static_cast<long>(plan.files.size()) == expected ? 0 : 3;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--reset-child") == 0) return ResetChild(argv[2], std::atol(argv[3]));
    int files = 10000, runs = 5;
    double budget = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--files") == 0) files = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--budget") == 0) budget = std::atof(argv[i + 1]);
    }
    const std::string root = MakeBenchRoot("reset_bench");
    if (root.empty()) return 1;
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string ours = root + "/reset/out", theirs = root + "/rm/out";
    const Deadline deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(budget));

    Times reset, rm;
    // Run 0 is a warm-up, not counted among the runs.
    int done = 0;
    for (int run = 0; run <= runs && !Past(deadline); ++run) {
        if (!MakeTree(ours, files, deadline) || !MakeTree(theirs, files, deadline)) break;
        ::sync();
        double a = 0, b = 0;
        auto doOurs = [&] { a = TimedRun({self, "--reset-child", ours, std::to_string(files)}, deadline); };
        auto doTheirs = [&] { b = TimedRun({"rm", "-r", theirs}, deadline); };
        if (run % 2 == 0) {
            doOurs();
            if (a >= 0) doTheirs();
        } else {
            doTheirs();
            if (b >= 0) doOurs();
        }
        if (a < 0 || b < 0) break;
        if (FilesLeft(ours) != 0 || FilesLeft(theirs) != 0) {
            std::fprintf(stderr, "files left after run %d\n", run);
            return 1;
        }
        fs::remove_all(ours);
        if (run == 0) continue; // warm-up
        ++done;
        reset.t.push_back(a);
        rm.t.push_back(b);
    }
    // The figures first: removing what a stopped run left can take a while.
    std::printf("reset of %d old result files, budget %.0f s: %d of %d runs not done within the budget\n", files,
                budget, runs - done, runs);
    std::fflush(stdout);
    std::error_code ec;
    if (reset.t.empty()) {
        std::printf("no timed run done within the budget: no figures\n");
        std::fflush(stdout);
        fs::remove_all(root, ec);
        return 1;
    }
    std::printf("reset of %d old result files: ours %.3f s (%.3f..%.3f), rm -r %.3f s (%.3f..%.3f), "
                "ratio of medians %.2f\n",
                files, reset.Median(), reset.Min(), reset.Max(), rm.Median(), rm.Min(), rm.Max(),
                reset.Median() / rm.Median());
    JudgeFigure("reset, ratio of medians to rm -r", reset.Median() / rm.Median(), "x", 1.5);
    std::fflush(stdout);
    fs::remove_all(root, ec);
    return 0;
}
