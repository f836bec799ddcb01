// Opening large listings in their tree viewers, offscreen:
//
//   listing_bench [--sources N] [--items M] [--runs R]
//
// 1. A deficiency listing of N sources with M items each (2,000 x 100 =
//    200,000 items by default, about 50 MB) opened in a deficiency tab (read,
//    both passes, the tree grouped by source, up to the first paint) as a
//    fresh process, against `grep -c -E '^\| (PROB|DEFI|WARN)'` counting the
//    same items, also a fresh process; alternated R times, medians with min
//    and max. Both must count the same items. Target: within 12x of grep.
// 2. In one process, each of the three regroupings of that tab, R times.
//    Target: under 0.5 s each.
// 3. A module specification listing of about the same size opened in a tab
//    (read, cleaned, the tree of its sources and sections, first paint), as
//    a fresh process.
// The files go to a fresh folder under $TMPDIR (or /tmp), removed afterwards.
#include "BenchSupport.h"
#include "FirstPaint.h"
#include "DefiFrame.h"
#include "Forms.h"
#include "MyStatusBar.h"
#include "ProjectContext.h"
#include "ResultTabRules.h"
#include "SpecsFrameObj.h"

#include <QApplication>
#include <QEvent>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

using namespace bench;

void Put(std::ofstream& out, std::string line) {
    line.resize(119, ' ');
    line += "|\r\n";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void MakeDefiListing(const std::string& file, int sources, int items) {
    std::ofstream out(file, std::ios::binary);
    static const char* const kinds[] = {"PROB", "DEFI", "WARN"};
    char buf[200];
    for (int s = 0; s < sources; ++s) {
        std::snprintf(buf, sizeof buf, "|   SOURCE: COMP\\src%05d.c%40sPAGE: 1", s, "");
        Put(out, buf);
        for (int i = 0; i < items; ++i) {
            std::snprintf(buf, sizeof buf, "| %s | %02d Rule number %d of the checks", kinds[(s + i) % 3],
                          (s * 7 + i) % 50, (s * 7 + i) % 50);
            Put(out, buf);
            std::snprintf(buf, sizeof buf, "|%6d |     MOVE WS-AMOUNT-%05d TO WS-TOTAL-%05d.", 10 + i * 3, i, s);
            Put(out, buf);
        }
        std::snprintf(buf, sizeof buf, "|   Number of major Rule Violations = %5d", items / 3);
        Put(out, buf);
        for (int k = 0; k < 9; ++k) {
            std::snprintf(buf, sizeof buf, "|   Counter %d = %5d", k, k * s % 1000);
            Put(out, buf);
        }
    }
}

void MakeSpecsListing(const std::string& file, int sources) {
    std::ofstream out(file, std::ios::binary);
    const std::string border = "+" + std::string(118, '-') + "+\r\n";
    static const char* const titles[] = {"INCLUDES", "FUNCTION REFERENCES", "METHODS/PROCEDURES", "DATA ATTRIBUTES",
                                         "TEST CASES"};
    char buf[200];
    for (int s = 0; s < sources; ++s) {
        out << border;
        Put(out, "|          P E M A R I S   M O D U L E   S P E C I F I C A T I O N");
        for (int k = 0; k < 5; ++k) Put(out, "| HEADER LINE");
        std::snprintf(buf, sizeof buf, "|   SOURCE NAME: COMP\\src%05d.c   DATE: 2024-01-01", s);
        Put(out, buf);
        for (const char* t : titles) {
            out << border;
            Put(out, std::string("|        ") + t);
            out << border;
            for (int l = 0; l < 37; ++l) {
                if (l % 4 == 0)
                    Put(out, "|      :+------------------------------");
                else {
                    std::snprintf(buf, sizeof buf, "| %5d:call_function_%04d(argument_%d);", l * 5 + 1, l, s);
                    Put(out, buf);
                }
            }
        }
    }
}

// ---- the child modes

class Context : public IProjectContext {
public:
    TMyStatusBar* bar = nullptr;
    TFontSpec font{"Lucida Console", 1, 8, -11};
    std::string OutputDirectory() override { return "/nowhere"; }
    std::string ProjectLanguageCode() override { return "JAV"; }
    bool ProjectLanguageInList(const std::string& list) override { return LanguageInList("JAV", list); }
    int ProjectProductKind() override { return 0; }
    int ProjectRunMode() override { return 1; }
    std::string ProjectSystemName() override { return "PAY"; }
    std::string ProjectTestToolLog() override { return ""; }
    int ProjectFileViewStyle() override { return 1; }
    TFontSpec& ProjectViewerFont() override { return font; }
    std::string ProjectEditorProgram() override { return ""; }
    TMyStatusBar* ProjectStatusBar() override { return bar; }
};


// A window with a page control, as the main window holds the tabs.
struct Window {
    Window(int argc, char** argv) : argc_(argc), app(Offscreen(argc_), argv), window("frmBench") {
        window.resize(1000, 700);
        ctx.bar = new TMyStatusBar(&window, &window, "MyStB");
        window.setStatusBar(ctx.bar);
        pages = new TPageControl(&window, window.Client(), "PageControlEditor");
        window.show();
        QApplication::processEvents();
    }
    TTabSheet* NewTab() {
        auto* tab = new TTabSheet(&window, pages, "tsv0", "listing");
        pages->SetActivePage(tab);
        return tab;
    }
    static void WaitForPaint(QWidget* w) {
        FirstPaint probe;
        w->installEventFilter(&probe);
        while (!probe.painted) QApplication::processEvents(QEventLoop::AllEvents, 50);
        w->removeEventFilter(&probe);
    }
    static int& Offscreen(int& argc) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return argc;
    }
    int argc_;
    QApplication app;
    TForm window;
    Context ctx;
    TPageControl* pages = nullptr;
};

int OpenDefiMode(int argc, char** argv, const std::string& file) {
    Window w(argc, argv);
    const auto start = Clock::now();
    TTabSheet* tab = w.NewTab();
    auto* frame = TFrameDefi::CreateForFile({tab, tab, &w.ctx.font, file, &w.ctx});
    frame->GroupDefisBySource();
    Window::WaitForPaint(frame->TreeView1->viewport());
    const double t = Since(start);
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%.6f %zu %ld\n", t, frame->Listing.items.size(), ru.ru_maxrss);
    return 0;
}

int RegroupMode(int argc, char** argv, const std::string& file, int runs) {
    Window w(argc, argv);
    TTabSheet* tab = w.NewTab();
    auto* frame = TFrameDefi::CreateForFile({tab, tab, &w.ctx.font, file, &w.ctx});
    frame->GroupDefisBySource();
    QApplication::processEvents();
    const struct {
        const char* name;
        void (TFrameDefi::*group)();
    } groupings[] = {{"by source  ", &TFrameDefi::GroupDefisBySource},
                     {"by level   ", &TFrameDefi::GroupDefisByLevel},
                     {"by rule    ", &TFrameDefi::GroupDefisByRuleName}};
    for (const auto& g : groupings) {
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            const auto start = Clock::now();
            (frame->*g.group)();
            Window::WaitForPaint(frame->TreeView1->viewport());
            times.push_back(Since(start));
        }
        const Stats s = Summary(times);
        std::printf("regroup %s: min %.3f  median %.3f  max %.3f s (goal under 0.5), %d top nodes\n", g.name, s.min,
                    s.median, s.max, frame->TreeView1->topLevelItemCount());
    }
    return 0;
}

int OpenSpecsMode(int argc, char** argv, const std::string& file) {
    Window w(argc, argv);
    const auto start = Clock::now();
    TTabSheet* tab = w.NewTab();
    auto* frame = TFrameSpecsObj::CreateForFile({tab, tab, &w.ctx.font, file, &w.ctx});
    Window::WaitForPaint(frame->TreeView1->viewport());
    const double t = Since(start);
    std::printf("%.6f %zu %d\n", t, frame->Listing.descriptors.size(), frame->TreeView1->topLevelItemCount());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int sources = 2000, items = 100, runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--sources"))
            sources = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--items"))
            items = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--open-defi"))
            return OpenDefiMode(argc, argv, argv[i + 1]);
        else if (!std::strcmp(argv[i], "--open-specs"))
            return OpenSpecsMode(argc, argv, argv[i + 1]);
        else if (!std::strcmp(argv[i], "--regroup"))
            return RegroupMode(argc, argv, argv[i + 1], i + 2 < argc ? std::max(1, std::atoi(argv[i + 2])) : 3);
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/listing_bench-XXXXXX";
    if (!mkdtemp(tmpl.data())) return 2;
    const fs::path dir = tmpl;
    const std::string defi = (dir / "big.def").string();
    const std::string specs = (dir / "big.JAV").string();
    MakeDefiListing(defi, sources, items);
    MakeSpecsListing(specs, sources);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string result = (dir / "result.txt").string();
    std::printf("deficiency listing: %d sources, %d items, %.1f MB\n", sources, sources * items,
                static_cast<double>(fs::file_size(defi)) / 1e6);

    // 1. Opening against grep, alternated, both fresh processes.
    const std::vector<std::string> grep = {"grep", "-c", "-E", "^\\| (PROB|DEFI|WARN)", defi};
    std::vector<double> ours, theirs, memory;
    for (int r = 0; r < runs; ++r) {
        ours.push_back(RunTimed({self, "--open-defi", defi}, result));
        double t = 0;
        size_t counted = 0;
        long kb = 0;
        if (std::sscanf(Slurp(result).c_str(), "%lf %zu %ld", &t, &counted, &kb) != 3) return 1;
        memory.push_back(static_cast<double>(kb) / 1024.0);
        theirs.push_back(RunTimed(grep, result, 1)); // grep -c exits 1 when it counts nothing
        const size_t grepped = std::strtoul(Slurp(result).c_str(), nullptr, 10);
        if (counted != grepped) {
            std::fprintf(stderr, "the tab holds %zu items, grep counted %zu\n", counted, grepped);
            return 1;
        }
    }
    const Stats o = Summary(ours), g = Summary(theirs), m = Summary(memory);
    std::printf("deficiency tab, open to first paint: min %.3f  median %.3f  max %.3f s\n", o.min, o.median, o.max);
    std::printf("grep -c                             : min %.3f  median %.3f  max %.3f s\n", g.min, g.median, g.max);
    std::printf("ratio of medians                    : %.1f (target within 12)\n", o.median / g.median);
    std::printf("peak memory of the tab's process    : median %.0f MB\n", m.median);

    // 2. The regroupings.
    RunTimed({self, "--regroup", defi, std::to_string(runs)}, result);
    std::printf("%s", Slurp(result).c_str());

    // 3. The module specification tree.
    std::printf("module specification listing: %.1f MB\n", static_cast<double>(fs::file_size(specs)) / 1e6);
    std::vector<double> specTimes;
    for (int r = 0; r < runs; ++r) {
        specTimes.push_back(RunTimed({self, "--open-specs", specs}, result));
        double t = 0;
        size_t sections = 0;
        int tops = 0;
        if (std::sscanf(Slurp(result).c_str(), "%lf %zu %d", &t, &sections, &tops) != 3 || tops != sources ||
            sections != static_cast<size_t>(sources) * 5) {
            std::fprintf(stderr, "the specification tree holds %d sources and %zu sections\n", tops, sections);
            return 1;
        }
        specTimes.back() = t;
    }
    const Stats s = Summary(specTimes);
    std::printf("specification tab, open to first paint: min %.3f  median %.3f  max %.3f s\n", s.min, s.median, s.max);
    fs::remove_all(dir);
    return 0;
}
