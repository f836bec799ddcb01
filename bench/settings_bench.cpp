// Loads a settings file of 10,000 and of 100,000 keys and saves one changed
// value in each, to show that both grow in proportion to the keys:
//
//   settings_bench [--runs R]
//
// The two files are made in a fresh folder under $TMPDIR (or /tmp) and
// removed afterwards. Each run loads both (alternating, in this one warm
// process) from a fresh settings object and checks that every size reads the
// same values back; min, median and max of each side are printed with the
// time per key, and whether ten times the keys costs at most ten times the
// time (linear) for the load and for the save.
#include "IniSettingsFile.h"

#include <algorithm>
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

double Seconds(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void MakeFile(const std::string& path, int keys) {
    std::ofstream out(path, std::ios::binary);
    out << "[Parameters]\n";
    for (int i = 0; i < keys; ++i) out << "LastOutputDir" << i << "=/home/user/work/out" << i << "\n";
}

struct Side {
    int keys;
    std::string path;
    std::vector<double> load, save;
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

void Print(const char* what, const Side& s, std::vector<double> t) {
    std::sort(t.begin(), t.end());
    const double median = t[t.size() / 2];
    std::printf("%-5s %7d keys: min %8.2f ms  median %8.2f ms  max %8.2f ms  (%6.0f ns per key)\n", what, s.keys,
                t.front() * 1e3, median * 1e3, t.back() * 1e3, median * 1e9 / s.keys);
}

} // namespace

int main(int argc, char** argv) {
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

    bool ok = Load(small) && Load(large); // warm-up
    for (int r = 0; r < runs && ok; ++r) {
        for (Side* s : {&small, &large}) {
            bool good = false;
            s->load.push_back(Seconds([&] { good = Load(*s); }));
            ok = ok && good;
            s->save.push_back(Seconds([&] { good = SaveOne(*s, r); }));
            ok = ok && good;
        }
    }
    std::error_code ec;
    fs::remove_all(tmpl, ec);
    if (!ok) {
        std::fprintf(stderr, "settings_bench: a value read back is not the one written\n");
        return 1;
    }
    std::printf("settings file, %d runs each, alternating\n", runs);
    Print("load", small, small.load);
    Print("load", large, large.load);
    Print("save", small, small.save);
    Print("save", large, large.save);
    auto median = [](std::vector<double> t) {
        std::sort(t.begin(), t.end());
        return t[t.size() / 2];
    };
    // Linear: ten times the keys costs at most ten times the time.
    const double loadRatio = median(large.load) / median(small.load);
    const double saveRatio = median(large.save) / median(small.save);
    std::printf("10x the keys: load %.1fx the time   target <= 10x (linear): %s\n", loadRatio,
                loadRatio <= 10 ? "met" : "missed");
    std::printf("10x the keys: save %.1fx the time   target <= 10x (linear): %s\n", saveRatio,
                saveRatio <= 10 ? "met" : "missed");
    return 0;
}
