// Adding a generated directory tree to the job's source-file list, and the
// strict component and module structure, against the file system's own tools
// doing the same search in the same run:
//
//   sources_bench [--files N] [--prefill M] [--scale S] [--strict K] [--runs R]
//
//  - a tree of N files (default 100,000) dropped on an empty list and on a
//    list of M files (default 50,000), against `find TREE -type f | sort`;
//  - a tree S times as large (default 4: 400,000 files) dropped on a list S
//    times as large (200,000): no event-loop gap over 100 ms, and the add
//    grows linearly from the smaller one (within S x 7/6); 0 leaves it out;
//  - the strict structure of K files (default 9,998), against `find` over them.
//
// Both sides run in fresh processes, alternated R times (default 5); the
// figures are medians with min and max. The window's side reports the time of
// the add itself and the longest gap of its event loop meanwhile. Each run
// checks that both sides found the same files.
//
// Goals, each judged with the load average beside it: each add within 1.5x
// of find | sort (ratio of medians), the strict structure within 2x of find,
// no event-loop gap over 100 ms in any run, and the growth above; the times
// themselves are information. No verdict is given when the sides' files
// differ.
#include "DialogService.h"
#include "DropRouter.h"
#include "PemarisMain.h"
#include "SettingsStore.h"
#include "CmdLine.h"

#include "BenchVerdict.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void WriteText(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// c<comp>/m<mod>/f<n>.cbl, 100 files a module, 50 modules a component.
void MakeTree(const fs::path& root, int files, const char* stem) {
    for (int i = 0; i < files; ++i) {
        char rel[96];
        std::snprintf(rel, sizeof rel, "c%03d/m%02d/%s%06d.cbl", i / 5000, (i / 100) % 50, stem, i);
        const fs::path p = root / rel;
        if (i % 100 == 0) fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << "x";
    }
}

std::set<std::string> ReadLines(const std::string& file) {
    std::set<std::string> s;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) s.insert(line);
    return s;
}

// Runs a command line through the shell; returns its wall time.
double Shell(const std::string& cmd) {
    const double t = Now();
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "sources_bench: failed: %s\n", cmd.c_str());
    return Now() - t;
}

struct ChildResult {
    double seconds = 0, gap = 0;
    int count = 0;
};

ChildResult RunChild(const std::string& self, const std::vector<std::string>& args) {
    std::string cmd = "'" + self + "' --child";
    for (const auto& a : args) cmd += " '" + a + "'";
    FILE* p = ::popen(cmd.c_str(), "r");
    ChildResult r;
    if (!p) return r;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p))
        if (std::strncmp(buf, "result ", 7) == 0) std::sscanf(buf + 7, "%lf %lf %d", &r.seconds, &r.gap, &r.count);
    ::pclose(p);
    return r;
}

// The window's side, in a process of its own.
int Child(int argc, char** argv) {
    // --child MODE ROOT TREE PREFILL OUT
    const std::string mode = argv[2], root = argv[3], tree = argv[4], prefill = argv[5], out = argv[6];
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char arg0[] = "sources_bench";
    char* qargv[] = {arg0, nullptr};
    QApplication app(qargc, qargv);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    // The window makes default folders in the home folder: the bench's own.
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ScriptedDialogService dialogs;
    SetDialogService(&dialogs);
    SetCommandLine({});
    TfrmPemarisMain::ExecutablePath = root + "/Tools/Korvex";
    auto* f = new TfrmPemarisMain;
    f->DoCreate();
    f->show();
    QApplication::processEvents();
    f->ValidateProductName("bench");
    f->ValidateSystemName("sources");
    f->ValidateVersion("1");
    auto drop = [f](const std::string& folder) {
        TStringList l;
        l.Add(folder);
        TDropRouter::Instance().Deliver(f->BitBtnAddDirectories, l);
    };
    if (!prefill.empty() && prefill != "-") drop(prefill);

    ChildResult r;
    if (mode == "add") {
        // The longest time the event loop went without serving a timer.
        double last = Now(), gap = 0;
        QTimer timer;
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const double t = Now();
            gap = std::max(gap, t - last);
            last = t;
        });
        timer.start();
        const double t0 = Now();
        last = t0;
        drop(tree);
        const double t1 = Now();
        gap = std::max(gap, t1 - last);
        r.seconds = t1 - t0;
        r.gap = gap;
    } else {
        drop(tree);
        const double t0 = Now();
        f->ActCalculateCommonRootStrict->Execute();
        r.seconds = Now() - t0;
        r.count = static_cast<int>(f->Structure.Components.size());
    }
    std::ofstream o(out, std::ios::binary);
    for (const auto& item : f->SourceFiles.Items()) o << item.path << "\n";
    if (mode == "add") r.count = f->SourceFiles.Count();
    std::printf("result %.6f %.6f %d\n", r.seconds, r.gap, r.count);
    std::fflush(stdout);
    delete f;
    SetDialogService(nullptr);
    return 0;
}

struct Series {
    std::vector<double> v;
    void Add(double x) { v.push_back(x); }
    double Median() const {
        std::vector<double> s = v;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : (s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2);
    }
    double Min() const { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
    double Max() const { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }
};

void Print(const char* what, const Series& s) {
    std::printf("  %-34s median %8.3f s   min %8.3f   max %8.3f\n", what, s.Median(), s.Min(), s.Max());
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 7 && std::strcmp(argv[1], "--child") == 0) return Child(argc, argv);
    int files = 100000, prefillCount = 50000, strictCount = 9998, runs = 5, scale = 4;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--files")) files = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--prefill")) prefillCount = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--strict")) strictCount = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--scale")) scale = std::max(0, std::atoi(argv[++i]));
    }
    const std::string self = fs::canonical("/proc/self/exe").string();
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/sources_bench-XXXXXX";
    if (!::mkdtemp(templ.data())) return 1;
    const fs::path root = templ;
    WriteText(root / "_Pemaris_Family.Src/Korvex.INI",
              "RadioButtonCob85=COBOL 85,COB,,1,V1\nCOB.Extras=(DirDepth=2)\n"
              "COB.Filters=COBOL sources (*.cbl;*.cob)|*.cbl;*.cob\nRuncontrol.RenameAfter=Y\n"
              "Runcontrol.SystemBigDirectoryLimit=50\nActiveRadioButton=RadioButtonCob85\n");
    fs::create_directories(root / "Tools/Measure/Korvex/COBAudit");
    std::printf("sources_bench: making trees of %d, %d and %d files...\n", files, prefillCount, strictCount);
    std::fflush(stdout);
    MakeTree(root / "tree", files, "f");
    MakeTree(root / "prefill", prefillCount, "p");
    MakeTree(root / "strict", strictCount, "s");
    if (scale > 1) {
        std::printf("sources_bench: making trees of %d and %d files...\n", files * scale, prefillCount * scale);
        std::fflush(stdout);
        MakeTree(root / "bigtree", files * scale, "g");
        MakeTree(root / "bigprefill", prefillCount * scale, "q");
    }
    const std::string tree = (root / "tree").string(), prefill = (root / "prefill").string(),
                      strict = (root / "strict").string(), rootS = root.string();
    const std::string refOut = rootS + "/find.txt", ourOut = rootS + "/ours.txt";

    Series refAdd, addEmpty, addPrefilled, gapEmpty, gapPrefilled, refStrict, ourStrict, addBig, gapBig;
    bool same = true;
    for (int r = 0; r < runs; ++r) {
        refAdd.Add(Shell("find '" + tree + "' -type f | LC_ALL=C sort > '" + refOut + "'"));
        ChildResult a = RunChild(self, {"add", rootS, tree, "-", ourOut});
        addEmpty.Add(a.seconds);
        gapEmpty.Add(a.gap);
        same = same && a.count == files && ReadLines(ourOut) == ReadLines(refOut);

        ChildResult b = RunChild(self, {"add", rootS, tree, prefill, ourOut});
        addPrefilled.Add(b.seconds);
        gapPrefilled.Add(b.gap);
        same = same && b.count == files + prefillCount;

        if (scale > 1) {
            ChildResult g = RunChild(self, {"add", rootS, rootS + "/bigtree", rootS + "/bigprefill", ourOut});
            addBig.Add(g.seconds);
            gapBig.Add(g.gap);
            same = same && g.count == (files + prefillCount) * scale;
        }

        refStrict.Add(Shell("find '" + strict + "' -type f > '" + refOut + "'"));
        ChildResult s = RunChild(self, {"strict", rootS, strict, "-", ourOut});
        ourStrict.Add(s.seconds);
        same = same && s.count == strictCount && ReadLines(ourOut) == ReadLines(refOut);
    }
    std::printf("sources_bench: %d runs, alternated, each side in a fresh process (the times as information)\n",
                runs);
    Print("find | sort, tree", refAdd);
    Print("add tree to an empty list", addEmpty);
    Print("add tree to a list of the prefill", addPrefilled);
    Print("longest event-loop gap, empty", gapEmpty);
    Print("longest event-loop gap, prefilled", gapPrefilled);
    if (scale > 1) {
        Print("add the larger tree to the larger list", addBig);
        Print("longest event-loop gap, larger", gapBig);
    }
    Print("find, strict tree", refStrict);
    Print("strict structure", ourStrict);
    std::printf("  both sides found the same files: %s\n", same ? "yes" : "NO");
    if (same) {
        JudgeFigure("  add to an empty list, ratio of medians to find | sort", addEmpty.Median() / refAdd.Median(),
                    "x", 1.5);
        JudgeFigure("  add to the prefilled list, ratio of medians to find | sort",
                    addPrefilled.Median() / refAdd.Median(), "x", 1.5);
        JudgeFigure("  strict structure, ratio of medians to find", ourStrict.Median() / refStrict.Median(), "x", 2);
        JudgeFigure("  longest event-loop gap, empty list, worst run", gapEmpty.Max() * 1000, " ms", 100);
        JudgeFigure("  longest event-loop gap, prefilled list, worst run", gapPrefilled.Max() * 1000, " ms", 100);
        if (scale > 1) {
            JudgeFigure("  longest event-loop gap, larger list, worst run", gapBig.Max() * 1000, " ms", 100);
            char what[160];
            std::snprintf(what, sizeof what, "  add growth %d onto %d -> %d onto %d (x%d), medians", files,
                          prefillCount, files * scale, prefillCount * scale, scale);
            JudgeFigure(what, addBig.Median() / addPrefilled.Median(), "x", scale * 7.0 / 6.0);
        }
    }
    std::error_code ec;
    if (std::getenv("SOURCES_BENCH_KEEP")) std::printf("  trees kept in %s\n", rootS.c_str());
    else fs::remove_all(root, ec);
    return same ? 0 : 1;
}
