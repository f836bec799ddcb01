// Saves a job with many source files, reopens it by File > Open and starts
// the program with it (-Proj, through the main window as the program does),
// at several sizes, with the file list's lines in sort order and shuffled:
//
//   job_bench [--sizes 10000,100000,300000] [--runs R]
//
// A small installation (one product INI file) is made in a fresh folder
// under $TMPDIR (or /tmp) and removed afterwards; the main window runs
// offscreen with scripted dialogs. Each round runs save, open and start in
// turn, R rounds per size and order; the figures are medians with min and
// max. After every open and start each item's text and tick are compared
// with what was saved. The table of times is information; judged, each with
// the load average beside it: every path grows linearly (each size step's
// fastest rounds within 7/6 of the ratio of sizes, 3.5x for three times the
// sources) and a start with 100,000 sources takes under 1 s (median).
//
// Then the start with a shuffled list alone, at the sizes of --growth
// (100000,400000 by default; 0 leaves it out), each start a fresh process,
// the sizes alternated R times (--growth-runs, default 5): its growth must
// stay within n log n (x4.8 for four times the sources).
#include "BenchSupport.h"
#include "BenchVerdict.h"
#include "CharSet1252.h"
#include "CmdLine.h"
#include "DialogService.h"
#include "Exceptions.h"
#include "FindDirectoryFrame.h"
#include "PemarisMain.h"
#include "SettingsStore.h"
#include "StringList.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

double Seconds(const std::function<void()>& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void WriteText(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

struct Figures {
    std::vector<double> times;
    double Median() const {
        std::vector<double> t = times;
        std::sort(t.begin(), t.end());
        return t.empty() ? 0 : t[t.size() / 2];
    }
    double Min() const { return times.empty() ? 0 : *std::min_element(times.begin(), times.end()); }
    double Max() const { return times.empty() ? 0 : *std::max_element(times.begin(), times.end()); }
};

using Items = std::vector<std::pair<std::string, bool>>;

// Source names whose letter case varies, so the list's order is not the
// order of their bytes.
Items MakeItems(int n) {
    Items items;
    items.reserve(static_cast<size_t>(n));
    char name[128];
    for (int i = 0; i < n; ++i) {
        const char* comp = (i % 3 == 0) ? "COMP" : (i % 3 == 1) ? "comp" : "Comp";
        std::snprintf(name, sizeof name, "/src/big/%s%02d/mod%04d/%s%06d.cob", comp, i % 50, (i * 7) % 5000,
                      (i % 5 == 0) ? "FILE" : "file", (i * 7919) % n);
        items.emplace_back(name, i % 7 != 0);
    }
    return items;
}

// Shuffles the item lines of the source-file list in a job file.
void ShuffleListLines(const std::string& job, unsigned seed) {
    std::ifstream in(job, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    in.close();
    size_t at = 0;
    while (at < lines.size() && lines[at].rfind("[TCheckListBox - frmPemarisMain.CheckListBoxSelectedFiles]", 0) != 0)
        ++at;
    const size_t first = at + 2; // after the header and the key line
    size_t end = first;
    while (end < lines.size() && !lines[end].empty() && lines[end][0] != '[') ++end;
    if (first < end) std::shuffle(lines.begin() + first, lines.begin() + end, std::mt19937(seed));
    std::ofstream out(job, std::ios::binary | std::ios::trunc);
    for (const auto& l : lines) out << l << '\n';
}

// Whether the window's list holds exactly the expected items, in order.
bool SameList(TfrmPemarisMain* f, const Items& expected, std::string& why) {
    auto* l = f->CheckListBoxSelectedFiles;
    if (l->Count() != static_cast<int>(expected.size())) {
        why = std::to_string(l->Count()) + " items instead of " + std::to_string(expected.size());
        return false;
    }
    for (int i = 0; i < l->Count(); ++i) {
        const auto& e = expected[static_cast<size_t>(i)];
        if (l->ItemText(i) != e.first || l->Checked(i) != e.second) {
            why = "item " + std::to_string(i) + " is " + l->ItemText(i) + (l->Checked(i) ? " (ticked)" : "") +
                  ", saved " + e.first + (e.second ? " (ticked)" : "");
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<int> SizeList(const char* text) {
    std::vector<int> sizes;
    std::stringstream ss(text);
    for (std::string v; std::getline(ss, v, ',');)
        if (std::atoi(v.c_str()) > 0) sizes.push_back(std::atoi(v.c_str()));
    return sizes;
}

// A fresh process that starts the program with -Proj on the job, in the
// bench's installation, and prints the start's time and the list's length.
int StartChild(const std::string& root, const std::string& job) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("HOME", (root + "/home").c_str(), 1);
    int qargc = 1;
    char arg0[] = "job_bench";
    char* qargv[] = {arg0, nullptr};
    QApplication app(qargc, qargv);
    ScriptedDialogService dialogs;
    SetDialogService(&dialogs);
    TfrmPemarisMain::ExecutablePath = root + "/Tools/Korvex";
    const double t = Seconds([&] {
        SetCommandLine({"-Proj", job});
        auto* f = new TfrmPemarisMain;
        f->DoCreate();
        f->show();
        QApplication::processEvents();
        std::printf("%d ", f->CheckListBoxSelectedFiles->Count());
    });
    std::printf("%.6f\n", t);
    std::fflush(stdout);
    std::_Exit(0); // the window's teardown is not what is measured
}

int main(int argc, char** argv) {
    if (argc == 4 && !std::strcmp(argv[1], "--start-child")) return StartChild(argv[2], argv[3]);
    std::vector<int> sizes = {10000, 100000, 300000}, growth = {100000, 400000};
    int runs = 3, growthRuns = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--sizes")) sizes = SizeList(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--growth")) growth = SizeList(argv[++i]);
        else if (!std::strcmp(argv[i], "--growth-runs")) growthRuns = std::max(1, std::atoi(argv[++i]));
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qargc = 1;
    char arg0[] = "job_bench";
    char* qargv[] = {arg0, nullptr};
    QApplication app(qargc, qargv);

    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/job_bench-XXXXXX";
    if (!::mkdtemp(templ.data())) return 1;
    const fs::path root = templ;
    WriteText(root / "_Pemaris_Family.Src/Korvex.INI",
              "RadioButtonCob85=COBOL 85,COB,,1,V1\nCOB.Extras=(DirDepth=2)\nRuncontrol.RenameAfter=Y\n"
              "Runcontrol.SystemBigDirectoryLimit=50\nActiveRadioButton=RadioButtonCob85\n");
    fs::create_directories(root / "Tools/Measure/Korvex/COBAudit");
    fs::create_directories(root / "jobs");
    fs::create_directories(root / "out");
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    // The window makes default folders in the home folder: the bench's own.
    ::setenv("HOME", (root / "home").c_str(), 1);
    ScriptedDialogService dialogs;
    SetDialogService(&dialogs);
    TfrmPemarisMain::ExecutablePath = (root / "Tools/Korvex").string();
    TMyStatusBarBase::Recorder = [](const TStatusRecord& r) {
        if (std::getenv("JOB_BENCH_TRACE")) std::fprintf(stderr, "status %d %s\n", int(r.kind), r.text.c_str());
    };

    std::unique_ptr<TfrmPemarisMain> form;
    auto start = [&](const std::vector<std::string>& params) {
        form.reset();
        SetCommandLine(params);
        form = std::make_unique<TfrmPemarisMain>();
        form->DoCreate();
        form->show();
        QApplication::processEvents();
    };
    start({});

    const std::string job = (root / "jobs/Big.jkvx").string();
    std::map<std::pair<int, bool>, std::map<std::string, Figures>> results; // (size, shuffled) -> path
    bool allSame = true;
    int rc = 0;
    try {
        for (int n : sizes) {
            // The saved list, in the list's own order.
            Items saved = MakeItems(n);
            std::stable_sort(saved.begin(), saved.end(),
                             [](const auto& a, const auto& b) { return CompareListText(a.first, b.first) < 0; });
            for (bool shuffled : {false, true}) {
                TfrmPemarisMain* f = form.get();
                f->ValidateProductName("bench corp");
                f->ValidateSystemName("big system");
                f->ValidateVersion("1.0");
                f->FrameFindDirectoryOutputDir->Edit->SetText((root / "out").string());
                std::vector<TListItemData> data;
                data.reserve(saved.size());
                for (size_t i = 0; i < saved.size(); ++i) data.push_back({saved[(i * 7919) % saved.size()].first,
                                                                          saved[(i * 7919) % saved.size()].second});
                f->CheckListBoxSelectedFiles->AssignCheckList(std::move(data));
                f->Modified = false;
                auto& fig = results[{n, shuffled}];
                for (int r = 0; r < runs; ++r) {
                    f = form.get();
                    std::string why;
                    fig["save"].times.push_back(Seconds([&] {
                        dialogs.AnswerFiles({job});
                        if (!f->ActSaveProjectAs->ExecuteUnguarded()) throw Exception("save did not run");
                    }));
                    if (shuffled) ShuffleListLines(job, static_cast<unsigned>(n + r));
                    f->Modified = false;
                    fig["open"].times.push_back(Seconds([&] {
                        dialogs.AnswerFiles({job});
                        if (!f->ActOpenProject->ExecuteUnguarded()) throw Exception("open did not run");
                    }));
                    if (!SameList(f, saved, why)) {
                        std::printf("  %d %s, opened: %s\n", n, shuffled ? "shuffled" : "sorted", why.c_str());
                        allSame = false;
                    }
                    f->Modified = false;
                    fig["start"].times.push_back(Seconds([&] { start({"-Proj", job}); }));
                    if (!SameList(form.get(), saved, why)) {
                        std::printf("  %d %s, started: %s\n", n, shuffled ? "shuffled" : "sorted", why.c_str());
                        allSame = false;
                    }
                }
            }
        }
    } catch (const EAbort&) {
        std::printf("job_bench: stopped: %s\n%s\n", form->MyStB->LastMessage.c_str(), form->MyStB->MessageList.c_str());
        rc = 1;
    } catch (const std::exception& e) {
        std::printf("job_bench: stopped: %s\n", e.what());
        rc = 1;
    }

    const char* paths[] = {"save", "open", "start"};
    std::printf("job_bench: medians of %d rounds (min..max), seconds, as information; each round saves, opens "
                "(File > Open) and starts with -Proj\n",
                runs);
    std::printf("%9s %-9s", "sources", "list");
    for (const char* p : paths) std::printf("  %-24s", p);
    std::printf("\n");
    for (const auto& [key, fig] : results) {
        std::printf("%9d %-9s", key.first, key.second ? "shuffled" : "sorted");
        for (const char* p : paths) {
            auto it = fig.find(p);
            if (it == fig.end()) continue;
            std::printf("  %6.3f (%6.3f..%6.3f)  ", it->second.Median(), it->second.Min(), it->second.Max());
        }
        std::printf("\n");
    }
    for (size_t i = 1; i < sizes.size(); ++i) {
        const int a = sizes[i - 1], b = sizes[i];
        for (bool shuffled : {false, true}) {
            for (const char* p : paths) {
                // Judged on each size's fastest round: a round of a few
                // milliseconds is easily doubled by the machine's other
                // work, which only ever adds time. Linear: the time grows no
                // faster than the size, with a margin of one sixth for fixed
                // costs and noise.
                const double ta = results[{a, shuffled}][p].Min(), tb = results[{b, shuffled}][p].Min();
                if (ta <= 0) continue;
                char what[160];
                std::snprintf(what, sizeof what, "growth %d -> %d (x%.1f sources), %s, %s, fastest rounds", a, b,
                              double(b) / a, shuffled ? "shuffled" : "sorted", p);
                JudgeFigure(what, tb / ta, "x", double(b) / a * 7.0 / 6.0);
            }
        }
    }
    for (bool shuffled : {false, true}) {
        auto it = results.find({100000, shuffled});
        if (it == results.end()) continue;
        JudgeFigure(shuffled ? "start with 100,000 sources (shuffled), median"
                             : "start with 100,000 sources (sorted), median",
                    it->second["start"].Median(), " s", 1.0);
    }
    std::printf("every reopened list equal to the saved one, item by item: %s\n", allSame ? "yes" : "NO");

    // The shuffled start alone, each a fresh process, the sizes alternated.
    if (rc == 0 && growth.size() >= 2) {
        std::map<int, std::string> jobs;
        for (int n : growth) {
            TfrmPemarisMain* f = form.get();
            Items saved = MakeItems(n);
            std::vector<TListItemData> data;
            for (const auto& [path, ticked] : saved) data.push_back({path, ticked});
            f->CheckListBoxSelectedFiles->AssignCheckList(std::move(data));
            jobs[n] = (root / ("jobs/Growth" + std::to_string(n) + ".jkvx")).string();
            dialogs.AnswerFiles({jobs[n]});
            if (!f->ActSaveProjectAs->ExecuteUnguarded()) {
                std::printf("job_bench: the growth job was not saved\n");
                return 1;
            }
            ShuffleListLines(jobs[n], static_cast<unsigned>(n));
            f->Modified = false;
        }
        const std::string self = fs::canonical("/proc/self/exe").string();
        std::map<int, std::vector<double>> times;
        bool counted = true;
        for (int r = 0; r < growthRuns; ++r)
            for (int n : growth) {
                const std::string out = (root / "start.txt").string();
                bench::RunTimed({self, "--start-child", root.string(), jobs[n]}, out);
                int count = 0;
                double t = 0;
                if (std::sscanf(bench::Slurp(out).c_str(), "%d %lf", &count, &t) != 2 || count != n) counted = false;
                times[n].push_back(t);
            }
        std::printf("-Proj start with a shuffled list, fresh processes alternated, %d runs (as information):\n",
                    growthRuns);
        for (int n : growth) {
            const bench::Stats st = bench::Summary(times[n]);
            std::printf("  %7d sources: median %.3f s (%.3f-%.3f)\n", n, st.median, st.min, st.max);
        }
        for (size_t i = 1; i < growth.size(); ++i) {
            const int a = growth[i - 1], b = growth[i];
            const double g = bench::Summary(times[b]).median / bench::Summary(times[a]).median;
            // No worse than n log n: x4.8 for four times the sources.
            char what[128];
            std::snprintf(what, sizeof what, "  -Proj start growth %d -> %d (x%.1f sources), medians", a, b,
                          double(b) / a);
            JudgeFigure(what, g, "x", double(b) / a * 1.2);
        }
        std::printf("  every start listed all sources: %s\n", counted ? "yes" : "NO");
        if (!counted) rc = 1;
    }
    form.reset();
    SetDialogService(nullptr);
    std::error_code ec;
    fs::remove_all(root, ec);
    return rc != 0 || !allSame ? 1 : 0;
}
