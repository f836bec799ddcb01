#pragma once
// What the benchmarks that time fresh processes share: wall times, the
// minimum, median and maximum of repeated runs, starting a program with its
// output to a file, and reading that file back.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct Stats {
    double min, median, max;
};
inline Stats Summary(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

// Runs a program with its output to a file ("" /dev/null) and returns its
// wall time; an exit code above highestOk ends the benchmark.
inline double RunTimed(const std::vector<std::string>& args, const std::string& outFile = "", int highestOk = 0) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, outFile.empty() ? "/dev/null" : outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double t = Since(start);
    posix_spawn_file_actions_destroy(&fa);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > highestOk) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(2);
    }
    return t;
}

inline std::string Slurp(const std::string& f) {
    std::ifstream in(f, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace bench
