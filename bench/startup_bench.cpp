// Start-up to the main window's first paint, offscreen, against a bare Qt
// main window (menu bar, a tab widget holding a label, a line edit, a check
// box and a list, status bar; as large as the program's window at its first
// paint) timed the same way:
//
//   startup_bench [--runs R] [--product NAME]
//
// Both run as fresh processes, in turns, the order swapped every round,
// after one warm-up start each. Each process ends right after its first
// paint (the program's bench hook, PEMARIS_BENCH_EXIT_AT_FIRST_PAINT); its
// wall time from spawn to exit and its peak memory (max RSS) are taken. The
// program starts as the product (default Korvex) on a fresh copy of the demo
// installation with its own settings folder. Prints min, median and max of
// each side and of the ratios taken pair by pair, with the verdicts on the
// median ratios and the load average beside them: time <= 1.5x, memory
// <= 1.3x.
#include "BenchSupport.h"
#include "BenchVerdict.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Start {
    double seconds = 0;
    double maxRssMb = 0;
};

// Starts a program with the environment changed by `env`, waits for it and
// checks that it ended through the first-paint hook.
Start StartOnce(const std::string& program, const std::map<std::string, std::string>& env,
                const std::string& outFile) {
    std::map<std::string, std::string> all;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string kv = *e;
        const auto eq = kv.find('=');
        if (eq != std::string::npos) all[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    for (const auto& [k, v] : env) all[k] = v;
    std::vector<std::string> envText;
    for (const auto& [k, v] : all) envText.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& s : envText) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), nullptr};

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, (outFile + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = bench::Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &fa, nullptr, argv.data(), envp.data()) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(2);
    }
    int status = 0;
    struct rusage ru {};
    ::wait4(pid, &status, 0, &ru);
    Start s{bench::Since(start), static_cast<double>(ru.ru_maxrss) / 1024.0};
    posix_spawn_file_actions_destroy(&fa);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || bench::Slurp(outFile) != "first paint\n") {
        std::fprintf(stderr, "%s did not end at its first paint; its messages:\n%s", program.c_str(),
                     bench::Slurp(outFile + ".err").c_str());
        std::exit(2);
    }
    return s;
}

void PrintStats(const char* what, const std::vector<double>& v, const char* unit, int precision) {
    const bench::Stats s = bench::Summary(v);
    std::printf("  %-34s min %.*f%s  median %.*f%s  max %.*f%s\n", what, precision, s.min, unit, precision,
                s.median, unit, precision, s.max, unit);
}

} // namespace

int main(int argc, char** argv) {
    int runs = 9;
    std::string product = "Korvex";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(5, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--product")) product = argv[i + 1];
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string root = std::string(tmp && *tmp ? tmp : "/tmp") + "/startup_bench-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    // The demo installation, the program linked into its tool folder under
    // the product's name, and settings of its own.
    fs::copy(DEMO_DIR, root, fs::copy_options::recursive);
    const std::string program = root + "/Tools/" + product;
    fs::create_symlink(PEMARIS_EXE, program);
    for (const char* d : {"/config", "/home", "/data"}) fs::create_directories(root + d);
    const std::map<std::string, std::string> env{{"QT_QPA_PLATFORM", "offscreen"},
                                                 {"PEMARIS_BENCH_EXIT_AT_FIRST_PAINT", "1"},
                                                 {"XDG_CONFIG_HOME", root + "/config"},
                                                 {"XDG_DATA_HOME", root + "/data"},
                                                 {"HOME", root + "/home"}};
    const std::string out = root + "/out.txt";

    StartOnce(program, env, out); // warm-up; also makes the settings file
    StartOnce(BARE_WINDOW, env, out);
    std::vector<double> ourTime, bareTime, ourMem, bareMem, timeRatio, memRatio;
    for (int r = 0; r < runs; ++r) {
        Start a, b;
        if (r % 2 == 0) {
            a = StartOnce(program, env, out);
            b = StartOnce(BARE_WINDOW, env, out);
        } else {
            b = StartOnce(BARE_WINDOW, env, out);
            a = StartOnce(program, env, out);
        }
        ourTime.push_back(a.seconds * 1e3);
        bareTime.push_back(b.seconds * 1e3);
        ourMem.push_back(a.maxRssMb);
        bareMem.push_back(b.maxRssMb);
        timeRatio.push_back(a.seconds / b.seconds);
        memRatio.push_back(a.maxRssMb / b.maxRssMb);
    }
    std::error_code ec;
    fs::remove_all(root, ec);

    std::printf("startup_bench: %s to its first paint against a bare Qt main window, offscreen, %d runs each, "
                "alternated\n",
                product.c_str(), runs);
    PrintStats("program, start to first paint", ourTime, " ms", 1);
    PrintStats("bare window, start to first paint", bareTime, " ms", 1);
    PrintStats("program, max RSS", ourMem, " MB", 1);
    PrintStats("bare window, max RSS", bareMem, " MB", 1);
    const bench::Stats t = bench::Summary(timeRatio), m = bench::Summary(memRatio);
    std::printf("  time   x%.2f (x%.2f..x%.2f) pair by pair\n", t.median, t.min, t.max);
    std::printf("  memory x%.2f (x%.2f..x%.2f) pair by pair\n", m.median, m.min, m.max);
    JudgeFigure("  time to first paint, median of the pairs' ratios", t.median, "x", 1.5);
    JudgeFigure("  peak memory, median of the pairs' ratios", m.median, "x", 1.3);
    return 0;
}
