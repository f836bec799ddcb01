#pragma once
// Comparing our side with a reference tool in one benchmark run: both run in
// turns, after one warm-up run each, so that a change of load on the machine
// hits both alike; the medians with min and max and their ratio are printed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace {

double Seconds(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times of two contenders, run in turns so that a change of load on the
// machine hits both alike; each side's check runs after each of its runs.
struct Times {
    std::vector<double> t;
    double Median() const {
        std::vector<double> v = t;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    double Min() const { return *std::min_element(t.begin(), t.end()); }
    double Max() const { return *std::max_element(t.begin(), t.end()); }
};

std::pair<Times, Times> RunBoth(int runs, const std::function<void()>& prepare, const std::function<void()>& ours,
                                const std::function<void()>& theirs,
                                const std::function<void()>& afterOurs = {},
                                const std::function<void()>& afterTheirs = {}) {
    prepare();
    ours(); // warm-up
    prepare();
    theirs();
    Times a, b;
    for (int i = 0; i < runs; ++i) {
        prepare();
        a.t.push_back(Seconds(ours));
        if (afterOurs) afterOurs();
        prepare();
        b.t.push_back(Seconds(theirs));
        if (afterTheirs) afterTheirs();
    }
    return {a, b};
}

void PrintLine(const char* what, const Times& ours, const char* name, const Times& theirs) {
    std::printf("%s ours %.3f s (%.3f..%.3f), %s %.3f s (%.3f..%.3f), ratio of medians %.2f\n", what,
                ours.Median(), ours.Min(), ours.Max(), name, theirs.Median(), theirs.Min(), theirs.Max(),
                ours.Median() / theirs.Median());
}

// Runs a program with its output going to outFile (or thrown away); false
// unless it exits with 0.
bool Run(const std::vector<std::string>& args, const std::string& outFile = "/dev/null") {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A fresh folder "<name>-XXXXXX" under $TMPDIR (or /tmp); "" when it
// cannot be made (the reason is printed).
std::string MakeBenchRoot(const char* name) {
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + name + "-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) {
        std::perror("mkdtemp");
        return {};
    }
    return tmpl;
}

} // namespace
