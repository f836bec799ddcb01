// Times the module ranking and the deficiency ranking against grep doing the
// line search each ranking rests on, over the same files in the same run:
//
//   ranking_bench [--reports N] [--listings L] [--runs R]
//
// N metrics reports (default 10,000) and L deficiency listings (default
// 2,000 of about 100 KB, 200 MB in all) are made in a fresh folder under
// $TMPDIR (or /tmp). Each side runs as a fresh process on a warm page cache,
// R times (default 5) alternated:
//   module ranking      against  find Metrics -name '*.met' | xargs grep -hi quality
//   deficiency ranking  against  find Defis -name '*.def' | xargs grep -c -E '^\| (PROB|DEFI|WARN)'
// and min, median and max are printed with the ratio of the medians, judged
// against the goal: within 2x of grep. Both
// sides must agree: the quality hits of the ranking are the quality values
// grep finds at or below the limit, and the occurrences the ranking counts
// are the lines grep counts. The ranking side is this program started again
// with --rank-modules or --rank-defis and a folder, doing what the actions
// do: find the files, rank them, write the report.
#include "DefiRanking.h"
#include "ModuleRanking.h"
#include "RankingText.h"
#include "SharedRoutinesFiles.h"

#include "BenchVerdict.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

constexpr double kQualityLimit = 0.5;

std::vector<std::string> Found(const std::string& folder, const char* extensions) {
    TStringList found;
    FindFilesRecursive(folder, "", extensions, found);
    std::vector<std::string> files;
    files.reserve(static_cast<size_t>(found.Count()));
    for (const auto& i : found) files.push_back(i.s);
    return files;
}

// The ranking side, in its own process: what the two actions do.
int RankModulesIn(const std::string& root) {
    const std::string folder = root + "/Metrics/";
    const auto files = Found(folder, ".met;");
    TModuleRankingLimits limits;
    limits.Quality = kQualityLimit;
    WriteLinesLF(root + "/Module Ranking.txt", RankModules(folder, files, limits));
    return 0;
}

int RankDefisIn(const std::string& root) {
    const std::string folder = root + "/Defis/";
    WriteLinesLF(root + "/Rule Violations.txt", RankDeficiencies(DefiFilesInSubfolders(Found(folder, ".def;"), folder)));
    return 0;
}

// ---- the files

void MakeReports(const fs::path& root, int n) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> size(50, 3000), milli(0, 999);
    std::string filler;
    for (int i = 0; i < 25; ++i) filler += "PGM-01" + std::to_string(10 + i) + " Measure of this and that      = >   " + std::to_string(i) + "\n";
    for (int i = 0; i < n; ++i) {
        const fs::path dir = root / "Metrics" / ("COMP" + std::to_string(i / 1000)) / ("MOD" + std::to_string(i / 50));
        fs::create_directories(dir);
        char q[16], c[16];
        std::snprintf(q, sizeof q, "0.%03d", milli(rng));
        std::snprintf(c, sizeof c, "0.%03d", milli(rng));
        std::ofstream(dir / ("PGM" + std::to_string(i) + ".met"), std::ios::binary)
            << " KORVEX METRICS REPORT\n Module: PGM" << i << "\n" << filler
            << "PGM-0001 Number of statements          = > " << size(rng) << "\n"
            << "PGM-0002 Program complexity            = > " << c << "\n"
            << "PGM-0003 Program quality               = > " << q << "\n End of report\n";
    }
}

void MakeListings(const fs::path& root, int n) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> rule(0, 199), kind(0, 2), pick(0, 9);
    const char* kinds[] = {"PROB", "DEFI", "WARN"};
    for (int i = 0; i < n; ++i) {
        const fs::path dir = root / "Defis" / ("COMP" + std::to_string(i / 200)) / ("MOD" + std::to_string(i / 20));
        fs::create_directories(dir);
        std::string text = "/ KORVEX DEFICIENCY LISTING\n|   SOURCE: COMP\\MOD\\PGM" + std::to_string(i) + ".COB   PAGE: 1 |\n";
        int line = 1;
        while (text.size() < 100 * 1000) {
            if (pick(rng) == 0) {
                char buf[96];
                const int r = rule(rng);
                std::snprintf(buf, sizeof buf, "| %s  | %02d Rule number %03d of the rule table            |\n",
                              kinds[kind(rng)], r % 100, r);
                text += buf;
            } else {
                char buf[96];
                std::snprintf(buf, sizeof buf, "|%7d|      MOVE WS-FIELD-%05d TO OUT-FIELD-%05d.\n", line, line, line);
                text += buf;
                ++line;
            }
        }
        std::ofstream(dir / ("PGM" + std::to_string(i) + ".def"), std::ios::binary) << text;
    }
}

// ---- the comparison

double Seconds(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Times {
    std::vector<double> t;
    double Median() {
        std::sort(t.begin(), t.end());
        return t[t.size() / 2];
    }
};

void Print(const char* what, Times& a, const char* other, Times& b) {
    const double ma = a.Median(), mb = b.Median();
    std::printf("%-22s min %7.3f s  median %7.3f s  max %7.3f s\n", what, a.t.front(), ma, a.t.back());
    std::printf("%-22s min %7.3f s  median %7.3f s  max %7.3f s\n", other, b.t.front(), mb, b.t.back());
    JudgeFigure((std::string(what) + ", ratio of medians to grep").c_str(), ma / mb, "x", 2);
    std::printf("\n");
}

void Compare(const std::string& ours, const std::string& grep, int runs, const char* what) {
    Seconds(ours); // warm the page cache and the program
    Seconds(grep);
    Times a, b;
    for (int r = 0; r < runs; ++r) {
        a.t.push_back(Seconds(ours));
        b.t.push_back(Seconds(grep));
    }
    Print(what, a, "grep", b);
}

std::vector<std::string> Lines(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// The entries of the report section whose heading holds the text.
std::vector<std::string> Section(const std::vector<std::string>& report, const std::string& heading) {
    std::vector<std::string> entries;
    size_t i = 0;
    while (i < report.size() && report[i].find(heading) == std::string::npos) ++i;
    for (i += 2; i < report.size() && report[i].rfind("  ---", 0) != 0; ++i) entries.push_back(report[i]);
    return entries;
}

long LastNumber(const std::string& line) {
    const size_t b = line.find_last_of(' ');
    return std::atol(line.c_str() + (b == std::string::npos ? 0 : b + 1));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && !std::strcmp(argv[1], "--rank-modules")) return RankModulesIn(argv[2]);
    if (argc == 3 && !std::strcmp(argv[1], "--rank-defis")) return RankDefisIn(argv[2]);
    int reports = 10000, listings = 2000, runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--reports")) reports = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--listings")) listings = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/ranking_bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path root = tmpl;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string q = "'" + root.string() + "'";
    MakeReports(root, reports);
    MakeListings(root, listings);
    std::printf("%d metrics reports, %d deficiency listings (%.0f MB)\n\n", reports, listings,
                [&] {
                    double bytes = 0;
                    for (const auto& e : fs::recursive_directory_iterator(root / "Defis"))
                        if (e.is_regular_file()) bytes += static_cast<double>(e.file_size());
                    return bytes / 1e6;
                }());

    const std::string grepModules = "cd " + q + " && find Metrics -name '*.met' | xargs grep -hi quality > grep-modules.txt";
    const std::string grepDefis =
        "cd " + q + " && find Defis -name '*.def' | xargs grep -c -E '^\\| (PROB|DEFI|WARN)' > grep-defis.txt";
    Compare("'" + self + "' --rank-modules " + q, grepModules, runs, "module ranking");
    Compare("'" + self + "' --rank-defis " + q, grepDefis, runs, "deficiency ranking");

    // Both sides found the same.
    bool same = true;
    long grepHits = 0;
    for (const auto& l : Lines(root / "grep-modules.txt"))
        if (TextToFloat(MetricsLineValue(l)) <= kQualityLimit) ++grepHits;
    const auto report = Lines(root / "Module Ranking.txt");
    const long rankHits = static_cast<long>(Section(report, "less than").size());
    if (rankHits != grepHits) {
        std::fprintf(stderr, "quality hits differ: ranking %ld, grep %ld\n", rankHits, grepHits);
        same = false;
    }
    long grepLines = 0, rankCounts = 0;
    for (const auto& l : Lines(root / "grep-defis.txt")) grepLines += LastNumber(l.substr(l.rfind(':') + 1));
    const auto violations = Lines(root / "Rule Violations.txt");
    for (const char* s : {"Major deficiences sorted by deficiency code", "Medium deficiences sorted by deficiency code",
                          "Minor deficiences sorted by deficiency code"})
        for (const auto& l : Section(violations, s)) rankCounts += LastNumber(l);
    if (grepLines != rankCounts) {
        std::fprintf(stderr, "counted lines differ: ranking %ld, grep %ld\n", rankCounts, grepLines);
        same = false;
    }
    std::printf("same results: %s (quality hits %ld, rule lines %ld)\n", same ? "yes" : "NO", rankHits, rankCounts);

    std::error_code ec;
    fs::remove_all(root, ec);
    return same ? 0 : 1;
}
