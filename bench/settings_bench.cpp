// Loads a settings file of 10,000 and of 100,000 keys and saves one changed
// value in each, to show that both grow in proportion to the keys:
//
//   settings_bench [--runs R]
//
// The two files are made in a fresh folder under $TMPDIR (or /tmp) and
// removed afterwards. Each run loads both and saves one value in both
// (alternating, each in a fresh process, timed inside it) and checks that
// every size reads the same values back; min, median and max of each side
// (CPU time and wall time) are printed with the time per key, as
// information. Judged: ten times the keys costs at most ten times the CPU
// time (linear), for the load and for the save.
#include "IniSettingsFile.h"

#include "BenchVerdict.h"

#include <algorithm>
#include <ctime>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using pem::IniSettingsFile;

namespace {

double CpuNow() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall time and the process's CPU time (user and kernel) of one call.
struct Sample {
    double wall, cpu;
};
Sample Measure(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = CpuNow();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), CpuNow() - cpu};
}

void MakeFile(const std::string& path, int keys) {
    std::ofstream out(path, std::ios::binary);
    out << "[Parameters]\n";
    for (int i = 0; i < keys; ++i) out << "LastOutputDir" << i << "=/home/user/work/out" << i << "\n";
}

struct Side {
    int keys;
    std::string path;
    std::vector<Sample> load, save;
};

// Loads from a fresh object and reads three keys (spelt in another case);
// false when a value is not the one written.
bool Load(const Side& s) {
    IniSettingsFile f(s.path);
    for (int i : {0, s.keys / 2, s.keys - 1}) {
        std::string v;
        if (!f.Read("parameters", "lastoutputdir" + std::to_string(i), v) || v != "/home/user/work/out" + std::to_string(i))
            return false;
    }
    return true;
}

bool SaveOne(const Side& s, int run) {
    IniSettingsFile f(s.path);
    const std::string value = "/home/user/changed" + std::to_string(run);
    if (!f.Write("Parameters", "LastOutputDir1", value)) return false;
    IniSettingsFile back(s.path);
    std::string v;
    return back.Read("Parameters", "LastOutputDir1", v) && v == value;
}

double Median(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

std::vector<double> Part(const std::vector<Sample>& v, double Sample::*m) {
    std::vector<double> r;
    for (const Sample& x : v) r.push_back(x.*m);
    return r;
}

void Print(const char* what, const Side& s, const std::vector<Sample>& v) {
    for (auto [name, m] : {std::pair{"cpu ", &Sample::cpu}, std::pair{"wall", &Sample::wall}}) {
        std::vector<double> t = Part(v, m);
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        std::printf("%-5s %s %7d keys: min %8.2f ms  median %8.2f ms  max %8.2f ms  (%6.0f ns per key)\n", what,
                    name, s.keys, t.front() * 1e3, median * 1e3, t.back() * 1e3, median * 1e9 / s.keys);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 6 && !std::strcmp(argv[1], "--child")) {
        const Side s{std::atoi(argv[4]), argv[3], {}, {}};
        const int run = std::atoi(argv[5]);
        bool good = false;
        const Sample t = Measure([&] { good = !std::strcmp(argv[2], "load") ? Load(s) : SaveOne(s, run); });
        std::printf("%.9f %.9f\n", t.wall, t.cpu);
        return good ? 0 : 1;
    }
    int runs = 7;
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));

    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/settings_bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    Side small{10000, tmpl + "/small.ini", {}, {}};
    Side large{100000, tmpl + "/large.ini", {}, {}};
    MakeFile(small.path, small.keys);
    MakeFile(large.path, large.keys);

    // Each load and save runs in a fresh process, as the program loads its
    // settings once per start: in one warm process the small file would
    // reuse memory the heap already holds while the large one pays for
    // fresh pages, and the comparison would measure the allocator.
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    auto inChild = [&](const char* what, const Side& s, int run, Sample& out) {
        const std::string cmd = "'" + self + "' --child " + what + " '" + s.path + "' " + std::to_string(s.keys) +
                                " " + std::to_string(run);
        FILE* p = ::popen(cmd.c_str(), "r");
        if (p == nullptr) return false;
        const bool read = std::fscanf(p, "%lf %lf", &out.wall, &out.cpu) == 2;
        return ::pclose(p) == 0 && read;
    };
    bool ok = Load(small) && Load(large); // warm-up
    for (int r = 0; r < runs && ok; ++r) {
        for (Side* s : {&small, &large}) {
            Sample t{};
            ok = ok && inChild("load", *s, r, t);
            s->load.push_back(t);
            ok = ok && inChild("save", *s, r, t);
            s->save.push_back(t);
        }
    }
    std::error_code ec;
    fs::remove_all(tmpl, ec);
    if (!ok) {
        std::fprintf(stderr, "settings_bench: a value read back is not the one written\n");
        return 1;
    }
    std::printf("settings file, %d runs each, alternating (the times as information, judged below)\n", runs);
    Print("load", small, small.load);
    Print("load", large, large.load);
    Print("save", small, small.save);
    Print("save", large, large.save);
    // Linear: ten times the keys costs at most ten times the time. The
    // verdict is taken on CPU time: on a shared, loaded machine a run of
    // 100 ms is preempted many times where one of 10 ms mostly is not, so
    // the wall time grows faster than the work; it is printed beside it.
    for (auto [what, side] : {std::pair{"load", &Side::load}, std::pair{"save", &Side::save}}) {
        const double cpu = Median(Part(large.*side, &Sample::cpu)) / Median(Part(small.*side, &Sample::cpu));
        const double wall = Median(Part(large.*side, &Sample::wall)) / Median(Part(small.*side, &Sample::wall));
        JudgeFigure((std::string("10x the keys, ") + what + ", CPU time (linear)").c_str(), cpu, "x", 10);
        ShowFigure((std::string("10x the keys, ") + what + ", wall time").c_str(), wall, "x");
    }
    return 0;
}
